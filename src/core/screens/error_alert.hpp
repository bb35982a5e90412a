#pragma once

#include "core/model/result_information.hpp"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace orvendel::screens {

// Titles and messages of the alerts the screens show. Thread contract: pure functions, any thread.
struct AlertText {
    std::string title;
    std::string message;
    friend bool operator==(const AlertText&, const AlertText&) = default;
};

// The message of every alert about a failed request outside the sign-in screen: server errors hide their
// description, anything else shows it with its domain and code.
std::string errorAlertMessage(const Error& error);

// What kept a request from reaching the service or its answer from coming back, in the terms an operator
// can act on.
enum class ConnectionProblem { timedOut, serverNotFound, serverUnreachable, connectionLost, notSecure, other };

// The service refused a save because a delay of it was changed there since it was downloaded.
bool isStaleSaveRefusal(const Error& error);

// "Error Saving Delays". A stale refusal and a connection problem first say in plain words what happened and
// what to do; `errorAlertMessage` follows as the detail. `sentCount` is how many edited delays the save
// carried, when known.
AlertText savingFailedAlert(const Error& error, std::optional<std::size_t> sentCount,
                            std::optional<ConnectionProblem> connectionProblem);

// "Problem" with `errorAlertMessage`.
AlertText problemAlert(const Error& error);

// "No Internet Connection", shown instead of any request when the network is down.
AlertText noInternetConnectionAlert();

// The error behind that alert, for callers that report failures as values.
Error noInternetConnectionError();

// After a rebuild that left out edits the service has a newer version of.
AlertText editedDelaysRemovedAlert();

// After a sign-in that brought back unsaved edits an earlier run left behind.
AlertText restoredEditsAlert(std::size_t count);

// Sign-in failures: the error's description and code, and the local set-up failure.
AlertText signInFailureAlert(const Error& error);
AlertText signInSetupFailureAlert();

} // namespace orvendel::screens
