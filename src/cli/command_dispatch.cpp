#include "cli/commands.hpp"

namespace orvendel::cli {

Reply runCommand(CommandContext& context, const Command& command)
{
    // What happened between commands (a reachability change, a late cancellation) is handled first.
    context.loop->runPending();
    Reply reply;
    if (needsSession(command.kind) && !context.app.isSignedIn()) {
        reply.fail(cli_error::notSignedIn, "Not signed in; sign in with `login USER`.");
    } else {
        switch (command.kind) {
        case CommandKind::login:
            reply = loginCommand(context, command.user);
            break;
        case CommandKind::furnaces:
            reply = furnacesCommand(context);
            break;
        case CommandKind::use:
            reply = useCommand(context, command.number, command.discard);
            break;
        case CommandKind::refresh:
            reply = refreshCommand(context);
            break;
        case CommandKind::heats:
            reply = heatsCommand(context);
            break;
        case CommandKind::show:
            reply = showCommand(context, command.number, command.delay);
            break;
        case CommandKind::reasons:
            reply = reasonsCommand(context);
            break;
        case CommandKind::reason:
            reply = reasonCommand(context, *command.delay, command.number);
            break;
        case CommandKind::comment:
            reply = commentCommand(context, *command.delay, command.text);
            break;
        case CommandKind::split:
            reply = splitCommand(context, *command.delay, command.seconds);
            break;
        case CommandKind::undo:
            reply = undoCommand(context, *command.delay);
            break;
        case CommandKind::edits:
            reply = editsCommand(context);
            break;
        case CommandKind::save:
            reply = saveCommand(context, command.number);
            break;
        case CommandKind::autosave:
            reply = autosaveCommand(context, command.on);
            break;
        case CommandKind::logout:
            reply = logoutCommand(context);
            break;
        case CommandKind::report:
            reply = reportCommand(context, command.report);
            break;
        case CommandKind::shifts:
            reply = shiftsCommand(context, command.text);
            break;
        case CommandKind::help:
            reply = helpCommand();
            break;
        case CommandKind::quit:
            break;
        }
    }
    return withAnnouncements(context, std::move(reply));
}

Reply withAnnouncements(CommandContext& context, Reply reply)
{
    // Alerts come before the command's own failure, as the app shows them while it works.
    Reply result;
    context.announcements.moveInto(result);
    for (auto& alert : reply.alerts) {
        result.add(std::move(alert));
    }
    if (reply.error) {
        result.fail(*reply.error, reply.message);
    }
    result.data = std::move(reply.data);
    result.lines = std::move(reply.lines);
    result.raw = std::move(reply.raw);
    result.notices.insert(result.notices.end(), reply.notices.begin(), reply.notices.end());
    result.usageError = reply.usageError;
    return result;
}

} // namespace orvendel::cli
