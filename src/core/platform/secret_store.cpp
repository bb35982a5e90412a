#include "core/platform/secret_store.hpp"

#include "core/platform/app_paths.hpp"
#include "core/support/log.hpp"

#include <mutex>

namespace orvendel {
namespace {

// Every operation fails: there is nowhere to keep secrets.
class UnavailableSecretStore final : public SecretStore {
public:
    SecretStatus add(const SecretKey&, const std::string&) override { return SecretStatus::failure; }
    SecretStatus update(const SecretKey&, const std::string&) override { return SecretStatus::failure; }
    SecretLookup find(const SecretKey&) override { return {}; }
};

} // namespace

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
