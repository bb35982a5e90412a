#pragma once

#include "core/model/result_information.hpp"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <vector>

namespace orvendel::cli {

// The CLI's own failures, in the same error shape as the application's.
namespace cli_error {
inline constexpr const char* domain = "CLIError";
inline constexpr int usage = 1;           // a malformed command
inline constexpr int notSignedIn = 2;     // the command needs a session
inline constexpr int notFound = 3;        // no such heat, delay, furnace or reason
inline constexpr int refused = 4;         // the app's rules refuse the request
inline constexpr int timedOut = 5;        // the service did not answer in time
inline constexpr int alreadySignedIn = 6; // `login` while a session is open
} // namespace cli_error

Error cliError(int code, std::string description);

// What the application would show as an alert. `error` is set for alerts that report a failure.
struct Alert {
    std::string title;
    std::string message;
    std::optional<Error> error;
};

// The outcome of one command: data for --json, lines for people, the alerts the command raised and, on
// failure, the error and the text the app would show for it. Built on the main loop only.
struct Reply {
    nlohmann::ordered_json data = nlohmann::ordered_json::object();
    std::vector<std::string> lines;
    // Printed exactly as it stands before the lines, in text mode only (CSV, whose rows end in CRLF).
    std::string raw;
    std::vector<Alert> alerts;
    std::vector<std::string> notices; // things the app shows by changing screens, e.g. a forced sign-out
    std::optional<Error> error;
    std::string message;
    bool usageError = false;
    bool errorShownAsAlert = false; // the failure is one of `alerts`

    bool ok() const { return !error; }

    // Fails the reply with the CLI's own error; the message is its description.
    Reply& fail(int code, std::string description);
    // Fails the reply with an error and the alert text shown for it (keeps the first failure).
    Reply& fail(const Error& error, std::string message);
    // Adds an alert; an alert carrying an error fails the reply unless it already failed.
    Reply& add(Alert alert);

    static Reply usage(std::string description);
};

} // namespace orvendel::cli
