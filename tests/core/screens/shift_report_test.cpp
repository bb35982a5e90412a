#include "core/screens/shift_report.hpp"

#include "screens_fixtures.hpp"

#include <fmt/format.h>
#include <gtest/gtest.h>

namespace orvendel::screens {
namespace {

using namespace std::chrono;
using testing::at;
using testing::delay;
using testing::heat;

// Electrical (EL) > Transformer > 101 "Transformer trip", 102 "Breaker failure"; Process (PR) > 201, 202.
ReasonTree plantTree()
{
    return ReasonTree({
        {std::nullopt, 10, std::nullopt, "Electrical", "EL", "rgb(230, 126, 34)"},
        {std::nullopt, 11, 10, "Transformer", "EL-T", ""},
        {101, 12, 11, "Transformer trip", "EL-TT", "rgb(200, 100, 30)"},
        {102, 13, 11, "Breaker failure", "EL-BF", "rgb(210, 110, 30)"},
        {std::nullopt, 20, std::nullopt, "Process", "PR", "rgb(46, 204, 113)"},
        {201, 21, 20, "Waiting for scrap", "PR-WS", "rgb(40, 200, 110)"},
        {202, 22, 20, "Bucket not ready", "PR-BN", "rgb(50, 210, 120)"},
    });
}

struct Report {
    int furnaceId = 1;
    std::vector<HeatPtr> heats;
    ReasonTree tree = plantTree();
    ShiftSchedule schedule = ShiftSchedule::standard();
    ZoneOffsetAt zone = fixedZone(TimeZone::utc());
    Instant now = at(1e9);

    ReportTally tally() const { return tallyShiftReport({furnaceId, &heats, &tree, schedule, zone, now}); }
};

std::vector<std::pair<std::string, double>> rowMinutes(const std::vector<ReportRow>& rows)
{
    std::vector<std::pair<std::string, double>> out;
    for (const auto& row : rows) {
        out.emplace_back(row.name, duration<double>(row.amount.time).count() / 60);
    }
    return out;
}

using Rows = std::vector<std::pair<std::string, double>>;

TEST(ShiftReport, SumsRollsUpAndSortsWithUnclassifiedAndPendingApart)
{
    auto edited = delay(1, 2400, 2500, 102);
    edited->isEdited = true;
    Report report;
    report.heats = {heat(1, 0, 3600,
                         std::vector{delay(1, 0, 600, 101), delay(1, 700, 1300, 201), delay(1, 1400, 1700, 202),
                                     delay(1, 1800, 2100, 0), delay(1, 2200, 2300, 999), edited})};
    const auto tally = report.tally();

    const auto byReason = reportTable(tally, 0, ReportGrouping::reason);
    EXPECT_EQ(byReason.title, "Whole day");
    // Equal times go by name: "Transformer trip" before "Waiting for scrap".
    EXPECT_EQ(rowMinutes(byReason.rows), (Rows{{"Transformer trip", 10},
                                               {"Waiting for scrap", 10},
                                               {"Bucket not ready", 5},
                                               {"Breaker failure", 100.0 / 60}}));
    EXPECT_EQ(byReason.total.time, seconds{2000});
    EXPECT_EQ(byReason.total.count, 6);
    EXPECT_EQ(byReason.total.pendingTime, seconds{100});
    EXPECT_EQ(byReason.total.pendingCount, 1);
    EXPECT_EQ(byReason.rows[3].amount.pendingCount, 1);
    EXPECT_EQ(byReason.rows[0].code, "EL-TT");
    EXPECT_EQ(percentText(byReason.rows[1].share), "30.0");
    EXPECT_EQ(percentText(byReason.rows[3].cumulativeShare), "80.0");
    EXPECT_EQ(byReason.unclassified.amount.time, seconds{400});
    EXPECT_EQ(percentText(byReason.unclassified.share), "20.0");
    EXPECT_DOUBLE_EQ(byReason.unclassified.cumulativeShare, 1.0);
    EXPECT_EQ(rowMinutes(byReason.unclassifiedReasons),
              (Rows{{"Unclassified", 5}, {"Reason 999 (not in the tree)", 100.0 / 60}}));

    const auto byCategory = reportTable(tally, 0, ReportGrouping::category);
    EXPECT_EQ(rowMinutes(byCategory.rows), (Rows{{"Process", 15}, {"Electrical", 700.0 / 60}}));
    EXPECT_EQ(byCategory.rows[1].amount.pendingTime, seconds{100});
    // Each row keeps its own reasons once the rows are sorted, largest first within.
    const auto reasonIds = [&](const ReportTable& table, const ReportRow& row) {
        std::vector<int> ids;
        for (const std::size_t i : table.reasonsOf(row)) {
            ids.push_back(tally.reasons[i].reasonId);
        }
        return ids;
    };
    EXPECT_EQ(reasonIds(byCategory, byCategory.rows[0]), (std::vector<int>{201, 202}));
    EXPECT_EQ(reasonIds(byCategory, byCategory.rows[1]), (std::vector<int>{101, 102}));
    EXPECT_EQ(reasonIds(byCategory, byCategory.unclassified), (std::vector<int>{0, 999}));
    EXPECT_EQ(reasonIds(byReason, byReason.rows[3]), (std::vector<int>{102}));
    EXPECT_EQ(minutesText(byCategory.rows[1].amount.time), "11.7");
    EXPECT_EQ(percentText(byCategory.rows[1].cumulativeShare), "80.0");

    // The whole heat lies in the morning shift.
    EXPECT_EQ(reportTable(tally, 1, ReportGrouping::reason).total.time, seconds{2000});
    EXPECT_EQ(reportTable(tally, 2, ReportGrouping::reason).total.count, 0);

    const auto rowDelays = reportRowDelays({1, &report.heats, &report.tree, report.schedule, report.zone, report.now},
                                           tally, byCategory.reasonsOf(byCategory.rows[1]), 0);
    ASSERT_EQ(rowDelays.size(), 2u);
    EXPECT_EQ(rowDelays[1].delay, edited);
}

TEST(ShiftReport, DelaysAreSplitAtShiftChangesAndARunningDelayCountsUpToNow)
{
    // at(0) is 08:00 UTC; 22:00 is at(50400), midnight at(57600).
    struct Case {
        const char* name;
        std::string schedule;
        double from, to;
        std::vector<double> shiftMinutes;
    };
    const std::vector<Case> cases = {
        {"across 22:00", ShiftSchedule::defaultText, 50400 - 600, 50400 + 1200, {0, 10, 20}},
        {"across midnight inside the night shift", ShiftSchedule::defaultText, 57600 - 600, 57600 + 600, {0, 0, 20}},
        {"across midnight as a shift change",
         "00:00-08:00,08:00-16:00,16:00-00:00",
         57600 - 600,
         57600 + 900,
         {15, 0, 10}},
        {"over a whole shift", ShiftSchedule::defaultText, 21600 - 60, 50400 + 60, {1, 480, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Report report;
        report.schedule = *parseShiftSchedule(c.schedule);
        report.heats = {heat(1, c.from, c.to, std::vector{delay(1, c.from, c.to, 101)})};
        const auto tally = report.tally();
        ASSERT_EQ(tally.scopeCount(), 4u);
        for (std::size_t shift = 0; shift < 3; ++shift) {
            const auto total = reportTable(tally, shift + 1, ReportGrouping::reason).total;
            EXPECT_DOUBLE_EQ(duration<double>(total.time).count() / 60, c.shiftMinutes[shift]) << shift;
            EXPECT_EQ(total.count, c.shiftMinutes[shift] > 0 ? 1 : 0);
        }
        EXPECT_EQ(reportTable(tally, 0, ReportGrouping::reason).total.count, 1);
    }

    Report running;
    running.now = at(900);
    running.heats = {heat(1, 0, 3600, std::vector{delay(1, 300, 3000, 101), delay(1, 1000, 1200, 201)})};
    const auto tally = running.tally();
    EXPECT_EQ(reportTable(tally, 0, ReportGrouping::reason).total.time, seconds{600});
    EXPECT_EQ(tally.issues.withoutLength, 1); // not started yet
    EXPECT_EQ(tally.periodEnd, at(900));
}

// After a reason's first delay the following ones of a shift take a shorter way: it must count them alike.
TEST(ShiftReport, RepeatedReasonsCountLikeTheirFirstDelay)
{
    auto edited = delay(1, 500, 600, 101);
    edited->isEdited = true;
    Report report;
    report.now = at(4500);
    report.heats = {heat(1, 0, 4000,
                         std::vector{delay(1, 0, 100, 101), delay(1, 200, 400, 201), edited, delay(1, 700, 700, 101),
                                     delay(1, 800, 900, 201), delay(1, 1000, 1100, 101),
                                     delay(1, 3900, 4100, 101),    // past its heat's end
                                     delay(1, 4200, 5000, 201)})}; // after its heat, running
    const auto tally = report.tally();
    const auto shift = reportTable(tally, 1, ReportGrouping::reason);
    EXPECT_EQ(rowMinutes(shift.rows), (Rows{{"Waiting for scrap", 10}, {"Transformer trip", 500.0 / 60}}));
    EXPECT_EQ(shift.rows[1].amount.count, 4);
    EXPECT_EQ(shift.rows[1].amount.pendingTime, seconds{100});
    EXPECT_EQ(shift.total.count, 7);
    EXPECT_EQ(tally.issues.withoutLength, 1);
    EXPECT_EQ(tally.issues.outsideTheirHeat, 2);
    EXPECT_EQ(tally.periodEnd, at(4500));
}

TEST(ShiftReport, DelaysOutOfOrderAndDaysApartLandInTheirShiftsWithOneCountEach)
{
    // Shift 1 runs to at(21600), shift 2 to at(50400), shift 3 to at(79200). The first delay is in the night
    // shift three days on, the next back in the first day's morning: each must find its own day's shifts.
    const double later = 3 * 86400;
    auto across = delay(1, 21600 - 300, 21600 + 300, 201);
    across->isEdited = true;
    std::vector<DelayPtr> delays = {delay(1, later + 60000, later + 60600, 101), delay(1, 100, 400, 101), across,
                                    delay(1, 30000, 30600, 201)};
    for (int id = 1000; id < 1040; ++id) { // more ids than the tree has leaves
        const double start = 60000 + (id - 1000) * 100;
        delays.push_back(delay(1, start, start + 60, id));
    }
    Report report;
    report.heats = {heat(1, 0, 3600, delays)};
    const auto tally = report.tally();

    const auto day = reportTable(tally, 0, ReportGrouping::reason);
    EXPECT_EQ(rowMinutes(day.rows), (Rows{{"Waiting for scrap", 20}, {"Transformer trip", 15}}));
    EXPECT_EQ(day.rows[0].color, Color::fromRgb255(40, 200, 110));
    EXPECT_EQ(day.rows[1].color, Color::fromRgb255(200, 100, 30));
    EXPECT_EQ(day.rows[1].amount.count, 2);
    // Split between two shifts, still one delay and one unsaved edit of the day.
    EXPECT_EQ(day.rows[0].amount.count, 2);
    EXPECT_EQ(day.rows[0].amount.pendingCount, 1);
    EXPECT_EQ(day.rows[0].amount.pendingTime, seconds{600});
    EXPECT_EQ(day.unclassifiedReasons.size(), 40u);
    EXPECT_EQ(day.unclassified.amount.time, seconds{2400});
    EXPECT_EQ(day.total.count, 44);

    struct Expected {
        seconds time;
        int count;
        int pendingCount;
    };
    const std::vector<Expected> shifts = {{seconds{600}, 2, 1}, {seconds{900}, 2, 1}, {seconds{3000}, 41, 0}};
    for (std::size_t shift = 0; shift < shifts.size(); ++shift) {
        const auto total = reportTable(tally, shift + 1, ReportGrouping::reason).total;
        EXPECT_EQ(total.time, shifts[shift].time) << shift;
        EXPECT_EQ(total.count, shifts[shift].count) << shift;
        EXPECT_EQ(total.pendingCount, shifts[shift].pendingCount) << shift;
    }
    EXPECT_EQ(tally.periodStart, at(100));
    EXPECT_EQ(tally.periodEnd, at(later + 60600));
}

TEST(ShiftReport, TheShiftOverADaylightSavingChangeIsAnHourShorterOrLonger)
{
    // Central Europe: +01:00, +02:00 from 2024-03-31 01:00 UTC, +01:00 again from 2024-10-27 01:00 UTC.
    const Instant spring = sys_days{2024y / March / 31} + 1h;
    const Instant autumn = sys_days{2024y / October / 27} + 1h;
    const ZoneOffsetAt europe = [=](Instant t) { return t >= spring && t < autumn ? 7200 : 3600; };

    struct Case {
        const char* name;
        Instant from, to; // 06:00 local to 06:00 local the next day
        std::vector<hours> shifts;
    };
    const std::vector<Case> cases = {
        {"spring", sys_days{2024y / March / 30} + 5h, sys_days{2024y / March / 31} + 4h, {8h, 8h, 7h}},
        {"autumn", sys_days{2024y / October / 26} + 4h, sys_days{2024y / October / 27} + 5h, {8h, 8h, 9h}},
        {"an ordinary day", sys_days{2024y / June / 3} + 4h, sys_days{2024y / June / 4} + 4h, {8h, 8h, 8h}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Report report;
        report.zone = europe;
        auto d = delay(1, 0, 1, 101);
        d->startDate.date = c.from;
        d->endDate.date = c.to;
        auto h = heat(1, 0, 1, std::vector{d});
        h->startDate.date = c.from;
        h->endDate.date = c.to;
        report.heats = {h};
        const auto tally = report.tally();
        for (std::size_t shift = 0; shift < 3; ++shift) {
            EXPECT_EQ(reportTable(tally, shift + 1, ReportGrouping::reason).total.time, c.shifts[shift]) << shift;
        }
    }
    // A start in the skipped hour is read with the offset before the change; in the repeated hour, the first.
    EXPECT_EQ(localTimeInstant(sys_days{2024y / March / 31}, 150, europe), spring + 30min);
    EXPECT_EQ(localTimeInstant(sys_days{2024y / October / 27}, 150, europe), autumn - 30min);
}

TEST(ShiftReport, BadInputIsCountedAsFarAsItCanBeAndNeverCrashes)
{
    Report report;
    auto outside = delay(4, 3500, 3900, 201);
    report.heats = {heat(1, 0, 3600, std::nullopt), heat(2, 0, 3600, std::vector<DelayPtr>{}), nullptr,
                    heat(3, 0, 3600, std::vector{delay(3, 100, 100, 101), delay(3, 500, 200, 101), DelayPtr{}}),
                    heat(4, 0, 3600, std::vector{outside, delay(4, 10, 70, 4242)})};
    const auto tally = report.tally();
    EXPECT_EQ(tally.heatCount, 4);
    EXPECT_EQ(tally.issues.withoutLength, 2);
    EXPECT_EQ(tally.issues.outsideTheirHeat, 1);
    const auto table = reportTable(tally, 0, ReportGrouping::category);
    EXPECT_EQ(rowMinutes(table.rows), (Rows{{"Process", 400.0 / 60}})); // in full
    EXPECT_EQ(rowMinutes(table.unclassifiedReasons), (Rows{{"Reason 4242 (not in the tree)", 1}}));

    // Nothing at all: no division by zero, no rows.
    Report empty;
    const auto nothing = empty.tally();
    const auto none = reportTable(nothing, 0, ReportGrouping::reason);
    EXPECT_TRUE(none.rows.empty());
    EXPECT_EQ(none.unclassified.share, 0);
    EXPECT_EQ(reportTable(nothing, 9, ReportGrouping::reason).total.count, 0);
}

TEST(ShiftReport, FurnacesAddUpByReasonAndCategoryName)
{
    Report first;
    first.heats = {heat(1, 0, 3600, std::vector{delay(1, 0, 600, 101), delay(1, 700, 800, 0)})};
    Report second;
    second.furnaceId = 2;
    second.tree = ReasonTree(
        {{std::nullopt, 30, std::nullopt, "Electrical", "EL", ""}, {501, 31, 30, "Transformer trip", "EL-TT", ""}});
    second.heats = {heat(2, 0, 3600, std::vector{delay(2, 0, 300, 501), delay(2, 400, 460, 0)}, 2)};
    const auto merged = mergeTallies({first.tally(), second.tally()});
    EXPECT_EQ(merged.furnaceIds, (std::vector<int>{1, 2}));
    const auto table = reportTable(merged, 0, ReportGrouping::reason);
    EXPECT_EQ(rowMinutes(table.rows), (Rows{{"Transformer trip", 15}}));
    EXPECT_EQ(table.unclassified.amount.time, seconds{160});
    EXPECT_EQ(rowMinutes(reportTable(merged, 0, ReportGrouping::category).rows), (Rows{{"Electrical", 15}}));
}

// What the app and the CLI both show: the chart's bars, the total line and the period.
TEST(ShiftReport, PastTwentyReasonsTheSmallestShareOneBarAndTheLinesReadTheSame)
{
    // Reason 300 + k takes 100 + 10k seconds, one after another from 09:00 local; the unclassified minute
    // runs over local midnight.
    std::vector<Reason> reasons{{std::nullopt, 1, std::nullopt, "Process", "PR", ""}};
    for (int k = 1; k <= 22; ++k) {
        reasons.push_back({300 + k, 1 + k, 1, fmt::format("Reason {:02}", k), fmt::format("C{:02}", k), ""});
    }
    const auto reportOf = [&](int classified) {
        std::vector<DelayPtr> delays;
        for (int k = 1; k <= classified; ++k) {
            delays.push_back(delay(1, (k - 1) * 1000.0, (k - 1) * 1000.0 + 100 + 10 * k, 300 + k));
        }
        delays.front()->isEdited = true;
        delays.push_back(delay(1, 54000 - 30, 54000 + 30, 0));
        Report report;
        report.tree = ReasonTree(reasons);
        report.zone = fixedZone(TimeZone{3600});
        report.heats = {heat(1, 0, 54030, delays)};
        return report.tally();
    };

    const auto tally = reportOf(22);
    const auto table = reportTable(tally, 0, ReportGrouping::reason);
    ASSERT_EQ(reportLineCount(table), 23u);
    EXPECT_EQ(reportLine(table, 22), &table.unclassified);
    EXPECT_EQ(reportLine(table, 23), nullptr);
    const auto bars = reportBars(table);
    ASSERT_EQ(bars.size(), 21u);
    EXPECT_EQ(bars[0].label, "C22");
    EXPECT_EQ(bars[18].line, 18u);
    EXPECT_EQ(bars[19].label, "3 more");
    EXPECT_EQ(bars[19].line, std::nullopt);
    EXPECT_EQ(bars[19].time, seconds{110 + 120 + 130});
    EXPECT_EQ(bars[19].cumulativeShare, table.rows.back().cumulativeShare);
    EXPECT_EQ(bars[20].label, "Unclassified");
    EXPECT_EQ(bars[20].line, 22u);

    const auto twentyReasons = reportOf(20);
    const auto twenty = reportBars(reportTable(twentyReasons, 0, ReportGrouping::reason));
    ASSERT_EQ(twenty.size(), 21u);
    EXPECT_EQ(twenty[19].label, "C01");

    EXPECT_EQ(reportTotalText(table.total), "79.8 min power off in 23 delays, 1.8 min in 1 delay unsaved");
    EXPECT_EQ(reportPeriodText(tally, fixedZone(TimeZone{3600})), "07.03. 09:00 – 08.03. 00:00");
    EXPECT_EQ(reportPeriodText(ReportTally{}, fixedZone(TimeZone{3600})), "");
}

TEST(ShiftSchedule, ReadsBothFormsAndRefusesOverlapsAndGaps)
{
    const std::vector<std::pair<std::string, std::vector<int>>> accepted = {
        {"06:00-14:00,14:00-22:00,22:00-06:00", {360, 840, 1320}},
        {" 6:00 , 14:00 , 22:00 ", {360, 840, 1320}},
        {"22:00-06:00,06:00-22:00", {1320, 360}},
        {"07:30-07:30", {450}},
    };
    for (const auto& [text, starts] : accepted) {
        const auto schedule = parseShiftSchedule(text);
        ASSERT_TRUE(schedule) << text << ": " << schedule.error().description;
        EXPECT_EQ(schedule->startMinutes, starts) << text;
    }
    EXPECT_EQ(shiftScheduleText(*parseShiftSchedule("22:00,06:00,14:00")), "22:00-06:00,06:00-14:00,14:00-22:00");

    const std::vector<std::pair<std::string, std::string>> refused = {
        {"06:00-14:00,13:00-22:00,22:00-06:00",
         "Shift 1 (06:00-14:00) overlaps Shift 2 (13:00-22:00): give each hour of the day to one shift."},
        {"06:00-14:00,15:00-22:00,22:00-06:00",
         "No shift covers 14:00-15:00: Shift 1 ends at 14:00 but the next shift starts at 15:00."},
        {"22:00-07:00,06:00-22:00",
         "Shift 1 (22:00-07:00) overlaps Shift 2 (06:00-22:00): give each hour of the day to one shift."},
        {"06:00-14:00", "No shift covers 14:00-06:00: Shift 1 ends at 14:00 but the next shift starts at 06:00."},
        {"06:00,14:00,06:00", "Shift 1 and Shift 3 both start at 06:00."},
        {"06:00,25:00", "\"25:00\" is not a shift: give each as 06:00-14:00, separated by commas."},
        {"", "No shift is given: give at least one, as 06:00-14:00."},
    };
    for (const auto& [text, message] : refused) {
        const auto schedule = parseShiftSchedule(text);
        ASSERT_FALSE(schedule) << text;
        EXPECT_EQ(schedule.error().description, message);
    }
}

} // namespace
} // namespace orvendel::screens
