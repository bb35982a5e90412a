#include "core/model/delay.hpp"
#include "core/model/zoned_date_time.hpp"

#include <gtest/gtest.h>

namespace orvendel {
namespace {

using namespace std::chrono;

Instant utc(int y, unsigned mo, unsigned d, int h, int mi, int s)
{
    return Instant{sys_days{year{y} / month{mo} / day{d}} + hours{h} + minutes{mi} + seconds{s}};
}

TEST(ZonedDateTimeTest, ParsesOffsetsAndWritesTheSameTextBack)
{
    struct Case {
        const char* text;
        Instant instant;
        int offsetMinutes;
    };
    const Case cases[] = {
        {"2019-03-07T14:05:00-06:00", utc(2019, 3, 7, 20, 5, 0), -360},
        {"2019-03-07T14:05:00+05:30", utc(2019, 3, 7, 8, 35, 0), 330},
        {"2019-03-07T14:05:00-05:30", utc(2019, 3, 7, 19, 35, 0), -330},
        {"2019-03-07T14:05:00Z", utc(2019, 3, 7, 14, 5, 0), 0},
        {"2019-03-07T14:05:00-00:30", utc(2019, 3, 7, 14, 35, 0), -30},
        {"2024-02-29T23:59:59+14:00", utc(2024, 2, 29, 9, 59, 59), 840},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto parsed = ZonedDateTime::fromText(c.text);
        ASSERT_TRUE(parsed);
        EXPECT_EQ(parsed->date, c.instant);
        EXPECT_EQ(parsed->timeZone.offsetSeconds, c.offsetMinutes * 60);
        EXPECT_EQ(parsed->text(), c.text);
    }
}

TEST(ZonedDateTimeTest, CompactZoneFormsParseAndWriteBackWithAColon)
{
    const auto compact = ZonedDateTime::fromText("2019-03-07T14:05:00-0600");
    ASSERT_TRUE(compact);
    EXPECT_EQ(compact->timeZone.offsetSeconds, -6 * 3600);
    EXPECT_EQ(compact->text(), "2019-03-07T14:05:00-06:00");

    // Minutes take the sign of the hours in the compact form too; whole hours cannot show a slip there.
    const auto westMinutes = ZonedDateTime::fromText("2019-03-07T14:05:00-0530");
    ASSERT_TRUE(westMinutes);
    EXPECT_EQ(westMinutes->timeZone.offsetSeconds, -330 * 60);
    EXPECT_EQ(westMinutes->date, utc(2019, 3, 7, 19, 35, 0));
    EXPECT_EQ(westMinutes->text(), "2019-03-07T14:05:00-05:30");
    const auto eastMinutes = ZonedDateTime::fromText("2019-03-07T14:05:00+0530");
    ASSERT_TRUE(eastMinutes);
    EXPECT_EQ(eastMinutes->timeZone.offsetSeconds, 330 * 60);

    const auto hoursOnly = ZonedDateTime::fromText("2019-03-07T14:05:00+03");
    ASSERT_TRUE(hoursOnly);
    EXPECT_EQ(hoursOnly->timeZone.offsetSeconds, 3 * 3600);
    EXPECT_EQ(hoursOnly->date, utc(2019, 3, 7, 11, 5, 0));
}

TEST(ZonedDateTimeTest, RejectsTextsThatAreNotInternetDateTimes)
{
    for (const char* text : {
             "2019-03-07T14:05:00",        // no zone
             "2019-03-07 14:05:00-06:00",  // blank instead of T
             "2019-03-07T14:05:00+19:00",  // beyond ±18 hours
             "2019-03-07T14:05:00-18:30",  // beyond ±18 hours
             "2019-03-07T14:05:00.5Z",     // fractional seconds leave a zone text of the wrong length
             "2019-02-30T14:05:00Z",       // no such day
             "2019-03-07T24:05:00Z",       // no such hour
             "2019-03-07T14:05:00-06:0x",  // not a number
             "2019-03-07T14:05:00-06:00 ", // trailing blank
             "2019-3-7T14:05:00Z",         // short fields
             "",
             "garbage",
         }) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(ZonedDateTime::fromText(text));
    }
    EXPECT_TRUE(ZonedDateTime::fromText("2019-03-07T14:05:00+18:00"));
}

// Well-formed texts whose instant the clock cannot hold once overflowed it (undefined behaviour).
TEST(ZonedDateTimeTest, RejectsDatesBeyondTheRangeOfAnInstant)
{
    for (const char* text : {"0000-01-01T00:00:00Z", "1677-09-21T00:00:00Z", "9999-12-31T23:59:59-18:00",
                             "2262-04-12T00:00:00Z", "2262-04-11T23:47:16-01:00"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(ZonedDateTime::fromText(text));
    }
    // The last whole seconds an instant holds parse, and write back in a zone that moves them past the limit.
    const auto latest = ZonedDateTime::fromText("2262-04-12T17:47:16+18:00");
    ASSERT_TRUE(latest);
    EXPECT_EQ(latest->text(), "2262-04-12T17:47:16+18:00");
    EXPECT_TRUE(ZonedDateTime::fromText("1677-09-21T00:12:44Z"));
}

TEST(DelayTest, CopyKeepsTheTenFieldsAndDropsTheEditFlags)
{
    const auto start = *ZonedDateTime::fromText("2019-03-07T14:05:00-06:00");
    const auto end = *ZonedDateTime::fromText("2019-03-07T14:07:30-06:00");
    Delay delay(7, 99, 12, "Scrap bucket", "SCR", start, end, "rgb(1, 2, 3)", "v1", std::string("late crane"));
    delay.isEdited = true;
    delay.isSplitted = true;
    delay.baseDelayId = 98;

    const auto copy = delay.copy();
    EXPECT_EQ(copy->heatId, 7);
    EXPECT_EQ(copy->delayId, 99);
    EXPECT_EQ(copy->reasonId, 12);
    EXPECT_EQ(copy->reasonDescription, "Scrap bucket");
    EXPECT_EQ(copy->reasonShortDescription, "SCR");
    EXPECT_EQ(copy->colorString, "rgb(1, 2, 3)");
    EXPECT_EQ(copy->timestamp, "v1");
    EXPECT_EQ(copy->comment, "late crane");
    EXPECT_FALSE(copy->isEdited);
    EXPECT_FALSE(copy->isSplitted);
    EXPECT_FALSE(copy->baseDelayId);
    EXPECT_EQ(copy->startDate.date, start.date);
    EXPECT_EQ(copy->endDate.timeZone, end.timeZone);

    // The copy's dates are independent values.
    copy->startDate.date += seconds{5};
    EXPECT_EQ(delay.startDate.date, start.date);
}

} // namespace
} // namespace orvendel
