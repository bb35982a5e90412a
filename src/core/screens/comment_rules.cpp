#include "core/screens/comment_rules.hpp"

#include "core/screens/unicode_text.hpp"
#include "core/support/unicode.hpp"

#include <fmt/format.h>

namespace orvendel::screens::CommentRules {

bool acceptsText(std::string_view current, std::string_view proposed)
{
    if (CommentRule::fits(proposed)) {
        return true;
    }
    // Only the length may stay wrong, and only if it already was.
    return CommentRule::problem(proposed) == CommentRule::Problem::tooLong &&
           CommentRule::problem(current) == CommentRule::Problem::tooLong &&
           CommentRule::characterCount(proposed) <= CommentRule::characterCount(current);
}

bool acceptsEdit(std::string_view current, std::size_t utf16Location, std::size_t utf16Length,
                 std::string_view replacement)
{
    // The resulting text is counted as a whole: a replaced range and the replacement can merge with their
    // neighbours (a combining mark typed after a letter adds no character), so adding counts up would not
    // match what the user sees.
    const auto begin = utf8OffsetOfUtf16(current, utf16Location);
    const auto end = utf8OffsetOfUtf16(current, utf16Location + utf16Length);
    if (!begin || !end) {
        return false;
    }
    std::string result;
    result.reserve(current.size() + replacement.size());
    result.append(current.substr(0, *begin));
    result.append(replacement);
    result.append(current.substr(*end));
    return acceptsText(current, result);
}

std::string characterCountText(std::string_view text)
{
    return fmt::format("{}/{}", CommentRule::characterCount(text), CommentRule::maximumLength);
}

bool isUpdateEnabled(std::string_view text, const std::optional<std::string>& originalComment)
{
    if (!CommentRule::fits(CommentRule::trimmedComment(text))) {
        return false;
    }
    return !unicode::isBlank(text) || originalComment.has_value();
}

} // namespace orvendel::screens::CommentRules
