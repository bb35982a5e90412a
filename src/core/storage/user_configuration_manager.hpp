#pragma once

#include "core/platform/atomic_file.hpp"

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

    static UserConfigurationManager& shared();
    // Tests: drops the shared instance so the next `shared` starts with nothing loaded.
    static void resetSharedForTesting();

    UserConfigurationManager();
    ~UserConfigurationManager();
    UserConfigurationManager(const UserConfigurationManager&) = delete;
    UserConfigurationManager& operator=(const UserConfigurationManager&) = delete;

    // Makes sure the user's file exists; a new one holds an empty dictionary. An existing file is kept.
    bool createConfigurationFile(const std::string& userName);
    // Reads the user's file; false (and nothing loaded) when it is missing, unreadable or not a dictionary.
    bool loadConfiguration(const std::string& userName);
    // The same from the file's bytes, already read; later saves go to `file`.
    bool loadConfigurationData(std::string_view bytes, const std::filesystem::path& file);
    // Sign-out: forgets the loaded file, so reads give defaults and writes change nothing until a load.
    void unloadConfiguration();

    int selectedFurnaceId() const;
    void setSelectedFurnaceId(int furnaceId);
    bool isAutoSaveEnabled() const;
    void setIsAutoSaveEnabled(bool enabled);
    void setStartingFurnaceId(int furnaceId);

    void saveConfiguration();

    std::optional<std::filesystem::path> loadedConfigurationFileURL() const;

    // Tests: runs between the temporary write and the replacement of the file at every save.
    void setBeforeReplaceForTesting(AtomicFile::BeforeReplace hook);

private:
    struct PlistDeleter {
        void operator()(void* node) const;
    };
    using Dictionary = std::unique_ptr<void, PlistDeleter>;

    std::optional<std::filesystem::path> userFolder(const std::string& userName) const;
    std::optional<long long> integerValue(const char* key) const;
    std::optional<bool> booleanValue(const char* key) const;
    void setInteger(const char* key, long long value);
    void setBoolean(const char* key, bool value);
    void saveLocked();

    mutable std::shared_mutex m_mutex;
    std::optional<std::filesystem::path> m_loadedConfigurationFileURL;
    Dictionary m_userDictionary;
    AtomicFile::BeforeReplace m_beforeReplace;
};

} // namespace orvendel
