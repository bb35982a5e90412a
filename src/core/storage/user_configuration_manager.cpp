#include "core/storage/user_configuration_manager.hpp"

#include "core/model/utilities.hpp"
#include "core/platform/local_files.hpp"
#include "core/support/log.hpp"

#include <plist/plist.h>

#include <algorithm>
#include <cassert>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <mutex>
#include <utility>
#include <vector>

namespace orvendel {
namespace {

constexpr mode_t configurationFileMode = user_folder::fileMode;

// XML text of a dictionary, or none when libplist cannot serialise it.
std::optional<std::string> serialize(plist_t dictionary)
{
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(dictionary, &xml, &length);
    if (!xml) {
        return std::nullopt;
    }
    std::string text(xml, length);
    plist_to_xml_free(xml);
    return text;
}

// Every save writes the whole dictionary back, indenting each level of nesting: a foreign value nested
// thousands of levels deep would make the written text grow with the square of its depth (gigabytes).
// Our own keys sit at the top; nothing we write nests at all.
constexpr int maximumNesting = 64;

bool nestedDeeperThan(plist_t root, int limit)
{
    std::vector<std::pair<plist_t, int>> pending{{root, 0}};
    while (!pending.empty()) {
        const auto [node, depth] = pending.back();
        pending.pop_back();
        if (depth > limit) {
            return true;
        }
        if (plist_get_node_type(node) == PLIST_ARRAY) {
            for (uint32_t i = 0, count = plist_array_get_size(node); i < count; ++i) {
                pending.emplace_back(plist_array_get_item(node, i), depth + 1);
            }
        } else if (plist_get_node_type(node) == PLIST_DICT) {
            plist_dict_iter iterator = nullptr;
            plist_dict_new_iter(node, &iterator);
            for (;;) {
                char* key = nullptr;
                plist_t value = nullptr;
                plist_dict_next_item(node, iterator, &key, &value);
                std::free(key);
                if (!value) {
                    break;
                }
                pending.emplace_back(value, depth + 1);
            }
            std::free(iterator);
        }
    }
    return false;
}

Error readFailure(std::string why)
{
    log("Error loading Configuration File: " + why);
    return Error{storage_error::domain, storage_error::cannotReadFile, std::move(why)};
}

} // namespace

void UserConfigurationManager::PlistDeleter::operator()(void* node) const
{
    plist_free(static_cast<plist_t>(node));
}

UserConfigurationManager::UserConfigurationManager(Dependencies dependencies)
    : m_applicationSupportDirectory(std::move(dependencies.applicationSupportDirectory))
{
    assert(m_applicationSupportDirectory);
}
UserConfigurationManager::~UserConfigurationManager() = default;

Result<std::filesystem::path> UserConfigurationManager::userFolder(const std::string& userName) const
{
    const auto supportDirectory = m_applicationSupportDirectory();
    if (!supportDirectory) {
        log("Unable to get the ApplicationSupport path");
        return Error{storage_error::domain, storage_error::noApplicationSupportDirectory,
                     "There is no application-support folder."};
    }
    return user_folder::path(*supportDirectory, userName);
}

Result<void> UserConfigurationManager::createConfigurationFile(const std::string& userName)
{
    const auto supportDirectory = user_folder::ensureApplicationSupportDirectory(m_applicationSupportDirectory);
    if (!supportDirectory) {
        if (supportDirectory.error().code != storage_error::noApplicationSupportDirectory) {
            log("Unable to get the ApplicationSupport path");
        }
        return supportDirectory.error();
    }
    const auto folder = user_folder::path(*supportDirectory, userName);
    if (!folder) {
        return folder.error();
    }
    if (auto created = user_folder::create(*folder); !created) {
        return created;
    }
    const auto file = *folder / configurationFileName;
    // Whatever stands there is left alone, a link included (the load refuses to follow it).
    if (LocalFiles::kindAt(file) != LocalFiles::Kind::missing) {
        return {};
    }
    Dictionary empty(plist_new_dict());
    const auto bytes = serialize(empty.get());
    if (!bytes) {
        log("Error saving file: cannot serialize the dictionary");
        return Error{storage_error::domain, storage_error::cannotWriteFile, "cannot serialize the dictionary"};
    }
    if (auto written = AtomicFile::write(file, *bytes, configurationFileMode); !written) {
        log("Error saving file: " + written.error().description);
        return Error{storage_error::domain, storage_error::cannotWriteFile, written.error().description};
    }
    log("Created Configuration File: " + file.string());
    return {};
}

Result<void> UserConfigurationManager::loadConfiguration(const std::string& userName)
{
    // A failed load must not leave the previous user's settings loaded: later writes would land in the
    // previous user's file.
    unloadConfiguration();
    const auto folder = userFolder(userName);
    if (!folder) {
        return folder.error();
    }
    const auto file = *folder / configurationFileName;
    const auto bytes = [&]() -> Result<std::string> {
        if (auto noLink = LocalFiles::checkNoSymbolicLink(*folder); !noLink) {
            return noLink.error();
        }
        return LocalFiles::readRegularFile(file, maximumFileSize, configurationFileMode);
    }();
    if (!bytes && bytes.error().code != local_file_error::tooLarge) {
        return loadDefaultsInstead(bytes.error());
    }
    auto loaded = bytes ? loadConfigurationData(*bytes, file) : Result<void>(bytes.error());
    if (loaded) {
        return loaded;
    }
    // Ours, but damaged: kept aside for whoever looks into it, and replaced at the next save.
    const auto aside = LocalFiles::setAside(file);
    if (!aside) {
        log("The Configuration File " + file.string() + " is unreadable (" + loaded.error().description +
            ") and could not be set aside: " + aside.error().description + "; using the default settings");
        loadDefaults(std::nullopt);
        return {};
    }
    log("The Configuration File " + file.string() + " is unreadable (" + loaded.error().description +
        "); it was set aside as " + aside->string() + "; using the default settings");
    loadDefaults(file);
    return {};
}

void UserConfigurationManager::loadDefaults(std::optional<std::filesystem::path> file)
{
    std::unique_lock lock(m_mutex);
    m_loadedConfigurationFileURL = std::move(file);
    m_userDictionary = Dictionary(plist_new_dict());
}

Result<void> UserConfigurationManager::loadDefaultsInstead(const Error& refusal)
{
    if (refusal.code != local_file_error::symbolicLink && refusal.code != local_file_error::wrongKind) {
        return readFailure(refusal.description); // missing, or the disk failed
    }
    if (refusal.code != local_file_error::symbolicLink) { // a refused link has been reported already
        log("Error loading Configuration File: " + refusal.description + "; using the default settings");
    }
    // Nothing is written where a link or a foreign object stands.
    loadDefaults(std::nullopt);
    return {};
}

Result<void> UserConfigurationManager::loadConfigurationData(std::string_view bytes, const std::filesystem::path& file)
{
    unloadConfiguration();
    if (bytes.size() > UINT32_MAX) {
        return readFailure("the file is too large");
    }
    plist_t parsed = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &parsed);
    Dictionary dictionary(parsed);
    if (!dictionary) {
        return readFailure(file.string() + " is not a property list");
    }
    if (plist_get_node_type(dictionary.get()) != PLIST_DICT) {
        return Error{storage_error::domain, storage_error::notADictionary, file.string() + " is not a dictionary"};
    }
    if (nestedDeeperThan(dictionary.get(), maximumNesting)) {
        return readFailure(file.string() + " is nested too deeply");
    }
    std::unique_lock lock(m_mutex);
    m_loadedConfigurationFileURL = file;
    m_userDictionary = std::move(dictionary);
    return {};
}

void UserConfigurationManager::unloadConfiguration()
{
    std::unique_lock lock(m_mutex);
    m_loadedConfigurationFileURL.reset();
    m_userDictionary.reset();
}

std::optional<std::filesystem::path> UserConfigurationManager::loadedConfigurationFileURL() const
{
    std::shared_lock lock(m_mutex);
    return m_loadedConfigurationFileURL;
}

void UserConfigurationManager::setBeforeReplaceForTesting(AtomicFile::BeforeReplace hook)
{
    std::unique_lock lock(m_mutex);
    m_beforeReplace = std::move(hook);
}

std::optional<long long> UserConfigurationManager::integerValue(const char* key) const
{
    std::shared_lock lock(m_mutex);
    if (!m_userDictionary) {
        return std::nullopt;
    }
    plist_t node = plist_dict_get_item(m_userDictionary.get(), key);
    if (!node || plist_get_node_type(node) != PLIST_UINT) {
        return std::nullopt;
    }
    uint64_t raw = 0;
    plist_get_uint_val(node, &raw);
    return static_cast<long long>(raw);
}

std::optional<bool> UserConfigurationManager::booleanValue(const char* key) const
{
    std::shared_lock lock(m_mutex);
    if (!m_userDictionary) {
        return std::nullopt;
    }
    plist_t node = plist_dict_get_item(m_userDictionary.get(), key);
    if (!node || plist_get_node_type(node) != PLIST_BOOLEAN) {
        return std::nullopt;
    }
    uint8_t raw = 0;
    plist_get_bool_val(node, &raw);
    return raw != 0;
}

std::optional<std::string> UserConfigurationManager::stringValue(const char* key) const
{
    std::shared_lock lock(m_mutex);
    if (!m_userDictionary) {
        return std::nullopt;
    }
    plist_t node = plist_dict_get_item(m_userDictionary.get(), key);
    if (!node || plist_get_node_type(node) != PLIST_STRING) {
        return std::nullopt;
    }
    char* raw = nullptr;
    plist_get_string_val(node, &raw);
    std::optional<std::string> value = raw ? std::optional<std::string>(raw) : std::nullopt;
    std::free(raw); // the library hands out malloc memory
    return value;
}

void UserConfigurationManager::setString(const char* key, const std::string& value)
{
    std::unique_lock lock(m_mutex);
    if (!m_userDictionary) {
        return;
    }
    plist_dict_set_item(m_userDictionary.get(), key, plist_new_string(value.c_str()));
    (void)saveLocked(); // logged there; the value stays set in memory
}

void UserConfigurationManager::setInteger(const char* key, long long value)
{
    std::unique_lock lock(m_mutex);
    if (!m_userDictionary) {
        return;
    }
    // Integers are stored as two's complement, which the XML form writes back as negative numbers.
    plist_dict_set_item(m_userDictionary.get(), key, plist_new_uint(static_cast<uint64_t>(value)));
    (void)saveLocked(); // logged there; the value stays set in memory
}

void UserConfigurationManager::setBoolean(const char* key, bool value)
{
    std::unique_lock lock(m_mutex);
    if (!m_userDictionary) {
        return;
    }
    plist_dict_set_item(m_userDictionary.get(), key, plist_new_bool(value ? 1 : 0));
    (void)saveLocked(); // logged there; the value stays set in memory
}

int UserConfigurationManager::selectedFurnaceId() const
{
    const auto value = integerValue(selectedFurnaceIdKey);
    // A number beyond the range of an id is as unusable as a value of the wrong type.
    return value && *value >= INT_MIN && *value <= INT_MAX ? static_cast<int>(*value) : 0;
}

void UserConfigurationManager::setSelectedFurnaceId(int furnaceId)
{
    setInteger(selectedFurnaceIdKey, furnaceId);
}

bool UserConfigurationManager::isAutoSaveEnabled() const
{
    return booleanValue(isAutoSaveEnabledKey).value_or(false);
}

void UserConfigurationManager::setIsAutoSaveEnabled(bool enabled)
{
    setBoolean(isAutoSaveEnabledKey, enabled);
}

void UserConfigurationManager::setStartingFurnaceId(int furnaceId)
{
    setInteger(startingFurnaceIdKey, furnaceId);
}

std::optional<std::string> UserConfigurationManager::shiftSchedule() const
{
    return stringValue(shiftScheduleKey);
}

void UserConfigurationManager::setShiftSchedule(const std::string& text)
{
    setString(shiftScheduleKey, text);
}

Result<void> UserConfigurationManager::saveConfiguration()
{
    std::unique_lock lock(m_mutex);
    return saveLocked();
}

Result<void> UserConfigurationManager::saveLocked()
{
    if (!m_userDictionary || !m_loadedConfigurationFileURL) {
        return {};
    }
    const auto bytes = serialize(m_userDictionary.get());
    if (!bytes) {
        log("Error saving file: cannot serialize the dictionary");
        return Error{storage_error::domain, storage_error::cannotWriteFile, "cannot serialize the dictionary"};
    }
    if (auto written = AtomicFile::write(*m_loadedConfigurationFileURL, *bytes, configurationFileMode, m_beforeReplace);
        !written) {
        log("Error saving file: " + written.error().description);
        return Error{storage_error::domain, storage_error::cannotWriteFile, written.error().description};
    }
    return {};
}

} // namespace orvendel
