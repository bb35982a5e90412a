#pragma once

#include "app/controllers/chart_model.hpp"

#include "core/model/heat.hpp"
#include "core/screens/bar_chart_layout.hpp"

#include <QColor>
#include <QObject>
#include <QtQml/qqmlregistration.h>

#include <optional>
#include <vector>

namespace orvendel::app {

// What BarChart.qml draws for one heat: the axes and grid, a name label per reason, the ten scale labels and
// a bar per reason with its value label. The geometry is the core's; this model measures the value texts
// with the view's font and recomputes when the heat or the item's size changes, never while it repaints.
// Lines come as thin rectangles centred on them ({x, y, width, height}, plus the line's x1, y1, x2, y2).
// Thread contract: the GUI thread only.
class BarChartModel : public ChartModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Owned by the heat detail controller")
    Q_PROPERTY(bool hasHeat READ hasHeat NOTIFY changed)
    Q_PROPERTY(orvendel::app::RowsModel* axes READ axes CONSTANT)
    Q_PROPERTY(orvendel::app::RowsModel* gridLines READ gridLines CONSTANT)
    Q_PROPERTY(orvendel::app::RowsModel* nameLabels READ nameLabels CONSTANT)
    Q_PROPERTY(orvendel::app::RowsModel* scaleLabels READ scaleLabels CONSTANT)
    Q_PROPERTY(orvendel::app::RowsModel* bars READ bars CONSTANT)
    Q_PROPERTY(QColor axisLineColor READ axisLineColor CONSTANT)
    Q_PROPERTY(QColor gridLineColor READ gridLineColor CONSTANT)

public:
    explicit BarChartModel(QObject* parent = nullptr);

    // The heat summarised; a null heat empties the chart.
    void setHeat(HeatPtr heat);

    bool hasHeat() const { return m_heat != nullptr; }
    // Lines as thin rectangles.
    TypedRows<FrameRow>* axes() { return &m_axes; }
    TypedRows<FrameRow>* gridLines() { return &m_gridLines; }
    TypedRows<LabelRow>* nameLabels() { return &m_nameLabels; }
    TypedRows<LabelRow>* scaleLabels() { return &m_scaleLabels; }
    TypedRows<BarRow>* bars() { return &m_bars; }
    QColor axisLineColor() const { return Qt::black; }
    QColor gridLineColor() const { return QColor::fromRgbF(2.0f / 3, 2.0f / 3, 2.0f / 3); }

    // The core's geometry as last computed (tests).
    const screens::BarChartLayout::Geometry& geometry() const { return m_geometry; }

private:
    void compute() override;

    HeatPtr m_heat;
    std::optional<std::vector<screens::VarVal>> m_summary;

    screens::BarChartLayout::Geometry m_geometry;
    TypedRows<FrameRow> m_axes;
    TypedRows<FrameRow> m_gridLines;
    TypedRows<LabelRow> m_nameLabels;
    TypedRows<LabelRow> m_scaleLabels;
    TypedRows<BarRow> m_bars;
};

} // namespace orvendel::app
