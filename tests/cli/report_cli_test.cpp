#include "cli/cli_options.hpp"
#include "cli/command_parser.hpp"
#include "core/screens/shift_report_csv.hpp"

#include <gtest/gtest.h>

namespace orvendel::cli {
namespace {

TEST(ReportCli, OptionsReachTheCommandFromTheShellAndFromTheCommandLine)
{
    const auto parsed = parseCommand("report --all --shift 2 --by category --csv --shifts 06:00,18:00");
    ASSERT_TRUE(parsed.command) << parsed.error;
    EXPECT_EQ(parsed.command->report, (ReportOptions{std::nullopt, true, 2, true, true, "06:00,18:00"}));

    for (const char* bad : {"report --all --furnace 2", "report --shift 0", "report --by time", "report --shift"}) {
        EXPECT_FALSE(parseCommand(bad).command) << bad;
    }

    // One shot: the report's options are the command's, --furnace and --json stay the program's.
    const auto oneShot = parseCliOptions(
        {"--user", "demo", "--password-stdin", "report", "--shift", "3", "--furnace", "2", "--by=reason"});
    ASSERT_TRUE(oneShot) << oneShot.error().description;
    EXPECT_EQ(oneShot->furnaceId, 2);
    EXPECT_EQ(oneShot->command, (std::vector<std::string>{"report", "--shift", "3", "--by", "reason"}));
    EXPECT_FALSE(parseCliOptions({"--json", "--user", "demo", "--password-stdin", "report", "--csv"}));
    EXPECT_FALSE(parseCliOptions({"--csv", "shell"}));
}

TEST(ReportCli, CsvQuotesWhatItMustAndEndsRowsInCrLf)
{
    using namespace std::chrono;
    const screens::ReasonTree tree(
        {{std::nullopt, 1, std::nullopt, "Process", "PR", ""}, {7, 2, 1, "Scrap, \"late\"", "PR-S", ""}});
    auto heat = std::make_shared<Heat>();
    const Instant start = sys_days{2024y / March / 7} + 8h;
    heat->startDate.date = start;
    heat->endDate.date = start + 1h;
    auto delay = std::make_shared<Delay>();
    delay->reasonId = 7;
    delay->startDate.date = start + 1min;
    delay->endDate.date = start + 3min + 30s;
    heat->delays = std::vector<DelayPtr>{delay};
    const std::vector<HeatPtr> heats{heat};
    const auto tally = screens::tallyShiftReport(
        {1, &heats, &tree, screens::ShiftSchedule::standard(), screens::fixedZone(TimeZone::utc()), start + 2h});
    EXPECT_EQ(screens::reportCsv({{"EAF 1", &tally}}, screens::ReportGrouping::reason),
              "Furnace,Shift,Hours,Reason,Code,Minutes,Count,Share %,Cumulative %,Unsaved minutes\r\n"
              "EAF 1,Shift 1,06:00-14:00,\"Scrap, \"\"late\"\"\",PR-S,2.5,1,100.0,100.0,0.0\r\n");
    EXPECT_EQ(screens::reportCsv({{"EAF 1", &tally}}, screens::ReportGrouping::category, 1),
              std::string(screens::reportCsvHeader) + "\r\n");
}

} // namespace
} // namespace orvendel::cli
