#pragma once

#include "app/controllers/rows_model.hpp"

#include <QColor>
#include <QObject>
#include <QRectF>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <array>

namespace orvendel::app {

// The rows the charts draw, one type per kind of item. Frames are in the item's own coordinates.

// A line drawn as a thin rectangle, or any plain frame.
struct FrameRow {
    QRectF frame;
    static constexpr std::array roles{"frame"};
    QVariant value(int) const { return frame; }
    bool operator==(const FrameRow&) const = default;
};

struct LabelRow {
    QRectF frame;
    QString caption;
    static constexpr std::array roles{"frame", "caption"};
    QVariant value(int role) const { return role == 0 ? QVariant(frame) : QVariant(caption); }
    bool operator==(const LabelRow&) const = default;
};

// A bar of the delay summary with its value label.
struct BarRow {
    QRectF frame;
    QColor fill;
    bool outlined = false;
    QString valueText;
    QRectF valueLabel;
    static constexpr std::array roles{"frame", "fill", "outlined", "valueText", "valueLabel"};
    QVariant value(int role) const;
    bool operator==(const BarRow&) const = default;
};

// A legend of the power-off chart: its swatch and its label.
struct LegendRow {
    QRectF swatch;
    QRectF label;
    QString caption;
    QColor fill;
    bool outlined = false;
    static constexpr std::array roles{"swatch", "label", "caption", "fill", "outlined"};
    QVariant value(int role) const;
    bool operator==(const LegendRow&) const = default;
};

// A segment of the power-off band: a delay (`tappable`) or a gap between delays. It does not hold the delay's
// place in the heat, which moves for every later segment when a delay is split; the chart answers that on a
// tap.
struct SegmentRow {
    QRectF frame;
    QColor fill;
    bool outlined = false;
    bool selected = false;
    bool tappable = false;
    bool operator==(const SegmentRow&) const = default;
};

// What both charts share: the size QML gives them, a recomputation when it or the data changes (never while
// the view merely repaints), and one `changed` for the values that are not rows.
// Thread contract: the GUI thread only.
class ChartModel : public QObject {
    Q_OBJECT
    QML_ANONYMOUS
    Q_PROPERTY(qreal width READ width WRITE setWidth NOTIFY widthChanged)
    Q_PROPERTY(qreal height READ height WRITE setHeight NOTIFY heightChanged)
    Q_PROPERTY(QColor labelsTextColor READ labelsTextColor CONSTANT)

public:
    using QObject::QObject;

    qreal width() const { return m_width; }
    void setWidth(qreal width);
    qreal height() const { return m_height; }
    void setHeight(qreal height);
    QColor labelsTextColor() const;

    // How often the chart was computed (tests).
    int recomputations() const { return m_recomputations; }

signals:
    void widthChanged();
    void heightChanged();
    void changed();

protected:
    // Computes the rows and values for the current data and size, then emits `changed`.
    void recompute();
    virtual void compute() = 0;

private:
    qreal m_width = 0;
    qreal m_height = 0;
    int m_recomputations = 0;
};

} // namespace orvendel::app
