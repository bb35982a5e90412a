#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvendel::delay_service {

// A user given on the command line as NAME:PASSWORD[:FURNACE].
struct UserSpec {
    std::string name;
    std::string password;
    std::optional<int> startingFurnaceId;
};

// What the command line chose. Plain value; built once on the main thread.
struct ServiceOptions {
    std::string host = "127.0.0.1";
    int port = 8642;
    std::optional<std::string> databasePath; // none: a file in the data folder
    int sessionTtlSeconds = 1200;
    std::optional<std::uint64_t> seed;   // none: a fresh random seed
    std::optional<int> utcOffsetSeconds; // none: the host's current offset
    bool enableAdmin = false;
    std::string adminToken; // asked of every admin call, in the "X-Admin-Token" header
    bool quiet = false;     // no per-request log lines
    int threads = 64;
    std::optional<int> delaysPerHeat; // none: 4 to 12 per heat, as a plant has them
    std::vector<UserSpec> users;

    // Connections: slow or idle clients must not hold the workers.
    int requestDeadlineSeconds = 10; // to receive a whole request once it has begun, and to send its answer
    int idleSeconds = 5;             // an open connection without a request in progress
    // Open connections from one address. The app itself may have twenty downloads in flight and, after a
    // session renewal, twenty more while the closed ones are still being noticed.
    int connectionsPerClient = 64;

    // Failed sign-ins within the window before further attempts are refused; an address gets four times
    // the allowance of a user name, since a whole shift may sign in from one gateway.
    int failedSignInsPerUser = 5;
    int signInWindowSeconds = 60;
};

struct ParsedOptions {
    std::optional<ServiceOptions> options; // none: stop, printing `message` (usage or error)
    std::string message;
    bool isError = false;
};

ParsedOptions parseOptions(int argc, const char* const* argv);

// "-06:00", "+05:30", "Z" or "+0100" as seconds east of UTC; none for anything else.
std::optional<int> parseUtcOffset(std::string_view text);

// "HOST:PORT"; none when the port is not 0..65535.
std::optional<std::pair<std::string, int>> parseListenAddress(std::string_view text);

std::string usageText();

} // namespace orvendel::delay_service
