#pragma once

#include "core/service/login_request_json.hpp"
#include "core/storage/credential_store.hpp"
#include "core/support/notification_center.hpp"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

namespace orvendel {

namespace login_notifications {
// What a sign-in brings besides the session.
struct SignedIn {
    int startingFurnaceId = 0;
};
// The outcome of every sign-in, a session renewal's too.
struct ServerAuthentication {
    static constexpr const char* name = "LoginManagerServerAuthenticationNotification";
    // The normalised user name the outcome belongs to, so that a sign-in screen can tell its own attempt from
    // a session renewal.
    std::string username;
    Result<SignedIn> outcome;
};
// The user's session is over: nobody signed in, no stored password to renew it with, or a sign-out.
struct Logout {
    static constexpr const char* name = "LoginManagerLogoutNotification";
};
} // namespace login_notifications

// Who is signed in: the normalised user name, the session identifier every request carries, and the stored
// password that lets a session be renewed without asking. Every sign-in outcome is announced with
// "LoginManagerServerAuthenticationNotification" (sender: this manager).
// Thread contract: any thread. User name and session identifier are guarded together, so a reader sees either
// the old or the new pair; notifications are posted on the sign-in request's background strand.
class LoginManager : public LoginRequestJSONDelegate, public std::enable_shared_from_this<LoginManager> {
public:
    static constexpr const char* credentialServiceName = "com.KESTA.orvendel";
    static constexpr const char* authenticationResourcePathComponent = "Authenticate";

    // All required: the manager looks nothing up.
    struct Dependencies {
        std::shared_ptr<CredentialStore> credentialStore;
        std::shared_ptr<HttpTransport> transport;
        NotificationCenter* notificationCenter = nullptr;
        std::chrono::milliseconds resourceTimeout{std::chrono::seconds(12)};
        std::string serviceURL; // the delay service's base address
    };

    static std::shared_ptr<LoginManager> create(Dependencies dependencies);

    // Upper-cased, every space removed ("ab cd" → "ABCD"); none stays none.
    static std::optional<std::string> normalisedUsername(std::optional<std::string> username);

    // Starts a sign-in; does nothing while one runs. The outcome is the authentication notification.
    // False when another sign-in (a session renewal) is still running: nothing was sent.
    bool authenticate(const std::string& username, const std::string& password);
    // Signs in again as the current user with the stored password, or posts "LoginManagerLogoutNotification"
    // when there is no user or no stored password.
    void refreshSession();
    // Forgets the session; a running sign-in is cancelled (and still announces its failure). The stored password
    // stays.
    void logout();

    std::optional<std::string> username() const;
    std::optional<std::string> sessionId() const;
    // Both, read together.
    std::pair<std::optional<std::string>, std::optional<std::string>> session() const;
    bool isUpdatingSessionId() const { return m_isUpdatingSessionId; }
    bool isSigningIn() const;

    // The base address every request of this session goes to.
    const std::string& serviceURL() const { return m_serviceURL; }
    NotificationCenter& notificationCenter() const { return *m_center; }
    CredentialStore& credentialStore() const { return *m_credentialStore; }

    void didFinishAuthenticating(const std::shared_ptr<LoginRequestParameters>& requestParameters,
                                 const Result<wire::LoginRequestResult>& outcome) override;

private:
    explicit LoginManager(Dependencies dependencies);

    std::shared_ptr<CredentialStore> m_credentialStore;
    std::shared_ptr<HttpTransport> m_transport;
    NotificationCenter* m_center;
    std::chrono::milliseconds m_resourceTimeout;
    const std::string m_serviceURL;

    mutable std::mutex m_mutex; // guards the three below together
    std::shared_ptr<LoginRequestJSON> m_loginRequest;
    std::optional<std::string> m_username;
    std::optional<std::string> m_sessionId;
    std::atomic<bool> m_isUpdatingSessionId = false;
};

} // namespace orvendel
