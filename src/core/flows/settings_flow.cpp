#include "core/flows/settings_flow.hpp"

#include "core/editing/edited_delays_manager.hpp"
#include "core/model/screen_notifications.hpp"
#include "core/model/texts.hpp"
#include "core/service/login_manager.hpp"
#include "core/storage/user_configuration_manager.hpp"

namespace orvendel::flows {

bool SettingsFlow::isAutoSaveEnabled() const
{
    return m_context->configuration->isAutoSaveEnabled();
}

void SettingsFlow::setAutoSaveEnabled(bool enabled)
{
    m_context->configuration->setIsAutoSaveEnabled(enabled);
    m_context->notificationCenter->post(screen_notifications::AutoSaveOptionChanged{enabled}, this);
}

void SettingsFlow::askToLogout(std::function<void()> cancelled)
{
    m_presenter.presentAlert(
        Alert::question(texts::logoutQuestion, texts::logoutWarning,
                        {AlertAction{texts::cancel, AlertAction::Style::cancel, std::move(cancelled)},
                         AlertAction{texts::logout, AlertAction::Style::normal,
                                     [context = m_context] { SettingsFlow::logout(*context); }}}));
}

void SettingsFlow::logout()
{
    logout(*m_context);
}

void SettingsFlow::logout(const Context& context)
{
    // The user was told the unsaved changes go: they go from the disk as well, not only from memory.
    context.edits->clearEditedDelays();
    context.notificationCenter->post(login_notifications::Logout{}, context.login.get());
}

} // namespace orvendel::flows
