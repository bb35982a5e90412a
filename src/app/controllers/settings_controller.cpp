#include "app/controllers/settings_controller.hpp"

#include <QPointer>

namespace orvendel::app {

SettingsController::SettingsController(flows::SessionPtr session, flows::Presenter::Ref presenter, QObject* parent)
    : QObject(parent), m_flow(std::move(session), std::move(presenter))
{}

void SettingsController::setAutoSaveEnabled(bool enabled)
{
    m_flow.setAutoSaveEnabled(enabled);
    emit autoSaveEnabledChanged();
}

void SettingsController::askToLogout()
{
    m_flow.askToLogout([self = QPointer<SettingsController>(this)] {
        if (self) {
            emit self->logoutCancelled();
        }
    });
}

} // namespace orvendel::app
