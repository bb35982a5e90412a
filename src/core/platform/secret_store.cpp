#include "core/platform/secret_store.hpp"

#include "core/platform/app_paths.hpp"
#include "core/support/log.hpp"

#include <mutex>

namespace orvendel {
namespace {

// Every operation fails: there is nowhere to keep secrets.
class UnavailableSecretStore final : public SecretStore {
public:
    Result<void> add(const SecretKey&, const std::string&) override { return unavailable(); }
    Result<void> update(const SecretKey&, const std::string&) override { return unavailable(); }
    Result<std::string> find(const SecretKey&) override { return unavailable(); }

private:
    static Error unavailable() { return secret_error::make(secret_error::failure, "no place to keep secrets"); }
};

} // namespace

Error secret_error::make(int code, std::string detail)
{
    std::string description;
    switch (code) {
    case duplicateItem:
        description = "The item already exists.";
        break;
    case itemNotFound:
        description = "The item could not be found.";
        break;
    default:
        description = "The secret store failed.";
        break;
    }
    if (!detail.empty()) {
        description += " (" + detail + ")";
    }
    return Error{domain, code, std::move(description)};
}

std::shared_ptr<SecretStore> systemSecretStore()
{
    static std::once_flag once;
    static std::shared_ptr<SecretStore> store;
    std::call_once(once, [] {
        if (secretServiceAnswers()) {
            store = makeLibsecretStore();
            return;
        }
        const auto dataDirectory = AppPaths::dataDirectory();
        if (!dataDirectory) {
            log("No Secret Service is available and there is no data folder; passwords cannot be kept.");
            store = std::make_shared<UnavailableSecretStore>();
            return;
        }
        const auto folder = *dataDirectory / "Credentials";
        log("No Secret Service is available; passwords are kept in an owner-only file in " + folder.string());
        store = makeFileSecretStore(folder);
    });
    return store;
}

} // namespace orvendel
