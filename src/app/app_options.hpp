#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orvendel::app {

// The program's command line: where the service and the local data are. Unset options fall back on the
// environment, the configuration files and the defaults, as for orvendel-cli.
struct AppOptions {
    bool help = false;
    // Start-up checks: show the window, report its first frame and end.
    bool exitAfterFirstFrame = false;
    std::optional<std::string> serviceURL;
    std::optional<std::string> updateCheckURL;
    std::optional<std::filesystem::path> applicationSupportDirectory;
};

struct ParsedAppOptions {
    std::optional<AppOptions> options; // none: a usage error, explained in `error`
    std::string error;
};

// Qt's own single-dash options (-platform NAME, -style NAME, …) are passed over: Qt reads them.
ParsedAppOptions parseAppOptions(const std::vector<std::string>& arguments);
std::string appUsageText();

inline constexpr int exitUsage = 2;

} // namespace orvendel::app
