#pragma once

#include <filesystem>
#include <optional>

namespace orvendel::AppPaths {

// The application-support folder (the users' data) as the environment gives it: $ORVENDEL_DATA_DIR, else
// $XDG_DATA_HOME/orvendel (an absolute one only), else ~/.local/share/orvendel. None when no home folder is known. A
// command line's choice does not come through here: the front end hands it to the session. Thread contract: any thread.
std::optional<std::filesystem::path> applicationSupportDirectory();

// Marks a folder as one backups skip: a CACHEDIR.TAG file with the conventional signature. A link in the
// tag's place is refused, not written through.
bool markExcludedFromBackup(const std::filesystem::path& folder);

} // namespace orvendel::AppPaths
