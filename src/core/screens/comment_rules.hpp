#pragma once

#include "core/model/comment_rule.hpp"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace orvendel::screens {

// How the comment editor applies the comment rule while the user types. Thread contract: pure functions,
// any thread.
namespace CommentRules {

// Whether the editor's text may change from `current` to `proposed`: when the result fits, and also, while
// the text is over the length limit (a comment from the service or from older data), when the result is no
// longer than it was, so that such a comment can be shortened a step at a time. A text that would exceed
// the limit is refused whole, never cut.
bool acceptsText(std::string_view current, std::string_view proposed);

// The same for a proposed edit as a text view reports it: `utf16Length` code units at `utf16Location` of
// `current` replaced by `replacement`. A range outside the text, or one that splits a character's UTF-16
// pair, is refused.
bool acceptsEdit(std::string_view current, std::size_t utf16Location, std::size_t utf16Length,
                 std::string_view replacement);

// "%d/120".
std::string characterCountText(std::string_view text);

// "Update" after a change: enabled for a text that is not blank, and for a blank one only when the editor
// was opened with a comment (present, even empty), which lets the user clear it. Never while the text is
// still over the limit: the service would refuse to save it.
bool isUpdateEnabled(std::string_view text, const std::optional<std::string>& originalComment);

} // namespace CommentRules

} // namespace orvendel::screens
