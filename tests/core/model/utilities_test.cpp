#include "core/model/utilities.hpp"

#include <gtest/gtest.h>

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
    // Across the block and padding boundaries: 55 bytes fit one block, 56 and 64 need a second, 80 spans two.
    EXPECT_EQ(Utilities::md5Hex(std::string(55, 'a')), "ef1772b6dff9a122358552954ad0df65");
    EXPECT_EQ(Utilities::md5Hex(std::string(56, 'a')), "3b0c8ac703f828b04c6c197006d17218");
    EXPECT_EQ(Utilities::md5Hex(std::string(64, 'a')), "014842d480b571495a4a0363793f7367");
    EXPECT_EQ(Utilities::md5Hex("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
    // Bytes above 0x7f (an upper-cased "ü") are taken unsigned.
    EXPECT_EQ(Utilities::md5Hex("\xc3\x9c"), "68b88d4a74d6893e96c6edc1144ceb7a");
}

} // namespace
} // namespace orvendel
