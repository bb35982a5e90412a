#include "core/model/utilities.hpp"
#include "core/storage/database_manager.hpp"
#include "core/storage/user_configuration_manager.hpp"
#include "core/storage/user_folder.hpp"
#include "core/support/log.hpp"
#include "storage_test_support.hpp"

#include <gtest/gtest.h>

namespace orvendel {
namespace {

// The managers keep a user's files under the folder they are given, not the process-wide data folder.
TEST(UserFolder, ManagersUseTheInjectedSupportFolder)
{
    test::ScopedDataDirectory processWide;
    test::TempFolder given;
    const auto support = given.path() / "support";
    const ApplicationSupportDirectory source = [support] { return std::optional(support); };

    DatabaseManager database({source});
    UserConfigurationManager configuration({source});
    ASSERT_TRUE(database.openUserDatabase("jdoe"));
    ASSERT_TRUE(configuration.createConfigurationFile("JDoe"));
    ASSERT_TRUE(configuration.loadConfiguration("jdoe"));

    const auto userFolder = support / *Utilities::md5Hex("JDOE");
    EXPECT_EQ(database.databasePath(), (userFolder / "dbData.sqlite").string());
    EXPECT_EQ(configuration.loadedConfigurationFileURL(), userFolder / "Configuration.plist");
    EXPECT_TRUE(std::filesystem::exists(support / "CACHEDIR.TAG"));
    EXPECT_FALSE(std::filesystem::exists(processWide.path()));
    database.closeDatabase();
}

// Users who signed in before keep their folders: the digests of ASCII names without spaces must never move.
TEST(UserFolder, TheFolderIsTheDigestOfTheUpperCasedName)
{
    const std::filesystem::path support = "/support";
    const auto folder = [&](const std::string& user) { return *user_folder::path(support, user); };
    EXPECT_EQ(folder("jdoe"), support / "17850dfdfc3dd4169c9b514d4ed437d7");
    EXPECT_EQ(folder("JDoe"), folder("jdoe"));
    // The service knows "ab cd" as "ABCD": so does the folder, whichever spelling signed in.
    EXPECT_EQ(folder("ab cd"), folder("abcd"));
    EXPECT_EQ(folder("j\xC3\xBCrgen"), support / "34442966f17203208649bd2badb54e26"); // "JÜRGEN"
    EXPECT_EQ(folder("J\xC3\x9CRGEN"), folder("j\xC3\xBCrgen"));
    // "u" + combining diaeresis is the same user, in the same folder.
    EXPECT_EQ(folder("ju\xCC\x88rgen"), folder("J\xC3\x9CRGEN"));
}

TEST(UserFolder, WithoutASupportFolderNothingOpensAndTheErrorSaysWhy)
{
    const ApplicationSupportDirectory none = [] { return std::optional<std::filesystem::path>(); };
    DatabaseManager database({none});
    UserConfigurationManager configuration({none});
    ScopedLogCapture capture;

    const auto opened = database.openUserDatabase("jdoe");
    ASSERT_FALSE(opened);
    EXPECT_TRUE(opened.error().is(storage_error::domain, storage_error::noApplicationSupportDirectory));
    const auto created = configuration.createConfigurationFile("jdoe");
    ASSERT_FALSE(created);
    EXPECT_EQ(created.error().code, storage_error::noApplicationSupportDirectory);
    EXPECT_FALSE(configuration.loadConfiguration("jdoe"));
    EXPECT_TRUE(capture.contains("Unable to get the ApplicationSupport path"));
}

TEST(UserFolder, AnUnreadableConfigurationCarriesTheReason)
{
    test::TempFolder given;
    UserConfigurationManager configuration({[&] { return std::optional(given.path()); }});
    const auto missing = configuration.loadConfiguration("nobody");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().code, storage_error::cannotReadFile);
    EXPECT_TRUE(configuration.saveConfiguration()); // nothing loaded: nothing to write, nothing wrong
}

} // namespace
} // namespace orvendel
