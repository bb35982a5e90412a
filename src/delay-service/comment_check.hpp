#pragma once

#include <string_view>

namespace orvendel::delay_service {

// Whether a saved delay's comment is one the client's comment editor could have produced: well-formed UTF-8
// without control characters (line breaks and tabs aside, which a text view takes), and at most 120
// user-perceived characters once surrounding blanks are trimmed, counted by the client's own rule.
// Thread contract: pure, any thread.
bool isAcceptableComment(std::string_view comment);

} // namespace orvendel::delay_service
