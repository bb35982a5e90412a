#pragma once

#include <filesystem>
#include <optional>

namespace orvendel::AppPaths {

// The user's data folder: an override when set, else $ORVENDEL_DATA_DIR, else $XDG_DATA_HOME/orvendel,
// else ~/.local/share/orvendel. None when no home folder is known. Thread contract: any thread.
std::optional<std::filesystem::path> dataDirectory();

// Replaces the environment's answer (command-line option, tests); none restores it.
void setDataDirectoryOverride(std::optional<std::filesystem::path> path);

// Marks a folder as one backups skip: a CACHEDIR.TAG file with the conventional signature. A link in the
// tag's place is refused, not written through.
bool markExcludedFromBackup(const std::filesystem::path& folder);

} // namespace orvendel::AppPaths
