#pragma once

#include "core/service/shared_options.hpp"

#include <string>
#include <vector>

namespace orvendel::app {

// The program's command line: where the service and the local data are. Unset options fall back on the
// environment, the configuration files and the defaults, as for orvendel-cli.
struct AppOptions {
    bool help = false;
    // Start-up checks: show the window, report its first frame and end.
    bool exitAfterFirstFrame = false;
    SharedOptions shared;
};

// Qt's own single-dash options (-platform NAME, -style NAME, …) are passed over: Qt reads them. A mistake is
// a usage_error.
Result<AppOptions> parseAppOptions(const std::vector<std::string>& arguments);
std::string appUsageText();

inline constexpr int exitUsage = 2;

} // namespace orvendel::app
