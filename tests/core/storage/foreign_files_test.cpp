#include "core/model/utilities.hpp"
#include "core/platform/secret_store.hpp"
#include "core/storage/database_manager.hpp"
#include "core/storage/user_configuration_manager.hpp"
#include "core/support/log.hpp"
#include "storage_test_support.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

namespace orvendel {
namespace {

namespace fs = std::filesystem;
using test::readText;

std::string plistSelecting(int furnaceId)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict><key>SelectedFurnaceId</key>"
           "<integer>" +
           std::to_string(furnaceId) + "</integer></dict></plist>\n";
}

// Lines of the capture that name the path.
int linesNaming(const ScopedLogCapture& capture, const fs::path& path)
{
    int count = 0;
    for (const auto& line : capture.lines()) {
        count += line.find(path.string()) != std::string::npos ? 1 : 0;
    }
    return count;
}

// A data folder where something else stands in place of the application's own files: links pointing out
// of it at files that are not the application's to read, change or delete.
class ForeignFilesTest : public ::testing::Test {
protected:
    fs::path userFolder() const { return data / *Utilities::md5Hex("JDOE"); }

    // A file outside the data folder; `expectUntouched` checks it came through as it was made.
    fs::path makeOutsideFile(const std::string& name, const std::string& content, mode_t mode = 0640)
    {
        fs::create_directories(outside);
        const auto path = outside / name;
        std::ofstream(path) << content;
        ::chmod(path.c_str(), mode);
        m_outsideFiles.push_back({path, content, mode});
        return path;
    }

    void expectOutsideFilesUntouched() const
    {
        for (const auto& file : m_outsideFiles) {
            ASSERT_TRUE(fs::is_regular_file(file.path)) << file.path << " was deleted";
            EXPECT_EQ(readText(file.path), file.content) << file.path;
            EXPECT_EQ(test::modeOf(file.path), file.mode) << file.path;
        }
    }

    // The calls the sign-in makes to prepare a user's storage, stopping at the first failure.
    Result<void> prepareStorage()
    {
        if (auto opened = database.openUserDatabase("JDOE"); !opened) {
            return opened;
        }
        if (auto created = configuration.createConfigurationFile("JDOE"); !created) {
            return created;
        }
        return configuration.loadConfiguration("JDOE");
    }

    test::TempFolder temp;
    fs::path data = temp.path() / "data";
    fs::path outside = temp.path() / "outside";
    ApplicationSupportDirectory source = [folder = data] { return std::optional(folder); };
    DatabaseManager database{{source}};
    UserConfigurationManager configuration{{source}};

private:
    struct OutsideFile {
        fs::path path;
        std::string content;
        mode_t mode;
    };
    std::vector<OutsideFile> m_outsideFiles;
};

TEST_F(ForeignFilesTest, ALinkInPlaceOfTheUserFolderFailsThePreparationAndLeavesItsTargetAlone)
{
    makeOutsideFile("dbData.sqlite", "someone else's database");
    makeOutsideFile("Configuration.plist", plistSelecting(3));
    fs::create_directories(data);
    fs::create_directory_symlink(outside, userFolder());
    ::chmod(outside.c_str(), 0750);

    ScopedLogCapture capture;
    const auto prepared = prepareStorage();
    ASSERT_FALSE(prepared);
    EXPECT_TRUE(prepared.error().is(storage_error::domain, storage_error::symbolicLink));
    EXPECT_EQ(linesNaming(capture, userFolder()), 1) << "one console line names the refused link";
    EXPECT_FALSE(configuration.createConfigurationFile("JDOE"));
    // Asking whether the user is signed in elsewhere makes no lock file at the link's target either.
    const auto free = database.checkUserFolderFree("JDOE");
    ASSERT_FALSE(free);
    EXPECT_TRUE(free.error().is(storage_error::domain, storage_error::symbolicLink));

    expectOutsideFilesUntouched();
    EXPECT_EQ(test::modeOf(outside), 0750u);
    EXPECT_EQ(std::distance(fs::directory_iterator(outside), fs::directory_iterator()), 2) << "nothing was added";
    EXPECT_TRUE(fs::is_symlink(userFolder()));
}

TEST_F(ForeignFilesTest, ALinkInPlaceOfTheDatabaseIsNeitherEmptiedNorOpened)
{
    const auto target = makeOutsideFile("other.sqlite", "someone else's database");
    fs::create_directories(userFolder());
    const auto link = userFolder() / "dbData.sqlite";
    fs::create_symlink(target, link);

    ScopedLogCapture capture;
    const auto prepared = prepareStorage();
    ASSERT_FALSE(prepared);
    EXPECT_TRUE(prepared.error().is(storage_error::domain, storage_error::symbolicLink));
    EXPECT_EQ(linesNaming(capture, link), 1);
    EXPECT_EQ(database.databasePath(), std::nullopt);
    expectOutsideFilesUntouched();
    EXPECT_TRUE(fs::is_symlink(link));

    // Once the link is gone the user's own database opens as usual.
    fs::remove(link);
    ASSERT_TRUE(prepareStorage());
    EXPECT_TRUE(fs::is_regular_file(link));
    EXPECT_TRUE(test::await<Result<void>>([&](auto done) { database.storeFurnaces({}, done); }));
    database.closeDatabase();
}

TEST_F(ForeignFilesTest, ADataFolderKeptElsewhereBehindALinkIsTheUsersChoiceAndWorks)
{
    const auto elsewhere = temp.path() / "elsewhere";
    fs::create_directories(elsewhere);
    fs::create_directory_symlink(elsewhere, data);
    ASSERT_TRUE(prepareStorage());
    EXPECT_TRUE(fs::is_regular_file(elsewhere / userFolder().filename() / "dbData.sqlite"));
    EXPECT_TRUE(test::await<Result<void>>([&](auto done) { database.storeFurnaces({}, done); }));
    database.closeDatabase();
}

TEST_F(ForeignFilesTest, ALinkInPlaceOfTheConfigurationGivesDefaultsAndIsNeverWritten)
{
    const auto target = makeOutsideFile("settings.plist", plistSelecting(3), 0644);
    fs::create_directories(userFolder());
    const auto link = userFolder() / "Configuration.plist";
    fs::create_symlink(target, link);

    ScopedLogCapture capture;
    ASSERT_TRUE(prepareStorage()) << "the user is not kept out";
    EXPECT_EQ(linesNaming(capture, link), 1);
    EXPECT_EQ(configuration.selectedFurnaceId(), 0) << "the link's target was read";
    configuration.setSelectedFurnaceId(7);
    configuration.setIsAutoSaveEnabled(true);
    EXPECT_EQ(configuration.selectedFurnaceId(), 7) << "settings still work for this session";
    EXPECT_TRUE(configuration.saveConfiguration());

    expectOutsideFilesUntouched();
    EXPECT_TRUE(fs::is_symlink(link));
    database.closeDatabase();
}

TEST_F(ForeignFilesTest, AnOversizeConfigurationIsSetAsideAndTheNextSaveWritesAFreshOne)
{
    fs::create_directories(userFolder());
    const auto file = userFolder() / "Configuration.plist";
    // A readable dictionary, but padded past the cap: reading it would have selected furnace 3.
    std::ofstream(file) << plistSelecting(3) << std::string(UserConfigurationManager::maximumFileSize, ' ');

    ScopedLogCapture capture;
    const auto size = fs::file_size(file);
    ASSERT_TRUE(prepareStorage()) << "the user is not kept out";
    EXPECT_TRUE(capture.contains("it was set aside as"));
    EXPECT_EQ(linesNaming(capture, file), 1);
    std::vector<fs::path> aside;
    for (const auto& entry : fs::directory_iterator(userFolder())) {
        if (entry.path().filename().string().starts_with("Configuration.plist.unreadable-")) {
            aside.push_back(entry.path());
        }
    }
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(fs::file_size(aside[0]), size) << "kept whole";
    EXPECT_EQ(configuration.selectedFurnaceId(), 0);
    EXPECT_FALSE(configuration.isAutoSaveEnabled());

    configuration.setSelectedFurnaceId(4);
    EXPECT_LT(fs::file_size(file), 1024u);
    UserConfigurationManager reread{{source}};
    ASSERT_TRUE(reread.loadConfiguration("JDOE"));
    EXPECT_EQ(reread.selectedFurnaceId(), 4);
    database.closeDatabase();
}

TEST_F(ForeignFilesTest, ALinkInPlaceOfTheSecretFileOrItsFolderMakesTheStoreUnavailable)
{
    const SecretKey key{"com.KESTA.orvendel", std::nullopt, "JDOE"};
    const auto target = makeOutsideFile("secrets", "orvendel-credentials 1\n", 0644);
    const auto folder = data / "Credentials";
    fs::create_directories(folder);
    const auto link = folder / "credentials";
    fs::create_symlink(target, link);

    auto store = makeFileSecretStore(folder);
    ScopedLogCapture capture;
    const auto found = store->find(key);
    ASSERT_FALSE(found);
    EXPECT_EQ(found.error().code, secret_error::failure) << "unavailable, not merely empty";
    EXPECT_FALSE(store->add(key, "password"));
    EXPECT_FALSE(store->update(key, "password"));
    EXPECT_GE(linesNaming(capture, link), 1);
    for (const auto& line : capture.lines()) {
        EXPECT_EQ(line.find("password"), std::string::npos) << line;
    }
    expectOutsideFilesUntouched(); // not narrowed to 0600, not replaced
    EXPECT_TRUE(fs::is_symlink(link));

    // The folder itself: a link is not narrowed to 0700 nor written into.
    const auto linkedFolder = data / "LinkedCredentials";
    fs::create_directory_symlink(outside, linkedFolder);
    ::chmod(outside.c_str(), 0755);
    EXPECT_FALSE(makeFileSecretStore(linkedFolder)->add(key, "password"));
    EXPECT_EQ(test::modeOf(outside), 0755u);
    EXPECT_FALSE(fs::exists(outside / "credentials"));
    expectOutsideFilesUntouched();
}

TEST_F(ForeignFilesTest, AnOversizeSecretFileHoldsNothingAndIsRewrittenSmall)
{
    const SecretKey key{"com.KESTA.orvendel", std::nullopt, "JDOE"};
    const auto folder = data / "Credentials";
    fs::create_directories(folder);
    std::ofstream(folder / "credentials") << "orvendel-credentials 1\n" << std::string(2 * 1024 * 1024, 'x');

    auto store = makeFileSecretStore(folder);
    const auto missing = store->find(key);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().code, secret_error::itemNotFound);
    ASSERT_TRUE(store->add(key, "password"));
    EXPECT_LT(fs::file_size(folder / "credentials"), 1024u);
    EXPECT_EQ(test::modeOf(folder / "credentials"), 0600u);
    const auto found = store->find(key);
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, "password");
}

} // namespace
} // namespace orvendel
