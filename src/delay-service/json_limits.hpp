#pragma once

#include <string_view>

namespace orvendel::delay_service {

// No request the clients send nests deeper than a few levels; a deeper body is refused before it is parsed,
// so a body of nested brackets cannot make the parser and the value it builds work for nothing.
inline constexpr int maximumJsonNesting = 16;

// True when no array or object in the text lies deeper than `maximumDepth`. Looks only at brackets outside
// strings; whether the text is JSON at all is the parser's business. Thread contract: pure, any thread.
bool withinNestingLimit(std::string_view json, int maximumDepth = maximumJsonNesting);

} // namespace orvendel::delay_service
