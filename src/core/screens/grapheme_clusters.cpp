#include "core/screens/grapheme_clusters.hpp"

#include "core/screens/grapheme_break_property.hpp"
#include "core/screens/unicode_text.hpp"

namespace orvendel::screens {
namespace {

using detail::GraphemeBreak;

// Conjunct-forming consonants and viramas of the Indic scripts whose clusters join across a virama
// (Devanagari, Bengali, Gujarati, Oriya, Telugu, Malayalam): क्ष is one character to a reader.
bool isConjunctLinker(char32_t c)
{
    return c == 0x094D || c == 0x09CD || c == 0x0ACD || c == 0x0B4D || c == 0x0C4D || c == 0x0D4D;
}

bool isConjunctConsonant(char32_t c)
{
    struct Span {
        char32_t first;
        char32_t last;
    };
    static constexpr Span spans[] = {
        {0x0915, 0x0939}, {0x0958, 0x095F}, {0x0978, 0x097F}, {0x0995, 0x09A8}, {0x09AA, 0x09B0}, {0x09B2, 0x09B2},
        {0x09B6, 0x09B9}, {0x09DC, 0x09DD}, {0x09DF, 0x09DF}, {0x09F0, 0x09F1}, {0x0A95, 0x0AA8}, {0x0AAA, 0x0AB0},
        {0x0AB2, 0x0AB3}, {0x0AB5, 0x0AB9}, {0x0AF9, 0x0AF9}, {0x0B15, 0x0B28}, {0x0B2A, 0x0B30}, {0x0B32, 0x0B33},
        {0x0B35, 0x0B39}, {0x0B5C, 0x0B5D}, {0x0B5F, 0x0B5F}, {0x0B71, 0x0B71}, {0x0C15, 0x0C28}, {0x0C2A, 0x0C39},
        {0x0C58, 0x0C5A}, {0x0D15, 0x0D3A},
    };
    for (const Span& span : spans) {
        if (c >= span.first && c <= span.last) {
            return true;
        }
    }
    return false;
}

bool isControlLike(GraphemeBreak b)
{
    return b == GraphemeBreak::Control || b == GraphemeBreak::CR || b == GraphemeBreak::LF;
}

// Running state of the break rules that look further back than one code point.
struct Context {
    GraphemeBreak previous = GraphemeBreak::Other;
    bool pictographicThenExtends = false; // ExtPict Extend* so far in this cluster
    bool joinerAfterPictographic = false; // ExtPict Extend* ZWJ just seen
    std::size_t regionalIndicatorRun = 0; // regional indicators directly before
    bool conjunctConsonant = false;       // consonant, then only extends and linkers so far
    bool conjunctLinked = false;          // ... and at least one of them a linker
};

bool isBoundary(const Context& ctx, GraphemeBreak next, char32_t c)
{
    const GraphemeBreak prev = ctx.previous;
    if (prev == GraphemeBreak::CR && next == GraphemeBreak::LF) {
        return false;
    }
    if (isControlLike(prev) || isControlLike(next)) {
        return true;
    }
    switch (prev) {
    case GraphemeBreak::L:
        if (next == GraphemeBreak::L || next == GraphemeBreak::V || next == GraphemeBreak::LV ||
            next == GraphemeBreak::LVT) {
            return false;
        }
        break;
    case GraphemeBreak::LV:
    case GraphemeBreak::V:
        if (next == GraphemeBreak::V || next == GraphemeBreak::T) {
            return false;
        }
        break;
    case GraphemeBreak::LVT:
    case GraphemeBreak::T:
        if (next == GraphemeBreak::T) {
            return false;
        }
        break;
    default:
        break;
    }
    if (next == GraphemeBreak::Extend || next == GraphemeBreak::Zwj || next == GraphemeBreak::SpacingMark) {
        return false;
    }
    if (ctx.conjunctLinked && isConjunctConsonant(c)) {
        return false;
    }
    if (prev == GraphemeBreak::Prepend) {
        return false;
    }
    if (ctx.joinerAfterPictographic && next == GraphemeBreak::ExtendedPictographic) {
        return false;
    }
    if (prev == GraphemeBreak::RegionalIndicator && next == GraphemeBreak::RegionalIndicator) {
        return ctx.regionalIndicatorRun % 2 == 0;
    }
    return true;
}

void advance(Context& ctx, GraphemeBreak next, char32_t c)
{
    if (isConjunctConsonant(c)) {
        ctx.conjunctConsonant = true;
        ctx.conjunctLinked = false;
    } else if (ctx.conjunctConsonant && isConjunctLinker(c)) {
        ctx.conjunctLinked = true;
    } else if (!(next == GraphemeBreak::Extend || next == GraphemeBreak::Zwj)) {
        ctx.conjunctConsonant = false;
        ctx.conjunctLinked = false;
    }
    const bool continuesPictograph =
        ctx.pictographicThenExtends && (next == GraphemeBreak::Extend || next == GraphemeBreak::Zwj);
    ctx.joinerAfterPictographic = ctx.pictographicThenExtends && next == GraphemeBreak::Zwj;
    ctx.pictographicThenExtends =
        next == GraphemeBreak::ExtendedPictographic || (continuesPictograph && next == GraphemeBreak::Extend);
    ctx.regionalIndicatorRun = next == GraphemeBreak::RegionalIndicator ? ctx.regionalIndicatorRun + 1 : 0;
    ctx.previous = next;
}

} // namespace

std::size_t graphemeClusterCount(std::string_view text)
{
    std::size_t count = 0;
    Context ctx;
    bool first = true;
    for (const char32_t c : decodeUtf8(text)) {
        const GraphemeBreak next = detail::graphemeBreak(c);
        if (first || isBoundary(ctx, next, c)) {
            ++count;
        }
        first = false;
        advance(ctx, next, c);
    }
    return count;
}

} // namespace orvendel::screens
