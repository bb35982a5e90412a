#include "app/controllers/power_off_chart_model.hpp"

#include "app/controllers/chart_drawing.hpp"
#include "app/controllers/display_text.hpp"
#include "core/screens/power_off_chart_layout.hpp"
#include "core/support/log.hpp"

#include <algorithm>

namespace orvendel::app {

namespace Layout = screens::PowerOffChartLayout;
using namespace ChartDrawing;

PowerOffChartModel::PowerOffChartModel(QObject* parent) : ChartModel(parent)
{
    recompute();
}

void PowerOffChartModel::setHeat(HeatPtr heat, std::optional<Instant> selectedStart)
{
    m_heat = std::move(heat);
    m_selectedStart = selectedStart;
    recompute();
}

void PowerOffChartModel::setSelectedStart(std::optional<Instant> selectedStart)
{
    if (selectedStart == m_selectedStart) {
        return;
    }
    m_selectedStart = selectedStart;
    recompute();
}

int PowerOffChartModel::delayIndexAt(int segment) const
{
    if (segment < 0 || static_cast<std::size_t>(segment) >= m_chartSegments.size() || !m_heat || !m_heat->delays) {
        return -1;
    }
    const auto& delay = m_chartSegments[static_cast<std::size_t>(segment)].delay;
    const auto found = delay ? std::find(m_heat->delays->begin(), m_heat->delays->end(), delay) : m_heat->delays->end();
    return found == m_heat->delays->end() ? -1 : static_cast<int>(found - m_heat->delays->begin());
}

int PowerOffChartModel::delayIndexAtPoint(qreal x, qreal y) const
{
    const QPointF point(x, y);
    const auto& rows = m_segments;
    if (m_selectedIndex >= 0 && rows[static_cast<std::size_t>(m_selectedIndex)].frame.contains(point)) {
        return delayIndexAt(m_selectedIndex);
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].frame.contains(point)) {
            return rows[i].tappable ? delayIndexAt(static_cast<int>(i)) : -1;
        }
    }
    return -1;
}

QString PowerOffChartModel::startTimeLabel() const
{
    return QString::fromUtf8(Layout::startTimeLabel);
}

QString PowerOffChartModel::endTimeLabel() const
{
    return QString::fromUtf8(Layout::endTimeLabel);
}

void PowerOffChartModel::compute()
{
    const QFont font = labelFont();

    if (m_heat) {
        const auto times = Layout::heatTimes(*m_heat);
        m_startTimeValue = QString::fromStdString(times.start);
        m_endTimeValue = QString::fromStdString(times.end);
    } else {
        m_startTimeValue = QString::fromUtf8(Layout::startTimePlaceholder);
        m_endTimeValue = QString::fromUtf8(Layout::endTimePlaceholder);
    }

    const auto legends = m_heat ? Layout::legends(*m_heat) : std::vector<Layout::Legend>{};
    std::vector<screens::Size> labelSizes;
    for (const auto& legend : legends) {
        labelSizes.push_back(naturalSize(displayText(legend.shortDescription), font));
    }
    // The legends row's height does not depend on its width, so the first pass only gives that height.
    const double legendsHeight = Layout::rows(width(), height(), 0).legends.height;
    // Measured for every legend hidden, the widest the count can read.
    const auto widestMore = naturalSize(QString::fromStdString(Layout::moreLegendsText(legends.size())), font);
    const auto legendFrames =
        Layout::layoutLegends(labelSizes, legendsHeight, std::max(0.0, width() - 2 * Layout::inset), widestMore);
    const auto rows = Layout::rows(width(), height(), legendFrames.rowWidth);

    std::vector<LegendRow> legendRows;
    legendRows.reserve(legendFrames.labels.size());
    for (std::size_t i = 0; i < legendFrames.labels.size(); ++i) {
        legendRows.push_back({toQRectF(legendFrames.swatches[i]), toQRectF(legendFrames.labels[i]),
                              displayText(legends[i].shortDescription), toQColor(legends[i].color),
                              screens::needsOutline(legends[i].color)});
    }
    m_legendRows.update(std::move(legendRows));
    m_moreLegendsText = legendFrames.hiddenCount > 0
                            ? QString::fromStdString(Layout::moreLegendsText(legendFrames.hiddenCount))
                            : QString();
    m_moreLegendsFrame = toQRectF(legendFrames.moreLabel);
    m_legendsFrame = toQRectF(rows.legends);
    m_bandFrame = toQRectF(rows.bandContainer);
    m_shadowFrame = toQRectF(rows.shadowView);
    m_segmentContainerFrame = toQRectF(rows.segmentContainer);
    m_timesRowFrame = toQRectF(rows.timesRow);

    const QFont bold = labelFont(true);
    const auto times = Layout::layoutTimesRow(rows.timesRow.width, naturalSize(startTimeLabel(), bold),
                                              naturalSize(endTimeLabel(), bold));
    m_startLabelFrame = toQRectF(times.startLabel);
    m_startValueFrame = toQRectF(times.startValue);
    m_endLabelFrame = toQRectF(times.endLabel);
    m_endValueFrame = toQRectF(times.endValue);

    m_chartSegments.clear();
    if (m_heat) {
        auto chart = screens::buildPowerOffChart(*m_heat, m_selectedStart, rows.segmentContainer.width,
                                                 rows.segmentContainer.height);
        for (const auto& line : chart.diagnostics) {
            log(line);
        }
        m_chartSegments = std::move(chart.segments);
    }
    m_segments.clear();
    m_segments.reserve(m_chartSegments.size());
    m_selectedIndex = -1;
    for (const auto& segment : m_chartSegments) {
        const bool isDelay = segment.delay != nullptr;
        if (segment.isSelected) {
            m_selectedIndex = static_cast<int>(m_segments.size());
        }
        m_segments.push_back({toQRectF(segment.frame), toQColor(segment.color),
                              isDelay && screens::needsOutline(segment.color), segment.isSelected, isDelay});
    }
}

} // namespace orvendel::app
