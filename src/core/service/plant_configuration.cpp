#include "core/service/plant_configuration.hpp"

#include "core/service/service_address.hpp"
#include "core/service/update_check.hpp"
#include "core/support/log.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// A URL in a file has no blanks or control characters: a trailing "# note" must not become part of the address.
bool isPlainURL(std::string_view value)
{
    return std::ranges::none_of(value, [](char c) { return static_cast<unsigned char>(c) <= ' ' || c == '\x7f'; });
}

bool isUsableURL(std::string_view key, std::string_view value)
{
    if (!isPlainURL(value)) {
        return false;
    }
    if (key == serviceURLKey) {
        return ServiceAddress::isValidBaseURL(value);
    }
    return update_check::storeLookupURL(value, "x").has_value();
}

std::nullopt_t fault(const std::filesystem::path& file, std::size_t line, std::string_view what)
{
    log(fmt::format("{}:{}: {}; the file is ignored", file.string(), line, what));
    return std::nullopt;
}

std::nullopt_t fault(const std::filesystem::path& file, std::string_view what)
{
    log(fmt::format("{}: {}; the file is ignored", file.string(), what));
    return std::nullopt;
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

std::optional<FileSettings> parse(std::string_view text, const std::filesystem::path& file)
{
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
            return fault(file, number, "expected KEY = VALUE");
        }
        const auto key = trimmed(line.substr(0, equals));
        const auto value = trimmed(line.substr(equals + 1));
        const bool isService = key == serviceURLKey;
        if (!isService && key != updateCheckURLKey) {
            return fault(file, number,
                         fmt::format("unknown key \"{}\" (known: {}, {})", key, serviceURLKey, updateCheckURLKey));
        }
        auto& firstLine = isService ? serviceLine : updateCheckLine;
        if (firstLine != 0) {
            return fault(file, number, fmt::format("{} is given twice (first on line {})", key, firstLine));
        }
        if (!isUsableURL(key, value)) {
            return fault(file, number,
                         fmt::format("{}: not an http:// or https:// address with a host: \"{}\"", key, value));
        }
        firstLine = number;
        (isService ? settings.serviceURL : settings.updateCheckURL) = std::string(value);
    }
    return settings;
}

std::optional<FileSettings> readFile(const std::filesystem::path& file)
{
    const int descriptor = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (descriptor < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return FileSettings{};
        }
        return fault(file, fmt::format("cannot be read: {}", std::strerror(errno)));
    }
    std::string text;
    struct stat status {};
    std::optional<std::string> problem;
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        problem = "not a regular file";
    } else if (static_cast<std::size_t>(status.st_size) > maximumFileSize) {
        problem = fmt::format("larger than {} KiB", maximumFileSize / 1024);
    } else {
        char buffer[4096];
        ssize_t count = 0;
        while ((count = ::read(descriptor, buffer, sizeof buffer)) != 0) {
            if (count < 0 && errno == EINTR) {
                continue;
            }
            if (count < 0 || text.size() + static_cast<std::size_t>(count) > maximumFileSize) {
                problem = count < 0 ? fmt::format("cannot be read: {}", std::strerror(errno))
                                    : fmt::format("larger than {} KiB", maximumFileSize / 1024);
                break;
            }
            text.append(buffer, static_cast<std::size_t>(count));
        }
    }
    ::close(descriptor);
    if (problem) {
        return fault(file, *problem);
    }
    return parse(text, file);
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

Addresses resolve(const CommandLine& commandLine, const Locations& locations)
{
    Addresses addresses{{commandLine.serviceURL, "the command line"}, {commandLine.updateCheckURL, "the command line"}};
    const auto fillFrom = [](Setting& setting, const std::optional<std::string>& value, std::string source) {
        if (!setting.value && value) {
            setting = Setting{value, std::move(source)};
        }
    };
    fillFrom(addresses.serviceURL, environment(ServiceAddress::environmentVariable),
             fmt::format("${}", ServiceAddress::environmentVariable));
    fillFrom(addresses.updateCheckURL, environment(update_check::storeSearchURLEnvironmentVariable),
             fmt::format("${}", update_check::storeSearchURLEnvironmentVariable));
    // Both files are read even when the command line decides: a broken plant file is said at every start.
    const auto fillFromFile = [&](const std::filesystem::path& file) {
        if (const auto settings = readFile(file)) {
            fillFrom(addresses.serviceURL, settings->serviceURL, file.string());
            fillFrom(addresses.updateCheckURL, settings->updateCheckURL, file.string());
        }
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

Addresses resolve(const CommandLine& commandLine)
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
