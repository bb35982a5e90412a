#include "core/screens/error_alert.hpp"

#include <fmt/format.h>

namespace orvendel::screens {
namespace {

constexpr const char* problemTitle = "Problem";
constexpr const char* noInternetSentence = "Please check your internet connection and try again.";
constexpr const char* savingFailedTitle = "Error Saving Delays";
constexpr const char* checkAndSaveAgain = "Your changes are kept; check the connection and save again.";

std::string staleSaveSentence(std::optional<std::size_t> sentCount)
{
    constexpr const char* happened = "Someone else changed this heat's delays. Refresh to see their version;";
    if (!sentCount) {
        return fmt::format("{} your changes will be replaced.", happened);
    }
    return fmt::format("{} your changes to {} {} will be replaced.", happened, *sentCount,
                       *sentCount == 1 ? "delay" : "delays");
}

std::string connectionProblemSentence(ConnectionProblem problem)
{
    switch (problem) {
    case ConnectionProblem::timedOut:
        return fmt::format("The server did not answer in time. {}", checkAndSaveAgain);
    case ConnectionProblem::serverNotFound:
        return fmt::format("The server could not be found on the network. {}", checkAndSaveAgain);
    case ConnectionProblem::serverUnreachable:
        return fmt::format("The server could not be reached. {}", checkAndSaveAgain);
    case ConnectionProblem::connectionLost:
        return "The connection to the server was lost. Your changes are kept; save again once the connection is "
               "back.";
    case ConnectionProblem::notSecure:
        // Nothing the operator can fix on the tablet: a certificate or the network in between.
        return "A secure connection to the server could not be made. Your changes are kept; save again, and tell "
               "IT if this keeps happening.";
    case ConnectionProblem::other:
        break;
    }
    return fmt::format("The exchange with the server failed. {}", checkAndSaveAgain);
}

} // namespace

std::string errorAlertMessage(const Error& error)
{
    if (error.domain == server_error::domain) {
        return fmt::format("There was a problem with the server. ({}: {})", error.domain, error.code);
    }
    return fmt::format("{} ({}:{})", error.description, error.domain, error.code);
}

bool isStaleSaveRefusal(const Error& error)
{
    return error.is(server_error::domain, server_error::staleDelay);
}

AlertText savingFailedAlert(const Error& error, std::optional<std::size_t> sentCount,
                            std::optional<ConnectionProblem> connectionProblem)
{
    std::string sentence;
    if (isStaleSaveRefusal(error)) {
        sentence = staleSaveSentence(sentCount);
    } else if (connectionProblem) {
        sentence = connectionProblemSentence(*connectionProblem);
    } else {
        return AlertText{savingFailedTitle, errorAlertMessage(error)};
    }
    // One line: the text front end prints an alert on a single line.
    return AlertText{savingFailedTitle, sentence + " " + errorAlertMessage(error)};
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
