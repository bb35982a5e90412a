#include "app/controllers/power_off_band.hpp"

#include "app/controllers/power_off_chart_model.hpp"

#include <QPainter>

namespace orvendel::app {

namespace {

// How far below its frame a shadow falls, and how dark it is.
constexpr qreal shadowOffset = 1;
constexpr qreal bandShadowOpacity = 0.2;
constexpr qreal raisedShadowOpacity = 0.35;

void paintSegment(QPainter* painter, const SegmentRow& row, const QColor& outline)
{
    painter->fillRect(row.frame, row.fill);
    if (row.outlined) {
        // A one-point line inside the frame, as a bordered rectangle draws it.
        painter->setPen(QPen(outline, 1));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(row.frame.adjusted(0.5, 0.5, -0.5, -0.5));
    }
}

} // namespace

PowerOffBand::PowerOffBand(QQuickItem* parent) : QQuickPaintedItem(parent) {}

void PowerOffBand::setModel(PowerOffChartModel* model)
{
    if (m_model == model) {
        return;
    }
    if (m_model) {
        disconnect(m_model, nullptr, this, nullptr);
    }
    m_model = model;
    if (m_model) {
        // The model recomputes only when the heat, the selection or the size changed.
        connect(m_model, &ChartModel::changed, this, [this] { update(); });
    }
    update();
    emit modelChanged();
}

void PowerOffBand::paint(QPainter* painter)
{
    if (!m_model) {
        return;
    }
    const auto& rows = m_model->segments();
    if (rows.empty()) {
        return;
    }
    const QRectF shadowView = m_model->shadowFrame();
    painter->fillRect(shadowView.translated(0, shadowOffset), QColor::fromRgbF(0, 0, 0, bandShadowOpacity));

    painter->translate(shadowView.topLeft() + m_model->segmentContainerFrame().topLeft());
    const QColor outline = m_model->labelsTextColor();
    const SegmentRow* selected = nullptr;
    for (const auto& row : rows) {
        if (row.selected) {
            selected = &row;
        } else {
            paintSegment(painter, row, outline);
        }
    }
    if (selected) {
        painter->fillRect(selected->frame.translated(0, shadowOffset), QColor::fromRgbF(0, 0, 0, raisedShadowOpacity));
        paintSegment(painter, *selected, outline);
    }
}

} // namespace orvendel::app
