#pragma once

#include "core/support/error.hpp"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace orvendel {

// Identifies one stored secret: at most one item per (service, access group, account).
struct SecretKey {
    std::string service;
    std::optional<std::string> accessGroup;
    std::string account;
};

// Why a secret store refused ("SecretStore"). Descriptions never carry the secret.
namespace secret_error {
inline constexpr const char* domain = "SecretStore";
inline constexpr int duplicateItem = 1;
inline constexpr int itemNotFound = 2;
inline constexpr int failure = 3;
// There is no store to ask: no Secret Service, or no folder for the file.
inline constexpr int unavailable = 4;

Error make(int code, std::string detail = {});
} // namespace secret_error

// The platform's protected store of secrets, with the item operations of a keychain. `add` refuses an
// existing item (duplicateItem); `update` and `find` refuse a missing one (itemNotFound).
// Thread contract: any thread; implementations serialise their own access.
class SecretStore {
public:
    virtual ~SecretStore() = default;
    virtual Result<void> add(const SecretKey& key, const std::string& data) = 0;
    virtual Result<void> update(const SecretKey& key, const std::string& data) = 0;
    // The stored bytes.
    virtual Result<std::string> find(const SecretKey& key) = 0;
};

// The Secret Service over D-Bus (libsecret). Use it only when `secretServiceAnswers` says so.
std::shared_ptr<SecretStore> makeLibsecretStore();
// Succeeds when a Secret Service owns its bus name right now; otherwise `unavailable` with the reason alone as
// its description ("no session bus"). Answers at
// once without a session bus, and within half a second otherwise.
Result<void> secretServiceAnswers();

// An owner-only file: folder mode 0700, file mode 0600, replaced atomically on every change. A symbolic link in
// place of the folder or the file makes the store unavailable; it is never followed, narrowed or replaced.
std::shared_ptr<SecretStore> makeFileSecretStore(std::filesystem::path folder);

// The system's store: the Secret Service when one answers, else the owner-only file in the folder
// "Credentials" of `applicationSupportDirectory` (announced once on the console), else a store that refuses everything.
std::shared_ptr<SecretStore> systemSecretStore(const std::optional<std::filesystem::path>& applicationSupportDirectory);

} // namespace orvendel
