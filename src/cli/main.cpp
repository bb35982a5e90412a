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

// Diagnostics of the core go to a file when asked; the file stays open for the whole run.
struct LogFile {
    std::FILE* file = nullptr;
    ~LogFile()
    {
        if (file) {
            setLogSink({});
            std::fclose(file);
        }
    }
};

flows::Session::Parts sessionParts(const CliOptions& options, const PlantConfiguration::Addresses& addresses)
{
    flows::Session::Parts parts;
    if (options.applicationSupportDirectory) {
        parts.applicationSupportDirectory = [folder = *options.applicationSupportDirectory] {
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
    const auto session = flows::Session::create(sessionParts(options, addresses));
    auto connectivity = std::make_shared<flows::ServiceConnectivity>(options.connectivity, session->serviceURL);
    connectivity->start(loop, *session->notificationCenter);
    // Starting reads the flags once and queues the first report here.
    loop->runPending();
    Announcements announcements;
    auto app = flows::ApplicationFlow::create(
        flows::ApplicationFlow::Environment{session, loop, connectivity, &announcements, {}, false});
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
            output.hint("Orvendel shell against " + session->serviceURL +
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
    if (!parsed.options) {
        std::fprintf(stderr, "orvendel-cli: %s\n\n%s", parsed.error.c_str(), usageText().c_str());
        return exitUsage;
    }
    const CliOptions& options = *parsed.options;
    if (options.mode == RunMode::help) {
        std::fputs(usageText().c_str(), stdout);
        return exitSuccess;
    }
    const auto addresses = PlantConfiguration::resolve({options.serviceURL, options.updateCheckURL});
    if (options.mode == RunMode::selfCheck) {
        std::fputs((coreSelfCheckReport() + PlantConfiguration::describe(addresses)).c_str(), stdout);
        return exitSuccess;
    }

    LogFile logFile;
    if (options.logFile) {
        logFile.file = std::fopen(options.logFile->c_str(), "a");
        if (!logFile.file) {
            std::fprintf(stderr, "orvendel-cli: cannot write the log file %s\n", options.logFile->c_str());
            return exitUsage;
        }
        setLogSink([file = logFile.file](std::string_view line) {
            std::fwrite(line.data(), 1, line.size(), file);
            std::fputc('\n', file);
            std::fflush(file);
        });
    }
    return run(options, addresses);
}
