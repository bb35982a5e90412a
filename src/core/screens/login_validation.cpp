#include "core/screens/login_validation.hpp"

#include "core/screens/unicode_text.hpp"

namespace orvendel::screens::LoginValidation {
namespace {

// Simple upper-case mappings of the Latin, Greek and Cyrillic letters; ß is handled by the caller.
char32_t upperCase(char32_t c)
{
    if ((c >= U'a' && c <= U'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
        return c - 0x20;
    }
    if (c == 0xFF) {
        return 0x178;
    }
    if (c == 0x131) {
        return U'I';
    }
    if (c == 0x17F) {
        return U'S';
    }
    // Latin Extended-A pairs: upper case first, except in the two runs where it comes second.
    const bool oddUpperRun = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) {
        return c % 2 == 1 ? c - 1 : c;
    }
    if (oddUpperRun) {
        return c % 2 == 0 ? c - 1 : c;
    }
    if (c == 0x3C2) {
        return 0x3A3;
    }
    if ((c >= 0x3B1 && c <= 0x3C1) || (c >= 0x3C3 && c <= 0x3CB)) {
        return c - 0x20;
    }
    if (c == 0x3AC) {
        return 0x386;
    }
    if (c >= 0x3AD && c <= 0x3AF) {
        return c - 0x25;
    }
    if (c == 0x3CC) {
        return 0x38C;
    }
    if (c == 0x3CD || c == 0x3CE) {
        return c - 0x3F;
    }
    if (c >= 0x430 && c <= 0x44F) {
        return c - 0x20;
    }
    if (c >= 0x450 && c <= 0x45F) {
        return c - 0x50;
    }
    return c;
}

} // namespace

bool isLoginButtonEnabled(std::string_view username, std::string_view password)
{
    return !isBlank(username) && !password.empty();
}

Credentials trimmedCredentials(std::string_view username, std::string_view password)
{
    return Credentials{trimWhitespaceAndNewlines(username), trimWhitespaceAndNewlines(password)};
}

std::string storageUserName(std::string_view trimmedUsername)
{
    std::u32string upper;
    for (const char32_t c : decodeUtf8(trimmedUsername)) {
        if (c == 0xDF) {
            upper += U"SS";
        } else {
            upper += upperCase(c);
        }
    }
    return encodeUtf8(upper);
}

} // namespace orvendel::screens::LoginValidation
