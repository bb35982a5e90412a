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

QList<QVariantMap> lineRows(const std::vector<screens::Line>& lines, double lineWidth)
{
    QList<QVariantMap> out;
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
        out.append(QVariantMap{{QStringLiteral("frame"), toQRectF(rect)}});
    }
    return out;
}

QList<QVariantMap> labelRows(const std::vector<Layout::Label>& labels)
{
    QList<QVariantMap> out;
    for (const auto& label : labels) {
        out.append(QVariantMap{{QStringLiteral("frame"), toQRectF(label.frame)},
                               {QStringLiteral("caption"), displayText(label.text)}});
    }
    return out;
}

} // namespace

BarChartModel::BarChartModel(QObject* parent) : QObject(parent)
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

void BarChartModel::setWidth(qreal width)
{
    if (width == m_width) {
        return;
    }
    m_width = width;
    emit widthChanged();
    recompute();
}

void BarChartModel::setHeight(qreal height)
{
    if (height == m_height) {
        return;
    }
    m_height = height;
    emit heightChanged();
    recompute();
}

QColor BarChartModel::labelsTextColor() const
{
    return QColor::fromRgb(51, 51, 51);
}

void BarChartModel::recompute()
{
    ++m_recomputations;
    // Nothing is drawn before the first heat; afterwards at least the axes and the grid.
    m_geometry = m_heat ? Layout::geometry(m_summary, m_width, m_height) : Layout::Geometry{};
    m_axes.update(lineRows(m_geometry.axes, Layout::axisLineWidth));
    m_gridLines.update(lineRows(m_geometry.gridLines, Layout::gridLineWidth));
    m_nameLabels.update(labelRows(m_geometry.nameLabels));
    m_scaleLabels.update(labelRows(m_geometry.scaleLabels));

    const QFont font = labelFont();
    QList<QVariantMap> bars;
    for (const auto& bar : m_geometry.bars) {
        const QString valueText = QString::fromStdString(bar.valueText);
        const double textWidth = naturalSize(valueText, font).width;
        bars.append(
            QVariantMap{{QStringLiteral("frame"), toQRectF(bar.frame)},
                        {QStringLiteral("fill"), toQColor(bar.color)},
                        {QStringLiteral("outlined"), bar.outlined},
                        {QStringLiteral("valueText"), valueText},
                        {QStringLiteral("valueLabel"), toQRectF(Layout::valueLabelFrame(bar.frame, textWidth))}});
    }
    m_bars.update(std::move(bars));
    emit changed();
}

} // namespace orvendel::app
