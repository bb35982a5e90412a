#include "fuzz_support.hpp"

#include "core/platform/atomic_file.hpp"
#include "core/platform/local_files.hpp"
#include "core/storage/user_configuration_manager.hpp"

#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

// The configuration file is read back from disk after crashes, full disks and hand edits. Whatever loads
// must keep the user's settings through a save: the manager writes the whole dictionary back, foreign keys
// included, and the next start reads that file.
namespace {

std::filesystem::path& folder()
{
    static std::filesystem::path path;
    return path;
}

void removeFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(folder(), ignored);
}

// Saves stop before replacing the file; the temporary holds exactly what would have been written.
std::string savedBytes(orvendel::UserConfigurationManager& manager, bool autoSave)
{
    std::string bytes;
    manager.setBeforeReplaceForTesting([&bytes](const std::filesystem::path& temporary) {
        if (auto read = orvendel::LocalFiles::readRegularFile(temporary, 64 * 1024 * 1024)) {
            bytes = std::move(*read);
        }
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return false;
    });
    manager.setIsAutoSaveEnabled(autoSave);
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    orvendel::fuzz::silenceLog();
    // A memory-backed folder when there is one: every save writes and syncs a temporary file.
    std::error_code error;
    std::filesystem::path base = std::filesystem::is_directory("/dev/shm", error)
                                     ? std::filesystem::path("/dev/shm")
                                     : std::filesystem::temp_directory_path();
    std::string pattern = (base / "orvendel-fuzz-configuration.XXXXXX").string();
    orvendel::fuzz::require(::mkdtemp(pattern.data()) != nullptr, "cannot make a temporary folder");
    folder() = pattern;
    std::atexit(removeFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace orvendel;
    const auto file = folder() / UserConfigurationManager::configurationFileName;
    const ApplicationSupportDirectory support = [] { return std::optional(folder()); };
    UserConfigurationManager manager({support});
    if (!manager.loadConfigurationData(fuzz::text(data, size), file)) {
        fuzz::require(!manager.loadedConfigurationFileURL(), "a refused file stays loaded");
        return 0;
    }
    const int furnace = manager.selectedFurnaceId();
    const bool autoSave = !manager.isAutoSaveEnabled();
    const std::string saved = savedBytes(manager, autoSave);
    fuzz::require(!saved.empty(), "a loaded configuration did not save");

    UserConfigurationManager reloaded({support});
    fuzz::require(static_cast<bool>(reloaded.loadConfigurationData(saved, file)),
                  "a saved configuration does not load");
    fuzz::require(reloaded.selectedFurnaceId() == furnace, "the selected furnace changed through a save");
    fuzz::require(reloaded.isAutoSaveEnabled() == autoSave, "the auto-save setting changed through a save");
    return 0;
}
