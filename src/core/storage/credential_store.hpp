#pragma once

#include "core/platform/secret_store.hpp"
#include "core/storage/user_folder.hpp"

#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace orvendel {

// When a stored item may be read, in the platform keychain's terms. The Linux secret stores have no such
// setting (the Secret Service locks whole collections), so there the value is accepted and has no effect.
enum class CredentialAccessibility {
    afterFirstUnlock,
    afterFirstUnlockThisDeviceOnly,
    always,
    whenPasscodeSetThisDeviceOnly,
    alwaysThisDeviceOnly,
    whenUnlocked,
    whenUnlockedThisDeviceOnly,
};

// Text values under text keys (a user's password under the normalised user name), one protected item per
// key of `serviceName`. Keys are compared exactly: the caller normalises them. Values never reach a log.
// Thread contract: any thread; the secret store serialises access.
class CredentialStore {
public:
    static constexpr CredentialAccessibility defaultAccessibility = CredentialAccessibility::whenUnlocked;

    // Without a store, the system's (Secret Service, else the owner-only file in `applicationSupportDirectory`'s
    // folder), found on first use: asking the session bus and loading libsecret waits until a secret is needed, not at
    // start-up.
    explicit CredentialStore(std::string serviceName, std::optional<std::string> accessGroup = std::nullopt,
                             std::shared_ptr<SecretStore> store = nullptr,
                             ApplicationSupportDirectory applicationSupportDirectory = {});

    const std::string& serviceName() const { return m_serviceName; }
    const std::optional<std::string>& accessGroup() const { return m_accessGroup; }

    // "CredentialStore" 1: a text that is not valid UTF-8.
    static constexpr const char* errorDomain = "CredentialStore";
    static constexpr int invalidText = 1;

    // Adds the item, or replaces the value of an existing one; the store's error when neither worked.
    Result<void> set(const std::string& text, const std::string& key,
                     std::optional<CredentialAccessibility> accessibility = std::nullopt);
    Result<void> setData(const std::string& bytes, const std::string& key,
                         std::optional<CredentialAccessibility> accessibility = std::nullopt);

    // The stored text; secret_error::itemNotFound when nothing is stored under the key.
    Result<std::string> string(const std::string& key,
                               std::optional<CredentialAccessibility> accessibility = std::nullopt);
    Result<std::string> data(const std::string& key,
                             std::optional<CredentialAccessibility> accessibility = std::nullopt);

private:
    SecretKey keyFor(const std::string& key) const;
    SecretStore& store();

    std::string m_serviceName;
    std::optional<std::string> m_accessGroup;
    ApplicationSupportDirectory m_applicationSupportDirectory;
    std::once_flag m_storeFound;
    std::shared_ptr<SecretStore> m_store;
};

} // namespace orvendel
