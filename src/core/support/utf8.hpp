#pragma once

#include <cstddef>
#include <string_view>

namespace orvendel::utf8 {

// The length of the UTF-8 sequence starting at byte `i` of `text`, with its code point in `codePoint`;
// 0 when the bytes there are not UTF-8 (a stray continuation byte, a cut sequence, an overlong form, a
// surrogate, a value past U+10FFFF).
// Thread contract: pure, any thread.
std::size_t sequenceAt(std::string_view text, std::size_t i, char32_t& codePoint);

// Whether the whole text is UTF-8.
bool isValid(std::string_view text);

// The control characters: C0, DEL and C1. None is text, and any could steer whatever shows it (a terminal, a
// log viewer, the next program to read a comment). The one rule for comments, terminal lines and echoed
// configuration; a caller that takes a line feed or a tab as text says so itself.
constexpr bool isControl(char32_t c)
{
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F);
}

} // namespace orvendel::utf8
