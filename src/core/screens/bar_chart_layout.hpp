#pragma once

#include "core/screens/delay_summary_chart.hpp"
#include "core/screens/geometry.hpp"

#include <optional>
#include <string>
#include <vector>

namespace orvendel::screens {

// Geometry of the delay summary bar chart for a view of `width` × `height`. Thread contract: pure
// functions, any thread.
namespace BarChartLayout {

inline constexpr double insetTop = 10;
inline constexpr double insetLeft = 10;
inline constexpr double insetBottom = 10;
inline constexpr double insetRight = 16;
inline constexpr double variableLabelToYAxisSeparation = 2;
inline constexpr double variableLabelHorizontalSpan = 0.2;
inline constexpr double gridHorizontalSpan = 0.8;
inline constexpr double axisLineWidth = 0.5;
inline constexpr double gridLineWidth = 0.5;
inline constexpr double xAxisLabelsHeight = 20;
inline constexpr double minimumScaleLabelWidth = 30;
// Below this a name no longer reads at the labels' size: a busy heat's smallest reasons share one row.
inline constexpr double minimumRowHeight = 9;
inline constexpr const char* otherReasonsName = "Other";

struct Measures {
    double usableWidth = 0;     // U
    double nameColumnWidth = 0; // N
    double plotLeft = 0;        // x0
    double plotWidth = 0;       // G
    double usableHeight = 0;    // V
    double plotBottom = 0;      // yA, above the scale labels
};

Measures measures(double width, double height);

struct Label {
    Rect frame;
    std::string text;
};

struct Bar {
    Rect frame;
    Color color;
    std::string valueText;
    bool outlined = false; // a colour too light for the ground
};

struct Geometry {
    std::vector<Line> axes;      // x axis, then y axis
    std::vector<Line> gridLines; // 4 horizontal, then 9 vertical
    std::vector<Label> nameLabels;
    std::vector<Label> scaleLabels;
    std::vector<Bar> bars; // entries without a colour get none
    BarScale scale;
};

// The rows that fit a plot `plotHeight` high: the summary itself while every row is at least
// `minimumRowHeight` high, otherwise its largest entries and one "Other" row (neutral grey) summing the rest.
std::vector<VarVal> fittedRows(const std::vector<VarVal>& summary, double plotHeight);

// Everything to draw. Without a summary (no delays, or a heat of no length) only axes and grid.
Geometry geometry(const std::optional<std::vector<VarVal>>& summary, double width, double height);

// A value label of the given natural text width: inside the bar, 2 points before its end, when it fits;
// otherwise 2 points after the end.
Rect valueLabelFrame(const Rect& bar, double textWidth);

} // namespace BarChartLayout

} // namespace orvendel::screens
