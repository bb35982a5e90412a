#include "app/controllers/heat_detail_controller.hpp"

#include "core/screens/heat_detail_layout.hpp"
#include "core/screens/heats_table.hpp"

#include <QRectF>

namespace orvendel::app {

HeatDetailController::HeatDetailController(std::shared_ptr<flows::HeatDetailFlow> flow, QObject* parent)
    : QObject(parent), m_flow(std::move(flow)), m_pages(m_flow->pages())
{
    m_flowChanges = m_flow->setChangeHandler([this](flows::HeatDetailChange change) {
        switch (change) {
        case flows::HeatDetailChange::heat:
            m_powerOffChart.setHeat(m_flow->heat(), m_flow->selectedDelayStartDate());
            m_barChart.setHeat(m_flow->heat());
            emit heatChanged();
            break;
        case flows::HeatDetailChange::delays:
            m_powerOffChart.setHeat(m_flow->heat(), m_flow->selectedDelayStartDate());
            m_barChart.setHeat(m_flow->heat());
            emit delaysChanged();
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

QString HeatDetailController::emptyMessage() const
{
    const auto& message = m_flow->emptyMessage();
    return message ? QString::fromStdString(*message) : QString();
}

QString HeatDetailController::heatTitle() const
{
    const auto& heat = m_flow->heat();
    return heat ? QString::fromStdString(screens::HeatsTable::heatTitle(heat->heatNumber)) : QString();
}

namespace {

QRectF rect(const screens::Rect& frame)
{
    return QRectF(frame.x, frame.y, frame.width, frame.height);
}

} // namespace

QVariantMap HeatDetailController::columnLayout(double width, double height, bool withSaveButton) const
{
    const auto column = screens::HeatDetailLayout::column(width, height, !withSaveButton);
    return {{QStringLiteral("upperPart"), rect(column.upperPart)},
            {QStringLiteral("delayPages"), rect(column.delayPages)},
            {QStringLiteral("saveButton"), rect(column.saveButton)}};
}

QVariantMap HeatDetailController::upperPartLayout(double width, double height) const
{
    const auto upper = screens::HeatDetailLayout::upperPart(width, height);
    return {{QStringLiteral("title"), rect(upper.title)},
            {QStringLiteral("powerOffChart"), rect(upper.powerOffChart)},
            {QStringLiteral("barChart"), rect(upper.barChart)}};
}

} // namespace orvendel::app
