#pragma once

#include <string_view>

namespace orvendel::delay_service {

// Whether a saved delay's comment is one the client's comment editor could have produced: the client's comment
// rule (UTF-8, no control characters but line feeds and tabs), with at most 120 user-perceived characters once
// surrounding blanks are trimmed.
// Thread contract: pure, any thread.
bool isAcceptableComment(std::string_view comment);

} // namespace orvendel::delay_service
