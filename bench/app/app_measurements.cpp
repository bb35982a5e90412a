// Measures the tablet application offscreen (QT_QPA_PLATFORM=offscreen) against a reference delay service it
// starts itself with a busy day (62 delays per heat), each figure beside a bare baseline of the same run
// (--stress: a day of about 100,000 delays, edits only):
//   - cold start: a fresh process until the sign-in screen's first frame, against bench_bare_quick_window (one
//     Rectangle, one Text) started the same way; 15 runs of each, interleaved;
//   - resident memory with a heat's detail open (its pages and charts drawn), against the bare window's;
//   - edits on the page in view (reasons alternating, comments, splits and their undo): from the call until the
//     heats list's row, the page, the charts and the heat detail heard of it and the next frame was drawn, with the
//     GUI thread's CPU time in it, and any model reset counted (an edit must not rebuild);
//     against a bare window's text changed after a hop through a worker thread, until its next frame.
// A measuring program, not a test: it prints figures and never fails on them.
#include "core/storage/database_manager.hpp"
#include "core/storage/user_configuration_manager.hpp"
#include "support/gui_driver.hpp"
#include "support/service_process.hpp"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QQmlApplicationEngine>
#include <QSGRendererInterface>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

Q_IMPORT_QML_PLUGIN(OrvendelPlugin)

using namespace orvendel;

namespace {

struct Spread {
    double median = 0, min = 0, max = 0;
    std::size_t runs = 0;
};

Spread spread(std::vector<double> values)
{
    if (values.empty()) {
        return {};
    }
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.front(), values.back(), values.size()};
}

long residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
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

double megabytes(double kilobytes)
{
    return kilobytes / 1024.0;
}

double msSince(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

struct ChildRun {
    double ms = 0;
    long residentKB = 0;
};

// A fresh process until it printed "first-frame"; none when it never drew its frame (left out rather than
// counted as fast).
std::optional<ChildRun> startChild(const QString& program, const QStringList& arguments, const QString& serviceURL)
{
    QProcess child;
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("ORVENDEL_SERVICE_URL", serviceURL);
    child.setProcessEnvironment(environment);
    QByteArray output;
    QElapsedTimer timer;
    timer.start();
    child.start(program, arguments);
    while (child.state() != QProcess::NotRunning && !output.contains('\n')) {
        child.waitForReadyRead(5000);
        output += child.readAllStandardOutput();
    }
    const double elapsed = msSince(timer);
    child.waitForFinished(10000);
    const auto line = output.mid(output.indexOf("first-frame"));
    if (child.exitCode() != 0 || !line.startsWith("first-frame")) {
        return std::nullopt;
    }
    return ChildRun{elapsed, line.mid(12).split('\n').first().trimmed().toLong()};
}

qint64 threadCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<qint64>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// Runs `loop` until it is quit or `timeoutMs` passed, sleeping rather than spinning, so that the GUI thread's CPU
// time counts only work.
void waitUntil(QEventLoop& loop, int timeoutMs)
{
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
}

// Times from a start to the moments of one update: when each of the named signals first arrived, the GUI
// thread's busy time until the last of them, and the next frame swapped after that.
class UpdateClock {
public:
    UpdateClock(QQuickWindow* window, int expected)
    {
        // On the render thread with the threaded render loop: the GUI thread is blocked while it synchronises.
        m_connections << QObject::connect(
            window, &QQuickWindow::afterSynchronizing, window,
            [this] {
                if (m_allAt >= 0 && m_syncAt < 0) {
                    m_syncAt = m_timer.nsecsElapsed();
                }
            },
            Qt::DirectConnection);
        m_connections << QObject::connect(
            window, &QQuickWindow::beforeRendering, window,
            [this] {
                if (m_syncAt >= 0 && m_renderAt < 0) {
                    m_renderAt = m_timer.nsecsElapsed();
                }
            },
            Qt::DirectConnection);
        m_connections << QObject::connect(
            window, &QQuickWindow::frameSwapped, window,
            [this] {
                if (m_syncAt >= 0 && m_frameAt < 0) {
                    m_frameAt = m_timer.nsecsElapsed();
                    QMetaObject::invokeMethod(&m_loop, &QEventLoop::quit, Qt::QueuedConnection);
                }
            },
            Qt::DirectConnection);
        m_marks.assign(static_cast<std::size_t>(expected), -1);
    }
    ~UpdateClock()
    {
        for (const auto& connection : std::as_const(m_connections)) {
            QObject::disconnect(connection);
        }
    }

    // Signal number `mark` of the expected ones.
    template <typename Sender, typename Signal>
    void watch(const Sender* sender, Signal signal, int mark)
    {
        m_connections << QObject::connect(sender, signal, [this, mark] { arrived(mark); });
    }

    void start()
    {
        m_cpuAtStart = threadCpuNs();
        m_timer.start();
    }
    // Waits for the frame after the update; false when some signal or the frame never came.
    bool wait(int timeoutMs)
    {
        if (m_frameAt < 0) {
            waitUntil(m_loop, timeoutMs);
        }
        return m_frameAt >= 0;
    }

    double elapsedMs() const { return msSince(m_timer); }
    double at(int mark) const { return static_cast<double>(m_marks[static_cast<std::size_t>(mark)]) / 1e6; }
    double allMs() const { return static_cast<double>(m_allAt) / 1e6; }
    double frameMs() const { return static_cast<double>(m_frameAt.load()) / 1e6; }
    // Of the frame: from the last signal until the scene was synchronised (the wait for the frame, the views'
    // layout and their new nodes), then the drawing until the swap.
    double syncedMs() const { return static_cast<double>(m_syncAt.load()) / 1e6; }
    double renderMs() const { return static_cast<double>(m_frameAt.load() - m_renderAt.load()) / 1e6; }
    // The GUI thread's CPU time until the last signal: our handlers and what the views did in reply; the rest
    // of the wall time went waiting for the edit store's thread and the event loop.
    double busyMs() const { return static_cast<double>(m_busyNs) / 1e6; }

private:
    void arrived(int mark)
    {
        auto& at = m_marks[static_cast<std::size_t>(mark)];
        if (at < 0) {
            at = m_timer.nsecsElapsed();
            if (std::none_of(m_marks.begin(), m_marks.end(), [](qint64 m) { return m < 0; })) {
                m_allAt = at;
                m_busyNs = threadCpuNs() - m_cpuAtStart;
            }
        }
    }

    QElapsedTimer m_timer;
    QEventLoop m_loop;
    QList<QMetaObject::Connection> m_connections;
    std::vector<qint64> m_marks;
    std::atomic<qint64> m_allAt{-1};
    std::atomic<qint64> m_renderAt{-1};
    std::atomic<qint64> m_syncAt{-1};
    std::atomic<qint64> m_frameAt{-1};
    qint64 m_cpuAtStart = 0;
    qint64 m_busyNs = 0;
};

void printSpread(const char* what, const std::vector<double>& values)
{
    const auto s = spread(values);
    std::printf("  %-44s median %7.2f ms (min %.2f, max %.2f, %zu runs)\n", what, s.median, s.min, s.max, s.runs);
}

struct ColdStarts {
    Spread app;
    Spread bare;
    double appResidentKB = 0;
    double bareResidentKB = 0;
};

ColdStarts measureColdStarts(const QString& serviceURL)
{
    // The program as it ships, told to end at its first frame.
    const QString self = QStringLiteral(ORVENDEL_APP_PROGRAM);
    const QString bare = QCoreApplication::applicationDirPath() + QStringLiteral("/bench_bare_quick_window");
    std::vector<double> app, bareMs, appKB, bareKB;
    // Interleaved, so that a busy moment of the machine falls on both alike.
    for (int run = 0; run < 15; ++run) {
        if (const auto started = startChild(self, {"--exit-after-first-frame"}, serviceURL)) {
            app.push_back(started->ms);
            appKB.push_back(static_cast<double>(started->residentKB));
        }
        if (const auto started = startChild(bare, {}, serviceURL)) {
            bareMs.push_back(started->ms);
            bareKB.push_back(static_cast<double>(started->residentKB));
        }
    }
    return {spread(app), spread(bareMs), spread(appKB).median, spread(bareKB).median};
}

struct EditFigures {
    std::vector<double> call, list, pages, charts, detail, all, synced, render, frame, busy;
    int rebuilds = 0; // model resets during the edits: each one a fault
};

void append(EditFigures& to, const EditFigures& from)
{
    for (auto [into, values] : {std::pair{&to.call, &from.call},
                                {&to.list, &from.list},
                                {&to.pages, &from.pages},
                                {&to.charts, &from.charts},
                                {&to.detail, &from.detail},
                                {&to.all, &from.all},
                                {&to.synced, &from.synced},
                                {&to.render, &from.render},
                                {&to.frame, &from.frame},
                                {&to.busy, &from.busy}}) {
        into->insert(into->end(), values->begin(), values->end());
    }
    to.rebuilds += from.rebuilds;
}

void printEdits(const char* what, const EditFigures& edits)
{
    std::printf("\n%s, from the call:\n", what);
    printSpread("the edit call returned", edits.call);
    if (!edits.list.empty()) {
        printSpread("heats list rows changed (rowsEdited)", edits.list);
    }
    printSpread("delay pages changed (model rows)", edits.pages);
    printSpread("both charts recomputed (changed)", edits.charts);
    printSpread("heat detail told (delaysChanged)", edits.detail);
    printSpread("all of them", edits.all);
    printSpread("the scene synchronised for the next frame", edits.synced);
    printSpread("the next frame swapped", edits.frame);
    printSpread("of which drawing (beforeRendering to swap)", edits.render);
    printSpread("GUI thread CPU time until all of them", edits.busy);
    std::printf("  %-44s %d\n", "full rebuilds (model resets) during the edits", edits.rebuilds);
}

// Edits on the page in view, each timed from the call until the views heard of it and the next frame was drawn.
class EditBench {
public:
    EditBench(testing::GuiDriver& gui) : m_gui(gui) {}

    // `edit(run)` makes one edit; `listRow` whether the heats list shows something of it.
    EditFigures run(int runs, bool listRow, const std::function<void(int)>& edit)
    {
        auto* detail = m_gui.controller().heatDetail();
        auto* pages = detail->pages();
        EditFigures figures;
        for (int run = 0; run < runs; ++run) {
            enum Mark { pagesMark, powerOff, bar, detailMark, list, marks };
            UpdateClock clock(m_gui.window(), listRow ? marks : marks - 1);
            auto* model = pages->model();
            clock.watch(model, &QAbstractItemModel::dataChanged, pagesMark);
            clock.watch(model, &QAbstractItemModel::rowsInserted, pagesMark);
            clock.watch(model, &QAbstractItemModel::rowsRemoved, pagesMark);
            clock.watch(detail->powerOffChart(), &app::PowerOffChartModel::changed, powerOff);
            clock.watch(detail->barChart(), &app::BarChartModel::changed, bar);
            clock.watch(detail, &app::HeatDetailController::delaysChanged, detailMark);
            if (listRow) {
                clock.watch(m_gui.controller().heatsList(), &app::HeatsListController::rowsEdited, list);
            }
            int resets = 0;
            const auto countReset = [&resets] { ++resets; };
            const auto a = QObject::connect(pages, &app::DelayPagesController::pagesReset, countReset);
            const auto b =
                QObject::connect(m_gui.controller().heatsList(), &app::HeatsListController::tableChanged, countReset);
            clock.start();
            edit(run);
            const double called = clock.elapsedMs();
            const bool drawn = clock.wait(5000);
            QObject::disconnect(a);
            QObject::disconnect(b);
            figures.rebuilds += resets;
            if (!drawn) {
                std::fprintf(stderr, "edit %d: some view never heard of it, or no frame after it\n", run);
                continue;
            }
            figures.call.push_back(called);
            if (listRow) {
                figures.list.push_back(clock.at(list));
            }
            figures.pages.push_back(clock.at(pagesMark));
            figures.charts.push_back(std::max(clock.at(powerOff), clock.at(bar)));
            figures.detail.push_back(clock.at(detailMark));
            figures.all.push_back(clock.allMs());
            figures.synced.push_back(clock.syncedMs());
            figures.render.push_back(clock.renderMs());
            figures.frame.push_back(clock.frameMs());
            figures.busy.push_back(clock.busyMs());
            // The store's journal write and the page turn's animation settle before the next edit.
            m_gui.waitFor([] { return false; }, 300);
        }
        return figures;
    }

private:
    testing::GuiDriver& m_gui;
};

// Opens the newest heat's first delay on the shown day; false when it never appears.
bool openNewestHeat(testing::GuiDriver& gui)
{
    auto* detail = gui.controller().heatDetail();
    auto* pages = detail->pages();
    const bool opened = gui.click(gui.listEntry(0)) &&
                        gui.waitFor([&] { return gui.controller().heatsList()->model()->rowCount() > 2; }) &&
                        gui.click(gui.listEntry(1)) && gui.waitFor([&] {
                            return !detail->showsEmptyMessage() && pages->count() > 0 &&
                                   gui.item(QStringLiteral("delayPage_0")) && detail->powerOffChart()->hasHeat() &&
                                   detail->barChart()->hasHeat();
                        });
    gui.waitFor([] { return false; }, 500); // the page turn's animation and the last frames
    return opened;
}

std::size_t delayCount(testing::GuiDriver& gui)
{
    std::size_t delays = 0;
    for (const auto& heat : gui.controller().flow().heatsList()->heats()) {
        delays += heat->delays ? heat->delays->size() : 0;
    }
    return delays;
}

// Two reasons other than the page's own, from the store.
std::vector<ReasonPtr> twoOtherReasons(testing::GuiDriver& gui, int ownReason)
{
    std::vector<ReasonPtr> reasons;
    std::atomic<bool> fetched = false;
    const auto& context = gui.controller().context();
    context.database->fetchReasons(context.configuration->selectedFurnaceId(), [&](Result<std::vector<ReasonPtr>> all) {
        reasons = std::move(all).valueOr(std::vector<ReasonPtr>{});
        fetched = true;
    });
    gui.waitFor([&] { return fetched.load(); });
    std::erase_if(reasons, [&](const ReasonPtr& r) { return !r->id || *r->id == ownReason; });
    return reasons;
}

// The report screen over every furnace: from the flow's last furnace in (its `finished`) until the next
// frame swapped with the chart and the table of the whole day drawn — the screen opened afresh (an empty
// table filled) and refreshed (the same table changed in place).
void measureReport(testing::GuiDriver& gui)
{
    const auto timed = [&](app::ShiftReportController* report, const std::function<void()>& begin) {
        UpdateClock clock(gui.window(), 1);
        QObject finished;
        const auto relay = QObject::connect(report, &app::ShiftReportController::reportChanged, [&] {
            if (!report->running()) {
                finished.setObjectName(QStringLiteral("finished"));
            }
        });
        clock.watch(&finished, &QObject::objectNameChanged, 0);
        clock.start();
        begin();
        const bool drawn = clock.wait(20000);
        QObject::disconnect(relay);
        gui.waitFor([] { return false; }, 300);
        return drawn ? std::optional(clock.frameMs() - clock.at(0)) : std::nullopt;
    };
    std::vector<double> opened, refreshed;
    app::ShiftReportController* report = nullptr;
    for (int run = 0; run < 10; ++run) {
        // The button makes the controller and starts it; its downloads end on a later turn of the loop.
        gui.click(QStringLiteral("reportButton"));
        // The newest: the one before goes at the next turn of the loop.
        const auto reports = gui.controller().findChildren<app::ShiftReportController*>();
        report = reports.isEmpty() ? nullptr : reports.last();
        if (!report) {
            std::fprintf(stderr, "the report did not open\n");
            return;
        }
        if (const auto ms = timed(report, [] {})) {
            opened.push_back(*ms);
        }
        gui.key(Qt::Key_Escape);
        gui.waitFor([&] { return !gui.item(QStringLiteral("reportTable")); });
    }
    gui.click(QStringLiteral("reportButton"));
    const auto reports = gui.controller().findChildren<app::ShiftReportController*>();
    report = reports.isEmpty() ? nullptr : reports.last();
    gui.waitFor([&] { return report && !report->running(); });
    for (int run = 0; run < 10 && report; ++run) {
        if (const auto ms = timed(report, [&] { report->start(); })) {
            refreshed.push_back(*ms);
        }
    }
    std::size_t delays = 0;
    for (const auto& furnace : report->flow()->furnaces()) {
        for (const auto& heat : furnace.heats) {
            delays += heat->delays ? heat->delays->size() : 0;
        }
    }
    std::printf("\nthe shift report, %zu furnaces, %zu delays, from the flow's finished to the next frame:\n",
                report->flow()->furnaces().size(), delays);
    printSpread("opened afresh (the table filled)", opened);
    printSpread("refreshed (the table changed in place)", refreshed);
    gui.key(Qt::Key_Escape);
}

// The app on a day of the service's: a heat's detail opened, then edits on its page in view.
int measureApp(const std::string& serviceURL, const ColdStarts* cold, bool everyKind)
{
    QTemporaryDir data;
    testing::GuiDriver gui(testing::GuiDriver::optionsFor(serviceURL, data.path().toStdString()));
    if (!gui.loaded() || !gui.signIn("demo", "demo")) {
        std::fprintf(stderr, "could not sign in\n");
        return 1;
    }
    if (!openNewestHeat(gui)) {
        std::fprintf(stderr, "could not open a heat\n");
        return 1;
    }
    auto* pages = gui.controller().heatDetail()->pages();
    const auto* interface = gui.window()->rendererInterface();
    std::printf("%zu heats, %zu delays; the heat shown has %d pages; scene graph: %s\n",
                gui.controller().flow().heatsList()->heats().size(), delayCount(gui), pages->count(),
                interface && interface->graphicsApi() == QSGRendererInterface::Software ? "software" : "hardware");
    const double detailKB = static_cast<double>(residentKilobytes());

    auto flow = pages->flow();
    const auto index = [&] { return flow->currentIndex(); };
    const auto reasons = twoOtherReasons(gui, flow->pages()[index()].delay->reasonId);
    if (reasons.size() < 2) {
        std::fprintf(stderr, "fewer than two reasons stored\n");
        return 1;
    }
    EditBench bench(gui);
    // ORVENDEL_BENCH_SPLITS=N: N splits and undos only, nothing else (for a profiler).
    const int splitsOnly = qEnvironmentVariableIntValue("ORVENDEL_BENCH_SPLITS");
    const auto assign = bench.run(splitsOnly ? 1 : 20, true, [&](int run) {
        flow->assignReason(index(), *reasons[static_cast<std::size_t>(run % 2)]);
    });
    EditFigures comment, split, undo;
    if (everyKind) {
        comment = bench.run(splitsOnly ? 1 : 20, false,
                            [&](int run) { flow->applyComment(index(), "Ladle late, run " + std::to_string(run)); });
        // A split of the page in view at its middle, then the undo of it from its second piece (in view after it).
        for (int run = 0; run < (splitsOnly ? splitsOnly : 10); ++run) {
            append(split, bench.run(1, true, [&](int) {
                const auto& model = flow->pages()[index()].model;
                model->splitDelay(static_cast<float>(model->splitLength() / 2), flow.get());
            }));
            append(undo, bench.run(1, true, [&](int) { flow->pages()[index()].model->undoAllChanges(flow.get()); }));
        }
    }
    const double afterEditsKB = static_cast<double>(residentKilobytes());

    if (cold) {
        std::printf("\ncold start to the first frame (separate processes, interleaved):\n");
        std::printf("  %-44s median %7.1f ms (min %.1f, max %.1f, %zu runs)\n", "app, sign-in screen", cold->app.median,
                    cold->app.min, cold->app.max, cold->app.runs);
        std::printf("  %-44s median %7.1f ms (min %.1f, max %.1f, %zu runs)\n", "bare Qt Quick window",
                    cold->bare.median, cold->bare.min, cold->bare.max, cold->bare.runs);
        std::printf("  ratio app / bare: %.2fx\n", cold->bare.median > 0 ? cold->app.median / cold->bare.median : 0.0);
        std::printf("\nresident memory:\n");
        std::printf("  %-44s %7.1f MB\n", "bare Qt Quick window at its first frame", megabytes(cold->bareResidentKB));
        std::printf("  %-44s %7.1f MB\n", "app at the sign-in screen's first frame", megabytes(cold->appResidentKB));
    } else {
        std::printf("\nresident memory:\n");
    }
    std::printf("  %-44s %7.1f MB\n", "app, a heat's detail open", megabytes(detailKB));
    std::printf("  %-44s %7.1f MB\n", "the same after the edits", megabytes(afterEditsKB));

    printEdits("a reason assigned on the page in view", assign);
    if (everyKind) {
        printEdits("a comment written on the page in view", comment);
        printEdits("the page in view split at its middle", split);
        printEdits("that split undone", undo);
    }
    measureReport(gui);
    return 0;
}

// The floor of an edit's round trip: a bare window's text set after a hop to a worker thread and back, until
// the next frame.
void measureBareUpdate()
{
    QQmlApplicationEngine engine;
    engine.loadData(R"(
        import QtQuick
        Window {
            width: 1024; height: 768; visible: true
            Rectangle { anchors.fill: parent; Text { objectName: "label"; anchors.centerIn: parent; text: "-" } }
        })");
    auto* window = engine.rootObjects().isEmpty() ? nullptr : qobject_cast<QQuickWindow*>(engine.rootObjects()[0]);
    auto* label = window ? window->findChild<QObject*>(QStringLiteral("label")) : nullptr;
    if (!label) {
        return;
    }
    QThread worker;
    worker.start();
    QObject hop;
    hop.moveToThread(&worker);
    QEventLoop settle;
    QTimer::singleShot(300, &settle, &QEventLoop::quit);
    settle.exec();

    std::vector<double> frames;
    for (int run = 0; run < 20; ++run) {
        UpdateClock clock(window, 1);
        QObject receiver;
        QObject::connect(&receiver, &QObject::objectNameChanged, [&] { label->setProperty("text", run); });
        clock.watch(&receiver, &QObject::objectNameChanged, 0);
        clock.start();
        QMetaObject::invokeMethod(&hop, [&receiver, run] {
            QMetaObject::invokeMethod(&receiver, [&receiver, run] { receiver.setObjectName(QString::number(run)); });
        });
        if (clock.wait(5000)) {
            frames.push_back(clock.frameMs());
        }
    }
    worker.quit();
    worker.wait();
    printSpread("bare baseline: thread hop, text set, next frame", frames);
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    // --stress: a furnace-day of about 100,000 delays (26 heats of 3,850), edits only.
    const bool stress = application.arguments().contains(QStringLiteral("--stress"));
    const int perHeat = stress ? 3850 : 62;
    testing::ServiceProcess service({.seed = 5, .extraArguments = {"--delays-per-heat", std::to_string(perHeat)}});
    if (!service.running()) {
        std::fprintf(stderr, "the delay service did not start:\n%s\n", service.logText().c_str());
        return 1;
    }
    if (stress) {
        std::printf("stress day: %d delays per heat\n", perHeat);
        return measureApp(service.baseUrl(), nullptr, false);
    }
    // --edits-only: no cold starts and no bare baseline (for a profiler).
    if (application.arguments().contains(QStringLiteral("--edits-only"))) {
        return measureApp(service.baseUrl(), nullptr, true);
    }
    std::printf("busy day: %d delays per heat\n", perHeat);
    const ColdStarts cold = measureColdStarts(QString::fromStdString(service.baseUrl()));
    const int status = measureApp(service.baseUrl(), &cold, true);
    if (status == 0) {
        measureBareUpdate();
    }
    return status;
}
