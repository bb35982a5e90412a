#include "app/controllers/bar_chart_model.hpp"

#include "app/controllers/chart_drawing.hpp"
#include "app/controllers/display_text.hpp"
#include "core/support/log.hpp"

#include <algorithm>
#include <cmath>

namespace orvendel::app {

namespace Layout = screens::BarChartLayout;
using namespace ChartDrawing;

namespace {

std::vector<FrameRow> lineRows(const std::vector<screens::Line>& lines, double lineWidth)
{
    std::vector<FrameRow> out;
    out.reserve(lines.size());
    for (const auto& line : lines) {
        const double x = std::min(line.from.x, line.to.x);
        const double y = std::min(line.from.y, line.to.y);
        // Horizontal and vertical only: the rectangle is the line's length by its width, centred on it. A line
        // thinner than a pixel is drawn as one whole pixel on the pixel it falls in: left at its fractional place
        // it covers no pixel centre, and the renderer leaves it out.
        const bool horizontal = line.from.y == line.to.y;
        const double drawnWidth = std::max(1.0, std::round(lineWidth));
        const screens::Rect rect =
            horizontal ? screens::Rect{x, std::floor(y - lineWidth / 2), std::abs(line.to.x - line.from.x), drawnWidth}
                       : screens::Rect{std::floor(x - lineWidth / 2), y, drawnWidth, std::abs(line.to.y - line.from.y)};
        out.push_back({toQRectF(rect)});
    }
    return out;
}

std::vector<LabelRow> labelRows(const std::vector<Layout::Label>& labels)
{
    std::vector<LabelRow> out;
    out.reserve(labels.size());
    for (const auto& label : labels) {
        out.push_back({toQRectF(label.frame), displayText(label.text)});
    }
    return out;
}

} // namespace

BarChartModel::BarChartModel(QObject* parent) : ChartModel(parent)
{
    recompute();
}

void BarChartModel::setHeat(HeatPtr heat)
{
    m_heat = std::move(heat);
    m_summary = m_heat ? screens::delaySummary(*m_heat) : std::nullopt;
    if (m_summary) {
        for (const auto& line : screens::delaySummaryLogLines(*m_summary)) {
            log(line);
        }
    }
    recompute();
}

void BarChartModel::compute()
{
    // Nothing is drawn before the first heat; afterwards at least the axes and the grid.
    m_geometry = m_heat ? Layout::geometry(m_summary, width(), height()) : Layout::Geometry{};
    m_axes.update(lineRows(m_geometry.axes, Layout::axisLineWidth));
    m_gridLines.update(lineRows(m_geometry.gridLines, Layout::gridLineWidth));
    m_nameLabels.update(labelRows(m_geometry.nameLabels));
    m_scaleLabels.update(labelRows(m_geometry.scaleLabels));

    const QFont font = labelFont();
    std::vector<BarRow> bars;
    bars.reserve(m_geometry.bars.size());
    for (const auto& bar : m_geometry.bars) {
        QString valueText = QString::fromStdString(bar.valueText);
        const double textWidth = naturalSize(valueText, font).width;
        bars.push_back({toQRectF(bar.frame), toQColor(bar.color), bar.outlined, std::move(valueText),
                        toQRectF(Layout::valueLabelFrame(bar.frame, textWidth))});
    }
    m_bars.update(std::move(bars));
}

} // namespace orvendel::app
