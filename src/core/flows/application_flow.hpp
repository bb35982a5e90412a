#pragma once

#include "core/editing/connectivity_status.hpp"
#include "core/flows/context.hpp"
#include "core/flows/heat_detail_flow.hpp"
#include "core/flows/heats_list_flow.hpp"
#include "core/flows/presenter.hpp"
#include "core/flows/sign_in_flow.hpp"
#include "core/support/clock.hpp"
#include "core/support/executor.hpp"
#include "core/support/notification_center.hpp"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvendel::flows {

// The two top-level screens.
enum class Screen { signIn, main };

// Why the shown screen changed.
enum class ScreenChange {
    launch,          // the first sign-in screen
    signedIn,        // the main screen after a successful sign-in
    logout,          // the logout sequence ran for a sign-out nobody here asked for (the service ended it)
    requestedLogout, // the logout sequence ran for the user's own sign-out
    inactivity,      // the idle timer ran out
    background,      // the application went to the background
};

// The application shell without a window: which screen is shown and the flows behind it, the inactivity
// timer (restarted by every input while the main screen is shown), the life-cycle events, and the logout
// sequence, run for every "LoginManagerLogoutNotification". The inactivity timeout and the background only
// replace the screen: the session, its requests and the unsaved edits stay for the same user. When another
// user signs in, what belonged to the previous one is dropped before that user's storage is prepared.
// Thread contract: the user-interface executor; notifications and the timer are moved there.
class ApplicationFlow : public std::enable_shared_from_this<ApplicationFlow> {
public:
    struct Environment {
        ContextPtr context; // handed on to every flow below; its clock runs the idle timer
        ExecutorPtr executor;
        std::shared_ptr<const ConnectivityStatus> connectivity;
        Presenter::Ref presenter{};
        // Zero: no inactivity timeout (a text front end has no idle screen to leave).
        Clock::Duration idleTimeout = std::chrono::seconds(300);
        // Each new sign-in screen asks the store for a newer version.
        bool checkForUpdates = false;
    };
    using ScreenHandler = std::function<void(Screen, ScreenChange)>;

    static constexpr std::chrono::seconds defaultIdleTimeout{300};

    static std::shared_ptr<ApplicationFlow> create(Environment environment);
    ~ApplicationFlow();

    // Called after every change of screen, before the new screen's flows start: attach to them here.
    void setScreenHandler(ScreenHandler handler) { m_screenHandler = std::move(handler); }

    // Finished launching: the sign-in screen.
    void launch();

    const ContextPtr& context() const { return m_environment.context; }
    Screen screen() const { return m_screen; }
    // The flows of the shown screen; none for the other screen's.
    const std::shared_ptr<SignInFlow>& signIn() const { return m_signIn; }
    const std::shared_ptr<HeatsListFlow>& heatsList() const { return m_heatsList; }
    const std::shared_ptr<HeatDetailFlow>& heatDetail() const { return m_heatDetail; }
    bool isSignedIn() const { return m_heatsList != nullptr; }
    // The storage name (upper-cased) of the user last signed in; empty after a logout.
    const std::string& userName() const { return m_userName; }

    // How many unsaved edits of an earlier run the last sign-in restored; front ends say so once.
    std::size_t restoredEditCount() const { return m_restoredEditCount; }

    // Every input event of the front end.
    void userActivity();
    bool isIdleTimerEnabled() const { return m_enableTiming; }
    // Life-cycle events.
    void willResignActive();
    void didEnterBackground();

    // The settings' "Logout": announces the sign-out; the logout sequence follows on the executor.
    void requestLogout();
    // Signed out since started: by request or by the service.
    int signOutCount() const { return m_signOutCount; }
    // The logout sequence: screens gone, session forgotten, requests cancelled, database closed, edits
    // dropped, configuration unloaded, a new sign-in screen.
    void runLogoutSequence(ScreenChange change = ScreenChange::requestedLogout);

private:
    explicit ApplicationFlow(Environment environment);
    void observe();
    void logoutNotification(const std::optional<std::string>& sessionWhenPosted);
    void inactivityTimeout(const screen_notifications::AppInactivityTimeout&);
    void showSignInScreen(ScreenChange change);
    void showMainScreen(const std::string& user, std::optional<int> furnaceId);
    void willPrepareStorage(const std::string& user);
    void restartIdleTimer();
    void dropMainScreen();
    // Requests cancelled, database closed, edits dropped from memory (kept in the journal), configuration
    // unloaded, the user's folder released.
    void dropUserData();

    Environment m_environment;
    ScreenHandler m_screenHandler;
    Screen m_screen = Screen::signIn;
    std::shared_ptr<SignInFlow> m_signIn;
    std::shared_ptr<HeatsListFlow> m_heatsList;
    std::shared_ptr<HeatDetailFlow> m_heatDetail;
    std::string m_userName;
    bool m_enableTiming = false;
    bool m_logoutRequested = false;
    int m_signOutCount = 0;
    std::size_t m_restoredEditCount = 0;
    std::shared_ptr<TimerHandle> m_idleTimer;
    std::vector<ObserverToken> m_observers;
};

} // namespace orvendel::flows
