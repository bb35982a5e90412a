#pragma once

namespace orvendel::screens::detail {

// Grapheme-cluster-break classes of a code point; Extended_Pictographic is folded in as its own class
// because no code point carries both it and another break class.
enum class GraphemeBreak : unsigned char {
    Other,
    CR,
    LF,
    Control,
    Extend,
    Zwj,
    RegionalIndicator,
    Prepend,
    SpacingMark,
    L,
    V,
    T,
    LV,
    LVT,
    ExtendedPictographic,
};

GraphemeBreak graphemeBreak(char32_t c);

} // namespace orvendel::screens::detail
