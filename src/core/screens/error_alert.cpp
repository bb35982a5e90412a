#include "core/screens/error_alert.hpp"

#include "core/model/texts.hpp"

#include <fmt/format.h>

namespace orvendel::screens {
namespace {

std::string staleSaveSentence(std::optional<std::size_t> sentCount)
{
    if (!sentCount) {
        return fmt::format(texts::staleSaveReplaced, texts::staleSave);
    }
    return fmt::format(texts::staleSaveReplacedCount, texts::staleSave, *sentCount,
                       *sentCount == 1 ? texts::delay : texts::delays);
}

std::string connectionProblemSentence(ConnectionProblem problem)
{
    switch (problem) {
    case ConnectionProblem::timedOut:
        return fmt::format(texts::timedOut, texts::checkAndSaveAgain);
    case ConnectionProblem::serverNotFound:
        return fmt::format(texts::serverNotFound, texts::checkAndSaveAgain);
    case ConnectionProblem::serverUnreachable:
        return fmt::format(texts::serverUnreachable, texts::checkAndSaveAgain);
    case ConnectionProblem::connectionLost:
        return texts::connectionLost;
    case ConnectionProblem::notSecure:
        // Nothing the operator can fix on the tablet: a certificate or the network in between.
        return texts::notSecure;
    case ConnectionProblem::other:
        break;
    }
    return fmt::format(texts::exchangeFailed, texts::checkAndSaveAgain);
}

} // namespace

std::string errorAlertMessage(const Error& error)
{
    if (error.domain == server_error::domain) {
        return fmt::format(texts::serverProblem, error.domain, error.code);
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
        return AlertText{texts::savingFailedTitle, errorAlertMessage(error)};
    }
    // One line: the text front end prints an alert on a single line.
    return AlertText{texts::savingFailedTitle, sentence + " " + errorAlertMessage(error)};
}

AlertText problemAlert(const Error& error)
{
    return AlertText{texts::problemTitle, errorAlertMessage(error)};
}

Error noInternetConnectionError()
{
    return Error{orv_error::domain, orv_error::noNetwork, texts::noInternetSentence};
}

AlertText noInternetConnectionAlert()
{
    // The sentence keeps its own full stop, so the shown text has two.
    return AlertText{texts::noInternetTitle,
                     fmt::format("{}. ({}:{})", texts::noInternetSentence, orv_error::domain, orv_error::noNetwork)};
}

AlertText editedDelaysRemovedAlert()
{
    return AlertText{texts::editedDelaysRemovedTitle, texts::editedDelaysRemovedMessage};
}

AlertText signInFailureAlert(const Error& error)
{
    return AlertText{texts::problemTitle, fmt::format("{} (Error: {})", error.description, error.code)};
}

AlertText signInSetupFailureAlert()
{
    return AlertText{texts::problemTitle,
                     fmt::format("{} (Error: {})", texts::setupFailed, orv_error::localSetupFailure)};
}

AlertText restoredEditsAlert(std::size_t count)
{
    return AlertText{texts::restoredEditsTitle,
                     count == 1 ? std::string(texts::restoredOneEdit) : fmt::format(texts::restoredEdits, count)};
}

} // namespace orvendel::screens
