#pragma once

#include "core/model/heat.hpp"
#include "core/screens/bar_chart_layout.hpp"

#include <QColor>
#include <QObject>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <optional>
#include <vector>

namespace orvendel::app {

// What BarChart.qml draws for one heat: the axes and grid, a name label per reason, the ten scale labels and
// a bar per reason with its value label. The geometry is the core's; this model measures the value texts
// with the view's font and recomputes when the heat or the item's size changes, never while it repaints.
// Lines come as thin rectangles centred on them ({x, y, width, height}, plus the line's x1, y1, x2, y2).
// Thread contract: the GUI thread only.
class BarChartModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Owned by the heat detail controller")
    Q_PROPERTY(qreal width READ width WRITE setWidth NOTIFY widthChanged)
    Q_PROPERTY(qreal height READ height WRITE setHeight NOTIFY heightChanged)
    Q_PROPERTY(bool hasHeat READ hasHeat NOTIFY changed)
    Q_PROPERTY(QVariantList axes READ axes NOTIFY changed)
    Q_PROPERTY(QVariantList gridLines READ gridLines NOTIFY changed)
    Q_PROPERTY(QVariantList nameLabels READ nameLabels NOTIFY changed)
    Q_PROPERTY(QVariantList scaleLabels READ scaleLabels NOTIFY changed)
    Q_PROPERTY(QVariantList bars READ bars NOTIFY changed)
    Q_PROPERTY(QColor labelsTextColor READ labelsTextColor CONSTANT)
    Q_PROPERTY(QColor axisLineColor READ axisLineColor CONSTANT)
    Q_PROPERTY(QColor gridLineColor READ gridLineColor CONSTANT)

public:
    explicit BarChartModel(QObject* parent = nullptr);

    // The heat summarised; a null heat empties the chart.
    void setHeat(HeatPtr heat);

    qreal width() const { return m_width; }
    void setWidth(qreal width);
    qreal height() const { return m_height; }
    void setHeight(qreal height);

    bool hasHeat() const { return m_heat != nullptr; }
    QVariantList axes() const { return m_axes; }
    QVariantList gridLines() const { return m_gridLines; }
    QVariantList nameLabels() const { return m_nameLabels; }
    QVariantList scaleLabels() const { return m_scaleLabels; }
    // {x, y, width, height, color, valueText, valueLabel: {x, y, width, height}}
    QVariantList bars() const { return m_bars; }
    QColor labelsTextColor() const;
    QColor axisLineColor() const { return Qt::black; }
    QColor gridLineColor() const { return QColor::fromRgbF(2.0f / 3, 2.0f / 3, 2.0f / 3); }

    // The core's geometry as last computed, and how often that was (tests).
    const screens::BarChartLayout::Geometry& geometry() const { return m_geometry; }
    int recomputations() const { return m_recomputations; }

signals:
    void widthChanged();
    void heightChanged();
    void changed();

private:
    void recompute();

    HeatPtr m_heat;
    std::optional<std::vector<screens::VarVal>> m_summary;
    qreal m_width = 0;
    qreal m_height = 0;
    int m_recomputations = 0;

    screens::BarChartLayout::Geometry m_geometry;
    QVariantList m_axes;
    QVariantList m_gridLines;
    QVariantList m_nameLabels;
    QVariantList m_scaleLabels;
    QVariantList m_bars;
};

} // namespace orvendel::app
