#pragma once

#include "app/controllers/rows_model.hpp"

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
    Q_PROPERTY(orvendel::app::RowsModel* axes READ axes CONSTANT)
    Q_PROPERTY(orvendel::app::RowsModel* gridLines READ gridLines CONSTANT)
    Q_PROPERTY(orvendel::app::RowsModel* nameLabels READ nameLabels CONSTANT)
    Q_PROPERTY(orvendel::app::RowsModel* scaleLabels READ scaleLabels CONSTANT)
    Q_PROPERTY(orvendel::app::RowsModel* bars READ bars CONSTANT)
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
    // Lines as thin rectangles: "frame". Labels: "frame", "caption".
    RowsModel* axes() { return &m_axes; }
    RowsModel* gridLines() { return &m_gridLines; }
    RowsModel* nameLabels() { return &m_nameLabels; }
    RowsModel* scaleLabels() { return &m_scaleLabels; }
    // "frame", "fill", "outlined", "valueText", "valueLabel" (the value's frame).
    RowsModel* bars() { return &m_bars; }
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
    RowsModel m_axes{{"frame"}};
    RowsModel m_gridLines{{"frame"}};
    RowsModel m_nameLabels{{"frame", "caption"}};
    RowsModel m_scaleLabels{{"frame", "caption"}};
    RowsModel m_bars{{"frame", "fill", "outlined", "valueText", "valueLabel"}};
};

} // namespace orvendel::app
