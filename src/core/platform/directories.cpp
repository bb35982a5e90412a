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
