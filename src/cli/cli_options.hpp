#pragma once

#include "core/flows/service_connectivity.hpp"
#include "core/service/shared_options.hpp"

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
    SharedOptions shared;
    bool json = false;
    ConnectivityMode connectivity = ConnectivityMode::automatic;
    std::chrono::seconds timeout{60}; // how long a command waits for the service
    // One-shot use.
    std::optional<std::string> user;
    bool passwordFromStdin = false;
    std::optional<int> furnaceId;
    std::vector<std::string> command; // the read-only command and its argument
};

// A mistake is a usage_error.
Result<CliOptions> parseCliOptions(const std::vector<std::string>& arguments);

std::string usageText();

} // namespace orvendel::cli
