#include "cli/cli_options.hpp"

#include "cli/command_parser.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <string_view>

namespace orvendel::cli {
namespace {

constexpr std::array<std::string_view, 5> oneShotCommands{"furnaces", "heats", "show", "reasons", "report"};

// The options that belong to `report` rather than to the program, and whether each takes a value.
std::optional<bool> reportOptionTakesValue(std::string_view option)
{
    if (option == "--all" || option == "--csv") {
        return false;
    }
    if (option == "--shift" || option == "--by" || option == "--shifts") {
        return true;
    }
    return std::nullopt;
}

bool isOneShotCommand(std::string_view word)
{
    for (const auto command : oneShotCommands) {
        if (word == command) {
            return true;
        }
    }
    return false;
}

Error usageError(int code, std::string text)
{
    return Error{usage_error::domain, code, std::move(text)};
}

} // namespace

std::string usageText()
{
    return "usage: orvendel-cli [OPTIONS] shell\n"
           "       orvendel-cli [OPTIONS] --user NAME --password-stdin [--furnace ID] "
           "(furnaces | heats | show HEAT | reasons | report [REPORT OPTIONS])\n"
           "\n"
           "options:\n" +
           shared_options::usage(24) +
           "  --json                one JSON object per command on one line\n"
           "  --assume-online       treat the network as reachable (same as --connectivity online)\n"
           "  --connectivity MODE   auto (default: the network monitor; a service on this machine is always\n"
           "                        reachable), online or offline\n"
           "  --timeout SECONDS     how long a command waits for the service (default 60)\n"
           "  --self-check          the libraries' versions and which source gave the addresses\n"
           "  --help                this text\n"
           "\n"
           "report options (--furnace ID reports on that furnace):\n"
           "  --all                 every furnace you may see, one after another, then all together\n"
           "  --shift N             shift N only (shifts as set with the shell's `shifts`, default\n"
           "                        06:00-14:00,14:00-22:00,22:00-06:00 in this machine's time zone)\n"
           "  --by reason|category  rows per reason (default) or per top-level category\n"
           "  --csv                 CSV: a header, then one row per reason per shift (not with --json)\n"
           "  --shifts TIMES        other shifts for this report only\n"
           "\n"
           "In the shell, type `help` for the commands.\n";
}

Result<CliOptions> parseCliOptions(const std::vector<std::string>& arguments)
{
    CliOptions options;
    bool modeChosen = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string argument = arguments[i];
        std::optional<std::string> inlineValue;
        if (argument.starts_with("--")) {
            if (const auto equals = argument.find('='); equals != std::string::npos) {
                inlineValue = argument.substr(equals + 1);
                argument.resize(equals);
            }
        }
        auto value = [&]() -> std::optional<std::string> {
            if (inlineValue) {
                return inlineValue;
            }
            if (i + 1 < arguments.size()) {
                return arguments[++i];
            }
            return std::nullopt;
        };
        auto flag = [&](bool& target) -> bool {
            if (inlineValue) {
                return false;
            }
            target = true;
            return true;
        };

        if (argument == "--help" || argument == "-h") {
            options.mode = RunMode::help;
            return options;
        }
        if (argument == "--self-check") {
            options.mode = RunMode::selfCheck;
            return options;
        }
        auto shared = shared_options::take(argument, value, options.shared);
        if (!shared) {
            return shared.error();
        }
        if (*shared) {
            continue;
        }
        if (argument == "--json") {
            if (!flag(options.json)) {
                return usageError(usage_error::invalidValue, "--json takes no value");
            }
        } else if (argument == "--password-stdin") {
            if (!flag(options.passwordFromStdin)) {
                return usageError(usage_error::invalidValue, "--password-stdin takes no value");
            }
        } else if (argument == "--assume-online") {
            if (inlineValue) {
                return usageError(usage_error::invalidValue, "--assume-online takes no value");
            }
            options.connectivity = ConnectivityMode::online;
        } else if (argument == "--connectivity") {
            const auto mode = value();
            if (mode == "auto") {
                options.connectivity = ConnectivityMode::automatic;
            } else if (mode == "online") {
                options.connectivity = ConnectivityMode::online;
            } else if (mode == "offline") {
                options.connectivity = ConnectivityMode::offline;
            } else {
                return usageError(usage_error::invalidValue, "--connectivity takes auto, online or offline");
            }
        } else if (argument == "--timeout") {
            const auto text = value();
            const auto seconds = text ? parseInteger(*text) : std::nullopt;
            if (!seconds || *seconds < 1) {
                return usageError(usage_error::invalidValue, "--timeout needs a whole number of seconds, at least 1");
            }
            options.timeout = std::chrono::seconds(*seconds);
        } else if (argument == "--user") {
            const auto user = value();
            if (!user) {
                return usageError(usage_error::missingValue, "--user needs a user name");
            }
            options.user = *user;
        } else if (argument == "--furnace") {
            const auto text = value();
            const auto id = text ? parseInteger(*text) : std::nullopt;
            if (!id) {
                return usageError(usage_error::invalidValue, "--furnace needs a furnace id");
            }
            options.furnaceId = *id;
        } else if (const auto takesValue = reportOptionTakesValue(argument);
                   takesValue && !options.command.empty() && options.command.front() == "report") {
            options.command.push_back(argument);
            if (*takesValue) {
                const auto given = value();
                if (!given) {
                    return usageError(usage_error::missingValue, argument + " needs a value");
                }
                options.command.push_back(*given);
            } else if (inlineValue) {
                return usageError(usage_error::invalidValue, argument + " takes no value");
            }
        } else if (argument.starts_with("-") && argument.size() > 1) {
            return usageError(usage_error::unknownOption, fmt::format("unknown option {}", argument));
        } else if (modeChosen) {
            return usageError(usage_error::unexpectedArgument, fmt::format("unexpected argument {}", argument));
        } else if (argument == "shell") {
            options.mode = RunMode::shell;
            modeChosen = true;
        } else if (isOneShotCommand(argument)) {
            options.mode = RunMode::oneShot;
            options.command.push_back(argument);
            if (argument == "show") {
                if (i + 1 >= arguments.size()) {
                    return usageError(usage_error::missingValue, "show needs a heat number");
                }
                options.command.push_back(arguments[++i]);
            }
            modeChosen = true;
        } else {
            return usageError(usage_error::unexpectedArgument, fmt::format("unknown command {}", argument));
        }
    }
    if (!modeChosen) {
        return usageError(usage_error::missingValue, "no command given");
    }
    if (options.mode == RunMode::oneShot) {
        if (options.json &&
            std::find(options.command.begin(), options.command.end(), "--csv") != options.command.end()) {
            return usageError(usage_error::invalidValue, "--csv and --json exclude each other");
        }
        if (!options.user || !options.passwordFromStdin) {
            return usageError(usage_error::missingValue, "a one-shot command needs --user NAME and --password-stdin");
        }
    } else if (options.user || options.passwordFromStdin || options.furnaceId) {
        return usageError(usage_error::unexpectedArgument,
                          "--user, --password-stdin and --furnace go with a one-shot command, not with shell");
    }
    return options;
}

} // namespace orvendel::cli
