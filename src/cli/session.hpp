#pragma once

#include "cli/announcements.hpp"
#include "cli/heat_detail_flow.hpp"
#include "cli/heats_list_flow.hpp"
#include "cli/main_loop.hpp"
#include "core/editing/connectivity_status.hpp"
#include "core/support/notification_center.hpp"

#include <memory>
#include <optional>
#include <string>

namespace orvendel::cli {

// The application shell without windows: the sign-in screen's attempt and result handling (local storage
// prepared, starting furnace recorded), the main screen's two flows while someone is signed in, and the
// logout sequence, run for `logout` and for every "LoginManagerLogoutNotification" (a forced sign-out).
// Thread contract: the main loop's thread; notifications are moved there.
class Session : public std::enable_shared_from_this<Session> {
public:
    struct Environment {
        std::shared_ptr<MainLoop> loop;
        const ConnectivityStatus* connectivity = nullptr;
        Announcements* announcements = nullptr;
    };

    static std::shared_ptr<Session> create(Environment environment);

    // Starts a sign-in; false when it was refused at once (no network: the alert is announced). A furnace
    // given here is selected once the user's configuration is loaded, before the first download.
    bool beginSignIn(const std::string& username, const std::string& password,
                     std::optional<int> furnaceId = std::nullopt);
    bool isSigningIn() const { return m_signingIn; }
    // Gives up a sign-in whose answer never came.
    void cancelSignIn();

    bool isSignedIn() const { return m_heatsList != nullptr; }
    // The signed-in user's storage name (upper-cased).
    const std::string& userName() const { return m_userName; }
    HeatsListFlow* heatsList() const { return m_heatsList.get(); }
    HeatDetailFlow* heatDetail() const { return m_heatDetail.get(); }

    // As the settings' "Logout": announces the sign-out; the logout sequence follows on the main loop.
    void requestLogout();
    // Signed out since the count was last read: by request or by the service.
    int signOutCount() const { return m_signOutCount; }

    // The logout sequence: session forgotten, requests cancelled, database closed, edits dropped,
    // configuration unloaded, main screen gone.
    void runLogoutSequence();

private:
    explicit Session(Environment environment);
    void observe();
    void finishedAuthenticating(const Notification& notification);
    void logoutNotification(const Notification& notification);
    void signInFailed(Alert alert);
    void showMainScreen();

    Environment m_environment;
    bool m_signingIn = false;
    bool m_logoutRequested = false;
    int m_signOutCount = 0;
    std::string m_typedUsername;
    std::optional<int> m_furnaceAfterSignIn;
    std::string m_userName;
    std::shared_ptr<HeatsListFlow> m_heatsList;
    std::shared_ptr<HeatDetailFlow> m_heatDetail;
    std::vector<ObserverToken> m_observers;
};

} // namespace orvendel::cli
