#pragma once

#include "core/flows/context.hpp"
#include "core/flows/presenter.hpp"
#include "core/model/texts.hpp"

namespace orvendel::flows {

// The settings screen without its table: the automatic-save option and the sign-out confirmation.
// Thread contract: the user-interface thread.
class SettingsFlow {
public:
    static constexpr const char* title = "Settings";
    static constexpr const char* autoSaveText = texts::autoSave;
    static constexpr const char* logoutText = texts::logout;

    SettingsFlow(ContextPtr context, Presenter::Ref presenter)
        : m_context(std::move(context)), m_presenter(std::move(presenter))
    {}

    // Read afresh every time the screen shows it.
    bool isAutoSaveEnabled() const;
    // Stores the option for the signed-in user (when one is loaded) and announces it with
    // "AutomaticallySaveEditedDelaysOptionChanged".
    void setAutoSaveEnabled(bool enabled);
    // "Do you want to logout?": "Logout" signs out (the logout sequence drops unsaved edits), "Cancel"
    // runs `cancelled`.
    void askToLogout(std::function<void()> cancelled = {});
    // Signs out without asking.
    void logout();

private:
    static void logout(const Context& context);

    ContextPtr m_context;
    Presenter::Ref m_presenter;
};

} // namespace orvendel::flows
