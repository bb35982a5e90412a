#include "core/flows/settings_flow.hpp"

#include "core/editing/edited_delays_manager.hpp"
#include "core/model/screen_notifications.hpp"
#include "core/model/texts.hpp"
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
    m_presenter.presentAlert(
        Alert::question(texts::logoutQuestion, texts::logoutWarning,
                        {AlertAction{texts::cancel, AlertAction::Style::cancel, std::move(cancelled)},
                         AlertAction{texts::logout, AlertAction::Style::normal,
                                     [session = m_session] { SettingsFlow::logout(*session); }}}));
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
