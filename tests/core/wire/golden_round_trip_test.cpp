#include "golden_files.hpp"

#include <gtest/gtest.h>

namespace orvendel::wire::testing {
namespace {

using Json = nlohmann::json;

// Adds an unknown key to every object of the message (except the free-form maps of a status check,
// whose keys are all read).
void addUnknownKeys(Json& value, const std::string& key = "")
{
    if (value.is_object()) {
        for (auto& [childKey, child] : value.items()) {
            addUnknownKeys(child, childKey);
        }
        value["unexpectedKey"] = {{"nested", Json::array({1, "two", nullptr})}};
    } else if (value.is_array() && key != "delaysToCheck") {
        for (auto& element : value) {
            addUnknownKeys(element);
        }
    }
}

class GoldenRoundTrip : public ::testing::TestWithParam<Golden> {};

TEST_P(GoldenRoundTrip, DecodesAndEncodesToTheSameMessage)
{
    const std::string text = goldenText(GetParam().file);
    ASSERT_FALSE(text.empty()) << GetParam().file;
    const auto encoded = GetParam().reencode(text);
    ASSERT_TRUE(encoded) << GetParam().file;
    EXPECT_EQ(Json::parse(*encoded), Json::parse(text)) << *encoded;
}

TEST_P(GoldenRoundTrip, IgnoresUnknownKeys)
{
    Json document = Json::parse(goldenText(GetParam().file));
    const Json original = document;
    addUnknownKeys(document);
    const auto encoded = GetParam().reencode(document.dump());
    ASSERT_TRUE(encoded) << GetParam().file;
    EXPECT_EQ(Json::parse(*encoded), original);
}

INSTANTIATE_TEST_SUITE_P(Wire, GoldenRoundTrip, ::testing::ValuesIn(allGoldens()), [](const auto& info) {
    std::string name = info.param.file.substr(0, info.param.file.find('.'));
    return name;
});

TEST(GoldenValues, LastDayReplyCarriesTheDelaysAsSent)
{
    const auto decoded = decode<DelaysDownloaderResult>(goldenText("last24hours_delays_reply.json"));
    ASSERT_TRUE(decoded) << decoded.error().description;
    const auto& heats = *decoded->data;
    ASSERT_EQ(heats.size(), 2u);
    EXPECT_EQ(heats[0].furnaceId, 2);
    EXPECT_EQ(heats[0].heatNumber, 190342);
    ASSERT_TRUE(heats[0].delays);
    const JSON_Delay& first = heats[0].delays->at(0);
    EXPECT_EQ(first.delayId, 902114);
    EXPECT_EQ(first.reasonDescription, "Electrode change");
    EXPECT_EQ(first.startDate, "2019-03-07T13:41:12-06:00");
    EXPECT_EQ(first.comment, "Phase 2 electrode");
    EXPECT_FALSE(first.isEdited);
    EXPECT_EQ(heats[0].delays->at(1).comment, std::nullopt);
    ASSERT_TRUE(heats[1].delays);
    EXPECT_TRUE(heats[1].delays->empty());
}

TEST(GoldenValues, UpdatedDelayTimeStampIsAFloat)
{
    const auto decoded = decode<UpdatedDelaysDownloaderResult>(goldenText("updated_delays_reply.json"));
    ASSERT_TRUE(decoded) << decoded.error().description;
    EXPECT_EQ(decoded->data->at(0).timeStamp, 1795956.25f);
    EXPECT_EQ(decoded->data->at(1).timeStamp, std::nullopt);
    EXPECT_EQ(decoded->data->at(1).status, "Pending");
}

TEST(GoldenValues, ServerErrorKeepsItsDescription)
{
    const auto decoded = decode<SaveDelaysResult>(goldenText("save_delays_reply.json"));
    ASSERT_TRUE(decoded);
    const auto& info = decoded->resultInformation;
    EXPECT_FALSE(info.success);
    EXPECT_EQ(info.message, "Session expired");
    ASSERT_TRUE(info.error);
    EXPECT_TRUE(info.error->is("ServerError", 3));
    EXPECT_EQ(info.error->description, "The session has expired. Please sign in again.");
}

} // namespace
} // namespace orvendel::wire::testing
