#include "core/screens/split_time.hpp"
#include "core/screens/split_time_picker.hpp"

#include "screens_fixtures.hpp"

#include <gtest/gtest.h>

namespace orvendel::screens {
namespace {

using testing::at;

ZonedDateTime zoned(double seconds, int offsetHours = 0)
{
    return ZonedDateTime{at(seconds), TimeZone{offsetHours * 3600}};
}

TEST(ElapsedText, HoursMinutesSecondsAndDaysWhenThereAreAny)
{
    using SplitTime::elapsedText;
    EXPECT_EQ(elapsedText(zoned(0), zoned(330)), "0:05:30");
    EXPECT_EQ(elapsedText(zoned(0), zoned(86400 + 2 * 3600 + 3 * 60 + 4)), "1:02:03:04");
    EXPECT_EQ(elapsedText(zoned(0), zoned(0)), "0:00:00");
    EXPECT_EQ(elapsedText(zoned(0), zoned(23 * 3600 + 59 * 60 + 59.9)), "23:59:59"); // fractions dropped
    EXPECT_EQ(elapsedText(zoned(0, -6), zoned(12 * 86400, 2)), "12:00:00:00");
    EXPECT_EQ(elapsedText(std::nullopt, zoned(10)), " - ");
    EXPECT_EQ(elapsedText(zoned(10), zoned(0)), " - ");
}

TEST(SplitSlider, StartsAtTheEndAndSnapsToWholeSeconds)
{
    const auto texts = SplitTime::sliderTexts(zoned(0, 2), zoned(330, 1));
    EXPECT_TRUE(texts.enabled);
    EXPECT_DOUBLE_EQ(texts.maximum, 330);
    EXPECT_DOUBLE_EQ(texts.value, 330);
    EXPECT_EQ(texts.relativeStart, "0:00:00");
    EXPECT_EQ(texts.relativeSelected, "0:05:30");
    EXPECT_EQ(texts.relativeEnd, "0:05:30");
    EXPECT_EQ(texts.absoluteStart, "10:00:00");    // the start's zone, +02:00
    EXPECT_EQ(texts.absoluteSelected, "10:05:30"); // also the start's zone
    EXPECT_EQ(texts.absoluteEnd, "09:05:30");      // the end's own zone

    const auto none = SplitTime::sliderTexts(std::nullopt, zoned(330));
    EXPECT_FALSE(none.enabled);
    EXPECT_EQ(none.relativeEnd, " - ");
    EXPECT_DOUBLE_EQ(none.maximum, 0);

    EXPECT_DOUBLE_EQ(SplitTime::snapToWholeSecond(100.4), 100);
    EXPECT_DOUBLE_EQ(SplitTime::snapToWholeSecond(100.5), 101);
    const auto moved = SplitTime::selectionTexts(zoned(0, 2), 101);
    EXPECT_EQ(moved.relativeSelected, "0:01:41");
    EXPECT_EQ(moved.absoluteSelected, "10:01:41");

    EXPECT_EQ(SplitTime::assignedOffsetText(330), "00:05:30");
    EXPECT_EQ(SplitTime::assignedOffsetText(27 * 3600), "1:03:00:00");
}

TEST(SplitPicker, WheelLimits)
{
    const auto twoDays = SplitTimePicker::pickerLimits(zoned(0), zoned(2 * 86400 + 3 * 3600));
    EXPECT_TRUE(twoDays.hasDayWheel);
    EXPECT_EQ(twoDays.wheelCount(), 4);
    EXPECT_EQ(twoDays.maxDays, 3);
    EXPECT_EQ(twoDays.maxHours, 24);
    EXPECT_EQ(twoDays.maxMinutes, 60);

    const auto fiveMinutes = SplitTimePicker::pickerLimits(zoned(0), zoned(300));
    EXPECT_FALSE(fiveMinutes.hasDayWheel);
    EXPECT_EQ(fiveMinutes.wheelCount(), 3);
    EXPECT_EQ(fiveMinutes.maxDays, 0);
    EXPECT_EQ(fiveMinutes.maxHours, 1);
    EXPECT_EQ(fiveMinutes.maxMinutes, 6);

    EXPECT_EQ(SplitTimePicker::dayRowTitle(0), "0 days");
    EXPECT_EQ(SplitTimePicker::dayRowTitle(1), "1 day");
    EXPECT_EQ(SplitTimePicker::dayRowTitle(2), "2 days");
    EXPECT_EQ(SplitTimePicker::unitRowTitle(5), "05");
}

TEST(SplitPicker, OnlyInstantsStrictlyInsideTheSpanCanBeAssigned)
{
    const auto start = zoned(0, -6);
    const auto end = zoned(320, -6); // 5 minutes 20 seconds
    const auto limits = SplitTimePicker::pickerLimits(start, end);

    const auto past = SplitTimePicker::candidate(start, end, limits, {0, 0, 5, 30});
    EXPECT_FALSE(past.canAssign);
    EXPECT_EQ(past.splitTimeText, "-");
    EXPECT_EQ(past.currentValue, 0.0f);

    EXPECT_FALSE(SplitTimePicker::candidate(start, end, limits, {0, 0, 0, 0}).canAssign);
    EXPECT_FALSE(SplitTimePicker::candidate(start, end, limits, {0, 0, 5, 20}).canAssign);

    const auto inside = SplitTimePicker::candidate(start, end, limits, {0, 0, 5, 10});
    EXPECT_TRUE(inside.canAssign);
    EXPECT_EQ(inside.currentValue, 310.0f);
    EXPECT_EQ(inside.splitTimeText, "Mar 07, 02:05:10");

    // Without a day wheel a day row is ignored; with one it counts.
    EXPECT_TRUE(SplitTimePicker::candidate(start, end, limits, {3, 0, 1, 0}).canAssign);
    const auto longStart = zoned(0);
    const auto longEnd = zoned(2 * 86400 + 3 * 3600);
    const auto longLimits = SplitTimePicker::pickerLimits(longStart, longEnd);
    EXPECT_EQ(SplitTimePicker::candidate(longStart, longEnd, longLimits, {1, 23, 0, 0}).currentValue, 169200.0f);
    // The wheels allow 2 days 23 hours, beyond the end: only the combined check refuses it.
    EXPECT_FALSE(SplitTimePicker::candidate(longStart, longEnd, longLimits, {2, 23, 0, 0}).canAssign);
}

TEST(SplitPicker, OpensOnTheCurrentOffset)
{
    const auto limits = SplitTimePicker::pickerLimits(zoned(0), zoned(2 * 86400 + 3 * 3600));
    EXPECT_EQ(SplitTimePicker::initialRows(limits, 90061.0f), (SplitTime::ElapsedComponents{1, 1, 1, 1}));
    const auto shortLimits = SplitTimePicker::pickerLimits(zoned(0), zoned(320));
    EXPECT_EQ(SplitTimePicker::initialRows(shortLimits, 330.0f), (SplitTime::ElapsedComponents{0, 0, 5, 30}));

    const auto texts = SplitTimePicker::valueTexts(zoned(0, 1), zoned(320, -1), 100.0f);
    EXPECT_EQ(texts.start, "Mar 07, 09:00:00");
    EXPECT_EQ(texts.split, "Mar 07, 09:01:40");
    EXPECT_EQ(texts.end, "Mar 07, 07:05:20");
}

} // namespace
} // namespace orvendel::screens
