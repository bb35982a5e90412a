#pragma once

#include <string>
#include <string_view>

namespace orvendel::cli {

// A line as it may reach a terminal: text that a service or a colleague wrote (furnace names, reason
// descriptions, comments) could otherwise move the cursor, retitle the window or hide what follows.
// Control characters (C0, DEL, C1), direction overrides and bytes that are not UTF-8 are written as
// visible escapes ("\x1B", "\u202E"); everything else passes unchanged.
// Thread contract: pure, any thread.
std::string terminalSafe(std::string_view line);

} // namespace orvendel::cli
