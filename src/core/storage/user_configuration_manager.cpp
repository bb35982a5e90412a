#include "core/storage/user_configuration_manager.hpp"

#include "core/model/utilities.hpp"
#include "core/support/log.hpp"

#include <plist/plist.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <mutex>
#include <utility>
#include <vector>

namespace orvendel {
namespace {

constexpr mode_t configurationFileMode = 0644;

std::mutex& sharedMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::unique_ptr<UserConfigurationManager>& sharedInstance()
{
    static std::unique_ptr<UserConfigurationManager> instance;
    return instance;
}

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

} // namespace

void UserConfigurationManager::PlistDeleter::operator()(void* node) const
{
    plist_free(static_cast<plist_t>(node));
}

UserConfigurationManager& UserConfigurationManager::shared()
{
    std::lock_guard lock(sharedMutex());
    auto& instance = sharedInstance();
    if (!instance) {
        instance = std::make_unique<UserConfigurationManager>();
    }
    return *instance;
}

void UserConfigurationManager::resetSharedForTesting()
{
    std::lock_guard lock(sharedMutex());
    sharedInstance().reset();
}

UserConfigurationManager::UserConfigurationManager() = default;
UserConfigurationManager::~UserConfigurationManager() = default;

std::optional<std::filesystem::path> UserConfigurationManager::userFolder(const std::string& userName) const
{
    const auto supportDirectory = Utilities::applicationSupportDirectory();
    if (!supportDirectory) {
        log("Unable to get the ApplicationSupport path");
        return std::nullopt;
    }
    std::string upper(userName);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    const auto digest = Utilities::md5Hex(upper);
    if (!digest) {
        log("Unable to get MD5 Hash of username");
        return std::nullopt;
    }
    return *supportDirectory / *digest;
}

bool UserConfigurationManager::createConfigurationFile(const std::string& userName)
{
    if (!Utilities::ensureApplicationSupportDirectory()) {
        if (Utilities::applicationSupportDirectory()) {
            log("Unable to get the ApplicationSupport path");
        }
        return false;
    }
    const auto folder = userFolder(userName);
    if (!folder || !Utilities::createDirectoryIfNeeded(*folder)) {
        return false;
    }
    const auto file = *folder / configurationFileName;
    std::error_code ignored;
    if (std::filesystem::exists(file, ignored)) {
        return true;
    }
    Dictionary empty(plist_new_dict());
    const auto bytes = serialize(empty.get());
    std::string error;
    if (!bytes || !AtomicFile::write(file, *bytes, configurationFileMode, &error)) {
        log("Error saving file: " + (bytes ? error : std::string("cannot serialize the dictionary")));
        return false;
    }
    log("Created Configuration File: " + file.string());
    return true;
}

bool UserConfigurationManager::loadConfiguration(const std::string& userName)
{
    // A failed load must not leave the previous user's settings loaded: later writes would land in the
    // previous user's file.
    unloadConfiguration();
    const auto folder = userFolder(userName);
    if (!folder) {
        return false;
    }
    const auto file = *folder / configurationFileName;
    std::string bytes;
    std::string error;
    if (!AtomicFile::read(file, bytes, &error)) {
        log("Error loading Configuration File: " + error);
        return false;
    }
    return loadConfigurationData(bytes, file);
}

bool UserConfigurationManager::loadConfigurationData(std::string_view bytes, const std::filesystem::path& file)
{
    unloadConfiguration();
    if (bytes.size() > UINT32_MAX) {
        log("Error loading Configuration File: the file is too large");
        return false;
    }
    plist_t parsed = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &parsed);
    Dictionary dictionary(parsed);
    if (!dictionary) {
        log("Error loading Configuration File: " + file.string() + " is not a property list");
        return false;
    }
    if (plist_get_node_type(dictionary.get()) != PLIST_DICT) {
        return false;
    }
    if (nestedDeeperThan(dictionary.get(), maximumNesting)) {
        log("Error loading Configuration File: " + file.string() + " is nested too deeply");
        return false;
    }
    std::unique_lock lock(m_mutex);
    m_loadedConfigurationFileURL = file;
    m_userDictionary = std::move(dictionary);
    return true;
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

void UserConfigurationManager::setInteger(const char* key, long long value)
{
    std::unique_lock lock(m_mutex);
    if (!m_userDictionary) {
        return;
    }
    // Integers are stored as two's complement, which the XML form writes back as negative numbers.
    plist_dict_set_item(m_userDictionary.get(), key, plist_new_uint(static_cast<uint64_t>(value)));
    saveLocked();
}

void UserConfigurationManager::setBoolean(const char* key, bool value)
{
    std::unique_lock lock(m_mutex);
    if (!m_userDictionary) {
        return;
    }
    plist_dict_set_item(m_userDictionary.get(), key, plist_new_bool(value ? 1 : 0));
    saveLocked();
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

void UserConfigurationManager::saveConfiguration()
{
    std::unique_lock lock(m_mutex);
    saveLocked();
}

void UserConfigurationManager::saveLocked()
{
    if (!m_userDictionary || !m_loadedConfigurationFileURL) {
        return;
    }
    const auto bytes = serialize(m_userDictionary.get());
    if (!bytes) {
        log("Error saving file: cannot serialize the dictionary");
        return;
    }
    std::string error;
    if (!AtomicFile::write(*m_loadedConfigurationFileURL, *bytes, configurationFileMode, &error, m_beforeReplace)) {
        log("Error saving file: " + error);
    }
}

} // namespace orvendel
