#pragma once

#include <optional>
#include <string>
#include <string_view>

// Salted password hashes and random tokens, from OpenSSL. Thread contract: any thread.
namespace orvendel::delay_service::passwords {

inline constexpr int defaultIterations = 60000;

// "pbkdf2-sha256$ITERATIONS$SALT$HASH" with a fresh 128-bit salt; none when OpenSSL fails.
std::optional<std::string> hash(std::string_view password, int iterations = defaultIterations);

// True when the password matches the stored form; compares in constant time.
bool verify(std::string_view password, std::string_view stored);

// True when two secrets are equal; takes the same time wherever they differ.
bool sameSecret(std::string_view given, std::string_view expected);

// `bytes` random bytes from OpenSSL's generator as lower-case hex; none when it fails.
std::optional<std::string> randomHex(int bytes);

} // namespace orvendel::delay_service::passwords
