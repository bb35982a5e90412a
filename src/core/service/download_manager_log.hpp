#pragma once

#include <optional>
#include <string_view>

namespace orvendel {

// Writes "Download Manager - " and the text (or "null string" when there is none) to the console.
void logDownloadManager(std::optional<std::string_view> text);

} // namespace orvendel
