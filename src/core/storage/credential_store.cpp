#include "core/storage/credential_store.hpp"

#include <cstdint>
#include <string_view>

namespace orvendel {
namespace {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        std::uint32_t codePoint = 0;
        if (byte < 0x80) {
            ++i;
            continue;
        } else if ((byte & 0xE0) == 0xC0) {
            length = 2;
            codePoint = byte & 0x1F;
        } else if ((byte & 0xF0) == 0xE0) {
            length = 3;
            codePoint = byte & 0x0F;
        } else if ((byte & 0xF8) == 0xF0) {
            length = 4;
            codePoint = byte & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        const std::uint32_t minimum = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

} // namespace

CredentialStore::CredentialStore(std::string serviceName, std::optional<std::string> accessGroup,
                                 std::shared_ptr<SecretStore> store)
    : m_serviceName(std::move(serviceName)), m_accessGroup(std::move(accessGroup)),
      m_store(store ? std::move(store) : systemSecretStore())
{}

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
    if (!isValidUtf8(text)) {
        return invalidTextError();
    }
    return setData(text, key, accessibility);
}

Result<void> CredentialStore::setData(const std::string& bytes, const std::string& key,
                                      std::optional<CredentialAccessibility> /*accessibility*/)
{
    const SecretKey item = keyFor(key);
    auto added = m_store->add(item, bytes);
    if (!added && added.error().is(secret_error::domain, secret_error::duplicateItem)) {
        return m_store->update(item, bytes);
    }
    return added;
}

Result<std::string> CredentialStore::data(const std::string& key,
                                          std::optional<CredentialAccessibility> /*accessibility*/)
{
    return m_store->find(keyFor(key));
}

Result<std::string> CredentialStore::string(const std::string& key,
                                            std::optional<CredentialAccessibility> accessibility)
{
    auto bytes = data(key, accessibility);
    if (bytes && !isValidUtf8(*bytes)) {
        return invalidTextError();
    }
    return bytes;
}

} // namespace orvendel
