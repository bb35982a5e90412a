#pragma once

#include "core/flows/service_connectivity.hpp"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orvendel::cli {

// Where the answer to "is the network reachable" comes from.
using flows::ConnectivityMode;

enum class RunMode { shell, oneShot, selfCheck, help };

// The program's command line. Plain value, built once on the main thread.
struct CliOptions {
    RunMode mode = RunMode::shell;
    std::optional<std::string> serviceURL;
    std::optional<std::string> updateCheckURL;
    std::optional<std::filesystem::path> applicationSupportDirectory;
    std::optional<std::filesystem::path> logFile;
    bool json = false;
    ConnectivityMode connectivity = ConnectivityMode::automatic;
    std::chrono::seconds timeout{60}; // how long a command waits for the service
    // One-shot use.
    std::optional<std::string> user;
    bool passwordFromStdin = false;
    std::optional<int> furnaceId;
    std::vector<std::string> command; // the read-only command and its argument
};

struct ParsedCliOptions {
    std::optional<CliOptions> options; // none: a usage error, explained in `error`
    std::string error;
};

ParsedCliOptions parseCliOptions(const std::vector<std::string>& arguments);

std::string usageText();

} // namespace orvendel::cli
