#include "core/flows/sign_in_flow.hpp"

#include "core/editing/edit_journal.hpp"
#include "core/editing/edited_delays_manager.hpp"
#include "core/flows/observe_on.hpp"
#include "core/model/texts.hpp"
#include "core/model/user_name.hpp"
#include "core/screens/error_alert.hpp"
#include "core/screens/login_validation.hpp"
#include "core/service/login_manager.hpp"
#include "core/service/update_check.hpp"
#include "core/storage/database_manager.hpp"
#include "core/storage/user_configuration_manager.hpp"
#include "core/support/log.hpp"

namespace orvendel::flows {

std::shared_ptr<SignInFlow> SignInFlow::create(Environment environment)
{
    std::shared_ptr<SignInFlow> flow(new SignInFlow(std::move(environment)));
    flow->m_observers.push_back(observeOn(*flow->m_environment.context->notificationCenter,
                                          flow->m_environment.executor, std::weak_ptr<SignInFlow>(flow),
                                          &SignInFlow::finishedAuthenticating));
    return flow;
}

SignInFlow::SignInFlow(Environment environment) : m_environment(std::move(environment)) {}

void SignInFlow::changed()
{
    if (m_changeHandler) {
        m_changeHandler();
    }
}

bool SignInFlow::isLoginButtonEnabled(std::string_view username, std::string_view password)
{
    return screens::LoginValidation::isLoginButtonEnabled(username, password);
}

void SignInFlow::fieldsChanged(std::string_view username, std::string_view password)
{
    const bool enabled = isLoginButtonEnabled(username, password);
    if (enabled != m_loginButtonEnabled) {
        m_loginButtonEnabled = enabled;
        changed();
    }
}

std::optional<std::string> SignInFlow::signIn(const std::string& username, const std::string& password,
                                              std::optional<int> furnaceId)
{
    if (isSigningIn()) {
        return std::nullopt;
    }
    if (!m_environment.connectivity->isInternetAvailable()) {
        const auto text = screens::noInternetConnectionAlert();
        m_environment.presenter.presentAlert(Alert::ok(text.title, text.message, screens::noInternetConnectionError()));
        return std::nullopt;
    }
    auto credentials = screens::LoginValidation::trimmedCredentials(username, password);
    // Refused before the service is asked: signing in here would break the other process's session.
    if (auto free = m_environment.context->database->checkUserFolderFree(credentials.username);
        !free && free.error().is(orv_error::domain, orv_error::signedInElsewhere)) {
        const auto text = screens::signInFailureAlert(free.error());
        m_environment.presenter.presentAlert(Alert::ok(text.title, text.message, free.error()));
        return std::nullopt;
    }
    m_attempt = Attempt{credentials.username, std::move(credentials.password),
                        LoginManager::normalisedUsername(credentials.username).value_or(""), furnaceId, false};
    changed();
    send();
    return credentials.username;
}

void SignInFlow::send()
{
    // Refused while a session renewal runs: the attempt is sent once that one has answered.
    m_attempt->sent = m_environment.context->login->authenticate(m_attempt->username, m_attempt->password);
}

void SignInFlow::cancel()
{
    if (!m_attempt) {
        return;
    }
    const bool sent = m_attempt->sent;
    m_attempt.reset();
    if (sent) {
        m_environment.context->login->logout();
    }
    changed();
}

void SignInFlow::failed(const std::string& title, const std::string& message, Error error)
{
    m_attempt.reset();
    changed();
    m_environment.presenter.presentAlert(Alert::ok(title, message, std::move(error)));
}

void SignInFlow::finishedAuthenticating(const login_notifications::ServerAuthentication& authentication)
{
    if (!m_attempt) {
        return;
    }
    if (authentication.username != m_attempt->serviceUsername) {
        // Another sign-in (a session renewal) ended; ours goes now if it had to wait for it.
        if (!m_attempt->sent) {
            send();
        }
        return;
    }
    if (!m_attempt->sent) {
        send();
        return;
    }
    if (!authentication.outcome) {
        const Error& error = authentication.outcome.error();
        const auto text = screens::signInFailureAlert(error);
        failed(text.title, text.message, error);
        return;
    }
    prepareStorage(*authentication.outcome);
}

void SignInFlow::prepareStorage(const login_notifications::SignedIn& signedIn)
{
    const auto& context = *m_environment.context;
    const std::string user = user_name::normalised(m_attempt->username);
    if (m_environment.willPrepareStorage) {
        m_environment.willPrepareStorage(user);
    }
    // Nothing in the folder is touched while another process signed in as the same user holds it.
    if (auto held = context.database->holdUserFolder(user); !held) {
        context.login->logout();
        const auto text = held.error().is(orv_error::domain, orv_error::signedInElsewhere)
                              ? screens::signInFailureAlert(held.error())
                              : screens::signInSetupFailureAlert();
        failed(text.title, text.message, held.error());
        return;
    }
    const auto& configuration = context.configuration;
    if (!context.database->openUserDatabase(user) || !configuration->createConfigurationFile(user) ||
        !configuration->loadConfiguration(user)) {
        const auto text = screens::signInSetupFailureAlert();
        failed(text.title, text.message,
               Error{orv_error::domain, orv_error::localSetupFailure, "Failed to setup initial configuration."});
        return;
    }
    // Edits a process left behind when it ended without a logout come back before anything is shown; the
    // journal never stands in the way of a sign-in.
    if (const auto databasePath = context.database->databasePath()) {
        const auto journal = std::filesystem::path(*databasePath).parent_path() / EditJournal::fileName;
        m_restoredEditCount = context.edits->openJournal(journal);
    }
    configuration->setStartingFurnaceId(signedIn.startingFurnaceId);
    if (configuration->selectedFurnaceId() == 0) {
        configuration->setSelectedFurnaceId(signedIn.startingFurnaceId);
    }
    const auto furnaceId = m_attempt->furnaceId;
    m_attempt.reset();
    if (m_environment.didSignIn) {
        m_environment.didSignIn(user, furnaceId);
    }
    changed();
}

void SignInFlow::checkForUpdate()
{
    if (m_checkedForUpdate) {
        return;
    }
    m_checkedForUpdate = true;
    const auto& context = *m_environment.context;
    update_check::checkForNewerVersion(
        UpdateCheckSettings::forBuild(context.storeSearchURL, context.transport),
        [executor = m_environment.executor, self = weak_from_this()](bool available,
                                                                     std::optional<std::string> storeURL) {
            log(std::string("Is Update Available? ") + (available ? "true" : "false"));
            if (!available) {
                return;
            }
            postWhileAlive(executor, self, [storeURL](SignInFlow& flow) {
                const auto presenter = flow.m_environment.presenter;
                presenter.presentAlert(
                    Alert::question(texts::updateTitle, texts::updateQuestion,
                                    {AlertAction{texts::notNow, AlertAction::Style::cancel, {}},
                                     AlertAction{texts::update, AlertAction::Style::normal, [presenter, storeURL] {
                                                     log("Update Now!");
                                                     if (storeURL && !storeURL->empty()) {
                                                         presenter.openURL(*storeURL);
                                                     }
                                                 }}}));
            });
        });
}

} // namespace orvendel::flows
