#include "core/flows/settings_flow.hpp"

#include "core/editing/edited_delays_manager.hpp"
#include "core/model/screen_notifications.hpp"
#include "core/service/login_manager.hpp"
#include "core/storage/user_configuration_manager.hpp"

namespace orvendel::flows {

bool SettingsFlow::isAutoSaveEnabled() const
{
    return m_session->configuration->isAutoSaveEnabled();
}

void SettingsFlow::setAutoSaveEnabled(bool enabled)
{
    m_session->configuration->setIsAutoSaveEnabled(enabled);
    m_session->notificationCenter->post(screen_notifications::AutoSaveOptionChanged{enabled}, this);
}

void SettingsFlow::askToLogout(std::function<void()> cancelled)
{
    Alert alert{"Do you want to logout?", "All unsaved changes will be lost.", {}, std::nullopt};
    alert.actions.push_back(AlertAction{"Cancel", AlertAction::Style::cancel, std::move(cancelled)});
    alert.actions.push_back(
        AlertAction{"Logout", AlertAction::Style::normal, [session = m_session] { SettingsFlow::logout(*session); }});
    m_presenter.presentAlert(std::move(alert));
}

void SettingsFlow::logout()
{
    logout(*m_session);
}

void SettingsFlow::logout(const Session& session)
{
    // The user was told the unsaved changes go: they go from the disk as well, not only from memory.
    session.edits->clearEditedDelays();
    session.notificationCenter->post(login_notifications::Logout{}, session.login.get());
}

} // namespace orvendel::flows
