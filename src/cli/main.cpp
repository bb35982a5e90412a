#include "cli/cli_options.hpp"
#include "cli/command_context.hpp"
#include "cli/shell.hpp"
#include "core/core.hpp"
#include "core/flows/application_flow.hpp"
#include "core/flows/service_connectivity.hpp"
#include "core/service/plant_configuration.hpp"
#include "core/service/service_address.hpp"
#include "core/support/log.hpp"

#include <cstdio>
#include <iostream>
#include <memory>

using namespace orvendel;
using namespace orvendel::cli;

namespace {

flows::Context::Parts contextParts(const CliOptions& options, const PlantConfiguration::Addresses& addresses)
{
    flows::Context::Parts parts;
    if (options.shared.applicationSupportDirectory) {
        parts.applicationSupportDirectory = [folder = *options.shared.applicationSupportDirectory] {
            return std::optional(folder);
        };
    }
    parts.serviceURL = addresses.serviceURL.value.value_or(ServiceAddress::defaultBaseURL);
    parts.storeSearchURL = addresses.updateCheckURL.value;
    return parts;
}

int run(const CliOptions& options, const PlantConfiguration::Addresses& addresses)
{
    auto loop = std::make_shared<MainLoop>();
    const auto shared = flows::Context::create(contextParts(options, addresses));
    auto connectivity = std::make_shared<flows::ServiceConnectivity>(options.connectivity, shared->serviceURL);
    connectivity->start(loop, *shared->notificationCenter);
    // Starting reads the flags once and queues the first report here.
    loop->runPending();
    Announcements announcements;
    auto app = flows::ApplicationFlow::create(
        flows::ApplicationFlow::Environment{shared, loop, connectivity, announcements.ref(), {}, false});
    int signOuts = 0;
    app->setScreenHandler([&announcements, &signOuts, &app](flows::Screen, flows::ScreenChange change) {
        const bool wasSignedIn = std::exchange(signOuts, app->signOutCount()) != app->signOutCount();
        if (change == flows::ScreenChange::logout && wasSignedIn) {
            announcements.notice("Signed out: the session ended. Sign in again with `login USER`.");
        }
    });
    app->launch();

    const bool interactive = standardInputIsTerminal();
    InputReader input(std::cin, interactive);
    Output output(options.json);
    CommandContext context{options, loop, connectivity, announcements, *app, {}, terminalColumns()};

    int status = exitSuccess;
    if (options.mode == RunMode::oneShot) {
        status = runOneShot(context, input, output);
    } else {
        if (interactive) {
            output.hint("Orvendel shell against " + shared->serviceURL +
                        " - `login USER` to sign in, `help` for the commands.");
        }
        status = runShell(context, input, output);
    }
    app->runLogoutSequence();
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    const auto parsed = parseCliOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed) {
        std::fprintf(stderr, "orvendel-cli: %s\n\n%s", parsed.error().description.c_str(), usageText().c_str());
        return exitUsage;
    }
    const CliOptions& options = *parsed;
    if (options.mode == RunMode::help) {
        std::fputs(usageText().c_str(), stdout);
        return exitSuccess;
    }
    const auto addresses = PlantConfiguration::resolve(options.shared);
    if (options.mode == RunMode::selfCheck) {
        std::fputs((coreSelfCheckReport() + PlantConfiguration::describe(addresses)).c_str(), stdout);
        return exitSuccess;
    }

    // Diagnostics go to the file for the whole run.
    std::unique_ptr<LogFile> logFile;
    if (options.shared.logFile) {
        auto opened = LogFile::open(*options.shared.logFile);
        if (!opened) {
            std::fprintf(stderr, "orvendel-cli: %s\n", opened.error().description.c_str());
            return exitUsage;
        }
        logFile = std::move(opened).value();
    }
    return run(options, addresses);
}
