#include "golden_files.hpp"

#include <gtest/gtest.h>

// Every key of every golden message taken away, set to null and given a value of the wrong type: required
// keys must fail the whole message, optional ones may be missing or null, and no key accepts a wrong type.
namespace orvendel::wire::testing {
namespace {

using Json = nlohmann::json;

struct KeySite {
    Json::json_pointer pointer; // where the key's value sits
    std::string path;           // the same with array indices as "*"
    std::string key;
    Json value;
};

void collectKeys(const Json& value, const Json::json_pointer& at, const std::string& path, std::vector<KeySite>& out)
{
    if (value.is_object()) {
        for (const auto& [key, child] : value.items()) {
            const std::string childPath = path.empty() ? key : path + "." + key;
            out.push_back({at / key, childPath, key, child});
            collectKeys(child, at / key, childPath, out);
        }
    } else if (value.is_array()) {
        for (std::size_t i = 0; i < value.size(); ++i) {
            collectKeys(value[i], at / i, path + ".*", out);
        }
    }
}

// Values of every JSON type other than the one given.
std::vector<Json> wrongTypes(const Json& value)
{
    std::vector<Json> wrong;
    if (!value.is_string()) {
        wrong.push_back("17");
    }
    if (!value.is_number()) {
        wrong.push_back(17);
    }
    if (!value.is_boolean()) {
        wrong.push_back(true);
    }
    if (!value.is_object()) {
        wrong.push_back(Json::object());
    }
    if (!value.is_array()) {
        wrong.push_back(Json::array());
    }
    if (value.is_boolean()) {
        wrong.push_back(0);
        wrong.push_back(1);
    }
    if (value.is_number_integer()) {
        wrong.push_back(1.5);
        wrong.push_back(2147483648LL);
        wrong.push_back(-2147483649LL);
        wrong.push_back(18446744073709551615ULL);
    }
    return wrong;
}

class GeneratedFailures : public ::testing::TestWithParam<Golden> {
protected:
    void SetUp() override
    {
        m_document = Json::parse(goldenText(GetParam().file));
        collectKeys(m_document, Json::json_pointer(), "", m_sites);
        ASSERT_FALSE(m_sites.empty());
    }

    bool decodes(const Json& document) const { return GetParam().decodes(document.dump()); }

    Json m_document;
    std::vector<KeySite> m_sites;
};

TEST_P(GeneratedFailures, MissingRequiredKeyFailsAndMissingOptionalKeyDoesNot)
{
    for (const KeySite& site : m_sites) {
        Json changed = m_document;
        changed[site.pointer.parent_pointer()].erase(site.key);
        const bool mayBeMissing = GetParam().isOptional(site.path, site.key) || GetParam().mapKeys.count(site.path);
        EXPECT_EQ(decodes(changed), mayBeMissing) << "without " << site.path;
    }
}

TEST_P(GeneratedFailures, NullInRequiredKeyFailsAndNullInOptionalKeyDoesNot)
{
    for (const KeySite& site : m_sites) {
        Json changed = m_document;
        changed[site.pointer] = nullptr;
        EXPECT_EQ(decodes(changed), GetParam().isOptional(site.path, site.key)) << "null " << site.path;
    }
}

TEST_P(GeneratedFailures, WrongTypeFailsEvenInOptionalKeys)
{
    for (const KeySite& site : m_sites) {
        if (site.value.is_null()) {
            continue; // a null in the golden message has no one right type
        }
        for (const Json& wrong : wrongTypes(site.value)) {
            Json changed = m_document;
            changed[site.pointer] = wrong;
            EXPECT_FALSE(decodes(changed)) << site.path << " = " << wrong.dump();
        }
    }
}

TEST_P(GeneratedFailures, ArrayElementOfTheWrongTypeFails)
{
    for (const KeySite& site : m_sites) {
        if (!site.value.is_array() || site.value.empty()) {
            continue;
        }
        for (const Json& wrong : {Json(nullptr), Json(1), Json("x"), Json::array()}) {
            Json changed = m_document;
            changed[site.pointer / 0] = wrong;
            EXPECT_FALSE(decodes(changed)) << site.path << "[0] = " << wrong.dump();
        }
    }
}

TEST_P(GeneratedFailures, MessageThatIsNotAnObjectFails)
{
    for (const char* text : {"[]", "null", "17", "\"resultInformation\"", "", "   ", "{", "{}x"}) {
        EXPECT_FALSE(GetParam().decodes(text)) << text;
    }
    EXPECT_FALSE(GetParam().decodes(goldenText(GetParam().file) + " {}")) << "trailing garbage";
}

INSTANTIATE_TEST_SUITE_P(Wire, GeneratedFailures, ::testing::ValuesIn(allGoldens()),
                         [](const auto& info) { return info.param.file.substr(0, info.param.file.find('.')); });

} // namespace
} // namespace orvendel::wire::testing
