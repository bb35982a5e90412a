#include "core/model/utilities.hpp"
#include "core/storage/database_manager.hpp"
#include "core/storage/user_configuration_manager.hpp"
#include "core/storage/user_folder.hpp"
#include "core/support/log.hpp"
#include "storage_test_support.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

namespace orvendel {
namespace {

// The managers keep a user's files under the folder they are given, not the process-wide data folder.
TEST(UserFolder, ManagersUseTheInjectedSupportFolder)
{
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

// The support folder is made on first use, owner-only and tagged for backups to skip; an existing one is taken
// as it stands, and one that cannot be made is said on the console.
TEST(UserFolder, TheSupportFolderIsMadeOnceWithACacheDirectoryTag)
{
    test::TempFolder root;
    const auto folder = root.path() / "nested" / "orvendel";
    const ApplicationSupportDirectory source = [folder] { return std::optional(folder); };
    ASSERT_EQ(user_folder::ensureApplicationSupportDirectory(source).valueOr(std::filesystem::path()), folder);
    EXPECT_EQ(std::filesystem::status(folder).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all);
    std::ifstream tag(folder / "CACHEDIR.TAG");
    std::string signature;
    std::getline(tag, signature);
    EXPECT_EQ(signature, "Signature: 8a477f597d28d172789f06886806bc55");

    std::filesystem::remove(folder / "CACHEDIR.TAG");
    EXPECT_TRUE(user_folder::ensureApplicationSupportDirectory(source));
    EXPECT_FALSE(std::filesystem::exists(folder / "CACHEDIR.TAG"));

    std::ofstream(root.path() / "file") << "x";
    ScopedLogCapture capture;
    const auto blocked = user_folder::ensureApplicationSupportDirectory(
        [below = root.path() / "file" / "below"] { return std::optional(below); });
    ASSERT_FALSE(blocked);
    EXPECT_EQ(blocked.error().code, storage_error::cannotCreateDirectory);
    EXPECT_TRUE(capture.contains("Unable to create ApplicationSupport directory. "));
}

// Root signing in on another account's data would leave files that account can neither open nor lock: a data
// folder or a user folder of another account is refused and nothing is made in it.
TEST(UserFolder, AnotherAccountsFolderIsRefusedAndLeftAsItIs)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can give a folder to another account";
    }
    constexpr uid_t nobody = 65534;
    test::TempFolder given;
    const auto support = given.path() / "support";
    const ApplicationSupportDirectory source = [support] { return std::optional(support); };
    std::filesystem::create_directory(support);
    ASSERT_EQ(::chown(support.c_str(), nobody, nobody), 0);
    DatabaseManager database({source});
    ScopedLogCapture capture;

    auto opened = database.openUserDatabase("jdoe");
    ASSERT_FALSE(opened);
    EXPECT_TRUE(opened.error().is(storage_error::domain, storage_error::otherOwner)) << opened.error().description;
    EXPECT_TRUE(std::filesystem::is_empty(support));

    ASSERT_EQ(::chown(support.c_str(), ::geteuid(), ::getegid()), 0);
    const auto userFolder = support / *Utilities::md5Hex("JDOE");
    std::filesystem::create_directory(userFolder);
    ASSERT_EQ(::chown(userFolder.c_str(), nobody, nobody), 0);
    const auto free = database.checkUserFolderFree("jdoe");
    ASSERT_FALSE(free);
    EXPECT_TRUE(free.error().is(storage_error::domain, storage_error::otherOwner)) << free.error().description;
    opened = database.openUserDatabase("jdoe");
    ASSERT_FALSE(opened);
    EXPECT_TRUE(opened.error().is(storage_error::domain, storage_error::otherOwner)) << opened.error().description;
    EXPECT_TRUE(std::filesystem::is_empty(userFolder));
}

} // namespace
} // namespace orvendel
