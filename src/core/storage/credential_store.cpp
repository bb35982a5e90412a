#include "core/storage/credential_store.hpp"

#include "core/support/utf8.hpp"

#include <string_view>

namespace orvendel {

CredentialStore::CredentialStore(std::string serviceName, std::optional<std::string> accessGroup,
                                 std::shared_ptr<SecretStore> store,
                                 ApplicationSupportDirectory applicationSupportDirectory)
    : m_serviceName(std::move(serviceName)), m_accessGroup(std::move(accessGroup)),
      m_applicationSupportDirectory(std::move(applicationSupportDirectory)), m_store(std::move(store))
{}

SecretStore& CredentialStore::store()
{
    std::call_once(m_storeFound, [this] {
        if (!m_store) {
            m_store = systemSecretStore(m_applicationSupportDirectory ? m_applicationSupportDirectory() : std::nullopt);
        }
    });
    return *m_store;
}

SecretKey CredentialStore::keyFor(const std::string& key) const
{
    return SecretKey{m_serviceName, m_accessGroup, key};
}

namespace {

Error invalidTextError()
{
    return Error{CredentialStore::errorDomain, CredentialStore::invalidText, "The text is not valid UTF-8."};
}

} // namespace

Result<void> CredentialStore::set(const std::string& text, const std::string& key,
                                  std::optional<CredentialAccessibility> accessibility)
{
    if (!utf8::isValid(text)) {
        return invalidTextError();
    }
    return setData(text, key, accessibility);
}

Result<void> CredentialStore::setData(const std::string& bytes, const std::string& key,
                                      std::optional<CredentialAccessibility> /*accessibility*/)
{
    const SecretKey item = keyFor(key);
    auto added = store().add(item, bytes);
    if (!added && added.error().is(secret_error::domain, secret_error::duplicateItem)) {
        return store().update(item, bytes);
    }
    return added;
}

Result<std::string> CredentialStore::data(const std::string& key,
                                          std::optional<CredentialAccessibility> /*accessibility*/)
{
    return store().find(keyFor(key));
}

Result<std::string> CredentialStore::string(const std::string& key,
                                            std::optional<CredentialAccessibility> accessibility)
{
    auto bytes = data(key, accessibility);
    if (bytes && !utf8::isValid(*bytes)) {
        return invalidTextError();
    }
    return bytes;
}

} // namespace orvendel
