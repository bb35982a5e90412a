#include "app/controllers/power_off_chart_model.hpp"

#include "app/controllers/chart_drawing.hpp"
#include "app/controllers/display_text.hpp"
#include "core/screens/power_off_chart_layout.hpp"
#include "core/support/log.hpp"

#include <algorithm>

namespace orvendel::app {

namespace Layout = screens::PowerOffChartLayout;
using namespace ChartDrawing;

namespace {

// Where the segment's delay stands in the heat's list, so a tap can name it; -1 for a gap.
int delayIndexOf(const Heat& heat, const DelayPtr& delay)
{
    if (!delay || !heat.delays) {
        return -1;
    }
    const auto found = std::find(heat.delays->begin(), heat.delays->end(), delay);
    return found == heat.delays->end() ? -1 : static_cast<int>(found - heat.delays->begin());
}

} // namespace

PowerOffChartModel::PowerOffChartModel(QObject* parent) : QObject(parent)
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

void PowerOffChartModel::setWidth(qreal width)
{
    if (width == m_width) {
        return;
    }
    m_width = width;
    emit widthChanged();
    recompute();
}

void PowerOffChartModel::setHeight(qreal height)
{
    if (height == m_height) {
        return;
    }
    m_height = height;
    emit heightChanged();
    recompute();
}

QString PowerOffChartModel::startTimeLabel() const
{
    return QString::fromUtf8(Layout::startTimeLabel);
}

QString PowerOffChartModel::endTimeLabel() const
{
    return QString::fromUtf8(Layout::endTimeLabel);
}

QColor PowerOffChartModel::labelsTextColor() const
{
    return toQColor(Layout::labelsTextColor());
}

void PowerOffChartModel::recompute()
{
    ++m_recomputations;
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
    const double legendsHeight = Layout::rows(m_width, m_height, 0).legends.height;
    // Measured for every legend hidden, the widest the count can read.
    const auto widestMore = naturalSize(QString::fromStdString(Layout::moreLegendsText(legends.size())), font);
    const auto legendFrames =
        Layout::layoutLegends(labelSizes, legendsHeight, std::max(0.0, m_width - 2 * Layout::inset), widestMore);
    const auto rows = Layout::rows(m_width, m_height, legendFrames.rowWidth);

    QList<QVariantMap> legendRows;
    for (std::size_t i = 0; i < legendFrames.labels.size(); ++i) {
        legendRows.append(QVariantMap{{QStringLiteral("swatch"), toQRectF(legendFrames.swatches[i])},
                                      {QStringLiteral("label"), toQRectF(legendFrames.labels[i])},
                                      {QStringLiteral("caption"), displayText(legends[i].shortDescription)},
                                      {QStringLiteral("fill"), toQColor(legends[i].color)},
                                      {QStringLiteral("outlined"), screens::needsOutline(legends[i].color)}});
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
    QList<QVariantMap> segmentRows;
    m_selectedIndex = -1;
    m_selectedFrame = {};
    for (std::size_t i = 0; i < m_chartSegments.size(); ++i) {
        const auto& segment = m_chartSegments[i];
        segmentRows.append(
            QVariantMap{{QStringLiteral("frameX"), segment.frame.x},
                        {QStringLiteral("frameY"), segment.frame.y},
                        {QStringLiteral("frameWidth"), segment.frame.width},
                        {QStringLiteral("frameHeight"), segment.frame.height},
                        {QStringLiteral("fill"), toQColor(segment.color)},
                        {QStringLiteral("outlined"), segment.delay != nullptr && screens::needsOutline(segment.color)},
                        {QStringLiteral("selected"), segment.isSelected},
                        {QStringLiteral("delayIndex"), delayIndexOf(*m_heat, segment.delay)}});
        if (segment.isSelected) {
            m_selectedIndex = static_cast<int>(i);
            m_selectedFrame = toQRectF(segment.frame);
        }
    }
    m_segmentRows.update(std::move(segmentRows));
    emit changed();
}

} // namespace orvendel::app
