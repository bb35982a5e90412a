#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvendel::unicode {

// Text rules that need the Unicode character database, answered by ICU. All take UTF-8; a byte that does
// not start a well-formed sequence stands for itself as U+FFFD, so malformed input is handled like any other
// character instead of failing or being dropped.
// Thread contract: pure functions, any thread.

// Full upper-case mapping in the root locale: one letter may become several ("ß" → "SS"), and the result is
// the same whatever locale the process runs in (no dotted capital I for "i" under a Turkish locale).
std::string upperCased(std::string_view text);

// Normalisation Form C: a letter and its combining marks become the precomposed letter where one exists
// ("u" + U+0308 → "ü"), so text typed either way compares equal. ASCII is returned unchanged.
std::string composed(std::string_view text);

// The number of user-perceived characters (extended grapheme clusters): a letter with its combining marks, an
// emoji with its modifiers and joined parts, a flag of two regional indicators, a Hangul syllable from its
// jamo and CR LF each count once.
std::size_t characterCount(std::string_view text);

// White space and line breaks as text fields treat them (the White_Space property).
bool isWhitespaceOrNewline(char32_t c);

// The text without leading and trailing white space and line breaks; what lies between is kept byte for byte.
std::string trimWhitespaceAndNewlines(std::string_view text);

// True when the text is empty or holds only white space and line breaks.
bool isBlank(std::string_view text);

} // namespace orvendel::unicode
