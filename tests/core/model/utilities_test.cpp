#include "core/model/utilities.hpp"
#include "core/platform/app_paths.hpp"
#include "core/support/log.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace orvendel {
namespace {

using namespace std::chrono;

const Instant march7 = Instant{sys_days{2019y / March / 7} + 20h + 5min + 9s};

TEST(UtilitiesTest, DatePatternsUseEnglishMonthsAndTheGivenZone)
{
    const Calendar central = Calendar::gregorian(TimeZone{-6 * 3600});
    EXPECT_EQ(Utilities::zonedDateText(march7, central), "2019-03-07T14:05:09-06:00");
    EXPECT_EQ(Utilities::zonedDateText(march7, Calendar::gregorian()), "2019-03-07T20:05:09Z");
    EXPECT_EQ(Utilities::formatDateInZone(march7, central.timeZone, central, "HH:mm:ss"), "14:05:09");
    EXPECT_EQ(Utilities::formatDateInZone(march7, central.timeZone, central, "MMM dd, HH:mm:ss"), "Mar 07, 14:05:09");
    EXPECT_EQ(Utilities::formatDate(march7, "MMM dd, HH:mm:ss"), "Mar 07, 20:05:09");
    EXPECT_FALSE(Utilities::formatDate(std::nullopt, "HH:mm:ss"));
    EXPECT_FALSE(Utilities::formatDate(march7, std::nullopt));
    // Crossing midnight in the zone moves the date too.
    const Calendar india = Calendar::gregorian(TimeZone{330 * 60});
    EXPECT_EQ(Utilities::zonedDateText(march7, india), "2019-03-08T01:35:09+05:30");
}

TEST(UtilitiesTest, SecondsBetweenDropsFractionsAndKeepsTheSign)
{
    const auto later = march7 + milliseconds{90700};
    EXPECT_EQ(Utilities::secondsBetween(march7, later), 90.0);
    EXPECT_EQ(Utilities::secondsBetween(later, march7), -90.0);
    EXPECT_EQ(Utilities::secondsBetween(march7, march7), 0.0);
}

TEST(UtilitiesTest, ServiceLocaleFollowsTheEnvironmentOrder)
{
    EXPECT_EQ(Utilities::serviceLocaleFrom(nullptr, nullptr, "de_CH.UTF-8"), "de-CH");
    EXPECT_EQ(Utilities::serviceLocaleFrom("fr_FR.UTF-8", "it_IT", "de_CH.UTF-8"), "fr-FR");
    EXPECT_EQ(Utilities::serviceLocaleFrom("", "it_IT@euro", "de_CH"), "it-IT");
    EXPECT_EQ(Utilities::serviceLocaleFrom(nullptr, nullptr, nullptr), "en-US");
    EXPECT_EQ(Utilities::serviceLocaleFrom("C", nullptr, "de_CH"), "en-US");
    EXPECT_EQ(Utilities::serviceLocaleFrom(nullptr, nullptr, "POSIX"), "en-US");
    EXPECT_EQ(Utilities::serviceLocaleFrom(nullptr, nullptr, "C.UTF-8"), "en-US");
}

TEST(UtilitiesTest, Md5HexOfKnownTexts)
{
    EXPECT_EQ(Utilities::md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Utilities::md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
}

TEST(UtilitiesTest, RgbTextsParseOnlyWhenWholeAndInRange)
{
    const auto parsed = Utilities::rgbComponents("RGB(0,128,255)");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->at("Red"), 0);
    EXPECT_EQ(parsed->at("Green"), 128);
    EXPECT_EQ(parsed->at("Blue"), 255);
    EXPECT_TRUE(Utilities::rgbComponents("rgb(1 ; 2 ; 3)"));
    EXPECT_TRUE(Utilities::rgbComponents("rgb(255, 255, 255)"));
    for (const char* bad : {"rgb(256, 0, 0)", "rgb(10, 20)", "rgb(1, 2, 3) ", "rgba(1, 2, 3)", "", "rgb(-1, 2, 3)"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(Utilities::rgbComponents(bad));
    }
    const auto color = Utilities::colorFromComponents(Utilities::rgbComponents("rgb(255, 0, 51)"));
    ASSERT_TRUE(color);
    EXPECT_DOUBLE_EQ(color->red, 1.0);
    EXPECT_DOUBLE_EQ(color->blue, 0.2);
    EXPECT_FALSE(Utilities::colorFromComponents(RgbComponents{{"Red", 1}, {"Green", 2}}));
    EXPECT_FALSE(Utilities::colorFromComponents(std::nullopt));
}

TEST(UtilitiesTest, RgbSeparatorsAreAnyRunOfNonWordCharactersHoweverLong)
{
    const auto padded = Utilities::rgbComponents("rgb(007,)(099 ; 199)");
    ASSERT_TRUE(padded);
    EXPECT_EQ(*padded, (RgbComponents{{"Red", 7}, {"Green", 99}, {"Blue", 199}}));
    for (const char* bad : {"rgb(0255, 1, 1)", "rgb(1_2, 3)", "rgb(1, 2, 3))", "rgb((1, 2, 3)", "rgb(1, 2, 3,)"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(Utilities::rgbComponents(bad));
    }
    // A megabyte of blanks once overflowed the stack of the regular-expression matcher.
    const std::string longText = "rgb(1" + std::string(1'000'000, ' ') + "2, 3)";
    EXPECT_TRUE(Utilities::rgbComponents(longText));
}

class ApplicationSupportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_root = std::filesystem::temp_directory_path() /
                 ("orvendel-paths-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_root);
    }
    void TearDown() override
    {
        AppPaths::setDataDirectoryOverride(std::nullopt);
        std::filesystem::remove_all(m_root);
    }
    std::filesystem::path m_root;
};

TEST_F(ApplicationSupportTest, CreatedOnceWithACacheDirectoryTag)
{
    const auto folder = m_root / "nested" / "orvendel";
    AppPaths::setDataDirectoryOverride(folder);
    EXPECT_TRUE(Utilities::ensureApplicationSupportDirectory());
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    std::ifstream tag(folder / "CACHEDIR.TAG");
    std::string signature;
    std::getline(tag, signature);
    EXPECT_EQ(signature, "Signature: 8a477f597d28d172789f06886806bc55");

    // An existing folder is accepted as it is.
    std::filesystem::remove(folder / "CACHEDIR.TAG");
    EXPECT_TRUE(Utilities::ensureApplicationSupportDirectory());
    EXPECT_FALSE(std::filesystem::exists(folder / "CACHEDIR.TAG"));
}

TEST_F(ApplicationSupportTest, FailuresAreReportedOnTheConsole)
{
    std::filesystem::create_directories(m_root);
    std::ofstream(m_root / "file") << "x";
    AppPaths::setDataDirectoryOverride(m_root / "file" / "below");
    ScopedLogCapture capture;
    EXPECT_FALSE(Utilities::ensureApplicationSupportDirectory());
    EXPECT_TRUE(capture.contains("Unable to create ApplicationSupport directory. "));

    EXPECT_TRUE(Utilities::createDirectoryIfNeeded(m_root / "a" / "b"));
    EXPECT_TRUE(Utilities::createDirectoryIfNeeded(m_root / "file"));
    EXPECT_FALSE(Utilities::createDirectoryIfNeeded(m_root / "file" / "c"));
    EXPECT_TRUE(capture.contains("Error: "));
}

TEST(AppPathsTest, EnvironmentOrder)
{
    AppPaths::setDataDirectoryOverride(std::nullopt);
    const char* saved = std::getenv("ORVENDEL_DATA_DIR");
    const std::string keep = saved ? saved : "";
    setenv("ORVENDEL_DATA_DIR", "/tmp/orvendel-env-test", 1);
    EXPECT_EQ(AppPaths::dataDirectory(), std::filesystem::path("/tmp/orvendel-env-test"));
    unsetenv("ORVENDEL_DATA_DIR");
    const auto fallback = AppPaths::dataDirectory();
    ASSERT_TRUE(fallback);
    EXPECT_EQ(fallback->filename(), "orvendel");
    if (saved) {
        setenv("ORVENDEL_DATA_DIR", keep.c_str(), 1);
    }
}

} // namespace
} // namespace orvendel
