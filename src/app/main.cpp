#include "app/app_options.hpp"
#include "app/app_window.hpp"
#include "core/service/plant_configuration.hpp"
#include "core/service/service_address.hpp"
#include "core/support/log.hpp"

#include <QGuiApplication>
#include <QQuickWindow>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>
#include <memory>

Q_IMPORT_QML_PLUGIN(OrvendelPlugin)

using namespace orvendel;

namespace {

// VmRSS of this process in kB, -1 when it cannot be read.
long residentKilobytes()
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status) {
        return -1;
    }
    long kilobytes = -1;
    char line[256];
    while (std::fgets(line, sizeof line, status)) {
        if (std::sscanf(line, "VmRSS: %ld", &kilobytes) == 1) {
            break;
        }
    }
    std::fclose(status);
    return kilobytes;
}

} // namespace

int main(int argc, char** argv)
{
    // Read before the window system is reached, so that --help and mistakes need no display.
    const auto parsed = app::parseAppOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed) {
        std::fprintf(stderr, "orvendel: %s\n\n%s", parsed.error().description.c_str(), app::appUsageText().c_str());
        return app::exitUsage;
    }
    // Before the addresses are resolved, so that a fault in the plant's files is in the log too.
    std::unique_ptr<LogFile> logFile;
    if (parsed->shared.logFile) {
        auto opened = LogFile::open(*parsed->shared.logFile);
        if (!opened) {
            std::fprintf(stderr, "orvendel: %s\n", opened.error().description.c_str());
            return app::exitUsage;
        }
        logFile = std::move(opened).value();
    }
    const auto addresses = PlantConfiguration::resolve(parsed->shared);
    if (parsed->help) {
        std::fputs((app::appUsageText() + "\n" + PlantConfiguration::describe(addresses)).c_str(), stdout);
        return 0;
    }

    QGuiApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("Orvendel"));
    application.setOrganizationName(QStringLiteral("KESTA"));
    // Ties the window to its desktop entry: the Wayland app id, and the entry the shell shows it under.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.kesta.orvendel"));

    int status = 1;
    {
        app::ApplicationController::Options options;
        options.serviceURL = addresses.serviceURL.value.value_or(ServiceAddress::defaultBaseURL);
        options.storeSearchURL = addresses.updateCheckURL.value;
        options.applicationSupportDirectory = parsed->shared.applicationSupportDirectory;
        app::AppWindow window(std::move(options));
        if (window.load()) {
            if (parsed->exitAfterFirstFrame) {
                QObject::connect(window.window(), &QQuickWindow::frameSwapped, &application, [] {
                    std::printf("first-frame %ld\n", residentKilobytes());
                    std::fflush(stdout);
                    QCoreApplication::exit(0);
                });
            }
            status = QGuiApplication::exec();
        }
    }
    return status;
}
