#pragma once

#include "core/model/result_information.hpp"
#include "core/platform/atomic_file.hpp"
#include "core/storage/user_folder.hpp"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <shared_mutex>
#include <string>
#include <string_view>

namespace orvendel {

// One user's settings on this device, kept in "Configuration.plist" (an XML property list holding a
// dictionary) beside the user's database: the furnace the service proposed at sign-in, the furnace the
// user selected and whether edits are saved at once. Every write saves the whole file atomically.
// Thread contract: any thread. Reads share a lock and run in parallel; a write (and its save) holds the
// lock alone, so a read never sees a half-written dictionary and one writer at a time touches the file.
class UserConfigurationManager {
public:
    static constexpr const char* configurationFileName = "Configuration.plist";
    static constexpr const char* startingFurnaceIdKey = "StartingFurnaceId";
    static constexpr const char* selectedFurnaceIdKey = "SelectedFurnaceId";
    static constexpr const char* isAutoSaveEnabledKey = "IsAutoSaveEnabled";
    // The shift report's shifts as the user set them ("06:00-14:00,14:00-22:00,22:00-06:00").
    static constexpr const char* shiftScheduleKey = "ShiftSchedule";
    // A larger file cannot be one of ours and is not read.
    static constexpr std::size_t maximumFileSize = 1024 * 1024;

    struct Dependencies {
        ApplicationSupportDirectory applicationSupportDirectory; // required
    };

    explicit UserConfigurationManager(Dependencies dependencies);
    ~UserConfigurationManager();
    UserConfigurationManager(const UserConfigurationManager&) = delete;
    UserConfigurationManager& operator=(const UserConfigurationManager&) = delete;

    // Makes sure the user's file exists; a new one holds an empty dictionary. An existing file is kept.
    Result<void> createConfigurationFile(const std::string& userName);
    // Reads the user's file; fails (and nothing is loaded) when it is missing or the disk fails. No file's
    // content keeps the user out: for a symbolic link or something else in the file's place, a file over
    // the size cap, or one that is not a property-list dictionary (or is nested too deeply), the defaults
    // are loaded instead. A damaged file of ours is set aside under a new name (one console line) and the
    // next save writes a fresh one; nothing is ever written where a link or a foreign object stands.
    Result<void> loadConfiguration(const std::string& userName);
    // The same from the file's bytes, already read; later saves go to `file`.
    Result<void> loadConfigurationData(std::string_view bytes, const std::filesystem::path& file);
    // Sign-out: forgets the loaded file, so reads give defaults and writes change nothing until a load.
    void unloadConfiguration();

    int selectedFurnaceId() const;
    void setSelectedFurnaceId(int furnaceId);
    bool isAutoSaveEnabled() const;
    void setIsAutoSaveEnabled(bool enabled);
    void setStartingFurnaceId(int furnaceId);
    // The text as stored; none when the user never set shifts. Whoever sets it checks it first: the store
    // keeps any text, and a reader that cannot use it falls back to the standard shifts.
    std::optional<std::string> shiftSchedule() const;
    void setShiftSchedule(const std::string& text);

    // Writes the loaded dictionary to its file; does nothing (successfully) when none is loaded. The setters
    // above save too, and log a failure since nobody waits on them.
    Result<void> saveConfiguration();

    std::optional<std::filesystem::path> loadedConfigurationFileURL() const;

    // Tests: runs between the temporary write and the replacement of the file at every save.
    void setBeforeReplaceForTesting(AtomicFile::BeforeReplace hook);

private:
    struct PlistDeleter {
        void operator()(void* node) const;
    };
    using Dictionary = std::unique_ptr<void, PlistDeleter>;

    Result<std::filesystem::path> userFolder(const std::string& userName) const;
    Result<void> loadDefaultsInstead(const Error& refusal);
    // The defaults, with later saves going to `file` (none: saves change nothing).
    void loadDefaults(std::optional<std::filesystem::path> file);
    std::optional<long long> integerValue(const char* key) const;
    std::optional<bool> booleanValue(const char* key) const;
    std::optional<std::string> stringValue(const char* key) const;
    void setInteger(const char* key, long long value);
    void setBoolean(const char* key, bool value);
    void setString(const char* key, const std::string& value);
    Result<void> saveLocked();

    ApplicationSupportDirectory m_applicationSupportDirectory;
    mutable std::shared_mutex m_mutex;
    std::optional<std::filesystem::path> m_loadedConfigurationFileURL;
    Dictionary m_userDictionary;
    AtomicFile::BeforeReplace m_beforeReplace;
};

} // namespace orvendel
