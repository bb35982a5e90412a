#include "core/screens/comment_rules.hpp"

#include "core/screens/unicode_text.hpp"
#include "core/support/unicode.hpp"
#include "core/support/utf8.hpp"

#include <fmt/format.h>

namespace orvendel::screens::CommentRules {

std::size_t characterCount(std::string_view text)
{
    return unicode::characterCount(text);
}

namespace {

// Line feeds and tabs are what a multi-line comment field produces; every other control character could
// steer whatever later shows the comment.
bool isControl(char32_t c)
{
    return (c < 0x20 && c != U'\n' && c != U'\t') || c == 0x7F || (c >= 0x80 && c <= 0x9F);
}

} // namespace

Problem problem(std::string_view text)
{
    if (text.size() > maximumBytes) {
        return Problem::tooManyBytes;
    }
    if (!utf8::isValid(text)) {
        return Problem::notUtf8;
    }
    for (const char32_t c : decodeUtf8(text)) {
        if (isControl(c)) {
            return Problem::controlCharacter;
        }
    }
    return characterCount(text) > maximumLength ? Problem::tooLong : Problem::none;
}

std::string problemText(Problem problem, std::string_view text)
{
    switch (problem) {
    case Problem::none:
        break;
    case Problem::notUtf8:
        return "A comment must be UTF-8 text.";
    case Problem::controlCharacter:
        return "A comment cannot hold control characters.";
    case Problem::tooLong:
        return fmt::format("A comment has at most {} characters; this one has {}.", maximumLength,
                           characterCount(text));
    case Problem::tooManyBytes:
        return fmt::format("A comment has at most {} bytes; this one has {}.", maximumBytes, text.size());
    }
    return {};
}

bool fits(std::string_view text)
{
    return problem(text) == Problem::none;
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
    return fits(result);
}

std::string characterCountText(std::string_view text)
{
    return fmt::format("{}/{}", characterCount(text), maximumLength);
}

std::string trimmedComment(std::string_view text)
{
    return trimWhitespaceAndNewlines(text);
}

bool isUpdateEnabled(std::string_view text, const std::optional<std::string>& originalComment)
{
    return !isBlank(text) || originalComment.has_value();
}

} // namespace orvendel::screens::CommentRules
