#pragma once

#include <filesystem>
#include <optional>

// The folders the core keeps its files in. They sit with the platform so that the model stays free of I/O.
// Thread contract: any thread.
namespace orvendel::directories {

// The application-support folder of the platform paths (the environment's data folder).
std::optional<std::filesystem::path> applicationSupportDirectory();

// True when something exists at the path or the directory could be created with its parents.
bool createDirectoryIfNeeded(const std::filesystem::path& path);

} // namespace orvendel::directories
