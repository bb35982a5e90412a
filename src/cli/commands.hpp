#pragma once

#include "cli/command_context.hpp"
#include "cli/command_parser.hpp"
#include "cli/reply.hpp"

#include <optional>
#include <string>

namespace orvendel::cli {

// Runs one shell command to its end: starts what the app's screens would start, pumps the main loop until
// the outcome arrived, and returns what to print, with every alert raised meanwhile.
// Thread contract for all commands: the main loop's thread.
Reply runCommand(CommandContext& context, const Command& command);
// The reply with the alerts and notices announced while the command ran put first.
Reply withAnnouncements(CommandContext& context, Reply reply);

// Session: sign in (the password is the next input line unless given), sign out, automatic saving, help.
Reply loginCommand(CommandContext& context, const std::string& user, std::optional<std::string> password = std::nullopt,
                   std::optional<int> furnaceId = std::nullopt);
Reply logoutCommand(CommandContext& context);
Reply autosaveCommand(CommandContext& context, bool on);
Reply helpCommand();

// Lists: furnaces, furnace switch, refresh, heats, one heat, reasons, unsaved edits.
Reply furnacesCommand(CommandContext& context);
Reply useCommand(CommandContext& context, int furnaceId, bool discard);
Reply refreshCommand(CommandContext& context);
Reply heatsCommand(CommandContext& context);
Reply showCommand(CommandContext& context, int heatNumber, const std::optional<DelayRef>& delay);
Reply reasonsCommand(CommandContext& context);
Reply editsCommand(CommandContext& context);

// Editing and saving.
Reply reasonCommand(CommandContext& context, const DelayRef& ref, int reasonId);
Reply commentCommand(CommandContext& context, const DelayRef& ref, const std::string& text);
Reply splitCommand(CommandContext& context, const DelayRef& ref, double seconds);
Reply undoCommand(CommandContext& context, const DelayRef& ref);
Reply saveCommand(CommandContext& context, int heatNumber);

// The shift report, and the user's shifts it splits the day into (shown, or set when TIMES is given).
Reply reportCommand(CommandContext& context, const ReportOptions& options);
Reply shiftsCommand(CommandContext& context, const std::string& times);

} // namespace orvendel::cli
