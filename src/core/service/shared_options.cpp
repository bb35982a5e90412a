#include "core/service/shared_options.hpp"

#include "core/service/service_address.hpp"
#include "core/service/update_check.hpp"

#include <fmt/format.h>

namespace orvendel::shared_options {
namespace {

Error usageError(int code, std::string description)
{
    return Error{usage_error::domain, code, std::move(description)};
}

// A value that is there and not empty, or the error naming what `name` needs.
Result<std::string> required(std::string_view name, const ValueSource& value, std::string_view needs)
{
    auto given = value();
    if (!given || given->empty()) {
        return usageError(usage_error::missingValue, fmt::format("{} needs {}", name, needs));
    }
    return std::move(*given);
}

Result<std::string> address(std::string_view name, const ValueSource& value, AddressUse use)
{
    auto url = required(name, value, "an http:// or https:// address with a host");
    if (!url) {
        return url;
    }
    if (auto usable = ServiceAddress::checkAddress(*url, use); !usable) {
        return usageError(usage_error::invalidValue, fmt::format("{}: {}", name, usable.error().description));
    }
    return url;
}

// One option's lines: the name, then its description from `column` (on a line of its own when the name is too
// long to leave room).
std::string entry(std::string_view option, std::initializer_list<std::string_view> lines, std::size_t column)
{
    std::string text = fmt::format("  {}", option);
    const std::string indent(column, ' ');
    text += text.size() + 1 < column ? std::string(column - text.size(), ' ') : "\n" + indent;
    bool first = true;
    for (const auto line : lines) {
        text += first ? std::string(line) + "\n" : indent + std::string(line) + "\n";
        first = false;
    }
    return text;
}

} // namespace

Result<bool> take(std::string_view name, const ValueSource& value, SharedOptions& options)
{
    std::optional<std::string>* url = nullptr;
    AddressUse use = AddressUse::page;
    if (name == "--service-url") {
        url = &options.serviceURL;
        use = AddressUse::serviceBase;
    } else if (name == "--update-check-url") {
        url = &options.updateCheckURL;
        use = AddressUse::storeSearch;
    }
    if (url) {
        auto checked = address(name, value, use);
        if (!checked) {
            return checked.error();
        }
        *url = std::move(checked).value();
        return true;
    }
    std::optional<std::filesystem::path>* path = nullptr;
    std::string_view needs;
    if (name == "--data-dir") {
        path = &options.applicationSupportDirectory;
        needs = "a folder";
    } else if (name == "--log") {
        path = &options.logFile;
        needs = "a file";
    } else {
        return false;
    }
    auto given = required(name, value, needs);
    if (!given) {
        return given.error();
    }
    *path = std::filesystem::path(std::move(given).value());
    return true;
}

std::string usage(std::size_t column)
{
    return entry("--service-url URL",
                 {"the delay service (default: $ORVENDEL_SERVICE_URL, else service-url in",
                  "~/.config/orvendel/orvendel.conf, else in /etc/orvendel/orvendel.conf, else",
                  std::string(ServiceAddress::defaultBaseURL) + ")"},
                 column) +
           entry("--update-check-url URL",
                 {"the store search of the update check (default: $ORVENDEL_STORE_SEARCH_URL,",
                  "else update-check-url in the same files, else no check)"},
                 column) +
           entry("--data-dir DIR",
                 {"the folder of the users' local data (default: $ORVENDEL_DATA_DIR, else",
                  "$XDG_DATA_HOME/orvendel, else ~/.local/share/orvendel)"},
                 column) +
           entry("--log FILE", {"write the diagnostics to FILE instead of standard error"}, column);
}

} // namespace orvendel::shared_options
