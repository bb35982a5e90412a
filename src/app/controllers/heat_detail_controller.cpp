#include "app/controllers/heat_detail_controller.hpp"

namespace orvendel::app {

HeatDetailController::HeatDetailController(std::shared_ptr<flows::HeatDetailFlow> flow, QObject* parent)
    : QObject(parent), m_flow(std::move(flow))
{
    m_flow->setChangeHandler([this](flows::HeatDetailChange change) {
        switch (change) {
        case flows::HeatDetailChange::heat:
            m_powerOffChart.setHeat(m_flow->heat(), m_flow->selectedDelayStartDate());
            m_barChart.setHeat(m_flow->heat());
            emit heatChanged();
            break;
        case flows::HeatDetailChange::selection:
            m_powerOffChart.setSelectedStart(m_flow->selectedDelayStartDate());
            emit selectionChanged();
            break;
        case flows::HeatDetailChange::saveButton:
            emit saveButtonChanged();
            break;
        case flows::HeatDetailChange::saving:
            emit savingChanged();
            break;
        }
    });
}

HeatDetailController::~HeatDetailController()
{
    m_flow->setChangeHandler({});
}

QString HeatDetailController::emptyMessage() const
{
    const auto& message = m_flow->emptyMessage();
    return message ? QString::fromStdString(*message) : QString();
}

QString HeatDetailController::heatTitle() const
{
    const auto& heat = m_flow->heat();
    return heat ? QStringLiteral("Heat %1").arg(heat->heatNumber) : QString();
}

} // namespace orvendel::app
