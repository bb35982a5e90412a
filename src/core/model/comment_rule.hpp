#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvendel {

// What a delay's comment may be, shared by the comment editor and the delay service that stores it. Lengths
// are user-perceived characters, so an emoji or a letter with an accent costs one of the 120.
// Thread contract: pure functions, any thread.
namespace CommentRule {

inline constexpr std::size_t maximumLength = 120;
// However the characters are composed: 120 of them stay far below it, while a "character" of a letter and
// thousands of combining marks (which counts once) does not.
inline constexpr std::size_t maximumBytes = 4096;

std::size_t characterCount(std::string_view text);

// Why a comment cannot be kept.
enum class Problem {
    none,
    notUtf8,          // bytes that are not UTF-8
    controlCharacter, // a control character other than a line feed or a tab
    tooLong,          // more than `maximumLength` characters
    tooManyBytes,     // more than `maximumBytes` bytes
};
Problem problem(std::string_view text);

// The sentence a user is shown for a problem.
std::string problemText(Problem problem, std::string_view text);

// True when the text can be kept as a comment: UTF-8, no control characters but line feeds and tabs,
// within both limits.
bool fits(std::string_view text);

// The text kept on "Update": without leading and trailing white space and line breaks.
std::string trimmedComment(std::string_view text);

} // namespace CommentRule
} // namespace orvendel
