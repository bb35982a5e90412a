#pragma once

#include <QPointer>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

namespace orvendel::app {

class PowerOffChartModel;

// The power-off band drawn as one item: the band's shadow, every segment (outlined where its colour needs it),
// then the selected one raised over its neighbours with its own shadow. An item per segment made the renderer
// walk a hundred more nodes on every frame of the app, and an edit moved a dozen of them; this item repaints
// itself, the band only, when the model's segments change. Taps stay with the chart's tap area.
// Thread contract: the GUI thread only.
class PowerOffBand : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(orvendel::app::PowerOffChartModel* model READ model WRITE setModel NOTIFY modelChanged)

public:
    explicit PowerOffBand(QQuickItem* parent = nullptr);

    PowerOffChartModel* model() const { return m_model; }
    void setModel(PowerOffChartModel* model);

    // Frames are the model's: the shadow view's in this item, the segments' in the shadow view's container.
    void paint(QPainter* painter) override;

signals:
    void modelChanged();

private:
    QPointer<PowerOffChartModel> m_model;
};

} // namespace orvendel::app
