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
}

} // namespace
} // namespace orvendel
