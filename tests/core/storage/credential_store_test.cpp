#include "core/platform/app_paths.hpp"
#include "core/storage/credential_store.hpp"
#include "core/support/log.hpp"
#include "storage_test_support.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sys/stat.h>

namespace orvendel {
namespace {

std::optional<std::string> text(const Result<std::string>& stored)
{
    return stored ? std::optional(*stored) : std::nullopt;
}

class FileCredentialStoreTest : public ::testing::Test {
protected:
    test::TempFolder temp;
    std::filesystem::path folder = temp.path() / "Credentials";
    CredentialStore store{"com.KESTA.orvendel", std::nullopt, makeFileSecretStore(folder)};
};

TEST_F(FileCredentialStoreTest, SecondPasswordReplacesTheFirstAndSurvivesReopening)
{
    EXPECT_EQ(text(store.string("JDOE")), std::nullopt);
    ScopedLogCapture capture;
    ASSERT_TRUE(store.set("first secret", "JDOE"));
    ASSERT_TRUE(store.set("sécond\nsecret with spaces", "JDOE", CredentialAccessibility::always));
    EXPECT_EQ(text(store.string("JDOE")), "sécond\nsecret with spaces");
    EXPECT_TRUE(capture.lines().empty()) << "nothing about a password is logged";

    CredentialStore reopened{"com.KESTA.orvendel", std::nullopt, makeFileSecretStore(folder)};
    EXPECT_EQ(text(reopened.string("JDOE")), "sécond\nsecret with spaces");
    EXPECT_EQ(text(reopened.string("jdoe")), std::nullopt) << "keys are compared exactly";
}

TEST_F(FileCredentialStoreTest, ItemsAreSeparatedByServiceAndAccessGroup)
{
    CredentialStore otherService{"com.example.other", std::nullopt, makeFileSecretStore(folder)};
    CredentialStore grouped{"com.KESTA.orvendel", "group", makeFileSecretStore(folder)};
    ASSERT_TRUE(store.set("a", "JDOE"));
    ASSERT_TRUE(otherService.set("b", "JDOE"));
    ASSERT_TRUE(grouped.set("c", "JDOE"));
    ASSERT_TRUE(store.set("", "EMPTY"));
    EXPECT_EQ(text(store.string("JDOE")), "a");
    EXPECT_EQ(text(otherService.string("JDOE")), "b");
    EXPECT_EQ(text(grouped.string("JDOE")), "c");
    EXPECT_EQ(text(store.string("EMPTY")), "");
}

TEST_F(FileCredentialStoreTest, FileIsOwnerOnlyAndReplacedAtomically)
{
    ASSERT_TRUE(store.set("secret", "JDOE"));
    EXPECT_EQ(test::modeOf(folder), 0700u);
    EXPECT_EQ(test::modeOf(folder / "credentials"), 0600u);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"credentials"});

    // Permissions someone widened are narrowed again at the next use.
    ::chmod(folder.c_str(), 0755);
    ::chmod((folder / "credentials").c_str(), 0644);
    EXPECT_EQ(text(store.string("JDOE")), "secret");
    EXPECT_EQ(test::modeOf(folder), 0700u);
    EXPECT_EQ(test::modeOf(folder / "credentials"), 0600u);
}

TEST_F(FileCredentialStoreTest, UnreadableContentCountsAsEmptyAndIsRewritten)
{
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "credentials") << "garbage\x01\x02";
    EXPECT_EQ(text(store.string("JDOE")), std::nullopt);
    ASSERT_TRUE(store.set("secret", "JDOE"));
    EXPECT_EQ(text(store.string("JDOE")), "secret");
}

// A store that records how it was asked, to check the add-then-update rule.
class FakeSecretStore final : public SecretStore {
public:
    Result<void> add(const SecretKey& key, const std::string& data) override
    {
        calls.push_back("add");
        if (failAll) {
            return secret_error::make(secret_error::failure);
        }
        auto [it, inserted] = items.emplace(key.account, data);
        if (!inserted) {
            return secret_error::make(secret_error::duplicateItem);
        }
        return {};
    }
    Result<void> update(const SecretKey& key, const std::string& data) override
    {
        calls.push_back("update");
        if (failUpdate) {
            return secret_error::make(secret_error::failure);
        }
        items[key.account] = data;
        return {};
    }
    Result<std::string> find(const SecretKey& key) override
    {
        if (failAll) {
            return secret_error::make(secret_error::failure);
        }
        const auto found = items.find(key.account);
        if (found == items.end()) {
            return secret_error::make(secret_error::itemNotFound);
        }
        return found->second;
    }

    std::map<std::string, std::string> items;
    std::vector<std::string> calls;
    bool failAll = false;
    bool failUpdate = false;
};

TEST(CredentialStoreTest, AddsThenUpdatesAndReportsFailures)
{
    auto fake = std::make_shared<FakeSecretStore>();
    CredentialStore store{"com.KESTA.orvendel", std::nullopt, fake};
    EXPECT_TRUE(store.set("one", "JDOE"));
    EXPECT_TRUE(store.set("two", "JDOE"));
    EXPECT_EQ(fake->calls, (std::vector<std::string>{"add", "add", "update"}));
    EXPECT_EQ(text(store.string("JDOE")), "two");

    fake->failUpdate = true;
    EXPECT_FALSE(store.set("three", "JDOE"));
    EXPECT_EQ(text(store.string("JDOE")), "two");

    EXPECT_FALSE(store.set(std::string("\xC3\x28", 2), "BAD")) << "invalid UTF-8 is refused";
    EXPECT_TRUE(fake->items.find("BAD") == fake->items.end());
    fake->items["RAW"] = std::string("\xFF\xFE", 2);
    EXPECT_EQ(text(store.string("RAW")), std::nullopt);
    EXPECT_EQ(text(store.data("RAW")), std::string("\xFF\xFE", 2));

    EXPECT_EQ(store.string("BAD").error().code, secret_error::itemNotFound);
    EXPECT_EQ(store.string("RAW").error().domain, CredentialStore::errorDomain);

    // A store that fails says so, rather than looking like an empty one.
    fake->failAll = true;
    EXPECT_EQ(store.set("four", "OTHER").error().code, secret_error::failure);
    EXPECT_EQ(store.string("JDOE").error().code, secret_error::failure);
}

// Without a session bus the system store falls back to the file at once, and says so once.
TEST(SystemSecretStoreTest, FallsBackToTheOwnerOnlyFileWithOneConsoleLine)
{
    if (secretServiceAnswers()) {
        GTEST_SKIP() << "a Secret Service answers on this machine";
    }
    test::TestApplicationSupportDirectory applicationSupportDirectory;
    ScopedLogCapture capture;
    CredentialStore first{"com.KESTA.orvendel", std::nullopt, nullptr, applicationSupportDirectory.source()};
    CredentialStore second{"com.KESTA.orvendel", std::nullopt, nullptr, applicationSupportDirectory.source()};
    ASSERT_TRUE(first.set("pa55word", "JDOE"));
    EXPECT_EQ(text(second.string("JDOE")), "pa55word");
    ASSERT_EQ(capture.lines().size(), 1u);
    EXPECT_NE(capture.lines()[0].find("owner-only file"), std::string::npos);
    EXPECT_EQ(capture.lines()[0].find("pa55word"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(applicationSupportDirectory.path() / "Credentials" / "credentials"));
}

} // namespace
} // namespace orvendel
