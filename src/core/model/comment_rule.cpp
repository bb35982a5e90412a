#include "core/model/comment_rule.hpp"

#include "core/model/texts.hpp"
#include "core/support/unicode.hpp"
#include "core/support/utf8.hpp"

#include <fmt/format.h>

namespace orvendel::CommentRule {
namespace {

// Line feeds and tabs are what a multi-line comment field produces; no other control character is text.
bool isRefusedControl(char32_t c)
{
    return utf8::isControl(c) && c != U'\n' && c != U'\t';
}

} // namespace

std::size_t characterCount(std::string_view text)
{
    return unicode::characterCount(text);
}

Problem problem(std::string_view text)
{
    if (text.size() > maximumBytes) {
        return Problem::tooManyBytes;
    }
    if (!utf8::isValid(text)) {
        return Problem::notUtf8;
    }
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = 0;
        i += utf8::sequenceAt(text, i, c);
        if (isRefusedControl(c)) {
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
        return texts::commentNotUtf8;
    case Problem::controlCharacter:
        return texts::commentControlCharacter;
    case Problem::tooLong:
        return fmt::format(texts::commentTooLong, maximumLength, characterCount(text));
    case Problem::tooManyBytes:
        return fmt::format(texts::commentTooManyBytes, maximumBytes, text.size());
    }
    return {};
}

bool fits(std::string_view text)
{
    return problem(text) == Problem::none;
}

std::string trimmedComment(std::string_view text)
{
    return unicode::trimWhitespaceAndNewlines(text);
}

} // namespace orvendel::CommentRule
