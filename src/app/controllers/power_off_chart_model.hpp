#pragma once

#include "app/controllers/chart_model.hpp"

#include "core/model/heat.hpp"
#include "core/screens/power_off_chart.hpp"

#include <QColor>
#include <QObject>
#include <QRectF>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <optional>
#include <vector>

namespace orvendel::app {

// What PowerOffChart.qml draws for one heat: the legends row, the band of segments with the selected delay
// raised, and the start/end times. The geometry is the core's; this model only measures the labels with the
// fonts the view uses and recomputes when the heat, the selection or the item's size changes — never while
// the view merely repaints. Frames of the band's children are relative to their container, as drawn.
// Thread contract: the GUI thread only.
class PowerOffChartModel : public ChartModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Owned by the heat detail controller")
    Q_PROPERTY(bool hasHeat READ hasHeat NOTIFY changed)
    Q_PROPERTY(orvendel::app::RowsModel* legendRows READ legendRows CONSTANT)
    // "+3" after the last legend that fits, or empty; its frame in the legends row.
    Q_PROPERTY(QString moreLegendsText READ moreLegendsText NOTIFY changed)
    Q_PROPERTY(QRectF moreLegendsFrame READ moreLegendsFrame NOTIFY changed)
    Q_PROPERTY(int selectedIndex READ selectedIndex NOTIFY changed)
    Q_PROPERTY(QRectF legendsFrame READ legendsFrame NOTIFY changed)
    Q_PROPERTY(QRectF bandFrame READ bandFrame NOTIFY changed)
    Q_PROPERTY(QRectF shadowFrame READ shadowFrame NOTIFY changed)
    Q_PROPERTY(QRectF segmentContainerFrame READ segmentContainerFrame NOTIFY changed)
    Q_PROPERTY(QRectF timesRowFrame READ timesRowFrame NOTIFY changed)
    Q_PROPERTY(QString startTimeLabel READ startTimeLabel CONSTANT)
    Q_PROPERTY(QString endTimeLabel READ endTimeLabel CONSTANT)
    Q_PROPERTY(QString startTimeValue READ startTimeValue NOTIFY changed)
    Q_PROPERTY(QString endTimeValue READ endTimeValue NOTIFY changed)
    Q_PROPERTY(QRectF startLabelFrame READ startLabelFrame NOTIFY changed)
    Q_PROPERTY(QRectF startValueFrame READ startValueFrame NOTIFY changed)
    Q_PROPERTY(QRectF endLabelFrame READ endLabelFrame NOTIFY changed)
    Q_PROPERTY(QRectF endValueFrame READ endValueFrame NOTIFY changed)

public:
    explicit PowerOffChartModel(QObject* parent = nullptr);

    // The heat drawn and the start of its selected delay; a null heat empties the chart.
    void setHeat(HeatPtr heat, std::optional<Instant> selectedStart);
    // Only the selection moved; nothing happens when it did not.
    void setSelectedStart(std::optional<Instant> selectedStart);

    bool hasHeat() const { return m_heat != nullptr; }
    TypedRows<LegendRow>* legendRows() { return &m_legendRows; }
    QString moreLegendsText() const { return m_moreLegendsText; }
    QRectF moreLegendsFrame() const { return m_moreLegendsFrame; }
    // The band's segments in layout order, frames in the segment container (`PowerOffBand` draws them).
    const std::vector<SegmentRow>& segments() const { return m_segments; }
    // The index in the heat's list of the delay a segment shows; -1 for a gap or no such segment.
    Q_INVOKABLE int delayIndexAt(int segment) const;
    // The same for the delay segment under a point of the segment container (the raised, selected one first);
    // -1 over a gap or outside every segment.
    Q_INVOKABLE int delayIndexAtPoint(qreal x, qreal y) const;
    int selectedIndex() const { return m_selectedIndex; }
    QRectF legendsFrame() const { return m_legendsFrame; }
    QRectF bandFrame() const { return m_bandFrame; }
    QRectF shadowFrame() const { return m_shadowFrame; }
    QRectF segmentContainerFrame() const { return m_segmentContainerFrame; }
    QRectF timesRowFrame() const { return m_timesRowFrame; }
    QString startTimeLabel() const;
    QString endTimeLabel() const;
    QString startTimeValue() const { return m_startTimeValue; }
    QString endTimeValue() const { return m_endTimeValue; }
    QRectF startLabelFrame() const { return m_startLabelFrame; }
    QRectF startValueFrame() const { return m_startValueFrame; }
    QRectF endLabelFrame() const { return m_endLabelFrame; }
    QRectF endValueFrame() const { return m_endValueFrame; }

    // The core's segments as last computed (frames in the segment container; tests).
    const std::vector<screens::ChartSegment>& chartSegments() const { return m_chartSegments; }

private:
    void compute() override;

    HeatPtr m_heat;
    std::optional<Instant> m_selectedStart;

    std::vector<screens::ChartSegment> m_chartSegments;
    TypedRows<LegendRow> m_legendRows;
    QString m_moreLegendsText;
    QRectF m_moreLegendsFrame;
    std::vector<SegmentRow> m_segments;
    int m_selectedIndex = -1;
    QRectF m_legendsFrame;
    QRectF m_bandFrame;
    QRectF m_shadowFrame;
    QRectF m_segmentContainerFrame;
    QRectF m_timesRowFrame;
    QString m_startTimeValue;
    QString m_endTimeValue;
    QRectF m_startLabelFrame;
    QRectF m_startValueFrame;
    QRectF m_endLabelFrame;
    QRectF m_endValueFrame;
};

} // namespace orvendel::app
