#include "core/screens/bar_chart_layout.hpp"

#include <algorithm>

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

Geometry geometry(const std::optional<std::vector<VarVal>>& summary, double width, double height)
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
    if (!summary) {
        return g;
    }

    const std::size_t n = summary->size();
    const double rowHeight = n > 0 ? plotHeight / static_cast<double>(n) : 0;
    for (std::size_t i = 0; i < n; ++i) {
        g.nameLabels.push_back(
            Label{Rect{insetLeft, insetTop + static_cast<double>(i) * rowHeight, m.nameColumnWidth, rowHeight},
                  (*summary)[i].variableName});
    }

    g.scale = barScale(largestValue(*summary));
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
        const VarVal& entry = (*summary)[i];
        if (!entry.variableColor) {
            continue;
        }
        const double length = (m.plotWidth - gridLineWidth) * entry.variableValue / g.scale.fullScale;
        const Rect frame{m.plotLeft + gridLineWidth, insetTop + rowHeight * 0.1 + static_cast<double>(i) * rowHeight,
                         length, rowHeight * 0.8};
        g.bars.push_back(Bar{frame, *entry.variableColor, barValueText(entry.variableValue)});
    }
    return g;
}

Rect valueLabelFrame(const Rect& bar, double textWidth)
{
    const double x = textWidth <= bar.width ? bar.maxX() - 2 - textWidth : bar.maxX() + 2;
    return Rect{x, bar.y, textWidth, bar.height};
}

} // namespace orvendel::screens::BarChartLayout
