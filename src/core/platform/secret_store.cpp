#include "core/platform/secret_store.hpp"

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
    static Error unavailable() { return secret_error::make(secret_error::unavailable, "no place to keep secrets"); }
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
    case unavailable:
        description = "There is no secret store.";
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

std::shared_ptr<SecretStore> systemSecretStore(const std::optional<std::filesystem::path>& applicationSupportDirectory)
{
    // Process-wide: whether a Secret Service answers is asked once (it may take half a second) and does not
    // change while the program runs; its one store serves every session.
    static const Result<void> answers = secretServiceAnswers();
    if (answers) {
        static const std::shared_ptr<SecretStore> service = makeLibsecretStore();
        return service;
    }
    // The reason is the one the first question got; it does not change either.
    const auto why = answers.error().description;
    if (!applicationSupportDirectory) {
        log("No Secret Service is available (" + why + ") and there is no data folder; passwords cannot be kept.");
        return std::make_shared<UnavailableSecretStore>();
    }
    const auto folder = *applicationSupportDirectory / "Credentials";
    // Process-wide too: the fallback is news once per run, not at every sign-in.
    static std::once_flag announced;
    std::call_once(announced, [&folder, &why] {
        log("No Secret Service is available (" + why + "); passwords are kept in an owner-only file in " +
            folder.string());
    });
    return makeFileSecretStore(folder);
}

} // namespace orvendel
