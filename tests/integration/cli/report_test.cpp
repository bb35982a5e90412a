#include "cli_fixture.hpp"
#include "core/screens/shift_report.hpp"

#include <fmt/format.h>

#include <map>
#include <string>

namespace orvendel::testing {
namespace {

class CliReportTest : public CliTest {};

Instant instantOf(const json& text)
{
    const auto parsed = ZonedDateTime::fromText(text.get<std::string>());
    EXPECT_TRUE(parsed) << text;
    return parsed ? parsed->date : Instant{};
}

double secondsBetween(const json& from, const json& to)
{
    return std::chrono::duration<double>(instantOf(to) - instantOf(from)).count();
}

// The report's numbers agree with the heat detail's bar charts on the demo day: per heat, the report's time
// per reason is the bar's share of the heat, and over the day, the total per reason is the sum of the bars.
TEST_F(CliReportTest, AgreesWithEveryHeatsBarChartAndRefusesGappedShifts)
{
    auto& cli = startShell();
    const auto login = cli.login();
    ASSERT_EQ(login["ok"], true) << login.dump();
    ASSERT_GT(login["heats"].size(), 5u);

    std::map<std::string, double> barSeconds; // by the bars' names (the reasons' codes)
    double barTotal = 0;
    for (const auto& listed : login["heats"]) {
        const auto shown = cli.command(fmt::format("show {}", listed["heatNumber"].get<int>()));
        ASSERT_EQ(shown["ok"], true) << shown.dump();
        const auto& heat = shown["heat"];
        const double heatSeconds = secondsBetween(heat["start"], heat["end"]);

        // The report over this heat alone.
        auto record = std::make_shared<Heat>();
        record->startDate.date = instantOf(heat["start"]);
        record->endDate.date = instantOf(heat["end"]);
        record->delays.emplace();
        for (const auto& delay : heat["delays"]) {
            auto d = std::make_shared<Delay>();
            d->reasonId = delay["reasonId"];
            d->startDate.date = instantOf(delay["start"]);
            d->endDate.date = instantOf(delay["end"]);
            record->delays->push_back(d);
        }
        const std::vector<HeatPtr> heats{record};
        const auto tally =
            screens::tallyShiftReport({1, &heats, nullptr, screens::ShiftSchedule::standard(),
                                       screens::fixedZone(TimeZone::utc()), std::chrono::system_clock::now()});
        const auto table = screens::reportTable(tally, 0, screens::ReportGrouping::reason);
        ASSERT_EQ(table.unclassifiedReasons.size(), shown["chart"]["summary"].size());
        for (const auto& bar : shown["chart"]["summary"]) {
            const double seconds = bar["percent"].get<double>() / 100 * heatSeconds;
            const auto row =
                std::find_if(table.unclassifiedReasons.begin(), table.unclassifiedReasons.end(), [&](const auto& r) {
                    return tally.reasons[table.reasonsOf(r)[0]].reasonId == bar["reasonId"];
                });
            ASSERT_NE(row, table.unclassifiedReasons.end()) << bar.dump();
            EXPECT_NEAR(row->amount.seconds(), seconds, 1e-6) << bar.dump();
            barSeconds[bar["name"]] += seconds;
            barTotal += seconds;
        }
    }

    const auto report = cli.command("report");
    ASSERT_EQ(report["ok"], true) << report.dump();
    ASSERT_EQ(report["furnaces"].size(), 1u);
    const auto& day = report["furnaces"][0]["views"][0];
    EXPECT_EQ(day["title"], "Whole day");
    EXPECT_NEAR(day["total"]["seconds"].get<double>(), barTotal, 1e-6);
    std::size_t rows = 0;
    for (const auto& row : day["rows"]) {
        EXPECT_NEAR(row["seconds"].get<double>(), barSeconds[row["code"]], 1e-6) << row.dump();
        ++rows;
    }
    for (const auto& row : day["unclassifiedReasons"]) {
        EXPECT_NEAR(row["seconds"].get<double>(), barSeconds["UNCL"], 1e-6) << row.dump();
        ++rows;
    }
    EXPECT_EQ(rows, barSeconds.size());
    EXPECT_NEAR(day["unclassified"]["cumulativeShare"].get<double>(), 1.0, 1e-12);
    // The shifts share out the whole day.
    double shifts = 0;
    for (std::size_t i = 1; i < report["furnaces"][0]["views"].size(); ++i) {
        shifts += report["furnaces"][0]["views"][i]["total"]["seconds"].get<double>();
    }
    EXPECT_NEAR(shifts, barTotal, 1e-6);

    const auto gap = cli.command("shifts 06:00-14:00,15:00-22:00,22:00-06:00");
    EXPECT_EQ(gap["ok"], false);
    EXPECT_NE(gap.dump().find("No shift covers 14:00-15:00"), std::string::npos) << gap.dump();
    const auto all = cli.command("report --all --by category --shift 2");
    ASSERT_EQ(all["ok"], true) << all.dump();
    EXPECT_EQ(all["furnaces"].size(), 3u); // the retired furnace is hidden
    EXPECT_EQ(all["allFurnaces"]["views"][0]["title"], "Shift 2");
}

} // namespace
} // namespace orvendel::testing
