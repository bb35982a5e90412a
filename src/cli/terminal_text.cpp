#include "cli/terminal_text.hpp"

#include <fmt/format.h>

namespace orvendel::cli {
namespace {

// The length of the UTF-8 sequence starting at `i` and its code point; 0 when the bytes are not UTF-8
// (overlong forms, surrogates and values past U+10FFFF included).
std::size_t decode(std::string_view text, std::size_t i, char32_t& codePoint)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
        value = (value << 6) | (byte(i + k) & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return 0;
    }
    codePoint = value;
    return length;
}

bool isUnsafe(char32_t c)
{
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069) || c == 0x200E || c == 0x200F;
}

} // namespace

std::string terminalSafe(std::string_view line)
{
    std::string out;
    out.reserve(line.size());
    for (std::size_t i = 0; i < line.size();) {
        char32_t c = 0;
        const std::size_t length = decode(line, i, c);
        if (length == 0) {
            out += fmt::format("\\x{:02X}", static_cast<unsigned char>(line[i]));
            ++i;
            continue;
        }
        if (isUnsafe(c)) {
            out += c < 0x100 ? fmt::format("\\x{:02X}", static_cast<unsigned>(c))
                             : fmt::format("\\u{:04X}", static_cast<unsigned>(c));
        } else {
            out.append(line.substr(i, length));
        }
        i += length;
    }
    return out;
}

} // namespace orvendel::cli
