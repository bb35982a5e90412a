#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace orvendel::screens {

// The comment editor's rules. Lengths are user-perceived characters, so an emoji or a letter with an
// accent costs one of the 120. Thread contract: pure functions, any thread.
namespace CommentRules {

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

// Whether a proposed edit — `utf16Length` code units at `utf16Location` of `current` replaced by
// `replacement`, as a text view reports it — is accepted: exactly when the resulting text fits. A text
// that would exceed the limit is refused whole, never cut. A range outside the text, or one that splits
// a character's UTF-16 pair, is refused.
bool acceptsEdit(std::string_view current, std::size_t utf16Location, std::size_t utf16Length,
                 std::string_view replacement);

// "%d/120".
std::string characterCountText(std::string_view text);

// The text handed back on "Update": without leading and trailing white space and line breaks.
std::string trimmedComment(std::string_view text);

// "Update" after a change: enabled for a text that is not blank, and for a blank one only when the editor
// was opened with a comment (present, even empty), which lets the user clear it.
bool isUpdateEnabled(std::string_view text, const std::optional<std::string>& originalComment);

} // namespace CommentRules

} // namespace orvendel::screens
