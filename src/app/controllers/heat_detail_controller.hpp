#pragma once

#include "app/controllers/bar_chart_model.hpp"
#include "app/controllers/delay_pages_controller.hpp"
#include "app/controllers/power_off_chart_model.hpp"
#include "core/flows/heat_detail_flow.hpp"

#include <QObject>
#include <QString>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

#include <memory>

namespace orvendel::app {

// The heat detail column over its flow: the cover message while no heat is shown, else the heat's title,
// the charts, the delay pages and the save button with its spinner.
// Thread contract: the GUI thread only.
class HeatDetailController : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the application controller")
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(bool showsEmptyMessage READ showsEmptyMessage NOTIFY heatChanged)
    Q_PROPERTY(QString emptyMessage READ emptyMessage NOTIFY heatChanged)
    Q_PROPERTY(QString heatTitle READ heatTitle NOTIFY heatChanged)
    Q_PROPERTY(DelayPagesController* pages READ pages CONSTANT)
    Q_PROPERTY(bool saveButtonShown READ saveButtonShown NOTIFY saveButtonChanged)
    Q_PROPERTY(bool saveButtonEnabled READ saveButtonEnabled NOTIFY saveButtonChanged)
    Q_PROPERTY(bool saving READ saving NOTIFY savingChanged)
    Q_PROPERTY(orvendel::app::PowerOffChartModel* powerOffChart READ powerOffChart CONSTANT)
    Q_PROPERTY(orvendel::app::BarChartModel* barChart READ barChart CONSTANT)

public:
    HeatDetailController(std::shared_ptr<flows::HeatDetailFlow> flow, QObject* parent = nullptr);

    QString title() const { return QString::fromUtf8(flows::HeatDetailFlow::title); }
    bool showsEmptyMessage() const { return m_flow->emptyMessage().has_value(); }
    QString emptyMessage() const;
    QString heatTitle() const;
    DelayPagesController* pages() { return &m_pages; }
    bool saveButtonShown() const { return m_flow->isSaveButtonShown(); }
    bool saveButtonEnabled() const { return m_flow->isSaveButtonEnabled(); }
    bool saving() const { return m_flow->isSaving(); }

    // The save button.
    Q_INVOKABLE void save() { m_flow->saveShownHeat(); }
    // Frames of the column for its size, with or without the save button: {"upperPart", "delayPages",
    // "saveButton"}, each a QRectF. The button's presence is an argument so that a view's binding depends on it.
    Q_INVOKABLE QVariantMap columnLayout(double width, double height, bool withSaveButton) const;
    // Frames inside the upper part: {"title", "powerOffChart", "barChart"}.
    Q_INVOKABLE QVariantMap upperPartLayout(double width, double height) const;
    PowerOffChartModel* powerOffChart() { return &m_powerOffChart; }
    BarChartModel* barChart() { return &m_barChart; }

    const std::shared_ptr<flows::HeatDetailFlow>& flow() const { return m_flow; }

signals:
    void heatChanged();
    // An edit changed the shown heat's delays; the charts were recomputed.
    void delaysChanged();
    void selectionChanged();
    void saveButtonChanged();
    void savingChanged();

private:
    std::shared_ptr<flows::HeatDetailFlow> m_flow;
    DelayPagesController m_pages;
    PowerOffChartModel m_powerOffChart;
    BarChartModel m_barChart;
    HandlerToken m_flowChanges; // the flow calls back only while this lives
};

} // namespace orvendel::app
