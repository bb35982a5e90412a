#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvendel::screens {

// Offsets and lengths as text views count them. A byte that does not start a well-formed UTF-8 sequence
// counts as one U+FFFD, so malformed input is measured like any other character instead of being dropped.

// Length in UTF-16 code units, the unit in which text views report ranges.
std::size_t utf16Length(std::string_view text);

// The byte offset of a UTF-16 offset; none when it lies beyond the text or inside a code point.
std::optional<std::size_t> utf8OffsetOfUtf16(std::string_view text, std::size_t utf16Offset);

// The text for display without the controls that reorder it: the bidirectional embeddings, overrides and
// isolates (U+202A–U+202E, U+2066–U+2069) and the marks (U+061C, U+200E, U+200F). A service text carrying
// them would otherwise be drawn out of order ("Reason 8" as "8 nosaeR"); its letters keep their own
// direction. Everything else, malformed bytes included, is kept as it is.
bool isBidiControl(char32_t c);
std::string withoutBidiControls(std::string_view text);

} // namespace orvendel::screens
