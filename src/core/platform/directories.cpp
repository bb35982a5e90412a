#include "core/platform/directories.hpp"

#include "core/platform/app_paths.hpp"
#include "core/support/log.hpp"

#include <fmt/format.h>

#include <system_error>

namespace orvendel::directories {

std::optional<std::filesystem::path> applicationSupportDirectory()
{
    return AppPaths::dataDirectory();
}

bool ensureApplicationSupportDirectory()
{
    const auto path = applicationSupportDirectory();
    if (!path) {
        log("Unable to get the ApplicationSupport path");
        return false;
    }
    std::error_code error;
    if (std::filesystem::exists(*path, error)) {
        return true;
    }
    bool result = std::filesystem::create_directories(*path, error);
    if (!error) {
        // The users' data inside is theirs alone.
        std::filesystem::permissions(*path, std::filesystem::perms::owner_all, std::filesystem::perm_options::replace,
                                     error);
    }
    if (error) {
        log("Unable to create ApplicationSupport directory. " + error.message());
        result = false;
    }
    if (result && !AppPaths::markExcludedFromBackup(*path)) {
        log("Could not set ExcludedFromBackup key");
    }
    return result;
}

bool createDirectoryIfNeeded(const std::filesystem::path& path)
{
    std::error_code error;
    if (std::filesystem::exists(path, error)) {
        return true;
    }
    std::filesystem::create_directories(path, error);
    if (error) {
        log(fmt::format("Error: {} {}", error.message(), error.value()));
        return false;
    }
    return true;
}

} // namespace orvendel::directories
