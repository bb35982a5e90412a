#pragma once

#include "core/model/result_information.hpp"

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

// Sign-in failures: the error's description and code, the fallback when no usable result arrived, and the
// local set-up failure.
AlertText signInFailureAlert(const Error& error);
AlertText signInWithoutResultAlert();
AlertText signInSetupFailureAlert();

} // namespace orvendel::screens
