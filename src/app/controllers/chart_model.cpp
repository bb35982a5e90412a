#include "app/controllers/chart_model.hpp"

#include "app/controllers/chart_drawing.hpp"
#include "core/screens/power_off_chart_layout.hpp"

namespace orvendel::app {

QVariant BarRow::value(int role) const
{
    switch (role) {
    case 0:
        return frame;
    case 1:
        return fill;
    case 2:
        return outlined;
    case 3:
        return valueText;
    default:
        return valueLabel;
    }
}

QVariant LegendRow::value(int role) const
{
    switch (role) {
    case 0:
        return swatch;
    case 1:
        return label;
    case 2:
        return caption;
    case 3:
        return fill;
    default:
        return outlined;
    }
}

void ChartModel::setWidth(qreal width)
{
    if (width == m_width) {
        return;
    }
    m_width = width;
    emit widthChanged();
    recompute();
}

void ChartModel::setHeight(qreal height)
{
    if (height == m_height) {
        return;
    }
    m_height = height;
    emit heightChanged();
    recompute();
}

QColor ChartModel::labelsTextColor() const
{
    // Both charts label in the power-off chart's grey.
    return ChartDrawing::toQColor(screens::PowerOffChartLayout::labelsTextColor());
}

void ChartModel::recompute()
{
    ++m_recomputations;
    compute();
    emit changed();
}

} // namespace orvendel::app
