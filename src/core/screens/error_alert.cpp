#include "core/screens/error_alert.hpp"

#include <fmt/format.h>

namespace orvendel::screens {
namespace {

constexpr const char* problemTitle = "Problem";
constexpr const char* noInternetSentence = "Please check your internet connection and try again.";

} // namespace

std::string errorAlertMessage(const Error& error)
{
    if (error.domain == server_error::domain) {
        return fmt::format("There was a problem with the server. ({}: {})", error.domain, error.code);
    }
    return fmt::format("{} ({}:{})", error.description, error.domain, error.code);
}

AlertText problemAlert(const Error& error)
{
    return AlertText{problemTitle, errorAlertMessage(error)};
}

Error noInternetConnectionError()
{
    return Error{orv_error::domain, orv_error::noNetwork, noInternetSentence};
}

AlertText noInternetConnectionAlert()
{
    // The sentence keeps its own full stop, so the shown text has two.
    return AlertText{"No Internet Connection",
                     fmt::format("{}. ({}:{})", noInternetSentence, orv_error::domain, orv_error::noNetwork)};
}

AlertText editedDelaysRemovedAlert()
{
    return AlertText{"Edited Delays Removed",
                     "One or more of your edited delays were removed because an updated version already exists."};
}

AlertText signInFailureAlert(const Error& error)
{
    return AlertText{problemTitle, fmt::format("{} (Error: {})", error.description, error.code)};
}

AlertText signInWithoutResultAlert()
{
    return AlertText{problemTitle, "There was a problem trying to login (Error: 0)"};
}

AlertText signInSetupFailureAlert()
{
    return AlertText{problemTitle, fmt::format("{} (Error: {})", "Failed to setup initial configuration.",
                                               orv_error::localSetupFailure)};
}

AlertText restoredEditsAlert(std::size_t count)
{
    return AlertText{"Unsaved Edits Restored",
                     count == 1 ? std::string("1 unsaved edit of an earlier run was restored. It is marked with a "
                                              "pencil in the list; save or undo it like any other edit.")
                                : fmt::format("{} unsaved edits of an earlier run were restored. They are marked "
                                              "with a pencil in the list; save or undo them like any other edit.",
                                              count)};
}

} // namespace orvendel::screens
