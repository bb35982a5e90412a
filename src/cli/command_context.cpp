#include "cli/command_context.hpp"

#include <fmt/format.h>

namespace orvendel::cli {

bool waitFor(CommandContext& context, Reply& reply, const std::function<bool()>& done, bool needsSession)
{
    const int signOuts = context.app.signOutCount();
    auto signedOut = [&] { return needsSession && context.app.signOutCount() != signOuts; };
    const bool finished = context.loop->runUntil([&] { return signedOut() || done(); }, context.options.timeout);
    if (signedOut()) {
        reply.fail(cli_error::notSignedIn, "The session ended; sign in again with `login USER`.");
        return false;
    }
    if (!finished) {
        reply.fail(cli_error::timedOut,
                   fmt::format("The delay service did not answer within {} seconds.", context.options.timeout.count()));
        return false;
    }
    return true;
}

bool waitUntilSettled(CommandContext& context, Reply& reply)
{
    return waitFor(context, reply, [&] {
        const auto heats = context.app.heatsList();
        const auto detail = context.app.heatDetail();
        return (!heats || !heats->isBusy()) && (!detail || !detail->isSaving());
    });
}

} // namespace orvendel::cli
