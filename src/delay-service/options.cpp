#include "options.hpp"

#include <charconv>
#include <string_view>

namespace orvendel::delay_service {
namespace {

template <typename T>
std::optional<T> parseNumber(std::string_view text)
{
    T value{};
    const auto* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end) {
        return std::nullopt;
    }
    return value;
}

std::optional<UserSpec> parseUser(std::string_view text)
{
    const auto first = text.find(':');
    if (first == std::string_view::npos || first == 0) {
        return std::nullopt;
    }
    UserSpec user;
    user.name = std::string(text.substr(0, first));
    std::string_view rest = text.substr(first + 1);
    // The furnace is the part after the last colon only when it is a number, so passwords may hold colons.
    const auto last = rest.rfind(':');
    if (last != std::string_view::npos) {
        if (auto furnace = parseNumber<int>(rest.substr(last + 1))) {
            user.startingFurnaceId = furnace;
            rest = rest.substr(0, last);
        }
    }
    if (rest.empty()) {
        return std::nullopt;
    }
    user.password = std::string(rest);
    return user;
}

} // namespace

std::optional<int> parseUtcOffset(std::string_view text)
{
    if (text == "Z") {
        return 0;
    }
    if (text.size() < 3 || (text[0] != '+' && text[0] != '-')) {
        return std::nullopt;
    }
    const int sign = text[0] == '-' ? -1 : 1;
    std::string_view digits = text.substr(1);
    std::optional<int> hours;
    std::optional<int> minutes = 0;
    if (digits.size() == 5 && digits[2] == ':') {
        hours = parseNumber<int>(digits.substr(0, 2));
        minutes = parseNumber<int>(digits.substr(3, 2));
    } else if (digits.size() == 4) {
        hours = parseNumber<int>(digits.substr(0, 2));
        minutes = parseNumber<int>(digits.substr(2, 2));
    } else if (digits.size() == 2) {
        hours = parseNumber<int>(digits);
    }
    if (!hours || !minutes || *hours > 18 || *minutes > 59 || (*hours == 18 && *minutes != 0)) {
        return std::nullopt;
    }
    return sign * (*hours * 3600 + *minutes * 60);
}

std::optional<std::pair<std::string, int>> parseListenAddress(std::string_view text)
{
    const auto colon = text.rfind(':');
    if (colon == std::string_view::npos || colon == 0) {
        return std::nullopt;
    }
    const auto port = parseNumber<int>(text.substr(colon + 1));
    if (!port || *port < 0 || *port > 65535) {
        return std::nullopt;
    }
    return std::make_pair(std::string(text.substr(0, colon)), *port);
}

std::string usageText()
{
    return "usage: orvendel-delay-service [options]\n"
           "  --listen HOST:PORT        address to listen on (default 127.0.0.1:8642; port 0 picks a free one)\n"
           "  --db PATH                 database file (default delay-service.sqlite in the data folder; :memory:)\n"
           "  --seed N                  demo data seed (default random)\n"
           "  --utc-offset +HH:MM       the plant's zone offset (default the host's)\n"
           "  --session-ttl SECONDS     idle time after which a session expires (default 1200)\n"
           "  --add-user NAME:PASSWORD[:FURNACE]  add or replace a user (repeatable)\n"
           "  --enable-admin            serve /_admin/faults, /_admin/expire-sessions, /_admin/stats, /_admin/reset,\n"
           "                            /_admin/advance-clock\n"
           "  --admin-token TOKEN       the \"X-Admin-Token\" every admin call must carry (8 or more characters;\n"
           "                            needed by --enable-admin, and enables it)\n"
           "  --threads N               worker threads (default 64; a connection holds one only while a whole request\n"
           "                            it sent is being answered)\n"
           "  --request-deadline SECONDS  time to receive a whole request, and to send its answer (default 10)\n"
           "  --idle-timeout SECONDS    an open connection without a request is closed after this (default 5)\n"
           "  --max-client-connections N  open connections from one client address (default 64)\n"
           "  --max-failed-sign-ins N   failed sign-ins per user name in the window before more are refused\n"
           "                            (default 5; four times as many per client address)\n"
           "  --sign-in-window SECONDS  the window of --max-failed-sign-ins (default 60)\n"
           "  --delays-per-heat N       demo heats with N delays each (4..4000; for load and benchmark runs; beyond\n"
           "                            what a heat holds, delays shrink to a second and run on past its end)\n"
           "  --quiet                   no per-request log lines\n"
           "  --help                    this text\n";
}

ParsedOptions parseOptions(int argc, const char* const* argv)
{
    ServiceOptions options;
    auto fail = [](std::string message) { return ParsedOptions{std::nullopt, std::move(message) + "\n", true}; };
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            return ParsedOptions{std::nullopt, usageText(), false};
        }
        if (arg == "--enable-admin") {
            options.enableAdmin = true;
            continue;
        }
        if (arg == "--quiet") {
            options.quiet = true;
            continue;
        }
        const bool takesValue = arg == "--listen" || arg == "--db" || arg == "--seed" || arg == "--utc-offset" ||
                                arg == "--session-ttl" || arg == "--add-user" || arg == "--threads" ||
                                arg == "--delays-per-heat" || arg == "--admin-token" || arg == "--request-deadline" ||
                                arg == "--idle-timeout" || arg == "--max-client-connections" ||
                                arg == "--max-failed-sign-ins" || arg == "--sign-in-window";
        if (!takesValue) {
            return fail("unknown option " + std::string(arg) + "\n" + usageText());
        }
        if (i + 1 >= argc) {
            return fail("missing value for " + std::string(arg));
        }
        const std::string_view value = argv[++i];
        if (arg == "--listen") {
            auto address = parseListenAddress(value);
            if (!address) {
                return fail("--listen expects HOST:PORT, got " + std::string(value));
            }
            options.host = address->first;
            options.port = address->second;
        } else if (arg == "--db") {
            if (value.empty()) {
                return fail("--db expects a path");
            }
            options.databasePath = std::string(value);
        } else if (arg == "--seed") {
            auto seed = parseNumber<std::uint64_t>(value);
            if (!seed) {
                return fail("--seed expects a non-negative integer");
            }
            options.seed = seed;
        } else if (arg == "--utc-offset") {
            auto offset = parseUtcOffset(value);
            if (!offset) {
                return fail("--utc-offset expects an offset such as -06:00");
            }
            options.utcOffsetSeconds = offset;
        } else if (arg == "--session-ttl") {
            auto ttl = parseNumber<int>(value);
            if (!ttl || *ttl <= 0) {
                return fail("--session-ttl expects a positive number of seconds");
            }
            options.sessionTtlSeconds = *ttl;
        } else if (arg == "--delays-per-heat") {
            auto count = parseNumber<int>(value);
            if (!count || *count < 4 || *count > 4000) {
                return fail("--delays-per-heat expects 4..4000");
            }
            options.delaysPerHeat = *count;
        } else if (arg == "--threads") {
            auto threads = parseNumber<int>(value);
            if (!threads || *threads < 1 || *threads > 1024) {
                return fail("--threads expects 1..1024");
            }
            options.threads = *threads;
        } else if (arg == "--admin-token") {
            if (value.size() < 8) {
                return fail("--admin-token expects 8 or more characters");
            }
            options.adminToken = std::string(value);
            options.enableAdmin = true;
        } else if (arg == "--request-deadline" || arg == "--idle-timeout" || arg == "--sign-in-window") {
            auto seconds = parseNumber<int>(value);
            if (!seconds || *seconds < 1 || *seconds > 3600) {
                return fail(std::string(arg) + " expects 1..3600 seconds");
            }
            (arg == "--request-deadline" ? options.requestDeadlineSeconds
             : arg == "--idle-timeout"   ? options.idleSeconds
                                         : options.signInWindowSeconds) = *seconds;
        } else if (arg == "--max-client-connections" || arg == "--max-failed-sign-ins") {
            auto count = parseNumber<int>(value);
            if (!count || *count < 1 || *count > 100000) {
                return fail(std::string(arg) + " expects 1..100000");
            }
            (arg == "--max-client-connections" ? options.connectionsPerClient : options.failedSignInsPerUser) = *count;
        } else if (arg == "--add-user") {
            auto user = parseUser(value);
            if (!user) {
                return fail("--add-user expects NAME:PASSWORD[:FURNACE]");
            }
            options.users.push_back(std::move(*user));
        }
    }
    if (options.enableAdmin && options.adminToken.empty()) {
        return fail("--enable-admin needs --admin-token TOKEN");
    }
    return ParsedOptions{std::move(options), {}, false};
}

} // namespace orvendel::delay_service
