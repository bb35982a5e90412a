#include "core/platform/app_paths.hpp"

#include "core/platform/local_files.hpp"

#include <cstdlib>

namespace orvendel::AppPaths {
namespace {

const char* nonEmptyEnv(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

} // namespace

std::optional<std::filesystem::path> applicationSupportDirectory()
{
    if (const char* dir = nonEmptyEnv("ORVENDEL_DATA_DIR")) {
        return std::filesystem::path(dir);
    }
    // A relative XDG_DATA_HOME is invalid: it would move the user's data with the working directory.
    if (const char* xdg = nonEmptyEnv("XDG_DATA_HOME"); xdg && *xdg == '/') {
        return std::filesystem::path(xdg) / "orvendel";
    }
    if (const char* home = nonEmptyEnv("HOME")) {
        return std::filesystem::path(home) / ".local" / "share" / "orvendel";
    }
    return std::nullopt;
}

bool markExcludedFromBackup(const std::filesystem::path& folder)
{
    constexpr std::string_view tag = "Signature: 8a477f597d28d172789f06886806bc55\n"
                                     "# This file is a cache directory tag created by Orvendel.\n"
                                     "# Backup tools that honour the tag skip this folder.\n";
    return static_cast<bool>(LocalFiles::writeRegularFile(folder / "CACHEDIR.TAG", tag, 0644));
}

} // namespace orvendel::AppPaths
