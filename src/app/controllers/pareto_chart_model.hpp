#pragma once

#include "app/controllers/chart_model.hpp"

#include <QColor>
#include <QObject>
#include <QPointF>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <vector>

namespace orvendel::app {

// A straight line of any slope, drawn as a thin rectangle turned about its left end.
struct SlopedLineRow {
    QPointF from;
    qreal length = 0;
    qreal angle = 0; // degrees, clockwise as QML turns
    static constexpr std::array roles{"from", "length", "angle"};
    QVariant value(int role) const;
    bool operator==(const SlopedLineRow&) const = default;
};

// What the report's Pareto chart draws: a bar per row, largest first, on a minutes scale at the left; the
// cumulative share as a line over them on a percent scale at the right, and the 80 % mark across.
// Thread contract: the GUI thread only.
class ParetoChartModel : public ChartModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Owned by the shift report controller")
    Q_PROPERTY(orvendel::app::RowsModel* bars READ bars CONSTANT)
    Q_PROPERTY(orvendel::app::RowsModel* barLabels READ barLabels CONSTANT)
    Q_PROPERTY(orvendel::app::RowsModel* scaleLabels READ scaleLabels CONSTANT)
    Q_PROPERTY(orvendel::app::RowsModel* cumulativeLine READ cumulativeLine CONSTANT)
    Q_PROPERTY(orvendel::app::RowsModel* cumulativePoints READ cumulativePoints CONSTANT)
    Q_PROPERTY(QRectF plotFrame READ plotFrame NOTIFY changed)
    Q_PROPERTY(QRectF markFrame READ markFrame NOTIFY changed)
    Q_PROPERTY(QRectF markLabel READ markLabel NOTIFY changed)
    Q_PROPERTY(QColor lineColor READ lineColor CONSTANT)
    Q_PROPERTY(QColor markColor READ markColor CONSTANT)

public:
    struct Bar {
        QString label;
        double minutes = 0;
        double cumulativeShare = 0;
        QColor fill;
    };

    explicit ParetoChartModel(QObject* parent = nullptr);

    void setBars(std::vector<Bar> bars);

    TypedRows<BarRow>* bars() { return &m_bars; }
    TypedRows<LabelRow>* barLabels() { return &m_barLabels; }
    TypedRows<LabelRow>* scaleLabels() { return &m_scaleLabels; }
    TypedRows<SlopedLineRow>* cumulativeLine() { return &m_line; }
    TypedRows<FrameRow>* cumulativePoints() { return &m_points; }
    QRectF plotFrame() const { return m_plot; }
    QRectF markFrame() const { return m_mark; }
    QRectF markLabel() const { return m_markLabel; }
    QColor lineColor() const { return QColor(0x20, 0x20, 0x20); }
    QColor markColor() const { return QColor(0x00, 0x7a, 0xff); }

    // The bar under a point of the chart, -1 off the bars.
    Q_INVOKABLE int barAt(qreal x, qreal y) const;

private:
    void compute() override;

    std::vector<Bar> m_data;
    TypedRows<BarRow> m_bars;
    TypedRows<LabelRow> m_barLabels;
    TypedRows<LabelRow> m_scaleLabels;
    TypedRows<SlopedLineRow> m_line;
    TypedRows<FrameRow> m_points;
    QRectF m_plot;
    QRectF m_mark;
    QRectF m_markLabel;
};

} // namespace orvendel::app
