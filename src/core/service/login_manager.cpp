#include "core/service/login_manager.hpp"

#include "core/model/user_name.hpp"
#include "core/service/request_failures.hpp"
#include "core/service/service_address.hpp"
#include "core/support/log.hpp"

#include <cassert>

namespace orvendel {

LoginManager::LoginManager(Dependencies dependencies)
    : m_credentialStore(std::move(dependencies.credentialStore)), m_transport(std::move(dependencies.transport)),
      m_center(dependencies.notificationCenter), m_resourceTimeout(dependencies.resourceTimeout),
      m_serviceURL(std::move(dependencies.serviceURL))
{
    assert(m_credentialStore && m_transport && m_center && !m_serviceURL.empty());
}

std::shared_ptr<LoginManager> LoginManager::create(Dependencies dependencies)
{
    return std::shared_ptr<LoginManager>(new LoginManager(std::move(dependencies)));
}

std::optional<std::string> LoginManager::normalisedUsername(std::optional<std::string> username)
{
    if (!username) {
        return std::nullopt;
    }
    return user_name::normalised(*username);
}

bool LoginManager::authenticate(const std::string& username, const std::string& password)
{
    std::shared_ptr<LoginRequestJSON> request;
    {
        std::lock_guard lock(m_mutex);
        if (m_loginRequest) {
            return false;
        }
        auto parameters = std::make_shared<LoginRequestParameters>(normalisedUsername(username).value_or(""), password);
        BaseRequestConfiguration configuration{
            ServiceAddress::resourceURL(m_serviceURL, authenticationResourcePathComponent),
            HttpSessionConfiguration::ephemeral(m_resourceTimeout)};
        request = std::make_shared<LoginRequestJSON>(std::move(parameters), std::move(configuration), m_transport);
        request->setDelegate(weak_from_this());
        m_loginRequest = request;
    }
    // Started outside the lock: an encoding failure reports back synchronously.
    request->start();
    return true;
}

void LoginManager::refreshSession()
{
    std::optional<std::string> user;
    {
        std::lock_guard lock(m_mutex);
        if (m_loginRequest) {
            return;
        }
        user = m_username;
    }
    std::optional<std::string> password;
    if (user) {
        if (auto stored = m_credentialStore->string(*user)) {
            password = std::move(stored).value();
        }
    }
    if (!user || !password) {
        m_center->post(login_notifications::Logout{}, this);
        return;
    }
    m_isUpdatingSessionId = true;
    authenticate(*user, *password);
}

void LoginManager::logout()
{
    std::shared_ptr<LoginRequestJSON> running;
    {
        std::lock_guard lock(m_mutex);
        running = m_loginRequest;
        m_username.reset();
        m_sessionId.reset();
    }
    m_isUpdatingSessionId = false;
    if (running) {
        running->cancel();
    }
}

std::optional<std::string> LoginManager::username() const
{
    std::lock_guard lock(m_mutex);
    return m_username;
}

std::optional<std::string> LoginManager::sessionId() const
{
    std::lock_guard lock(m_mutex);
    return m_sessionId;
}

std::pair<std::optional<std::string>, std::optional<std::string>> LoginManager::session() const
{
    std::lock_guard lock(m_mutex);
    return {m_username, m_sessionId};
}

bool LoginManager::isSigningIn() const
{
    std::lock_guard lock(m_mutex);
    return m_loginRequest != nullptr;
}

void LoginManager::didFinishAuthenticating(const std::shared_ptr<LoginRequestParameters>& requestParameters,
                                           const Result<wire::LoginRequestResult>& outcome)
{
    // Success is the service's word and a session to go with it.
    const bool succeeded = outcome && outcome->resultInformation.success && outcome->data.has_value();
    const auto user = normalisedUsername(requestParameters->username);
    if (!succeeded) {
        {
            std::lock_guard lock(m_mutex);
            m_loginRequest.reset();
            m_sessionId.reset();
        }
        // The request's own failure, or the one the service reported; a refusal without one still says what
        // failed: the renewal, or the sign-in.
        Error error = !outcome                           ? outcome.error()
                      : outcome->resultInformation.error ? *outcome->resultInformation.error
                      : m_isUpdatingSessionId            ? request_failures::sessionRenewalFailed()
                                                         : request_failures::signInRefused();
        m_center->post(login_notifications::ServerAuthentication{user.value_or(""), std::move(error)}, this);
        m_isUpdatingSessionId = false;
        return;
    }
    if (user) {
        // The sign-in stands without it; only a later session renewal will miss the password.
        if (auto kept =
                m_credentialStore->set(requestParameters->password, *user, CredentialStore::defaultAccessibility);
            !kept) {
            log("Unable to keep the password: " + kept.error().description);
        }
    }
    {
        // The end of the sign-in, the new user and the new session become visible together: a reader never
        // sees a signed-in user without a session, and no second sign-in can start before the new session
        // is there to be used.
        std::lock_guard lock(m_mutex);
        m_loginRequest.reset();
        m_username = user;
        m_sessionId = outcome->data->sessionId;
    }
    m_center->post(
        login_notifications::ServerAuthentication{user.value_or(""),
                                                  login_notifications::SignedIn{outcome->data->startingFurnaceId}},
        this);
    m_isUpdatingSessionId = false;
}

} // namespace orvendel
