#include "core/screens/bar_chart_layout.hpp"
#include "core/screens/delay_summary_chart.hpp"

#include "screens_fixtures.hpp"

#include <gtest/gtest.h>

namespace orvendel::screens {
namespace {

using testing::delay;
using testing::heat;

TEST(DelaySummary, SumsPerReasonLargestFirst)
{
    const auto summary = delaySummary(*heat(
        1, 0, 3600, std::vector{delay(1, 0, 360, 5), delay(1, 400, 580, 7, "rgb(0, 0, 255)"), delay(1, 600, 780, 5)}));
    ASSERT_TRUE(summary);
    ASSERT_EQ(summary->size(), 2u);
    EXPECT_EQ((*summary)[0].variableId, 5);
    EXPECT_EQ(barValueText((*summary)[0].variableValue), "15.00");
    EXPECT_EQ((*summary)[1].variableId, 7);
    EXPECT_EQ(barValueText((*summary)[1].variableValue), "5.00");
    EXPECT_EQ((*summary)[1].variableColor, Color::fromRgb255(0, 0, 255));

    EXPECT_EQ(delaySummaryLogLines(*summary),
              (std::vector<std::string>{"-------- SORTED SUMMARIZED DELAYS ----------", "VarVal - R5 - 5",
                                        "VarVal - R7 - 7", "--------------------------------------------"}));
}

TEST(DelaySummary, EqualTotalsKeepTheirFirstAppearanceAndNameComesFromTheFirstDelay)
{
    auto later = delay(1, 500, 600, 5);
    later->reasonShortDescription = "renamed";
    const auto summary = delaySummary(*heat(
        1, 0, 3600, std::vector{delay(1, 0, 100, 9, "garbage"), delay(1, 200, 250, 5), delay(1, 300, 400, 4), later}));
    ASSERT_TRUE(summary);
    ASSERT_EQ(summary->size(), 3u);
    EXPECT_EQ((*summary)[0].variableId, 5); // 150 s
    EXPECT_EQ((*summary)[0].variableName, "R5");
    EXPECT_EQ((*summary)[1].variableId, 9); // 100 s, seen before reason 4
    EXPECT_EQ((*summary)[2].variableId, 4);
    EXPECT_EQ((*summary)[1].variableColor, (Color{0, 0, 0, 1})); // unreadable colour drawn black
}

TEST(DelaySummary, NoDelaysOrNoLengthGiveNoBars)
{
    EXPECT_FALSE(delaySummary(*heat(1, 0, 3600, std::nullopt)));
    EXPECT_FALSE(delaySummary(*heat(1, 100, 100, std::vector{delay(1, 100, 160)})));
    EXPECT_FALSE(delaySummary(*heat(1, 200, 100, std::vector{delay(1, 100, 160)})));
    const auto empty = delaySummary(*heat(1, 0, 3600, std::vector<DelayPtr>{}));
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());

    const auto geometry = BarChartLayout::geometry(std::nullopt, 400, 200);
    EXPECT_EQ(geometry.axes.size(), 2u);
    EXPECT_EQ(geometry.gridLines.size(), 13u);
    EXPECT_TRUE(geometry.scaleLabels.empty());
    EXPECT_TRUE(geometry.bars.empty());
}

TEST(BarScale, RoundStepsThatReachTheLargestValue)
{
    const auto fifteen = barScale(15);
    EXPECT_DOUBLE_EQ(fifteen.step, 2);
    EXPECT_DOUBLE_EQ(fifteen.fullScale, 18);
    EXPECT_EQ(fifteen.labels, (std::array<std::string, 10>{"0", "2", "4", "6", "8", "10", "12", "14", "16", "18"}));

    const auto small = barScale(4.2);
    EXPECT_DOUBLE_EQ(small.step, 0.5);
    EXPECT_DOUBLE_EQ(small.fullScale, 4.5);
    EXPECT_EQ(small.labels, (std::array<std::string, 10>{"0", "0.5", "1", "1.5", "2", "2.5", "3", "3.5", "4", "4.5"}));

    const auto exact = barScale(18);
    EXPECT_DOUBLE_EQ(exact.step, 2);
    EXPECT_DOUBLE_EQ(exact.fullScale, 18);

    EXPECT_DOUBLE_EQ(barScale(10).step, 1.5); // q = 1.11: a small fraction rounds up to the half

    // A largest value of nine halves keeps the half step, also when summing shares leaves it a rounding
    // error above (1 + 4 + 157 s of 3600 s sum to 4.500000000000001).
    EXPECT_DOUBLE_EQ(barScale(4.5).step, 0.5);
    EXPECT_DOUBLE_EQ(barScale(13.5).fullScale, 13.5);
    const auto summed =
        delaySummary(*heat(1, 0, 3600, std::vector{delay(1, 0, 1, 5), delay(1, 10, 14, 5), delay(1, 20, 177, 5)}));
    ASSERT_TRUE(summed);
    EXPECT_GT(largestValue(*summed), 4.5);
    const auto nearHalf = barScale(largestValue(*summed));
    EXPECT_DOUBLE_EQ(nearHalf.step, 0.5);
    EXPECT_DOUBLE_EQ(nearHalf.fullScale, 4.5);
    EXPECT_EQ(nearHalf.labels[9], "4.5");
    const auto thirteenAndAHalf =
        delaySummary(*heat(1, 0, 3600, std::vector{delay(1, 0, 1, 5), delay(1, 10, 14, 5), delay(1, 20, 501, 5)}));
    ASSERT_TRUE(thirteenAndAHalf);
    EXPECT_DOUBLE_EQ(barScale(largestValue(*thirteenAndAHalf)).fullScale, 13.5);

    const auto zero = barScale(0);
    EXPECT_DOUBLE_EQ(zero.fullScale, 0);
    EXPECT_EQ(zero.labels[0], "0.0");
    EXPECT_EQ(zero.labels[9], "0.9");
}

TEST(BarChartLayout, BarsScaleToTheLastGridLine)
{
    // W = 428, H = 220: U = 400, N = 80, x0 = 92, G = 320, V = 200, yA = 190, plot height 180.
    const auto summary = delaySummary(*heat(1, 0, 1000, std::vector{delay(1, 0, 180, 5), delay(1, 200, 290, 7)}));
    const auto g = BarChartLayout::geometry(summary, 428, 220);
    EXPECT_EQ(g.axes[0], (Line{{92, 190}, {412, 190}}));
    EXPECT_EQ(g.axes[1], (Line{{92, 10}, {92, 190}}));
    EXPECT_EQ(g.gridLines[1], (Line{{92, 55}, {412, 55}}));

    ASSERT_EQ(g.nameLabels.size(), 2u);
    testing::expectRect(g.nameLabels[1].frame, Rect{10, 100, 80, 90});
    EXPECT_EQ(g.nameLabels[1].text, "R7");

    ASSERT_EQ(g.scaleLabels.size(), 10u);
    EXPECT_EQ(g.scaleLabels[9].text, "18");
    testing::expectRect(g.scaleLabels[0].frame, Rect{92 - 320.0 / 18, 190, 320.0 / 9, 20});

    ASSERT_EQ(g.bars.size(), 2u);
    // 18 % of a full scale of 18 reaches the end of the plot.
    testing::expectRect(g.bars[0].frame, Rect{92.5, 19, 319.5, 72});
    testing::expectRect(g.bars[1].frame, Rect{92.5, 109, 319.5 / 2, 72});
    EXPECT_EQ(g.bars[1].valueText, "9.00");

    testing::expectRect(BarChartLayout::valueLabelFrame(g.bars[0].frame, 30), Rect{380, 19, 30, 72});
    testing::expectRect(BarChartLayout::valueLabelFrame(Rect{92.5, 19, 10, 72}, 30), Rect{104.5, 19, 30, 72});
}

TEST(BarChartLayout, ABusyHeatKeepsReadableRowsAndSumsTheRestAsOther)
{
    // 40 reasons of 1 % to 40 % in a plot 90 points high: ten rows of 9 points, the last "Other".
    std::vector<VarVal> summary;
    for (int i = 40; i >= 1; --i) {
        summary.push_back(VarVal{"R" + std::to_string(i), i, static_cast<double>(i), Color::fromRgb255(255, 255, 255)});
    }
    const auto g = BarChartLayout::geometry(summary, 428, 130);
    ASSERT_EQ(g.nameLabels.size(), 10u);
    EXPECT_EQ(g.nameLabels[8].text, "R32");
    EXPECT_EQ(g.nameLabels[9].text, "Other");
    EXPECT_DOUBLE_EQ(g.nameLabels[9].frame.height, 9);
    ASSERT_EQ(g.bars.size(), 10u);
    EXPECT_EQ(g.bars[9].valueText, "496.00"); // 1 + 2 + … + 31
    EXPECT_TRUE(g.bars[0].outlined);          // white on the light ground
    EXPECT_FALSE(g.bars[9].outlined);         // the neutral grey of "Other"

    // The usual handful keeps one row each.
    summary.resize(8);
    EXPECT_EQ(BarChartLayout::geometry(summary, 428, 130).nameLabels.size(), 8u);
}

} // namespace
} // namespace orvendel::screens
