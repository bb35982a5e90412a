#include "cli/commands.hpp"

#include "cli/lists_view.hpp"
#include "cli/lookup.hpp"
#include "core/flows/settings_flow.hpp"
#include "core/screens/login_validation.hpp"

#include <fmt/format.h>

namespace orvendel::cli {

Reply loginCommand(CommandContext& context, const std::string& user, std::optional<std::string> password,
                   std::optional<int> furnaceId)
{
    Reply reply;
    // The password line is taken first, whatever happens next: it must never be read as a command.
    if (!password) {
        password = context.readPassword();
    }
    if (!password) {
        return reply.fail(cli_error::usage, "login needs the password on the next line.");
    }
    if (context.app.isSignedIn()) {
        return reply.fail(cli_error::alreadySignedIn,
                          fmt::format("Already signed in as {}; logout first.", context.app.userName()));
    }
    if (!screens::LoginValidation::isLoginButtonEnabled(user, *password)) {
        return reply.fail(cli_error::usage, "Enter a user name and a password.");
    }
    const auto signIn = context.app.signIn();
    if (!signIn || !signIn->signIn(user, *password, furnaceId)) {
        return reply;
    }
    if (!waitFor(
            context, reply, [&] { return !signIn->isSigningIn(); }, false)) {
        signIn->cancel();
        return reply;
    }
    if (!context.app.isSignedIn()) {
        return reply;
    }
    reply.data["user"] = context.app.userName();
    reply.lines.push_back(fmt::format("Signed in as {}.", context.app.userName()));
    if (!waitUntilSettled(context, reply)) {
        return reply;
    }
    const auto heats = context.app.heatsList();
    if (furnaceId && (!heats->furnace() || heats->furnace()->id != *furnaceId)) {
        return reply.fail(cli_error::notFound, fmt::format("Furnace {} is not in the furnace list.", *furnaceId));
    }
    // Edits an earlier run left unsaved (it ended without a logout) are back, less those the service changed
    // meanwhile.
    if (const auto restored = restoredEditedDelays(context.core()).size()) {
        reply.data["restoredEdits"] = restored;
        reply.lines.push_back(fmt::format("{} unsaved edit{} of an earlier run restored; `edits` lists {}.", restored,
                                          restored == 1 ? "" : "s", restored == 1 ? "it" : "them"));
    }
    renderHeatsList(reply, heats->furnace(), heats->tableData(), heats->heats());
    return reply;
}

Reply logoutCommand(CommandContext& context)
{
    Reply reply;
    const std::size_t discarded = allEditedDelays(context.core()).size();
    context.app.requestLogout();
    if (!waitFor(
            context, reply, [&] { return !context.app.isSignedIn(); }, false)) {
        return reply;
    }
    reply.data["discardedEdits"] = discarded;
    reply.lines.push_back(discarded == 0 ? std::string("Signed out.")
                                         : fmt::format("Signed out; {} unsaved edit{} discarded.", discarded,
                                                       discarded == 1 ? " was" : "s were"));
    return reply;
}

Reply autosaveCommand(CommandContext& context, bool on)
{
    flows::SettingsFlow(context.app.context(), context.announcements.ref()).setAutoSaveEnabled(on);
    Reply reply;
    reply.data["autosave"] = on;
    reply.lines.push_back(on ? "Edited delays are saved automatically." : "Edited delays are saved with `save HEAT`.");
    return reply;
}

Reply helpCommand()
{
    Reply reply;
    auto commands = nlohmann::ordered_json::array();
    std::size_t width = 0;
    const auto entries = commandHelp();
    for (const auto& entry : entries) {
        width = std::max(width, entry.usage.size());
    }
    reply.lines.push_back("Commands (HEAT is a heat number as listed, N a delay's position in its heat):");
    for (const auto& entry : entries) {
        reply.lines.push_back(fmt::format("  {:<{}}  {}", entry.usage, width, entry.summary));
        commands.push_back({{"usage", entry.usage}, {"summary", entry.summary}});
    }
    reply.data["commands"] = std::move(commands);
    return reply;
}

} // namespace orvendel::cli
