#include "passwords.hpp"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <charconv>
#include <vector>

namespace orvendel::delay_service::passwords {
namespace {

constexpr const char* scheme = "pbkdf2-sha256";
constexpr int hashBytes = 32;

std::string toHex(const unsigned char* data, std::size_t size)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(size * 2);
    for (std::size_t i = 0; i < size; ++i) {
        text += digits[data[i] >> 4];
        text += digits[data[i] & 0x0F];
    }
    return text;
}

std::optional<std::vector<unsigned char>> fromHex(std::string_view text)
{
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    std::vector<unsigned char> bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        unsigned value = 0;
        auto [ptr, ec] = std::from_chars(text.data() + i, text.data() + i + 2, value, 16);
        if (ec != std::errc{} || ptr != text.data() + i + 2) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<unsigned char>(value));
    }
    return bytes;
}

std::optional<std::vector<unsigned char>> derive(std::string_view password, const std::vector<unsigned char>& salt,
                                                 int iterations)
{
    std::vector<unsigned char> out(hashBytes);
    if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt.data(),
                          static_cast<int>(salt.size()), iterations, EVP_sha256(), hashBytes, out.data()) != 1) {
        return std::nullopt;
    }
    return out;
}

} // namespace

std::optional<std::string> hash(std::string_view password, int iterations)
{
    std::vector<unsigned char> salt(16);
    if (RAND_bytes(salt.data(), static_cast<int>(salt.size())) != 1) {
        return std::nullopt;
    }
    auto derived = derive(password, salt, iterations);
    if (!derived) {
        return std::nullopt;
    }
    return std::string(scheme) + "$" + std::to_string(iterations) + "$" + toHex(salt.data(), salt.size()) + "$" +
           toHex(derived->data(), derived->size());
}

bool verify(std::string_view password, std::string_view stored)
{
    std::vector<std::string_view> parts;
    std::size_t from = 0;
    for (std::size_t at = stored.find('$'); at != std::string_view::npos; at = stored.find('$', from)) {
        parts.push_back(stored.substr(from, at - from));
        from = at + 1;
    }
    parts.push_back(stored.substr(from));
    if (parts.size() != 4 || parts[0] != scheme) {
        return false;
    }
    int iterations = 0;
    auto [ptr, ec] = std::from_chars(parts[1].data(), parts[1].data() + parts[1].size(), iterations);
    auto salt = fromHex(parts[2]);
    auto expected = fromHex(parts[3]);
    if (ec != std::errc{} || ptr != parts[1].data() + parts[1].size() || iterations < 1 || !salt || !expected ||
        expected->size() != hashBytes) {
        return false;
    }
    auto derived = derive(password, *salt, iterations);
    return derived && CRYPTO_memcmp(derived->data(), expected->data(), hashBytes) == 0;
}

bool sameSecret(std::string_view given, std::string_view expected)
{
    // Comparing digests takes the same time whatever the lengths and wherever the texts first differ.
    unsigned char a[EVP_MAX_MD_SIZE];
    unsigned char b[EVP_MAX_MD_SIZE];
    unsigned int aSize = 0;
    unsigned int bSize = 0;
    if (EVP_Digest(given.data(), given.size(), a, &aSize, EVP_sha256(), nullptr) != 1 ||
        EVP_Digest(expected.data(), expected.size(), b, &bSize, EVP_sha256(), nullptr) != 1 || aSize != bSize) {
        return false;
    }
    return CRYPTO_memcmp(a, b, aSize) == 0;
}

std::optional<std::string> randomHex(int bytes)
{
    std::vector<unsigned char> buffer(static_cast<std::size_t>(bytes));
    if (RAND_bytes(buffer.data(), bytes) != 1) {
        return std::nullopt;
    }
    return toHex(buffer.data(), buffer.size());
}

} // namespace orvendel::delay_service::passwords
