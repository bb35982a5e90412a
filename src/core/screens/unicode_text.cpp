#include "core/screens/unicode_text.hpp"

#include "core/support/utf8.hpp"

#include <algorithm>

namespace orvendel::screens {
namespace {

constexpr char32_t replacementCharacter = 0xFFFD;

struct Decoded {
    char32_t codePoint;
    std::size_t length;
};

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// One code point at `pos`. Overlong forms, surrogates and values past U+10FFFF are malformed.
Decoded decodeAt(std::string_view text, std::size_t pos)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return {lead, 1};
    }
    std::size_t length = 0;
    char32_t value = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return {replacementCharacter, 1};
    }
    if (pos + length > text.size()) {
        return {replacementCharacter, 1};
    }
    const unsigned char second = byte(1);
    if (second < low || second > high) {
        return {replacementCharacter, 1};
    }
    value = (value << 6) | (second & 0x3F);
    for (std::size_t i = 2; i < length; ++i) {
        if (!isContinuation(byte(i))) {
            return {replacementCharacter, 1};
        }
        value = (value << 6) | (byte(i) & 0x3F);
    }
    return {value, length};
}

std::size_t utf16Units(char32_t c)
{
    return c >= 0x10000 ? 2 : 1;
}

} // namespace

std::u32string decodeUtf8(std::string_view text)
{
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const Decoded d = decodeAt(text, pos);
        out += d.codePoint;
        pos += d.length;
    }
    return out;
}

std::size_t utf16Length(std::string_view text)
{
    std::size_t units = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const Decoded d = decodeAt(text, pos);
        units += utf16Units(d.codePoint);
        pos += d.length;
    }
    return units;
}

std::optional<std::size_t> utf8OffsetOfUtf16(std::string_view text, std::size_t utf16Offset)
{
    std::size_t units = 0;
    std::size_t pos = 0;
    while (units < utf16Offset && pos < text.size()) {
        const Decoded d = decodeAt(text, pos);
        units += utf16Units(d.codePoint);
        pos += d.length;
    }
    if (units != utf16Offset) {
        return std::nullopt;
    }
    return pos;
}

bool isBidiControl(char32_t c)
{
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x061C || c == 0x200E || c == 0x200F;
}

std::string withoutBidiControls(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = 0;
        const std::size_t length = utf8::sequenceAt(text, i, c);
        if (length == 0) {
            out += text[i++];
            continue;
        }
        if (!isBidiControl(c)) {
            out.append(text.substr(i, length));
        }
        i += length;
    }
    return out;
}

} // namespace orvendel::screens
