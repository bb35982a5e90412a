#pragma once

#include "core/service/shared_options.hpp"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace orvendel {

// Where a plant's tablets find the delay service and the update check. Each address comes from the first source
// that has it: the command line, the environment, the user's file ($XDG_CONFIG_HOME/orvendel/orvendel.conf, else
// ~/.config/orvendel/orvendel.conf), the machine's file (/etc/orvendel/orvendel.conf, or $ORVENDEL_SYSTEM_CONFIG),
// the built-in default. A file with a fault is skipped whole after one log line "FILE:LINE: …; the file is
// ignored".
// Thread contract: any thread; it reads files, so programs resolve once at start-up.
namespace PlantConfiguration {

inline constexpr const char* defaultSystemFile = "/etc/orvendel/orvendel.conf";
inline constexpr const char* systemFileEnvironmentVariable = "ORVENDEL_SYSTEM_CONFIG";
inline constexpr const char* serviceURLKey = "service-url";
inline constexpr const char* updateCheckURLKey = "update-check-url";
// Nothing a handful of settings needs; a larger file is a mistake, not a configuration.
inline constexpr std::size_t maximumFileSize = 64 * 1024;

// What one file says.
struct FileSettings {
    std::optional<std::string> serviceURL;
    std::optional<std::string> updateCheckURL;
};

// A fault of a file; the description names the file (and the line: "FILE:LINE: what").
namespace configuration_error {
inline constexpr const char* domain = "PlantConfiguration";
inline constexpr int malformedLine = 1; // not KEY = VALUE
inline constexpr int unknownKey = 2;
inline constexpr int repeatedKey = 3;
inline constexpr int badAddress = 4;
inline constexpr int unreadable = 5; // not a regular file, too large, or the system refused to read it
} // namespace configuration_error

// `key = value` lines, blank lines and `#` comment lines; any fault (unknown key, a key twice, a bad address)
// fails the whole text.
Result<FileSettings> parse(std::string_view text, const std::filesystem::path& file);
// A missing file says nothing (empty settings); an unreadable or oversized one is a fault like a bad line. A
// link in the file's place is followed: /etc may be a tree of links.
Result<FileSettings> readFile(const std::filesystem::path& file);

struct Locations {
    std::optional<std::filesystem::path> userFile; // none without a home folder
    std::filesystem::path systemFile;

    // From $XDG_CONFIG_HOME or $HOME, and $ORVENDEL_SYSTEM_CONFIG or /etc.
    static Locations current();
};

// One resolved address and where it came from ("the command line", "$ORVENDEL_SERVICE_URL", a file's path, "the
// built-in default"). An update check without a value is off.
struct Setting {
    std::optional<std::string> value;
    std::string source;
};

struct Addresses {
    Setting serviceURL;
    Setting updateCheckURL;
};

// The command line's addresses come first; the rest of `commandLine` plays no part.
Addresses resolve(const SharedOptions& commandLine, const Locations& locations);
Addresses resolve(const SharedOptions& commandLine);

// Two lines saying which address is used and where it came from, for --help and --self-check.
std::string describe(const Addresses& addresses);

} // namespace PlantConfiguration
} // namespace orvendel
