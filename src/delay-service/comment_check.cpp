#include "comment_check.hpp"

#include "core/model/comment_rule.hpp"

#include <cstdint>
#include <optional>

namespace orvendel::service {
namespace {

// 120 characters of the longest emoji sequences fit with room to spare; anything longer is refused before
// the characters are counted, so a comment of endless combining marks costs nothing to turn away.
constexpr std::size_t maximumCommentBytes = 4096;

bool isControl(char32_t c)
{
    if (c == U'\n' || c == U'\r' || c == U'\t') {
        return false;
    }
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// Decodes one well-formed UTF-8 sequence at `at` and advances past it; none for overlong forms,
// surrogates, values beyond U+10FFFF and cut sequences.
std::optional<char32_t> nextCodePoint(std::string_view text, std::size_t& at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    char32_t value = 0;
    char32_t smallest = 0;
    if (lead < 0x80) {
        ++at;
        return lead;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
        smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
        smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
        smallest = 0x10000;
    } else {
        return std::nullopt;
    }
    if (at + length > text.size()) {
        return std::nullopt;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) {
            return std::nullopt;
        }
        value = (value << 6) | (next & 0x3F);
    }
    if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return std::nullopt;
    }
    at += length;
    return value;
}

} // namespace

bool isAcceptableComment(std::string_view comment)
{
    if (comment.size() > maximumCommentBytes) {
        return false;
    }
    for (std::size_t at = 0; at < comment.size();) {
        const auto c = nextCodePoint(comment, at);
        if (!c || isControl(*c)) {
            return false;
        }
    }
    return CommentRule::fits(CommentRule::trimmedComment(comment));
}

} // namespace orvendel::service
