#pragma once

#include "cli/announcements.hpp"
#include "cli/cli_options.hpp"
#include "cli/main_loop.hpp"
#include "cli/reply.hpp"
#include "core/flows/application_flow.hpp"
#include "core/flows/service_connectivity.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace orvendel::cli {

// What a command works with. Thread contract: the main loop's thread.
struct CommandContext {
    const CliOptions& options;
    std::shared_ptr<MainLoop> loop;
    std::shared_ptr<const flows::ServiceConnectivity> connectivity;
    Announcements& announcements;
    flows::ApplicationFlow& app;
    // The next input line, for the password after `login USER`; none at the end of input.
    std::function<std::optional<std::string>()> readPassword;
    // Columns available for the timeline.
    int terminalWidth = 80;

    // The managers of the signed-in user, as the flows have them.
    const flows::Context& core() const { return *app.context(); }
};

// Pumps the main loop until `done` holds. Fails the reply when the time-out passes first, or when
// `needsSession` and the session ends meanwhile (a forced sign-out); false then.
bool waitFor(CommandContext& context, Reply& reply, const std::function<bool()>& done, bool needsSession = true);

// Waits until the heats list and the heat detail have nothing outstanding.
bool waitUntilSettled(CommandContext& context, Reply& reply);

} // namespace orvendel::cli
