#include "core/model/utilities.hpp"
#include "core/storage/user_configuration_manager.hpp"
#include "core/support/log.hpp"
#include "storage_test_support.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <thread>

namespace orvendel {
namespace {

using test::readText;

std::string nested(int levels)
{
    std::string text;
    for (int i = 0; i < levels; ++i) {
        text += "<array>";
    }
    for (int i = 0; i < levels; ++i) {
        text += "</array>";
    }
    return text;
}

class UserConfigurationTest : public ::testing::Test {
protected:
    std::filesystem::path fileOf(const std::string& upperName)
    {
        return applicationSupportDirectory.path() / *Utilities::md5Hex(upperName) / "Configuration.plist";
    }

    bool signIn(UserConfigurationManager& manager, const std::string& userName)
    {
        return manager.createConfigurationFile(userName) && manager.loadConfiguration(userName);
    }

    void writeFile(const std::filesystem::path& path, const std::string& text)
    {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }

    test::TestApplicationSupportDirectory applicationSupportDirectory;
    UserConfigurationManager manager{{applicationSupportDirectory.source()}};
};

TEST_F(UserConfigurationTest, NewFileHoldsAnEmptyDictionaryAndDefaults)
{
    EXPECT_EQ(manager.selectedFurnaceId(), 0);
    manager.setSelectedFurnaceId(5); // nothing loaded: no effect, no file
    EXPECT_EQ(manager.selectedFurnaceId(), 0);

    ScopedLogCapture capture;
    ASSERT_TRUE(manager.createConfigurationFile("jdoe"));
    EXPECT_TRUE(capture.contains("Created Configuration File: " + fileOf("JDOE").string()));
    const std::string text = readText(fileOf("JDOE"));
    EXPECT_NE(text.find("<plist version=\"1.0\">"), std::string::npos);
    EXPECT_NE(text.find("<dict/>"), std::string::npos) << text;

    ASSERT_TRUE(manager.loadConfiguration("jdoe"));
    EXPECT_EQ(manager.loadedConfigurationFileURL(), fileOf("JDOE"));
    EXPECT_EQ(manager.selectedFurnaceId(), 0);
    EXPECT_FALSE(manager.isAutoSaveEnabled());

    // An existing file is left as it is.
    manager.setSelectedFurnaceId(9);
    capture.clear();
    ASSERT_TRUE(manager.createConfigurationFile("JDoe"));
    EXPECT_FALSE(capture.contains("Created Configuration File"));
    EXPECT_NE(readText(fileOf("JDOE")).find("<integer>9</integer>"), std::string::npos);
}

TEST_F(UserConfigurationTest, ValuesSurviveSignOutAndAreSharedAcrossLetterCase)
{
    ASSERT_TRUE(signIn(manager, "jdoe"));
    manager.setIsAutoSaveEnabled(true);
    manager.setSelectedFurnaceId(-3);
    manager.setStartingFurnaceId(12);
    manager.setShiftSchedule("07:00,19:00");
    manager.unloadConfiguration();
    EXPECT_FALSE(manager.isAutoSaveEnabled());
    EXPECT_EQ(manager.loadedConfigurationFileURL(), std::nullopt);

    UserConfigurationManager later{{applicationSupportDirectory.source()}};
    ASSERT_TRUE(signIn(later, "JDOE"));
    EXPECT_TRUE(later.isAutoSaveEnabled());
    EXPECT_EQ(later.selectedFurnaceId(), -3);
    EXPECT_EQ(later.shiftSchedule(), "07:00,19:00");
    EXPECT_NE(readText(fileOf("JDOE")).find("<key>StartingFurnaceId</key>"), std::string::npos);

    // Another user starts from defaults and does not disturb the first user's file.
    ASSERT_TRUE(signIn(later, "asmith"));
    EXPECT_FALSE(later.isAutoSaveEnabled());
    later.setSelectedFurnaceId(4);
    ASSERT_TRUE(later.loadConfiguration("jdoe"));
    EXPECT_EQ(later.selectedFurnaceId(), -3);
}

TEST_F(UserConfigurationTest, ValuesOfAnotherTypeReadAsDefaultsAndOtherKeysAreKept)
{
    writeFile(fileOf("JDOE"), R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>SelectedFurnaceId</key><string>7</string>
<key>IsAutoSaveEnabled</key><integer>1</integer>
<key>Other</key><array><string>kept</string></array>
</dict></plist>)");
    ASSERT_TRUE(manager.loadConfiguration("jdoe"));
    EXPECT_EQ(manager.selectedFurnaceId(), 0);
    EXPECT_FALSE(manager.isAutoSaveEnabled());

    manager.setSelectedFurnaceId(8);
    UserConfigurationManager reread{{applicationSupportDirectory.source()}};
    ASSERT_TRUE(reread.loadConfiguration("jdoe"));
    EXPECT_EQ(reread.selectedFurnaceId(), 8);
    EXPECT_NE(readText(fileOf("JDOE")).find("<string>kept</string>"), std::string::npos);

    writeFile(fileOf("JDOE"), R"(<plist version="1.0"><dict><key>SelectedFurnaceId</key>
<integer>99999999999</integer></dict></plist>)");
    ASSERT_TRUE(reread.loadConfiguration("jdoe"));
    EXPECT_EQ(reread.selectedFurnaceId(), 0);
}

TEST_F(UserConfigurationTest, AMissingFileFailsToLoadAndUnloadsThePreviousUser)
{
    ASSERT_TRUE(signIn(manager, "jdoe"));
    manager.setSelectedFurnaceId(5);
    const std::string jdoeFile = readText(fileOf("JDOE"));

    ScopedLogCapture capture;
    EXPECT_FALSE(manager.loadConfiguration("nobody"));
    EXPECT_TRUE(capture.contains("Error loading Configuration File: "));
    EXPECT_EQ(manager.selectedFurnaceId(), 0);
    manager.setSelectedFurnaceId(6);
    EXPECT_EQ(readText(fileOf("JDOE")), jdoeFile) << "a write after a failed load reached the previous user's file";
}

TEST_F(UserConfigurationTest, ADamagedFileIsSetAsideAndTheDefaultsKeepNobodyOut)
{
    const std::vector<std::string> unusable{
        "", "not a plist at all", R"(<?xml version="1.0"?><plist version="1.0"><dict><key>A</key><integer>1)",
        R"(<plist version="1.0"><array><integer>1</integer></array></plist>)",
        R"(<plist version="1.0"><integer>3</integer></plist>)", std::string("\0\1\2bplist", 9),
        // saving it back would have written gigabytes of indentation
        "<plist version=\"1.0\"><dict><key>A</key>" + nested(50'000) + "</dict></plist>"};
    for (const auto& content : unusable) {
        SCOPED_TRACE(content.substr(0, 60));
        std::filesystem::remove_all(fileOf("TORN").parent_path());
        std::filesystem::create_directories(fileOf("TORN").parent_path());
        writeFile(fileOf("TORN"), content);
        ScopedLogCapture capture;
        ASSERT_TRUE(manager.loadConfiguration("torn"));
        EXPECT_TRUE(capture.contains("it was set aside as"));
        EXPECT_EQ(manager.selectedFurnaceId(), 0);
        EXPECT_FALSE(std::filesystem::exists(fileOf("TORN")));
        std::size_t aside = 0;
        for (const auto& entry : std::filesystem::directory_iterator(fileOf("TORN").parent_path())) {
            aside += entry.path().filename().string().starts_with("Configuration.plist.unreadable-") ? 1 : 0;
        }
        EXPECT_EQ(aside, 1u);

        manager.setSelectedFurnaceId(7);
        UserConfigurationManager reread{{applicationSupportDirectory.source()}};
        ASSERT_TRUE(reread.loadConfiguration("torn"));
        EXPECT_EQ(reread.selectedFurnaceId(), 7) << "the next save wrote a fresh file";
    }
    writeFile(fileOf("TORN"), "<plist version=\"1.0\"><dict><key>A</key>" + nested(60) + "</dict></plist>");
    EXPECT_TRUE(manager.loadConfiguration("torn"));
}

TEST_F(UserConfigurationTest, SaveReplacesTheFileInsteadOfRewritingIt)
{
    ASSERT_TRUE(signIn(manager, "jdoe"));
    manager.setSelectedFurnaceId(1);
    // A hard link keeps the old file's content visible: an in-place write would change it too.
    const auto link = applicationSupportDirectory.path() / "old-configuration";
    std::filesystem::create_hard_link(fileOf("JDOE"), link);
    manager.setSelectedFurnaceId(2);
    EXPECT_NE(readText(link).find("<integer>1</integer>"), std::string::npos);
    EXPECT_NE(readText(fileOf("JDOE")).find("<integer>2</integer>"), std::string::npos);

    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(fileOf("JDOE").parent_path())) {
        names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"Configuration.plist"}) << "no temporary file is left behind";
}

TEST_F(UserConfigurationTest, CrashBetweenTemporaryWriteAndReplaceKeepsThePreviousFile)
{
    ASSERT_TRUE(signIn(manager, "jdoe"));
    manager.setSelectedFurnaceId(1);
    manager.setIsAutoSaveEnabled(true);

    std::filesystem::path leftover;
    manager.setBeforeReplaceForTesting([&](const std::filesystem::path& temporary) {
        leftover = temporary;
        return false; // the process "dies" here
    });
    ScopedLogCapture capture;
    manager.setSelectedFurnaceId(2);
    EXPECT_TRUE(capture.contains("Error saving file: Stopped before replacing"));
    ASSERT_FALSE(leftover.empty());
    EXPECT_NE(readText(leftover).find("<integer>2</integer>"), std::string::npos);

    UserConfigurationManager afterRestart{{applicationSupportDirectory.source()}};
    ASSERT_TRUE(afterRestart.loadConfiguration("jdoe"));
    EXPECT_EQ(afterRestart.selectedFurnaceId(), 1);
    EXPECT_TRUE(afterRestart.isAutoSaveEnabled());

    // The next save goes through despite the leftover temporary file.
    afterRestart.setSelectedFurnaceId(3);
    UserConfigurationManager third{{applicationSupportDirectory.source()}};
    ASSERT_TRUE(third.loadConfiguration("jdoe"));
    EXPECT_EQ(third.selectedFurnaceId(), 3);
}

TEST_F(UserConfigurationTest, ReadersRunBesideAWriter)
{
    ASSERT_TRUE(signIn(manager, "jdoe"));
    std::thread writer([&] {
        for (int i = 1; i <= 20; ++i) {
            manager.setSelectedFurnaceId(i);
        }
    });
    int last = 0;
    for (int i = 0; i < 200; ++i) {
        const int seen = manager.selectedFurnaceId();
        EXPECT_GE(seen, last);
        last = seen;
        EXPECT_FALSE(manager.isAutoSaveEnabled());
    }
    writer.join();
    EXPECT_EQ(manager.selectedFurnaceId(), 20);
}

} // namespace
} // namespace orvendel
