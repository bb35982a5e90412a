#pragma once

#include <cstddef>
#include <string_view>

namespace orvendel::screens {

// The number of user-perceived characters (extended grapheme clusters) of UTF-8 text: a letter with its
// combining marks, an emoji with its modifiers, variation selectors and joined parts, a flag made of two
// regional indicators, a Hangul syllable from its jamo, and CR LF each count once.
std::size_t graphemeClusterCount(std::string_view text);

} // namespace orvendel::screens
