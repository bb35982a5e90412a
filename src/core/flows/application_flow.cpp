#include "core/flows/application_flow.hpp"

#include "core/editing/edited_delays_manager.hpp"
#include "core/flows/observe_on.hpp"
#include "core/model/screen_notifications.hpp"
#include "core/service/download_manager.hpp"
#include "core/service/login_manager.hpp"
#include "core/storage/database_manager.hpp"
#include "core/storage/user_configuration_manager.hpp"
#include "core/support/log.hpp"

namespace orvendel::flows {

std::shared_ptr<ApplicationFlow> ApplicationFlow::create(Environment environment)
{
    std::shared_ptr<ApplicationFlow> flow(new ApplicationFlow(std::move(environment)));
    flow->observe();
    return flow;
}

ApplicationFlow::ApplicationFlow(Environment environment) : m_environment(std::move(environment)) {}

ApplicationFlow::~ApplicationFlow()
{
    if (m_idleTimer) {
        m_idleTimer->cancel();
    }
}

void ApplicationFlow::observe()
{
    const std::weak_ptr<ApplicationFlow> self = weak_from_this();
    const auto& context = *m_environment.context;
    m_observers.push_back(
        observeOn(*context.notificationCenter, m_environment.executor, self, &ApplicationFlow::inactivityTimeout));
    // The session a sign-out was meant for is taken when it is posted: one that arrives after another
    // sign-in (a late failure of the previous session's requests) must not end the new session.
    m_observers.push_back(context.notificationCenter->observe<login_notifications::Logout>(
        [executor = m_environment.executor, self,
         login = std::weak_ptr<LoginManager>(context.login)](const login_notifications::Logout&) {
            const auto manager = login.lock();
            postWhileAlive(executor, self,
                           [sessionId = manager ? manager->sessionId() : std::nullopt](ApplicationFlow& flow) {
                               flow.logoutNotification(sessionId);
                           });
        }));
}

void ApplicationFlow::launch()
{
    showSignInScreen(ScreenChange::launch);
}

// ---- screens ----

void ApplicationFlow::dropMainScreen()
{
    m_heatsList.reset();
    m_heatDetail.reset();
}

void ApplicationFlow::showSignInScreen(ScreenChange change)
{
    dropMainScreen();
    // An alert of the old screen would stand over the new one; a buttonless one would block it for good.
    m_environment.presenter.dismissAll();
    const std::weak_ptr<ApplicationFlow> self = weak_from_this();
    m_signIn = SignInFlow::create(SignInFlow::Environment{
        m_environment.context, m_environment.executor, m_environment.connectivity, m_environment.presenter,
        [self](const std::string& user) {
            if (auto flow = self.lock()) {
                flow->willPrepareStorage(user);
            }
        },
        [self](const std::string& user, std::optional<int> furnaceId) {
            if (auto flow = self.lock()) {
                flow->showMainScreen(user, furnaceId);
            }
        }});
    m_screen = Screen::signIn;
    // The idle timer is not cancelled: one still running fires once more and brings a fresh sign-in screen.
    m_enableTiming = false;
    if (m_screenHandler) {
        m_screenHandler(Screen::signIn, change);
    }
    if (m_environment.checkForUpdates) {
        m_signIn->checkForUpdate();
    }
}

void ApplicationFlow::willPrepareStorage(const std::string& user)
{
    if (m_userName.empty() || m_userName == user) {
        return;
    }
    // Another user after an inactivity timeout or the background: the previous user's edits and requests
    // must not carry over. The new session itself stays.
    log("Signed in as another user: the previous user's requests and edits are dropped");
    dropUserData();
}

void ApplicationFlow::dropUserData()
{
    const auto& context = *m_environment.context;
    context.downloads->resetForLogout();
    context.database->closeDatabase();
    // The journal is closed first, so that clearing the edits in memory leaves them on disk for the same
    // user's next sign-in (a requested sign-out has emptied it already).
    context.edits->closeJournal();
    context.edits->clearEditedDelays();
    context.configuration->unloadConfiguration();
    // Last: until here this process still held the user's files; another process may sign in as them now.
    context.database->releaseUserFolder();
    m_userName.clear();
}

void ApplicationFlow::showMainScreen(const std::string& user, std::optional<int> furnaceId)
{
    m_userName = user;
    m_restoredEditCount = m_signIn ? m_signIn->restoredEditCount() : 0;
    m_signIn.reset();
    m_environment.presenter.dismissAll();
    m_heatDetail = HeatDetailFlow::create(HeatDetailFlow::Environment{
        m_environment.context, m_environment.executor, m_environment.connectivity, m_environment.presenter});
    m_heatsList = HeatsListFlow::create(HeatsListFlow::Environment{
        m_environment.context, m_environment.executor, m_environment.connectivity, m_environment.presenter});
    m_heatsList->setDelegate(m_heatDetail);
    m_heatsList->requestFurnace(furnaceId);
    m_screen = Screen::main;
    m_enableTiming = true;
    restartIdleTimer();
    if (m_screenHandler) {
        m_screenHandler(Screen::main, ScreenChange::signedIn);
    }
    m_heatsList->start();
}

// ---- inactivity and life cycle ----

void ApplicationFlow::restartIdleTimer()
{
    if (m_idleTimer) {
        m_idleTimer->cancel();
        m_idleTimer.reset();
    }
    if (m_environment.idleTimeout <= Clock::Duration::zero()) {
        return;
    }
    m_idleTimer = m_environment.context->clock->scheduleOnce(
        m_environment.idleTimeout, [center = m_environment.context->notificationCenter] {
            center->post(screen_notifications::AppInactivityTimeout{});
        });
}

void ApplicationFlow::userActivity()
{
    if (m_enableTiming) {
        restartIdleTimer();
    }
}

void ApplicationFlow::inactivityTimeout(const screen_notifications::AppInactivityTimeout&)
{
    log("App Inactivity Did Timeout, logout the user if needed");
    showSignInScreen(ScreenChange::inactivity);
}

void ApplicationFlow::willResignActive()
{
    log("Application Will Resign Active");
}

void ApplicationFlow::didEnterBackground()
{
    log("Application Did Enter Background");
    showSignInScreen(ScreenChange::background);
}

// ---- logout ----

void ApplicationFlow::requestLogout()
{
    // Only a sign-out the user asked for discards the unsaved edits on disk too.
    const auto& context = *m_environment.context;
    context.edits->clearEditedDelays();
    m_logoutRequested = true;
    context.notificationCenter->post(login_notifications::Logout{}, context.login.get());
}

void ApplicationFlow::logoutNotification(const std::optional<std::string>& sessionWhenPosted)
{
    const auto sessionId = m_environment.context->login->sessionId();
    if (sessionId && sessionId != sessionWhenPosted) {
        log("Sign-out of an earlier session ignored");
        return;
    }
    runLogoutSequence(m_logoutRequested ? ScreenChange::requestedLogout : ScreenChange::logout);
    m_logoutRequested = false;
}

void ApplicationFlow::runLogoutSequence(ScreenChange change)
{
    // The screens go first, so that the cancellations below reach no one.
    const bool wasSignedIn = isSignedIn() || !m_userName.empty();
    dropMainScreen();
    m_environment.context->login->logout();
    dropUserData();
    if (wasSignedIn) {
        ++m_signOutCount;
    }
    showSignInScreen(change);
}

} // namespace orvendel::flows
