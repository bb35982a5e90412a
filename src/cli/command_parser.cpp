#include "cli/command_parser.hpp"

#include <fmt/format.h>

#include <charconv>
#include <cmath>
#include <utility>

namespace orvendel::cli {
namespace {

constexpr std::pair<std::string_view, CommandKind> commandNames[] = {
    {"login", CommandKind::login},     {"furnaces", CommandKind::furnaces}, {"use", CommandKind::use},
    {"refresh", CommandKind::refresh}, {"heats", CommandKind::heats},       {"show", CommandKind::show},
    {"reasons", CommandKind::reasons}, {"reason", CommandKind::reason},     {"comment", CommandKind::comment},
    {"split", CommandKind::split},     {"undo", CommandKind::undo},         {"edits", CommandKind::edits},
    {"save", CommandKind::save},       {"autosave", CommandKind::autosave}, {"logout", CommandKind::logout},
    {"help", CommandKind::help},       {"quit", CommandKind::quit},         {"report", CommandKind::report},
    {"shifts", CommandKind::shifts},
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Splits off the first word; `rest` keeps everything after the blanks that follow it.
std::string_view nextWord(std::string_view& rest)
{
    std::size_t start = 0;
    while (start < rest.size() && isBlank(rest[start])) {
        ++start;
    }
    std::size_t end = start;
    while (end < rest.size() && !isBlank(rest[end])) {
        ++end;
    }
    const std::string_view word = rest.substr(start, end - start);
    std::size_t after = end;
    while (after < rest.size() && isBlank(rest[after])) {
        ++after;
    }
    rest.remove_prefix(after);
    return word;
}

std::vector<std::string_view> words(std::string_view rest)
{
    std::vector<std::string_view> result;
    for (auto word = nextWord(rest); !word.empty(); word = nextWord(rest)) {
        result.push_back(word);
    }
    return result;
}

std::string_view trimmedRight(std::string_view text)
{
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

ParsedCommand failure(std::string text)
{
    return ParsedCommand{std::nullopt, std::move(text)};
}

std::string usageOf(CommandKind kind)
{
    for (const auto& entry : commandHelp()) {
        if (entry.usage.starts_with(commandName(kind)) &&
            (entry.usage.size() == commandName(kind).size() || entry.usage[commandName(kind).size()] == ' ')) {
            return "usage: " + entry.usage;
        }
    }
    return "usage error";
}

} // namespace

std::optional<int> parseInteger(std::string_view text)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [pointer, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || pointer != end) {
        return std::nullopt;
    }
    return value;
}

std::optional<DelayRef> parseDelayRef(std::string_view text)
{
    const auto slash = text.find('/');
    if (slash == std::string_view::npos) {
        return std::nullopt;
    }
    const auto heat = parseInteger(text.substr(0, slash));
    const auto position = parseInteger(text.substr(slash + 1));
    if (!heat || !position || *position < 1) {
        return std::nullopt;
    }
    return DelayRef{*heat, *position};
}

std::optional<double> parseSeconds(std::string_view text)
{
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [pointer, error] = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    if (text.empty() || error != std::errc() || pointer != end || !std::isfinite(value) || value <= 0) {
        return std::nullopt;
    }
    return value;
}

std::string_view commandName(CommandKind kind)
{
    for (const auto& [name, candidate] : commandNames) {
        if (candidate == kind) {
            return name;
        }
    }
    return {};
}

bool needsSession(CommandKind kind)
{
    switch (kind) {
    case CommandKind::login:
    case CommandKind::help:
    case CommandKind::quit:
        return false;
    default:
        return true;
    }
}

std::vector<HelpEntry> commandHelp()
{
    return {
        {"login USER", "sign in; the password is the next line (not echoed on a terminal)"},
        {"furnaces", "list the furnaces, the selected one marked"},
        {"use FURNACE_ID [--discard]", "switch to another furnace (--discard drops unsaved edits)"},
        {"refresh", "download the selected furnace's delays and reasons again"},
        {"heats", "list the heats of the last 24 hours with their delays"},
        {"show HEAT[/N]", "show a heat: times, legends, timeline, summary and delays"},
        {"reasons", "list the selected furnace's delay reasons"},
        {"reason HEAT/N REASON_ID", "classify delay N of a heat"},
        {"comment HEAT/N TEXT...", "set the comment of a delay (at most 120 characters)"},
        {"split HEAT/N SECONDS", "split a delay SECONDS after its start"},
        {"undo HEAT/N", "undo every unsaved change of a delay"},
        {"edits", "list the unsaved edits"},
        {"save HEAT", "send a heat's unsaved edits to the service"},
        {"autosave on|off", "save every edit right away, or only on `save`"},
        {"report [--furnace ID|--all] [--shift N] [--by reason|category] [--csv] [--shifts TIMES]",
         "where the power-off time of the last 24 hours went, largest first; --shifts uses other shifts once"},
        {"shifts [TIMES]", "show or set your shifts, e.g. 06:00-14:00,14:00-22:00,22:00-06:00"},
        {"logout", "sign out (unsaved edits are lost)"},
        {"help", "this list"},
        {"quit", "leave the shell"},
    };
}

std::optional<std::string> parseReportOptions(const std::vector<std::string_view>& words, ReportOptions& options)
{
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string_view word = words[i];
        const bool hasValue = i + 1 < words.size();
        if (word == "--all") {
            options.allFurnaces = true;
        } else if (word == "--csv") {
            options.csv = true;
        } else if (word == "--furnace" && hasValue && parseInteger(words[i + 1])) {
            options.furnaceId = parseInteger(words[++i]);
        } else if (word == "--shift" && hasValue && parseInteger(words[i + 1]).value_or(0) > 0) {
            options.shift = parseInteger(words[++i]);
        } else if (word == "--by" && hasValue && (words[i + 1] == "reason" || words[i + 1] == "category")) {
            options.byCategory = words[++i] == "category";
        } else if (word == "--shifts" && hasValue) {
            options.shifts = std::string(words[++i]);
        } else {
            return fmt::format("report: unexpected \"{}\"", word);
        }
    }
    if (options.allFurnaces && options.furnaceId) {
        return std::string("report: --furnace and --all exclude each other");
    }
    return std::nullopt;
}

ParsedCommand parseCommand(std::string_view line)
{
    std::string_view rest = line;
    const std::string_view name = nextWord(rest);
    if (name.empty() || name.starts_with('#')) {
        return {};
    }
    std::optional<CommandKind> kind;
    for (const auto& [candidate, value] : commandNames) {
        if (candidate == name) {
            kind = value;
        }
    }
    if (!kind) {
        return failure(fmt::format("unknown command \"{}\"; type help for the list", name));
    }

    Command command;
    command.kind = *kind;
    if (*kind == CommandKind::comment) {
        const auto ref = parseDelayRef(nextWord(rest));
        if (!ref) {
            return failure(usageOf(*kind));
        }
        command.delay = ref;
        std::string_view text = trimmedRight(rest);
        if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
            text = text.substr(1, text.size() - 2);
        }
        command.text = std::string(text);
        return ParsedCommand{command, {}};
    }

    const auto arguments = words(rest);
    auto expect = [&](std::size_t count) { return arguments.size() == count; };
    bool valid = false;
    switch (*kind) {
    case CommandKind::login:
        valid = expect(1);
        if (valid) {
            command.user = std::string(arguments[0]);
        }
        break;
    case CommandKind::use:
        if (arguments.size() == 2 && arguments[1] == "--discard") {
            command.discard = true;
        } else if (!expect(1)) {
            break;
        }
        if (const auto id = parseInteger(arguments[0])) {
            command.number = *id;
            valid = true;
        }
        break;
    case CommandKind::show:
        if (!expect(1)) {
            break;
        }
        if (const auto ref = parseDelayRef(arguments[0])) {
            command.number = ref->heatNumber;
            command.delay = ref;
            valid = true;
        } else if (const auto heat = parseInteger(arguments[0])) {
            command.number = *heat;
            valid = true;
        }
        break;
    case CommandKind::save:
        if (expect(1)) {
            if (const auto heat = parseInteger(arguments[0])) {
                command.number = *heat;
                valid = true;
            }
        }
        break;
    case CommandKind::reason:
        if (expect(2)) {
            command.delay = parseDelayRef(arguments[0]);
            const auto reasonId = parseInteger(arguments[1]);
            valid = command.delay && reasonId;
            command.number = reasonId.value_or(0);
        }
        break;
    case CommandKind::split:
        if (expect(2)) {
            command.delay = parseDelayRef(arguments[0]);
            const auto seconds = parseSeconds(arguments[1]);
            valid = command.delay && seconds;
            command.seconds = seconds.value_or(0);
        }
        break;
    case CommandKind::undo:
        if (expect(1)) {
            command.delay = parseDelayRef(arguments[0]);
            valid = command.delay.has_value();
        }
        break;
    case CommandKind::report:
        if (const auto problem = parseReportOptions(arguments, command.report)) {
            return failure(*problem + "; " + usageOf(*kind));
        }
        valid = true;
        break;
    case CommandKind::shifts:
        valid = arguments.size() <= 1;
        if (valid && !arguments.empty()) {
            command.text = std::string(arguments[0]);
        }
        break;
    case CommandKind::autosave:
        if (expect(1) && (arguments[0] == "on" || arguments[0] == "off")) {
            command.on = arguments[0] == "on";
            valid = true;
        }
        break;
    default:
        valid = expect(0);
        break;
    }
    if (!valid) {
        return failure(usageOf(*kind));
    }
    return ParsedCommand{command, {}};
}

} // namespace orvendel::cli
