#include "cli/shell.hpp"

#include "cli/commands.hpp"
#include "cli/lookup.hpp"

#include <fmt/format.h>

#include <algorithm>

namespace orvendel::cli {
namespace {

int statusOf(const Reply& reply)
{
    if (reply.usageError) {
        return exitUsage;
    }
    return reply.ok() ? exitSuccess : exitCommandFailed;
}

// Leaves no session behind; says how many unsaved edits that dropped.
std::size_t endSession(CommandContext& context)
{
    if (!context.app.isSignedIn()) {
        return 0;
    }
    const std::size_t discarded = allEditedDelays().size();
    context.app.runLogoutSequence();
    return discarded;
}

std::string discardedText(std::size_t count)
{
    return fmt::format("{} unsaved edit{} discarded.", count, count == 1 ? " was" : "s were");
}

} // namespace

int runShell(CommandContext& context, InputReader& input, Output& output)
{
    int status = exitSuccess;
    context.readPassword = [&input] { return input.readSecret("Password: "); };
    while (const auto line = input.readLine("orvendel> ")) {
        const auto parsed = parseCommand(*line);
        if (!parsed.command) {
            if (!parsed.error.empty()) {
                const auto reply = Reply::usage(parsed.error);
                output.print(reply);
                status = std::max(status, statusOf(reply));
            }
            continue;
        }
        if (parsed.command->kind == CommandKind::quit) {
            context.loop->runPending();
            Reply reply;
            const std::size_t discarded = endSession(context);
            reply.data["discardedEdits"] = discarded;
            if (discarded > 0) {
                reply.notices.push_back(discardedText(discarded));
            }
            output.print(withAnnouncements(context, std::move(reply)));
            return status;
        }
        const auto reply = runCommand(context, *parsed.command);
        output.print(reply);
        status = std::max(status, statusOf(reply));
    }
    if (const std::size_t discarded = endSession(context); discarded > 0) {
        output.hint(discardedText(discarded));
    }
    return status;
}

int runOneShot(CommandContext& context, InputReader& input, Output& output)
{
    const auto password = input.readSecret("Password: ");
    if (!password) {
        output.print(Reply::usage("--password-stdin: no password on standard input."));
        return exitUsage;
    }
    context.readPassword = [] { return std::nullopt; };
    context.loop->runPending();
    Reply login =
        withAnnouncements(context, loginCommand(context, *context.options.user, *password, context.options.furnaceId));
    if (!login.ok()) {
        login.lines.clear(); // only the failure: the listing is not what was asked for
        login.data = nlohmann::ordered_json::object();
        output.print(login);
        endSession(context);
        return statusOf(login);
    }
    std::string line;
    for (const auto& word : context.options.command) {
        line += word + " ";
    }
    const auto parsed = parseCommand(line);
    const Reply reply = parsed.command ? runCommand(context, *parsed.command) : Reply::usage(parsed.error);
    output.print(reply);
    endSession(context);
    return statusOf(reply);
}

} // namespace orvendel::cli
