// Measures the tablet application offscreen (QT_QPA_PLATFORM=offscreen) against a reference delay service
// it starts itself with a busy day (62 delays per heat):
//   - cold start: a fresh process until the sign-in screen's first frame, median of 10 runs;
//   - resident memory after signing in and loading the day;
//   - the heats list rebuilt after an edit: from the "ReloadData" notification to the model's reset,
//     median of 20 rebuilds.
// A measuring program, not a test: it prints figures and never fails on them.
#include "core/core.hpp"
#include "core/editing/edited_delays_manager.hpp"
#include "core/editing/screen_notifications.hpp"
#include "core/platform/app_paths.hpp"
#include "core/service/service_address.hpp"
#include "support/gui_driver.hpp"
#include "support/service_process.hpp"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QtQml/qqmlextensionplugin.h>

#include <algorithm>
#include <cstdio>
#include <vector>

Q_IMPORT_QML_PLUGIN(OrvendelPlugin)

using namespace orvendel;

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The child of the cold-start runs: shows the window and reports its first frame.
int firstFrame()
{
    app::AppWindow window(testing::GuiDriver::defaultOptions());
    if (!window.load()) {
        return 1;
    }
    QObject::connect(window.window(), &QQuickWindow::frameSwapped, [] {
        std::printf("first-frame\n");
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
    return QGuiApplication::exec();
}

double coldStartMs(const QString& program, const QString& serviceURL)
{
    QProcess child;
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("ORVENDEL_SERVICE_URL", serviceURL);
    child.setProcessEnvironment(environment);
    QElapsedTimer timer;
    timer.start();
    child.start(program, {"--first-frame"});
    while (child.state() != QProcess::NotRunning && !child.readAllStandardOutput().contains("first-frame")) {
        child.waitForReadyRead(5000);
    }
    const double elapsed = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    child.waitForFinished(10000);
    // A run that never drew its frame is left out rather than counted as fast.
    return child.exitCode() == 0 ? elapsed : -1;
}

long residentKilobytes()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const auto& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "--first-frame") {
        const int status = firstFrame();
        releaseSharedInstances();
        return status;
    }

    testing::ServiceProcess service({.seed = 5, .extraArguments = {"--delays-per-heat", "62"}});
    if (!service.running()) {
        std::fprintf(stderr, "the delay service did not start:\n%s\n", service.logText().c_str());
        return 1;
    }
    std::vector<double> starts;
    for (int run = 0; run < 10; ++run) {
        const double ms =
            coldStartMs(QCoreApplication::applicationFilePath(), QString::fromStdString(service.baseUrl()));
        if (ms >= 0) {
            starts.push_back(ms);
        }
    }
    if (!starts.empty()) {
        std::printf("cold start to the sign-in screen's first frame: median %.0f ms (min %.0f, max %.0f, %zu runs)\n",
                    median(starts), *std::min_element(starts.begin(), starts.end()),
                    *std::max_element(starts.begin(), starts.end()), starts.size());
    }

    int status = 0;
    {
        QTemporaryDir data;
        AppPaths::setDataDirectoryOverride(data.path().toStdString());
        ServiceAddress::setBaseURL(service.baseUrl());
        testing::GuiDriver gui;
        if (!gui.loaded() || !gui.signIn("demo", "demo")) {
            std::fprintf(stderr, "could not sign in\n");
            return 1;
        }
        const auto& flow = gui.controller().flow().heatsList();
        std::size_t delays = 0;
        for (const auto& heat : flow->heats()) {
            delays += heat->delays ? heat->delays->size() : 0;
        }
        std::printf("resident memory after signing in and loading %zu heats with %zu delays: %.1f MB\n",
                    flow->heats().size(), delays, static_cast<double>(residentKilobytes()) / 1024.0);

        // An edit of the first heat's first delay, then the list rebuilt as after every edit.
        const HeatPtr heat = flow->heats().front(); // the list replaces its heats on every rebuild
        auto edit = std::make_shared<Delay>(*heat->delays->front());
        edit->isEdited = true;
        EditedDelaysManager::shared()->addEditedDelay(edit);
        auto* model = gui.controller().heatsList()->model();
        std::vector<double> rebuilds;
        for (int run = 0; run < 20; ++run) {
            bool reset = false;
            const auto connection = QObject::connect(model, &QAbstractItemModel::modelReset, [&] { reset = true; });
            QElapsedTimer timer;
            timer.start();
            NotificationCenter::defaultCenter().post(
                screen_notifications::reloadData, nullptr,
                screen_notifications::selectionUserInfo({heat->heatId, edit->startDate.date}));
            while (!reset) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            }
            rebuilds.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
            QObject::disconnect(connection);
            gui.waitFor([] { return false; }, 20);
        }
        std::printf("heats list rebuild after an edit (notification to model reset, %zu delays): median %.2f ms "
                    "(min %.2f, max %.2f, 20 runs)\n",
                    delays, median(rebuilds), *std::min_element(rebuilds.begin(), rebuilds.end()),
                    *std::max_element(rebuilds.begin(), rebuilds.end()));
    }
    releaseSharedInstances();
    return status;
}
