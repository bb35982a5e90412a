// Renders the application's screens into PNG files against a reference delay service it starts itself:
//   orvendel-screenshots OUTPUT_DIR
// Run offscreen (QT_QPA_PLATFORM=offscreen), or on Wayland; scripts/screenshots does either.
#include "core/editing/edited_delays_manager.hpp"
#include "core/model/screen_notifications.hpp"
#include "support/gui_driver.hpp"
#include "support/service_client.hpp"
#include "support/service_process.hpp"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>

Q_IMPORT_QML_PLUGIN(OrvendelPlugin)

using namespace orvendel;

namespace {

// An unsaved edit of the delay at `row` of the first heat, so that the list shows its edited icon.
void editDelay(app::ApplicationController& controller, std::size_t row)
{
    const auto& heats = controller.flow().heatsList()->heats();
    if (heats.empty() || !heats.front()->delays || heats.front()->delays->size() <= row) {
        return;
    }
    auto edited = std::make_shared<Delay>(*(*heats.front()->delays)[row]);
    edited->isEdited = true;
    controller.context().edits->addEditedDelay(edited);
    // As after every edit: the list reads the heats again with the edits over them.
    controller.context().notificationCenter->post(
        screen_notifications::ReloadData{{heats.front()->heatId, edited->startDate.date}});
}

int run(const QString& outputDir)
{
    testing::ServiceProcess service({.seed = 3, .extraArguments = {}});
    if (!service.running()) {
        std::fprintf(stderr, "orvendel-screenshots: the delay service did not start:\n%s\n", service.logText().c_str());
        return 1;
    }
    QTemporaryDir data;
    testing::GuiDriver gui(testing::GuiDriver::optionsFor(service.baseUrl(), data.path().toStdString()));
    if (!gui.loaded()) {
        return 1;
    }
    const auto shot = [&](const char* name) {
        const QString path = QDir(outputDir).filePath(QString::fromUtf8(name) + ".png");
        if (!gui.grab(path)) {
            std::fprintf(stderr, "orvendel-screenshots: could not write %s\n", qPrintable(path));
            return false;
        }
        std::printf("%s\n", qPrintable(path));
        return true;
    };
    bool ok = shot("sign-in");
    if (!gui.signIn("demo", "demo")) {
        std::fprintf(stderr, "orvendel-screenshots: sign-in failed\n");
        return 1;
    }
    ok = shot("heats-collapsed") && ok;

    gui.click(gui.listEntry(0));
    gui.waitFor([&] { return gui.controller().heatsList()->model()->rowCount() > 20; });
    gui.click(gui.listEntry(2));
    gui.waitFor([&] { return !gui.controller().heatDetail()->showsEmptyMessage(); });
    editDelay(gui.controller(), 1);
    gui.waitFor([&] {
        auto* model = gui.controller().heatsList()->model();
        return model->data(model->index(2), app::HeatsListModel::EditedRole).toBool();
    });
    gui.listEntry(0);
    ok = shot("heats-expanded") && ok;

    // The detail: a delay classified and commented on its page, unsaved.
    auto* pages = gui.controller().heatDetail()->pages();
    const auto pageItem = [&](const char* name) -> QQuickItem* {
        auto* page = gui.item(QStringLiteral("delayPage_%1").arg(pages->currentIndex()));
        return page ? page->findChild<QQuickItem*>(QString::fromUtf8(name)) : nullptr;
    };
    const auto settle = [&] {
        gui.waitFor([&] { return !gui.controller().flow().heatsList()->isBusy(); });
        QTest::qWait(400); // page turns and fades come to rest
    };
    gui.click(pageItem("addCommentButton") ? pageItem("addCommentButton") : pageItem("commentsTextView"));
    gui.waitFor([&] { return gui.item("commentField") != nullptr; });
    gui.item("commentField")->setProperty("text", QString());
    gui.type("commentField", "Ladle from the caster arrived late; crane 2 was busy with the scrap bucket, then the tap "
                             "hole needed oxygen lancing.");
    ok = shot("comment-editor") && ok;
    gui.click("commentEditorUpdate");
    settle();
    ok = shot("heat-detail") && ok;

    // The keys on a page: F6 from the list, then Tab to "Find reason".
    gui.item("heatsList")->forceActiveFocus();
    gui.key(Qt::Key_F6);
    for (int step = 0; step < 12 && gui.window()->activeFocusItem() &&
                       gui.window()->activeFocusItem()->objectName() != QLatin1String("findReasonButton");
         ++step) {
        gui.key(Qt::Key_Tab);
    }
    gui.settle();
    ok = shot("keyboard-focus") && ok;

    // The finder opens on the current reason: shown on a page whose reason is in the tree.
    const int editedPage = pages->currentIndex();
    for (std::size_t i = 0; i < pages->flow()->pages().size(); ++i) {
        if (pages->flow()->pages()[i].delay->reasonId != 0) {
            pages->turnTo(static_cast<int>(i));
            break;
        }
    }
    settle();
    gui.click(pageItem("findReasonButton"));
    gui.waitFor([&] { return gui.item("reasonTree") != nullptr; });
    QTest::qWait(400); // the popover's opening runs on real time
    ok = shot("reason-finder") && ok;
    gui.key(Qt::Key_Escape);
    QTest::qWait(300); // the popover's closing runs on real time
    pages->turnTo(editedPage);
    settle();

    pages->flow()->sliderReleased(static_cast<std::size_t>(pages->currentIndex()),
                                  pages->flow()->pages()[static_cast<std::size_t>(pages->currentIndex())].sliderValue /
                                      2);
    settle();
    ok = shot("split-slider") && ok;
    gui.click(pageItem("fineTuneButton"));
    gui.waitFor([&] { return gui.item("assignSplitTimeButton") != nullptr; });
    QTest::qWait(400); // the picker's opening runs on real time
    ok = shot("split-picker") && ok;
    gui.click("splitPickerCancel");
    QTest::qWait(300); // the picker's closing runs on real time

    // "Saving..." while the service takes its time.
    testing::ServiceClient admin(service.port());
    admin.addFault(R"({"kind":"delay","ms":1500,"resource":"SaveDelays","count":1})");
    gui.click("saveButton");
    gui.waitFor([&] { return gui.controller().alerts()->busy(); });
    QTest::qWait(300); // the busy indicator's fade-in runs on real time
    ok = shot("saving") && ok;
    gui.waitFor([&] { return !gui.controller().heatDetail()->saving(); });
    settle();

    gui.click("furnaceButton");
    gui.waitFor([&] { return gui.item("furnaceList") != nullptr; });
    ok = shot("furnace-popover") && ok;
    gui.key(Qt::Key_Escape);

    gui.click("settingsButton");
    gui.waitFor([&] { return gui.item("logoutRow") != nullptr; });
    ok = shot("settings") && ok;
    gui.key(Qt::Key_Escape);
    QTest::qWait(300); // the sheet's closing runs on real time
    // The report over every furnace, on a shift's tab, then the delays of its largest reason.
    gui.click("reportButton");
    gui.waitFor([&] {
        auto* report = gui.controller().findChild<app::ShiftReportController*>();
        return report && !report->running() && gui.item("reportTable") != nullptr;
    });
    if (auto* report = gui.controller().findChild<app::ShiftReportController*>()) {
        report->setTabIndex(1);
        settle();
        ok = shot("shift-report") && ok;
        gui.click("reportLine_0");
        gui.waitFor([&] { return gui.item("reportDelay_0") != nullptr; });
        gui.settle();
        ok = shot("shift-report-delays") && ok;
    }
    gui.key(Qt::Key_Escape); // the delays
    gui.key(Qt::Key_Escape); // the report
    gui.waitFor([&] { return gui.item("reportTable") == nullptr; });
    gui.click("settingsButton");
    gui.waitFor([&] { return gui.item("logoutRow") != nullptr; });
    gui.click("logoutRow");
    gui.waitFor([&] { return gui.controller().alerts()->shown(); });
    ok = shot("logout-confirmation") && ok;
    gui.chooseAlertButton("Logout");
    gui.waitFor([&] { return gui.controller().screen() == "signIn"; });

    gui.type("usernameField", "demo");
    gui.type("passwordField", "wrong");
    gui.click("loginButton");
    gui.waitFor([&] { return gui.controller().alerts()->shown(); });
    ok = shot("sign-in-problem") && ok;
    gui.chooseAlertButton("OK");
    return ok ? 0 : 1;
}

// A busy day: 62 delays a heat, the detail of the first heat with its legends and bars.
int busyDay(const QString& outputDir)
{
    testing::ServiceProcess service({.seed = 3, .extraArguments = {"--delays-per-heat", "62"}});
    QTemporaryDir data;
    testing::GuiDriver gui(testing::GuiDriver::optionsFor(service.baseUrl(), data.path().toStdString()));
    if (!service.running() || !gui.loaded() || !gui.signIn("demo", "demo")) {
        std::fprintf(stderr, "orvendel-screenshots: the busy day did not start\n");
        return 1;
    }
    gui.window()->resize(1280, 800);
    gui.click(gui.listEntry(0));
    gui.waitFor([&] { return gui.controller().heatsList()->model()->rowCount() > 20; });
    gui.click(gui.listEntry(1));
    gui.waitFor([&] { return !gui.controller().heatDetail()->showsEmptyMessage(); });
    gui.waitFor([&] { return !gui.controller().flow().heatsList()->isBusy(); });
    QTest::qWait(400); // page turns and fades come to rest
    const QString path = QDir(outputDir).filePath(QStringLiteral("busy-day.png"));
    if (!gui.grab(path)) {
        return 1;
    }
    std::printf("%s\n", qPrintable(path));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: orvendel-screenshots OUTPUT_DIR\n");
        return 2;
    }
    QDir().mkpath(QString::fromLocal8Bit(argv[1]));
    const int status = run(QString::fromLocal8Bit(argv[1]));
    return busyDay(QString::fromLocal8Bit(argv[1])) == 0 ? status : 1;
}
