#include "comment_check.hpp"

#include "core/model/comment_rule.hpp"
#include "core/support/utf8.hpp"

namespace orvendel::delay_service {
namespace {

bool isControl(char32_t c)
{
    if (c == U'\n' || c == U'\r' || c == U'\t') {
        return false;
    }
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

} // namespace

bool isAcceptableComment(std::string_view comment)
{
    // Refused before the characters are counted, so a comment of endless combining marks costs nothing to
    // turn away.
    if (comment.size() > CommentRule::maximumBytes) {
        return false;
    }
    for (std::size_t at = 0; at < comment.size();) {
        char32_t c = 0;
        const std::size_t length = utf8::sequenceAt(comment, at, c);
        if (length == 0 || isControl(c)) {
            return false;
        }
        at += length;
    }
    return CommentRule::fits(CommentRule::trimmedComment(comment));
}

} // namespace orvendel::delay_service
