#include "core/service/plant_configuration.hpp"

#include "core/platform/local_files.hpp"
#include "core/service/service_address.hpp"
#include "core/service/update_check.hpp"
#include "core/support/log.hpp"
#include "core/support/utf8.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cstdlib>

namespace orvendel::PlantConfiguration {
namespace {

std::string_view trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// A file's text as it may appear in a log line: whatever could steer a terminal (control characters, bytes that
// are not UTF-8) written as \xNN, and a long text cut, so that a mistyped or hostile file cannot flood the console.
std::string echoed(std::string_view text)
{
    constexpr std::size_t longest = 80;
    std::string out;
    std::size_t shown = 0;
    for (std::size_t i = 0; i < text.size(); ++shown) {
        if (shown == longest) {
            return out + "…";
        }
        char32_t codePoint = 0;
        const auto length = utf8::sequenceAt(text, i, codePoint);
        if (length == 0 || utf8::isControl(codePoint)) {
            for (std::size_t k = 0; k < std::max<std::size_t>(length, 1); ++k) {
                out += fmt::format("\\x{:02X}", static_cast<unsigned char>(text[i + k]));
            }
            i += std::max<std::size_t>(length, 1);
            continue;
        }
        out.append(text.substr(i, length));
        i += length;
    }
    return out;
}

// Why `value` cannot stand for `key`, with the address as it may be shown; none when it can.
std::optional<std::string> addressFault(std::string_view key, std::string_view value)
{
    const auto usable =
        ServiceAddress::checkAddress(value, key == serviceURLKey ? AddressUse::serviceBase : AddressUse::storeSearch);
    if (usable) {
        return std::nullopt;
    }
    return fmt::format("{}: \"{}\"", usable.error().description, echoed(ServiceAddress::withoutCredentials(value)));
}

Error fault(int code, const std::filesystem::path& file, std::size_t line, std::string_view what)
{
    return Error{configuration_error::domain, code, fmt::format("{}:{}: {}", file.string(), line, what)};
}

std::optional<std::string> environment(const char* name)
{
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return std::string(value);
}

} // namespace

Result<FileSettings> parse(std::string_view text, const std::filesystem::path& file)
{
    // Editors on some systems begin a UTF-8 file with a byte order mark; it is not part of the first key.
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    FileSettings settings;
    std::size_t serviceLine = 0;
    std::size_t updateCheckLine = 0;
    std::size_t number = 0;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const auto line = trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) {
            return fault(configuration_error::malformedLine, file, number, "expected KEY = VALUE");
        }
        const auto key = trimmed(line.substr(0, equals));
        const auto value = trimmed(line.substr(equals + 1));
        const bool isService = key == serviceURLKey;
        if (!isService && key != updateCheckURLKey) {
            return fault(
                configuration_error::unknownKey, file, number,
                fmt::format("unknown key \"{}\" (known: {}, {})", echoed(key), serviceURLKey, updateCheckURLKey));
        }
        auto& firstLine = isService ? serviceLine : updateCheckLine;
        if (firstLine != 0) {
            return fault(configuration_error::repeatedKey, file, number,
                         fmt::format("{} is given twice (first on line {})", key, firstLine));
        }
        if (const auto problem = addressFault(key, value)) {
            return fault(configuration_error::badAddress, file, number, fmt::format("{}: {}", key, *problem));
        }
        firstLine = number;
        (isService ? settings.serviceURL : settings.updateCheckURL) = std::string(value);
    }
    return settings;
}

Result<FileSettings> readFile(const std::filesystem::path& file)
{
    auto text = LocalFiles::readFileFollowingLinks(file, maximumFileSize);
    if (text) {
        return parse(*text, file);
    }
    const auto& error = text.error();
    std::string what;
    switch (error.code) {
    case local_file_error::missing:
        return FileSettings{};
    case local_file_error::wrongKind:
        what = file.string() + ": not a regular file";
        break;
    case local_file_error::tooLarge:
        what = fmt::format("{}: larger than {} KiB", file.string(), maximumFileSize / 1024);
        break;
    default:
        what = error.description; // it names the file and the system's reason
        break;
    }
    return Error{configuration_error::domain, configuration_error::unreadable, std::move(what)};
}

Locations Locations::current()
{
    Locations locations;
    if (const auto configHome = environment("XDG_CONFIG_HOME"); configHome && configHome->starts_with('/')) {
        locations.userFile = std::filesystem::path(*configHome) / "orvendel" / "orvendel.conf";
    } else if (const auto home = environment("HOME")) {
        locations.userFile = std::filesystem::path(*home) / ".config" / "orvendel" / "orvendel.conf";
    }
    locations.systemFile = environment(systemFileEnvironmentVariable).value_or(defaultSystemFile);
    return locations;
}

Addresses resolve(const SharedOptions& commandLine, const Locations& locations)
{
    Addresses addresses{{commandLine.serviceURL, "the command line"}, {commandLine.updateCheckURL, "the command line"}};
    const auto fillFrom = [](Setting& setting, const std::optional<std::string>& value, std::string source) {
        if (!setting.value && value) {
            setting = Setting{value, std::move(source)};
        }
    };
    // A variable with an address that cannot work is said and passed over, like a file with a fault.
    const auto fromEnvironment = [](const char* name, std::string_view key) -> std::optional<std::string> {
        auto value = environment(name);
        if (value) {
            if (const auto problem = addressFault(key, *value)) {
                log(fmt::format("${}: {}; the variable is ignored", name, *problem));
                return std::nullopt;
            }
        }
        return value;
    };
    fillFrom(addresses.serviceURL, fromEnvironment(ServiceAddress::environmentVariable, serviceURLKey),
             fmt::format("${}", ServiceAddress::environmentVariable));
    fillFrom(addresses.updateCheckURL,
             fromEnvironment(update_check::storeSearchURLEnvironmentVariable, updateCheckURLKey),
             fmt::format("${}", update_check::storeSearchURLEnvironmentVariable));
    // Both files are read even when the command line decides: a broken plant file is said at every start.
    const auto fillFromFile = [&](const std::filesystem::path& file) {
        const auto settings = readFile(file);
        if (!settings) {
            log(settings.error().description + "; the file is ignored");
            return;
        }
        fillFrom(addresses.serviceURL, settings->serviceURL, file.string());
        fillFrom(addresses.updateCheckURL, settings->updateCheckURL, file.string());
    };
    if (locations.userFile) {
        fillFromFile(*locations.userFile);
    }
    fillFromFile(locations.systemFile);
    fillFrom(addresses.serviceURL, std::string(ServiceAddress::defaultBaseURL), "the built-in default");
    if (!addresses.updateCheckURL.value) {
        addresses.updateCheckURL.source = "the built-in default";
    }
    return addresses;
}

Addresses resolve(const SharedOptions& commandLine)
{
    return resolve(commandLine, Locations::current());
}

std::string describe(const Addresses& addresses)
{
    return fmt::format("service address: {} (from {})\nupdate check:    {} (from {})\n",
                       addresses.serviceURL.value.value_or(ServiceAddress::defaultBaseURL), addresses.serviceURL.source,
                       addresses.updateCheckURL.value.value_or("off"), addresses.updateCheckURL.source);
}

} // namespace orvendel::PlantConfiguration
