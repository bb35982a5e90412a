#include "core/screens/power_off_chart.hpp"
#include "core/screens/power_off_chart_layout.hpp"

#include "screens_fixtures.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace orvendel::screens {
namespace {

using testing::at;
using testing::delay;
using testing::heat;

constexpr double w = 720;
constexpr double h = 40;

TEST(PowerOffSegments, OneDelayInAnHourMakesThreeSegments)
{
    const auto d = delay(1, 600, 900);
    const auto segments = powerOffSegments(*heat(1, 0, 3600, std::vector{d}), std::nullopt, w, h);
    ASSERT_EQ(segments.size(), 3u);

    EXPECT_EQ(segments[0].delay, nullptr);
    EXPECT_DOUBLE_EQ(segments[0].frame.x, 0);
    EXPECT_DOUBLE_EQ(segments[0].frame.width, w * 599 / 3600);
    EXPECT_EQ(segments[0].color, neutralSegmentColor());

    EXPECT_EQ(segments[1].delay, d);
    EXPECT_DOUBLE_EQ(segments[1].frame.x, w * 600 / 3600);
    EXPECT_DOUBLE_EQ(segments[1].frame.width, w * 300 / 3600);
    EXPECT_EQ(segments[1].frame.y, 0);
    EXPECT_EQ(segments[1].frame.height, h);
    EXPECT_EQ(segments[1].color, Color::fromRgb255(200, 0, 0));

    EXPECT_EQ(segments[2].delay, nullptr);
    EXPECT_DOUBLE_EQ(segments[2].frame.x, w * 901 / 3600);
    EXPECT_DOUBLE_EQ(segments[2].frame.width, w * 2699 / 3600);
}

TEST(PowerOffSegments, DelaysAtMostOneSecondApartHaveNoGapBetween)
{
    const auto segments = powerOffSegments(
        *heat(1, 0, 100, std::vector{delay(1, 0, 10), delay(1, 11, 20), delay(1, 20, 100)}), std::nullopt, w, h);
    ASSERT_EQ(segments.size(), 3u);
    for (const auto& s : segments) {
        EXPECT_NE(s.delay, nullptr);
    }
    // Sub-second fractions are kept: 1.5 s apart is still no gap, 10 s apart is one.
    const auto fractional = powerOffSegments(
        *heat(1, 0, 100, std::vector{delay(1, 0, 10.25), delay(1, 11.75, 50), delay(1, 60, 100)}), std::nullopt, w, h);
    ASSERT_EQ(fractional.size(), 4u);
    EXPECT_EQ(fractional[2].delay, nullptr);
    EXPECT_DOUBLE_EQ(fractional[2].startPositionInSeconds, 51);
    EXPECT_DOUBLE_EQ(fractional[2].durationInSeconds, 8);
    EXPECT_DOUBLE_EQ(fractional[1].durationInSeconds, 38.25);
}

TEST(PowerOffSegments, ADelayPastTheHeatStretchesTheTimeline)
{
    const auto chart = buildPowerOffChart(*heat(1, 0, 3600, std::vector{delay(1, 3000, 4000)}), std::nullopt, w, h);
    EXPECT_DOUBLE_EQ(chart.totalSeconds, 4000);
    ASSERT_EQ(chart.segments.size(), 2u);
    EXPECT_DOUBLE_EQ(chart.segments[1].frame.maxX(), w);
    ASSERT_EQ(chart.diagnostics.size(), 1u);
    EXPECT_EQ(chart.diagnostics[0], "Delay EndTime is after the Heat Time Finished");

    // A delay starting before the heat moves the chart's start.
    const auto early = buildPowerOffChart(*heat(1, 100, 200, std::vector{delay(1, 50, 150)}), std::nullopt, w, h);
    EXPECT_EQ(early.chartStart, at(50));
    ASSERT_EQ(early.segments.size(), 2u);
    EXPECT_DOUBLE_EQ(early.segments[0].frame.x, 0);
    EXPECT_DOUBLE_EQ(early.segments[1].startPositionInSeconds, 101);
}

TEST(PowerOffSegments, EveryFrameStaysInsideTheBandWhateverTheData)
{
    // Out of order: the second delay starts before the heat and before the first; another ends before it starts.
    const auto chart = buildPowerOffChart(
        *heat(1, 100, 400, std::vector{delay(1, 150, 200), delay(1, 20, 60), delay(1, 300, 250)}), at(20), w, h);
    EXPECT_EQ(chart.chartStart, at(20));
    ASSERT_FALSE(chart.segments.empty());
    for (const auto& segment : chart.segments) {
        EXPECT_GE(segment.frame.x, 0);
        EXPECT_GE(segment.frame.width, 0);
        EXPECT_LE(segment.frame.maxX(), w);
    }
    // The selected delay at the very start is still raised, its enlargement cut at the band's edge.
    const auto selected = std::find_if(chart.segments.begin(), chart.segments.end(),
                                       [](const ChartSegment& segment) { return segment.isSelected; });
    ASSERT_NE(selected, chart.segments.end());
    EXPECT_DOUBLE_EQ(selected->frame.x, 0);
    EXPECT_LT(selected->frame.y, 0);
}

TEST(PowerOffSegments, SelectedDelayIsRaisedAndEnlarged)
{
    const auto segments =
        powerOffSegments(*heat(1, 0, 3600, std::vector{delay(1, 600, 900), delay(1, 1000, 1100)}), at(600), w, h);
    ASSERT_EQ(segments.size(), 5u);
    const auto& selected = segments[1];
    ASSERT_TRUE(selected.isSelected);
    const double width = w * 300 / 3600;
    EXPECT_DOUBLE_EQ(selected.frame.x, w * 600 / 3600 - 0.01 * width);
    EXPECT_DOUBLE_EQ(selected.frame.y, -5 - 0.01 * h);
    EXPECT_DOUBLE_EQ(selected.frame.width, width * 1.02);
    EXPECT_DOUBLE_EQ(selected.frame.height, h * 1.02);
    EXPECT_FALSE(segments[3].isSelected);
    EXPECT_FALSE(segments[0].isSelected); // a gap is never selected
}

TEST(PowerOffSegments, NothingToDrawNeverDividesByZero)
{
    const auto none = buildPowerOffChart(*heat(1, 0, 3600, std::nullopt), std::nullopt, w, h);
    EXPECT_TRUE(none.segments.empty());
    ASSERT_EQ(none.diagnostics.size(), 1u);
    EXPECT_EQ(none.diagnostics[0], "There are no delays");

    EXPECT_TRUE(powerOffSegments(*heat(1, 0, 3600, std::vector<DelayPtr>{}), std::nullopt, w, h).empty());
    // A zero-length heat whose only delay has no length either.
    EXPECT_TRUE(powerOffSegments(*heat(1, 100, 100, std::vector{delay(1, 100, 100)}), at(100), w, h).empty());
}

TEST(PowerOffChartLayout, LegendsOncePerReasonAndUnreadableColoursBlack)
{
    const auto legends = PowerOffChartLayout::legends(*heat(
        1, 0, 3600,
        std::vector{delay(1, 0, 10, 5), delay(1, 20, 30, 7, "not a colour"), delay(1, 40, 50, 5, "rgb(1, 2, 3)")}));
    ASSERT_EQ(legends.size(), 2u);
    EXPECT_EQ(legends[0].reasonId, 5);
    EXPECT_EQ(legends[0].color, Color::fromRgb255(200, 0, 0)); // first delay's colour
    EXPECT_EQ(legends[1].shortDescription, "R7");
    EXPECT_EQ(legends[1].color, (Color{0, 0, 0, 1}));

    // In the band an unreadable colour is the neutral grey instead.
    const auto segments = powerOffSegments(*heat(1, 0, 60, std::vector{delay(1, 0, 60, 7, "bad")}), std::nullopt, w, h);
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0].color, neutralSegmentColor());

    const auto frames = PowerOffChartLayout::layoutLegends({Size{30, 14}, Size{20, 14}}, 20);
    ASSERT_EQ(frames.swatches.size(), 2u);
    EXPECT_EQ(frames.swatches[0], (Rect{0, 3, 14, 14}));
    EXPECT_EQ(frames.labels[0], (Rect{16, 3, 30, 14}));
    EXPECT_EQ(frames.swatches[1], (Rect{54, 3, 14, 14}));
    EXPECT_EQ(frames.labels[1], (Rect{70, 3, 20, 14}));
    EXPECT_DOUBLE_EQ(frames.rowWidth, 90);

    // A busy heat's legends: those that fit with "+N" after them, never shrunk to dots.
    const std::vector<Size> many(10, Size{30, 14});
    const auto cut = PowerOffChartLayout::layoutLegends(many, 20, 200, Size{20, 14});
    ASSERT_EQ(cut.labels.size(), 3u); // 46 points and 8 apart: three and "+7" take 46 * 3 + 3 * 8 + 20 = 182
    EXPECT_EQ(cut.hiddenCount, 7u);
    EXPECT_EQ(cut.moreLabel, (Rect{162, 3, 20, 14}));
    EXPECT_LE(cut.rowWidth, 200);
    EXPECT_EQ(PowerOffChartLayout::moreLegendsText(cut.hiddenCount), "+7");
    EXPECT_EQ(PowerOffChartLayout::layoutLegends(many, 20, 1000, Size{20, 14}).hiddenCount, 0u);
}

TEST(PowerOffChartLayout, RowsAndTimes)
{
    // H = 156 leaves S = 100 for the rows.
    const auto rows = PowerOffChartLayout::rows(432, 156, 100);
    testing::expectRect(rows.legends, Rect{16 + 150, 16, 100, 22});
    testing::expectRect(rows.bandContainer, Rect{16, 50, 400, 56});
    testing::expectRect(rows.shadowView, Rect{0, 14, 400, 42});
    testing::expectRect(rows.segmentContainer, Rect{0, 0, 400, 42});
    testing::expectRect(rows.timesRow, Rect{16, 118, 400, 22});

    // Shown in UTC whatever the heat's own zone.
    auto zoned = heat(1, 0, 3600, std::nullopt);
    zoned->startDate.timeZone = TimeZone{-6 * 3600};
    const auto times = PowerOffChartLayout::heatTimes(*zoned);
    EXPECT_EQ(times.start, "Mar 07, 08:00:00");
    EXPECT_EQ(times.end, "Mar 07, 09:00:00");

    const auto f = PowerOffChartLayout::layoutTimesRow(400, Size{60, 14}, Size{50, 14});
    EXPECT_EQ(f.startValue, (Rect{64, 0, 136, 14}));
    EXPECT_EQ(f.endLabel, (Rect{200, 0, 50, 14}));
    EXPECT_EQ(f.endValue, (Rect{254, 0, 146, 14}));
}

} // namespace
} // namespace orvendel::screens
