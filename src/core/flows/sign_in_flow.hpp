#pragma once

#include "core/editing/connectivity_status.hpp"
#include "core/flows/context.hpp"
#include "core/flows/presenter.hpp"
#include "core/service/login_manager.hpp"
#include "core/support/executor.hpp"
#include "core/support/handler_slot.hpp"
#include "core/support/notification_center.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvendel::flows {

// The sign-in screen without its fields: validation, the attempt, its result (local storage prepared,
// starting furnace recorded) and the update offer. Only the outcome of its own attempt is taken: a session
// renewal announces itself the same way, and an attempt made while one runs waits for it and is then sent.
// Thread contract: the user-interface executor; notifications are moved there.
class SignInFlow : public std::enable_shared_from_this<SignInFlow> {
public:
    struct Environment {
        ContextPtr context;
        ExecutorPtr executor;
        std::shared_ptr<const ConnectivityStatus> connectivity;
        Presenter::Ref presenter{};
        // The service accepted the user (storage name, upper-cased): runs before the user's storage is
        // prepared, so that what belongs to another user can be dropped first.
        std::function<void(const std::string& user)> willPrepareStorage;
        // The user's storage is ready: the main screen follows, with the furnace the attempt asked for.
        std::function<void(const std::string& user, std::optional<int> furnaceId)> didSignIn;
    };
    using ChangeHandler = std::function<void()>;

    static std::shared_ptr<SignInFlow> create(Environment environment);

    // The view's handler, for as long as the token is kept.
    [[nodiscard]] HandlerToken setChangeHandler(ChangeHandler handler)
    {
        return m_changeHandler.set(std::move(handler));
    }

    static bool isLoginButtonEnabled(std::string_view username, std::string_view password);
    // The Login button: enabled on an untouched screen (a tap then sends empty texts), re-evaluated only
    // when a field's text changes.
    bool loginButtonEnabled() const { return m_loginButtonEnabled; }
    void fieldsChanged(std::string_view username, std::string_view password);

    // Starts an attempt and returns the trimmed user name the field shows from now on; none when it was
    // refused at once (no network, or the user signed in in another Orvendel process: the alert is
    // presented). A furnace given here is selected when the furnace list offers it, before the first download.
    std::optional<std::string> signIn(const std::string& username, const std::string& password,
                                      std::optional<int> furnaceId = std::nullopt);
    bool isSigningIn() const { return m_attempt.has_value(); }
    // Fields and button are usable while no attempt runs.
    bool controlsEnabled() const { return !isSigningIn(); }
    // Gives up an attempt whose answer never came.
    void cancel();

    // Asks the store once whether a newer version is published and offers it.
    void checkForUpdate();

    // Unsaved edits an earlier run left in the journal and the last sign-in brought back.
    std::size_t restoredEditCount() const { return m_restoredEditCount; }

private:
    struct Attempt {
        std::string username; // trimmed, as typed
        std::string password;
        std::string serviceUsername; // as the service knows it
        std::optional<int> furnaceId;
        bool sent = false;
    };

    explicit SignInFlow(Environment environment);
    void finishedAuthenticating(const login_notifications::ServerAuthentication& authentication);
    void send();
    void failed(const std::string& title, const std::string& message, Error error);
    void prepareStorage(const login_notifications::SignedIn& signedIn);
    void changed();

    Environment m_environment;
    HandlerSlot<> m_changeHandler;
    std::optional<Attempt> m_attempt;
    bool m_checkedForUpdate = false;
    bool m_loginButtonEnabled = true;
    std::vector<ObserverToken> m_observers;
    std::size_t m_restoredEditCount = 0;
};

} // namespace orvendel::flows
