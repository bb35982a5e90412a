#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvendel::cli {

enum class CommandKind {
    login,
    furnaces,
    use,
    refresh,
    heats,
    show,
    reasons,
    reason,
    comment,
    split,
    undo,
    edits,
    save,
    autosave,
    report,
    shifts,
    logout,
    help,
    quit,
};

// A delay as listed: the heat's number and the delay's 1-based position in that heat's list ("1042/3").
struct DelayRef {
    int heatNumber = 0;
    int position = 0;
    friend bool operator==(const DelayRef&, const DelayRef&) = default;
};

// What `report` shows: the selected furnace unless another or all are asked for, the whole day unless a
// shift is, by reason unless by category; as a table, as CSV or (with --json) as data.
struct ReportOptions {
    std::optional<int> furnaceId;
    bool allFurnaces = false;
    std::optional<int> shift; // 1-based
    bool byCategory = false;
    bool csv = false;
    std::optional<std::string> shifts; // shifts for this report only
    friend bool operator==(const ReportOptions&, const ReportOptions&) = default;
};

// Reads report options from `words`; the usage problem when they are not.
std::optional<std::string> parseReportOptions(const std::vector<std::string_view>& words, ReportOptions& options);

// One shell command. Which fields are set depends on the kind.
struct Command {
    CommandKind kind = CommandKind::help;
    std::string user;              // login
    int number = 0;                // use: furnace id; show, save: heat number; reason: reason id
    std::optional<DelayRef> delay; // reason, comment, split, undo; show HEAT/N
    std::string text;              // comment: the rest of the line, one pair of enclosing quotes removed
    double seconds = 0;            // split: offset from the delay's start
    bool discard = false;          // use … --discard
    bool on = false;               // autosave on|off
    ReportOptions report;          // report
};

struct ParsedCommand {
    std::optional<Command> command;
    std::string error; // set when the line is not a command; both empty for a blank or comment line
};

// Thread contract for everything below: pure functions, any thread.

ParsedCommand parseCommand(std::string_view line);

// A whole decimal integer within int's range, nothing else on the token.
std::optional<int> parseInteger(std::string_view text);
std::optional<DelayRef> parseDelayRef(std::string_view text);
// A finite, positive number of seconds ("75", "75.5").
std::optional<double> parseSeconds(std::string_view text);

// Whether the command works on the signed-in user's data.
bool needsSession(CommandKind kind);

std::string_view commandName(CommandKind kind);

struct HelpEntry {
    std::string usage;
    std::string summary;
};

std::vector<HelpEntry> commandHelp();

} // namespace orvendel::cli
