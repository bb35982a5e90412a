#pragma once

#include "cli/command_context.hpp"
#include "cli/output.hpp"
#include "cli/terminal.hpp"

namespace orvendel::cli {

inline constexpr int exitSuccess = 0;
inline constexpr int exitCommandFailed = 1;
inline constexpr int exitUsage = 2;

// Reads commands until `quit` or the end of input and prints one reply per command. The exit status is
// the worst seen: 2 after a malformed command, else 1 after a failed one, else 0.
// Thread contract: the main loop's thread.
int runShell(CommandContext& context, InputReader& input, Output& output);

// Signs in, runs one read-only command, signs out. Its exit status.
int runOneShot(CommandContext& context, InputReader& input, Output& output);

} // namespace orvendel::cli
