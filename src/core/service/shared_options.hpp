#pragma once

#include "core/support/error.hpp"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace orvendel {

// Mistakes on a command line; the description is the line to print before the usage text.
namespace usage_error {
inline constexpr const char* domain = "Usage";
inline constexpr int unknownOption = 1;
inline constexpr int missingValue = 2;
inline constexpr int invalidValue = 3;
inline constexpr int unexpectedArgument = 4;
} // namespace usage_error

// The options every front end takes: where the service and the store search are (unset: the plant's
// configuration decides), where the users' data lives and where the diagnostics go. Plain value.
struct SharedOptions {
    std::optional<std::string> serviceURL;
    std::optional<std::string> updateCheckURL;
    std::optional<std::filesystem::path> applicationSupportDirectory;
    std::optional<std::filesystem::path> logFile;
};

// Thread contract: any thread; no state.
namespace shared_options {

// The value of the option being read: its "=VALUE" part or the next argument; none at the end of the line.
using ValueSource = std::function<std::optional<std::string>()>;

// Reads the option `name` into `options` when it is one of the shared ones, and says whether it was; its
// value is asked of `value` only then. An address is checked for what it is used for.
Result<bool> take(std::string_view name, const ValueSource& value, SharedOptions& options);

// The usage lines of the shared options, their descriptions starting at `column`.
std::string usage(std::size_t column);

} // namespace shared_options
} // namespace orvendel
