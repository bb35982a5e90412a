#include "cli/session.hpp"

#include "cli/loop_observer.hpp"
#include "core/editing/edited_delays_manager.hpp"
#include "core/screens/error_alert.hpp"
#include "core/screens/login_validation.hpp"
#include "core/service/download_manager.hpp"
#include "core/service/login_manager.hpp"
#include "core/storage/database_manager.hpp"
#include "core/storage/user_configuration_manager.hpp"

namespace orvendel::cli {
namespace {

namespace ln = login_notifications;

Alert alertFor(const screens::AlertText& text, Error error)
{
    return Alert{text.title, text.message, std::move(error)};
}

Alert withoutResultAlert()
{
    return alertFor(screens::signInWithoutResultAlert(),
                    Error{orv_error::domain, 0, "There was a problem trying to login"});
}

} // namespace

std::shared_ptr<Session> Session::create(Environment environment)
{
    std::shared_ptr<Session> session(new Session(std::move(environment)));
    session->observe();
    return session;
}

Session::Session(Environment environment) : m_environment(std::move(environment)) {}

void Session::observe()
{
    const std::weak_ptr<Session> self = weak_from_this();
    m_observers.push_back(
        observeOnLoop(m_environment.loop, ln::serverAuthentication, self, &Session::finishedAuthenticating));
    m_observers.push_back(observeOnLoop(m_environment.loop, ln::logout, self, &Session::logoutNotification));
}

bool Session::beginSignIn(const std::string& username, const std::string& password, std::optional<int> furnaceId)
{
    if (!m_environment.connectivity->isInternetAvailable()) {
        m_environment.announcements->alert(
            alertFor(screens::noInternetConnectionAlert(), screens::noInternetConnectionError()));
        return false;
    }
    const auto credentials = screens::LoginValidation::trimmedCredentials(username, password);
    m_typedUsername = credentials.username;
    m_furnaceAfterSignIn = furnaceId;
    m_signingIn = true;
    LoginManager::shared()->authenticate(credentials.username, credentials.password);
    return true;
}

void Session::cancelSignIn()
{
    m_signingIn = false;
    LoginManager::shared()->logout();
}

void Session::signInFailed(Alert alert)
{
    m_signingIn = false;
    m_environment.announcements->alert(std::move(alert));
}

void Session::finishedAuthenticating(const Notification& notification)
{
    // Renewals of a running session announce themselves the same way; only a sign-in attempt listens.
    if (!m_signingIn) {
        return;
    }
    const bool* result = notification.value<bool>(ln::authenticationResult);
    if (!result) {
        signInFailed(withoutResultAlert());
        return;
    }
    if (!*result) {
        if (const Error* error = notification.value<Error>(ln::authenticationError)) {
            signInFailed(alertFor(screens::signInFailureAlert(*error), *error));
        } else {
            signInFailed(withoutResultAlert());
        }
        return;
    }

    const std::string user = screens::LoginValidation::storageUserName(m_typedUsername);
    auto& configuration = UserConfigurationManager::shared();
    if (!DatabaseManager::shared().openUserDatabase(user) || !configuration.createConfigurationFile(user) ||
        !configuration.loadConfiguration(user)) {
        signInFailed(alertFor(screens::signInSetupFailureAlert(), Error{orv_error::domain, orv_error::localSetupFailure,
                                                                        "Failed to setup initial configuration."}));
        return;
    }
    if (const int* startingFurnaceId = notification.value<int>(ln::startingFurnaceId)) {
        configuration.setStartingFurnaceId(*startingFurnaceId);
        if (configuration.selectedFurnaceId() == 0) {
            configuration.setSelectedFurnaceId(*startingFurnaceId);
        }
    }
    if (m_furnaceAfterSignIn) {
        configuration.setSelectedFurnaceId(*m_furnaceAfterSignIn);
    }
    m_userName = user;
    m_signingIn = false;
    showMainScreen();
}

void Session::showMainScreen()
{
    m_heatDetail =
        HeatDetailFlow::create({m_environment.loop, m_environment.connectivity, m_environment.announcements});
    m_heatsList = HeatsListFlow::create({m_environment.loop, m_environment.connectivity, m_environment.announcements});
    m_heatsList->start();
}

void Session::requestLogout()
{
    m_logoutRequested = true;
    NotificationCenter::defaultCenter().post(ln::logout, LoginManager::shared().get());
}

void Session::logoutNotification(const Notification&)
{
    const bool wasSignedIn = isSignedIn();
    runLogoutSequence();
    if (wasSignedIn && !m_logoutRequested) {
        m_environment.announcements->notice("Signed out: the session ended. Sign in again with `login USER`.");
    }
    m_logoutRequested = false;
}

void Session::runLogoutSequence()
{
    // The screens go first, so that the cancellations below reach no one.
    const bool wasSignedIn = isSignedIn();
    m_heatsList.reset();
    m_heatDetail.reset();
    LoginManager::shared()->logout();
    DownloadManager::shared()->resetForLogout();
    DatabaseManager::shared().closeDatabase();
    EditedDelaysManager::shared()->clearEditedDelays();
    UserConfigurationManager::shared().unloadConfiguration();
    m_userName.clear();
    if (wasSignedIn) {
        ++m_signOutCount;
    }
}

} // namespace orvendel::cli
