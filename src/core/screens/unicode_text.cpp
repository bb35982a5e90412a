#include "core/screens/unicode_text.hpp"

#include "core/support/utf8.hpp"

namespace orvendel::screens {
namespace {

constexpr char32_t replacementCharacter = 0xFFFD;

struct Decoded {
    char32_t codePoint;
    std::size_t length;
};

// A byte that does not start a well-formed sequence reads as U+FFFD on its own, as text views show it.
Decoded decodeAt(std::string_view text, std::size_t pos)
{
    char32_t codePoint = 0;
    const std::size_t length = utf8::sequenceAt(text, pos, codePoint);
    return length == 0 ? Decoded{replacementCharacter, 1} : Decoded{codePoint, length};
}

std::size_t utf16Units(char32_t c)
{
    return c >= 0x10000 ? 2 : 1;
}

} // namespace

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
