#pragma once

#include "app/controllers/rows_model.hpp"

#include "core/model/heat.hpp"
#include "core/screens/power_off_chart.hpp"

#include <QColor>
#include <QObject>
#include <QRectF>
#include <QString>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <optional>
#include <vector>

namespace orvendel::app {

// What PowerOffChart.qml draws for one heat: the legends row, the band of segments with the selected delay
// raised, and the start/end times. The geometry is the core's; this model only measures the labels with the
// fonts the view uses and recomputes when the heat, the selection or the item's size changes — never while
// the view merely repaints. Frames of the band's children are relative to their container, as drawn.
// Thread contract: the GUI thread only.
class PowerOffChartModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Owned by the heat detail controller")
    Q_PROPERTY(qreal width READ width WRITE setWidth NOTIFY widthChanged)
    Q_PROPERTY(qreal height READ height WRITE setHeight NOTIFY heightChanged)
    Q_PROPERTY(bool hasHeat READ hasHeat NOTIFY changed)
    Q_PROPERTY(orvendel::app::RowsModel* legendRows READ legendRows CONSTANT)
    // "+3" after the last legend that fits, or empty; its frame in the legends row.
    Q_PROPERTY(QString moreLegendsText READ moreLegendsText NOTIFY changed)
    Q_PROPERTY(QRectF moreLegendsFrame READ moreLegendsFrame NOTIFY changed)
    Q_PROPERTY(orvendel::app::RowsModel* segmentRows READ segmentRows CONSTANT)
    Q_PROPERTY(int selectedIndex READ selectedIndex NOTIFY changed)
    Q_PROPERTY(QRectF selectedFrame READ selectedFrame NOTIFY changed)
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
    Q_PROPERTY(QColor labelsTextColor READ labelsTextColor CONSTANT)

public:
    explicit PowerOffChartModel(QObject* parent = nullptr);

    // The heat drawn and the start of its selected delay; a null heat empties the chart.
    void setHeat(HeatPtr heat, std::optional<Instant> selectedStart);
    // Only the selection moved; nothing happens when it did not.
    void setSelectedStart(std::optional<Instant> selectedStart);

    qreal width() const { return m_width; }
    void setWidth(qreal width);
    qreal height() const { return m_height; }
    void setHeight(qreal height);

    bool hasHeat() const { return m_heat != nullptr; }
    // Per legend: "swatch" and "label" (frames), "caption", "fill", "outlined".
    RowsModel* legendRows() { return &m_legendRows; }
    QString moreLegendsText() const { return m_moreLegendsText; }
    QRectF moreLegendsFrame() const { return m_moreLegendsFrame; }
    // Per segment: "frameX", "frameY", "frameWidth", "frameHeight", "fill", "outlined", "selected", "delayIndex"
    // (the delay's index in the heat's list, -1 for a gap).
    RowsModel* segmentRows() { return &m_segmentRows; }
    int selectedIndex() const { return m_selectedIndex; }
    // The selected segment's frame; empty when none is selected.
    QRectF selectedFrame() const { return m_selectedFrame; }
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
    QColor labelsTextColor() const;

    // The core's segments as last computed (frames in the segment container), and how often that was (tests).
    const std::vector<screens::ChartSegment>& chartSegments() const { return m_chartSegments; }
    int recomputations() const { return m_recomputations; }

signals:
    void widthChanged();
    void heightChanged();
    void changed();

private:
    void recompute();

    HeatPtr m_heat;
    std::optional<Instant> m_selectedStart;
    qreal m_width = 0;
    qreal m_height = 0;
    int m_recomputations = 0;

    std::vector<screens::ChartSegment> m_chartSegments;
    RowsModel m_legendRows{{"swatch", "label", "caption", "fill", "outlined"}};
    QString m_moreLegendsText;
    QRectF m_moreLegendsFrame;
    RowsModel m_segmentRows{
        {"frameX", "frameY", "frameWidth", "frameHeight", "fill", "outlined", "selected", "delayIndex"}};
    int m_selectedIndex = -1;
    QRectF m_selectedFrame;
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
