#include "cli/timeline.hpp"

#include <gtest/gtest.h>

#include <chrono>

namespace orvendel::cli {
namespace {

using namespace std::chrono_literals;

const Instant t0 = Instant(std::chrono::sys_days(std::chrono::year(2024) / 3 / 7).time_since_epoch());

DelayPtr delay(int reasonId, std::chrono::seconds from, std::chrono::seconds to)
{
    auto d = std::make_shared<Delay>();
    d->heatId = 1;
    d->reasonId = reasonId;
    d->reasonShortDescription = "R" + std::to_string(reasonId);
    d->colorString = "rgb(10, 20, 30)";
    d->startDate = ZonedDateTime(t0 + from, TimeZone::utc());
    d->endDate = ZonedDateTime(t0 + to, TimeZone::utc());
    return d;
}

Heat heatOf(std::chrono::seconds length, std::vector<DelayPtr> delays)
{
    Heat heat;
    heat.heatId = 1;
    heat.startDate = ZonedDateTime(t0, TimeZone::utc());
    heat.endDate = ZonedDateTime(t0 + length, TimeZone::utc());
    heat.delays = std::move(delays);
    return heat;
}

TextTimeline render(const Heat& heat, std::optional<Instant> selected, int columns)
{
    const auto chart = screens::buildPowerOffChart(heat, selected, columns, 1);
    return renderTimeline(chart, screens::PowerOffChartLayout::legends(heat), columns);
}

TEST(Timeline, DrawsALetterPerReasonInLegendOrderAndDotsBetween)
{
    // 100 s over 10 columns: 10 s a column.
    const auto heat = heatOf(100s, {delay(7, 20s, 40s), delay(3, 60s, 70s), delay(7, 80s, 100s)});
    const auto timeline = render(heat, std::nullopt, 10);
    EXPECT_EQ(timeline.band, "..AA..B.AA");
    EXPECT_EQ(timeline.marker, "");
}

TEST(Timeline, MarksTheSelectedDelayAndKeepsAShortDelayVisible)
{
    // A 2-second delay covers no column's middle yet still shows.
    const auto heat = heatOf(100s, {delay(1, 0s, 30s), delay(2, 51s, 53s)});
    const auto timeline = render(heat, t0 + 51s, 10);
    EXPECT_EQ(timeline.band, "AAA..B....");
    EXPECT_EQ(timeline.marker, "     ^");
}

TEST(Timeline, AHeatWithoutLengthOrDelaysHasNoBand)
{
    EXPECT_TRUE(render(heatOf(0s, {delay(1, 0s, 0s)}), std::nullopt, 10).band.empty());
    EXPECT_TRUE(render(heatOf(100s, {}), std::nullopt, 10).band.empty());
}

TEST(Timeline, LegendLettersRunOutGracefully)
{
    EXPECT_EQ(legendLetter(0), 'A');
    EXPECT_EQ(legendLetter(25), 'Z');
    EXPECT_EQ(legendLetter(26), 'a');
    EXPECT_EQ(legendLetter(60), '#');
    EXPECT_EQ(reasonLetter({}, 4), '?');
}

} // namespace
} // namespace orvendel::cli
