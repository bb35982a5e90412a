#include "cli/shell.hpp"

#include "cli/commands.hpp"
#include "cli/lookup.hpp"
#include "core/editing/edited_delays_manager.hpp"

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

// Leaves no session behind. Unsaved edits stay in the user's journal and come back at their next sign-in
// (only `logout` discards them); says how many there are and whose.
// Only edits on disk count as kept: those the journal could not take end with the program.
struct KeptEdits {
    std::size_t count = 0;
    std::size_t lost = 0;
    std::string reason;
    std::string user;
};

KeptEdits endSession(CommandContext& context)
{
    if (!context.app.isSignedIn()) {
        return {};
    }
    const auto disk = context.core().edits->diskState();
    KeptEdits kept{disk.onDisk, disk.notOnDisk, disk.error ? disk.error->description : std::string(),
                   context.app.userName()};
    context.app.runLogoutSequence();
    return kept;
}

std::string keptText(const KeptEdits& kept)
{
    std::string text;
    if (kept.count > 0) {
        text = fmt::format("{} unsaved edit{} kept; {} back when {} signs in again.", kept.count,
                           kept.count == 1 ? " was" : "s were", kept.count == 1 ? "it comes" : "they come", kept.user);
    }
    if (kept.lost > 0) {
        text += fmt::format("{}{} unsaved edit{} could not be written to this device ({}) and {} lost.",
                            text.empty() ? "" : " ", kept.lost, kept.lost == 1 ? "" : "s",
                            kept.reason.empty() ? std::string("unknown error") : kept.reason,
                            kept.lost == 1 ? "is" : "are");
    }
    return text;
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
            const auto kept = endSession(context);
            reply.data["keptEdits"] = kept.count;
            if (kept.lost > 0) {
                reply.data["lostEdits"] = kept.lost;
            }
            if (kept.count > 0 || kept.lost > 0) {
                reply.notices.push_back(keptText(kept));
            }
            output.print(withAnnouncements(context, std::move(reply)));
            return status;
        }
        const auto reply = runCommand(context, *parsed.command);
        output.print(reply);
        status = std::max(status, statusOf(reply));
    }
    if (const auto kept = endSession(context); kept.count > 0 || kept.lost > 0) {
        output.hint(keptText(kept));
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
        (void)endSession(context);
        return statusOf(login);
    }
    std::string line;
    for (const auto& word : context.options.command) {
        line += word + " ";
    }
    const auto parsed = parseCommand(line);
    const Reply reply = parsed.command ? runCommand(context, *parsed.command) : Reply::usage(parsed.error);
    output.print(reply);
    if (const auto kept = endSession(context); kept.count > 0 || kept.lost > 0) {
        output.hint(keptText(kept));
    }
    return statusOf(reply);
}

} // namespace orvendel::cli
