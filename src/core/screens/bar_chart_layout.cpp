#include "core/screens/bar_chart_layout.hpp"

#include "core/screens/power_off_chart.hpp"

#include <algorithm>
#include <cmath>

namespace orvendel::screens::BarChartLayout {

Measures measures(double width, double height)
{
    Measures m;
    m.usableWidth = width - insetLeft - insetRight - variableLabelToYAxisSeparation;
    m.nameColumnWidth = m.usableWidth * variableLabelHorizontalSpan;
    m.plotLeft = insetLeft + variableLabelToYAxisSeparation + m.nameColumnWidth;
    m.plotWidth = m.usableWidth * gridHorizontalSpan;
    m.usableHeight = height - insetTop - insetBottom;
    m.plotBottom = height - insetBottom - xAxisLabelsHeight;
    return m;
}

std::vector<VarVal> fittedRows(const std::vector<VarVal>& summary, double plotHeight)
{
    const auto fitting = static_cast<std::size_t>(std::max(1.0, std::floor(plotHeight / minimumRowHeight)));
    if (summary.size() <= fitting) {
        return summary;
    }
    std::vector<VarVal> rows(summary.begin(), summary.begin() + static_cast<std::ptrdiff_t>(fitting - 1));
    VarVal other{otherReasonsName, 0, 0, neutralSegmentColor()};
    for (auto entry = summary.begin() + static_cast<std::ptrdiff_t>(fitting - 1); entry != summary.end(); ++entry) {
        other.variableValue += entry->variableValue;
    }
    rows.push_back(std::move(other));
    return rows;
}

Geometry geometry(const std::optional<std::vector<VarVal>>& allRows, double width, double height)
{
    const Measures m = measures(width, height);
    const double plotHeight = m.usableHeight - xAxisLabelsHeight;
    Geometry g;
    g.axes = {Line{{m.plotLeft, m.plotBottom}, {m.plotLeft + m.plotWidth, m.plotBottom}},
              Line{{m.plotLeft, insetTop}, {m.plotLeft, insetTop + plotHeight}}};
    for (int i = 0; i < 4; ++i) {
        const double y = insetTop + i * plotHeight / 4;
        g.gridLines.push_back(Line{{m.plotLeft, y}, {m.plotLeft + m.plotWidth, y}});
    }
    for (int k = 1; k <= 9; ++k) {
        const double x = m.plotLeft + k * m.plotWidth / 9;
        g.gridLines.push_back(Line{{x, m.plotBottom}, {x, insetTop}});
    }
    if (!allRows) {
        return g;
    }
    const std::vector<VarVal> rows = fittedRows(*allRows, plotHeight);

    const std::size_t n = rows.size();
    const double rowHeight = n > 0 ? plotHeight / static_cast<double>(n) : 0;
    for (std::size_t i = 0; i < n; ++i) {
        g.nameLabels.push_back(
            Label{Rect{insetLeft, insetTop + static_cast<double>(i) * rowHeight, m.nameColumnWidth, rowHeight},
                  rows[i].variableName});
    }

    g.scale = barScale(largestValue(rows));
    const double labelWidth = std::max(m.plotWidth / 9, minimumScaleLabelWidth);
    for (std::size_t k = 0; k < g.scale.labels.size(); ++k) {
        const double centre = m.plotLeft + static_cast<double>(k) * m.plotWidth / 9;
        g.scaleLabels.push_back(
            Label{Rect{centre - labelWidth / 2, m.plotBottom, labelWidth, xAxisLabelsHeight}, g.scale.labels[k]});
    }

    if (!(g.scale.fullScale > 0)) {
        return g;
    }
    for (std::size_t i = 0; i < n; ++i) {
        const VarVal& entry = rows[i];
        if (!entry.variableColor) {
            continue;
        }
        const double length = (m.plotWidth - gridLineWidth) * entry.variableValue / g.scale.fullScale;
        const Rect frame{m.plotLeft + gridLineWidth, insetTop + rowHeight * 0.1 + static_cast<double>(i) * rowHeight,
                         length, rowHeight * 0.8};
        g.bars.push_back(
            Bar{frame, *entry.variableColor, barValueText(entry.variableValue), needsOutline(*entry.variableColor)});
    }
    return g;
}

Rect valueLabelFrame(const Rect& bar, double textWidth)
{
    const double x = textWidth <= bar.width ? bar.maxX() - 2 - textWidth : bar.maxX() + 2;
    return Rect{x, bar.y, textWidth, bar.height};
}

} // namespace orvendel::screens::BarChartLayout
