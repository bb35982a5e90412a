#pragma once

#include "app/controllers/bar_chart_model.hpp"
#include "app/controllers/power_off_chart_model.hpp"
#include "core/flows/heat_detail_flow.hpp"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <memory>

namespace orvendel::app {

// The heat detail column over its flow: the cover message while no heat is shown, else the heat's title.
// The charts, the delay pages and the save button hang off this controller as they come.
// Thread contract: the GUI thread only.
class HeatDetailController : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the application controller")
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(bool showsEmptyMessage READ showsEmptyMessage NOTIFY heatChanged)
    Q_PROPERTY(QString emptyMessage READ emptyMessage NOTIFY heatChanged)
    Q_PROPERTY(QString heatTitle READ heatTitle NOTIFY heatChanged)
    Q_PROPERTY(orvendel::app::PowerOffChartModel* powerOffChart READ powerOffChart CONSTANT)
    Q_PROPERTY(orvendel::app::BarChartModel* barChart READ barChart CONSTANT)

public:
    HeatDetailController(std::shared_ptr<flows::HeatDetailFlow> flow, QObject* parent = nullptr);
    ~HeatDetailController() override;

    QString title() const { return QString::fromUtf8(flows::HeatDetailFlow::title); }
    bool showsEmptyMessage() const { return m_flow->emptyMessage().has_value(); }
    QString emptyMessage() const;
    QString heatTitle() const;
    PowerOffChartModel* powerOffChart() { return &m_powerOffChart; }
    BarChartModel* barChart() { return &m_barChart; }

    const std::shared_ptr<flows::HeatDetailFlow>& flow() const { return m_flow; }

signals:
    void heatChanged();
    void selectionChanged();
    void saveButtonChanged();
    void savingChanged();

private:
    std::shared_ptr<flows::HeatDetailFlow> m_flow;
    PowerOffChartModel m_powerOffChart;
    BarChartModel m_barChart;
};

} // namespace orvendel::app
