// The real window offscreen, driven by mouse and keys against the reference delay service: sign in with
// its focus, clear buttons and Return, the heats, the refresh keys, a heat expanded and a delay selected,
// the furnace popover and a furnace switch with unsaved edits, the settings sheet, the shift report and its
// exports, the sign-out, and the sign-in's failures.
#include "core/editing/edited_delays_manager.hpp"
#include "core/model/screen_notifications.hpp"
#include "core/screens/shift_report_csv.hpp"
#include "core/storage/user_configuration_manager.hpp"
#include "core/support/clock.hpp"
#include "core/version.hpp"
#include "support/gui_driver.hpp"
#include "support/manual_clock.hpp"
#include "support/service_client.hpp"
#include "support/service_process.hpp"
#include "support/test_http_server.hpp"

#include <QDesktopServices>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <memory>

Q_IMPORT_QML_PLUGIN(OrvendelPlugin)

using namespace orvendel;

// Stands in for the desktop's URL handler.
class UrlCatcher : public QObject {
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls.push_back(url); }
};

class GuiTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::ServiceProcess> m_service;
    std::shared_ptr<test::ManualClock> m_clock = std::make_shared<test::ManualClock>(std::chrono::system_clock::now());
    QTemporaryDir m_data;
    std::unique_ptr<testing::GuiDriver> m_gui;

    testing::GuiDriver& gui() { return *m_gui; }
    app::HeatsListController* heats() { return gui().controller().heatsList(); }
    QString alertTitle() { return gui().controller().alerts()->title(); }
    QString alertMessage() { return gui().controller().alerts()->message(); }
    bool alertShown()
    {
        return gui().waitFor([this] { return gui().controller().alerts()->shown(); });
    }
    int modelData(int index, int role)
    {
        auto* model = heats()->model();
        return model->data(model->index(index), role).toInt();
    }
    // An unsaved edit of the selected heat's first delay, as the delay pages would make.
    void editSelectedHeat()
    {
        const auto& flow = gui().controller().flow().heatsList();
        const auto selected = flow->selectedHeatDelay();
        QVERIFY(selected);
        for (const auto& heat : flow->heats()) {
            if (heat->heatId == selected->heatId && heat->delays && !heat->delays->empty()) {
                auto edit = std::make_shared<Delay>(*heat->delays->front());
                edit->isEdited = true;
                gui().controller().context().edits->addEditedDelay(edit);
                // As after every edit: the list reads the heats again with the edits over them.
                gui().controller().context().notificationCenter->post(
                    screen_notifications::ReloadData{{heat->heatId, edit->startDate.date}});
                return;
            }
        }
        QFAIL("the selected heat has no delays");
    }
    QRectF sceneRect(QQuickItem* item) { return item->mapRectToScene(QRectF(0, 0, item->width(), item->height())); }
    // Right edge of the row's title; the row at `index` of the list.
    qreal titleRight(int index)
    {
        auto* entry = gui().listEntry(index);
        auto* title = entry ? entry->findChild<QQuickItem*>("rowTitle") : nullptr;
        return title ? title->mapToItem(entry, QPointF(title->width(), 0)).x() : -1;
    }
    // Presses a refresh key on the heats list; whether the refresh started with its spinner in the bar. Returns
    // once the list has been read again, so that no delegate is replaced under the next test.
    bool refreshKeyShowsTheSpinner(Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        bool started = false;
        bool spinnerInBar = false;
        auto connection = QObject::connect(heats(), &app::HeatsListController::refreshingChanged, [&] {
            if (!heats()->refreshing()) {
                return;
            }
            started = true;
            // Over the navy bar and clear of the list's text, not in the list.
            auto* spinner = gui().item("refreshSpinner");
            auto* bar = gui().item("heatsListBar");
            spinnerInBar = spinner && bar && sceneRect(bar).contains(sceneRect(spinner)) && !gui().item("pullSpinner");
        });
        QSignalSpy reread(heats(), &app::HeatsListController::tableChanged);
        QTest::keyClick(gui().window(), key, modifiers);
        const bool finished = gui().waitFor([&] { return started && !heats()->refreshing() && !reread.isEmpty(); });
        QObject::disconnect(connection);
        return finished && spinnerInBar && !gui().item("refreshSpinner");
    }
    // Opens the popover and taps the first furnace that is not checked; its name.
    QString chooseOtherFurnace()
    {
        if (!gui().click("furnaceButton") || !gui().waitFor([this] { return gui().item("furnaceList"); })) {
            return {};
        }
        auto* selection = gui().item("furnaceList");
        auto* model = selection->property("model").value<QAbstractItemModel*>();
        if (!gui().waitFor([model] { return model && model->rowCount() > 1; })) {
            return {};
        }
        for (int row = 0; row < model->rowCount(); ++row) {
            if (!model->data(model->index(row, 0), Qt::UserRole + 2).toBool()) {
                const QString name = model->data(model->index(row, 0), Qt::UserRole + 1).toString();
                // The popover grows to its rows once they arrive; their delegates follow at the next layout.
                if (!gui().waitFor([&] { return gui().item("furnaceRow_" + name); })) {
                    return {};
                }
                gui().click("furnaceRow_" + name);
                return name;
            }
        }
        return {};
    }

private slots:
    void initTestCase()
    {
        m_service = std::make_unique<testing::ServiceProcess>();
        QVERIFY2(m_service->running(), m_service->logText().c_str());
        auto options = testing::GuiDriver::optionsFor(m_service->baseUrl(), m_data.path().toStdString());
        options.clock = m_clock; // the idle timer's
        m_gui = std::make_unique<testing::GuiDriver>(options);
        QVERIFY(gui().loaded());
    }

    void cleanupTestCase() { m_gui.reset(); }

    void launchFocusesTheUserName()
    {
        // Typed straight away, with no tap first.
        for (const char c : QByteArray("demo")) {
            QTest::keyClick(gui().window(), c);
        }
        QCOMPARE(gui().item("usernameField")->property("text").toString(), QString("demo"));
        QCOMPARE(gui().controller().signIn()->username(), QString("demo"));
        // Tab goes on to the password.
        QTest::keyClick(gui().window(), Qt::Key_Tab);
        QTest::keyClick(gui().window(), 'x');
        QCOMPARE(gui().controller().signIn()->password(), QString("x"));
        // Empty fields with the button enabled, as on an untouched screen.
        QVERIFY(gui().item("loginButton")->isEnabled());
        gui().item("usernameField")->setProperty("text", QString());
        gui().item("passwordField")->setProperty("text", QString());
    }

    void signInFieldsFollowTheRules()
    {
        QVERIFY(gui().item("usernameField"));
        // The hints are written as numbers in the view: they must still mean what they say.
        const auto hints = [&](const char* field) {
            return Qt::InputMethodHints(gui().item(field)->property("inputMethodHints").toInt());
        };
        QCOMPARE(hints("usernameField"), Qt::ImhNoAutoUppercase | Qt::ImhNoPredictiveText);
        QCOMPARE(hints("passwordField"), Qt::ImhHiddenText | Qt::ImhSensitiveData | Qt::ImhNoPredictiveText);
        // Return in the user name moves on to the password.
        gui().item("usernameField")->forceActiveFocus();
        gui().key(Qt::Key_Return);
        QVERIFY(gui().item("passwordField")->hasActiveFocus());
    }

    void clearButtonsEmptyTheirFields()
    {
        QVERIFY(!gui().item("usernameClear"));
        gui().type("usernameField", "demo");
        QVERIFY(gui().item("usernameClear"));
        QVERIFY(!gui().item("passwordClear"));
        gui().type("passwordField", "x");
        QVERIFY(gui().item("passwordClear"));
        QVERIFY(gui().click("usernameClear"));
        QCOMPARE(gui().item("usernameField")->property("text").toString(), QString());
        QCOMPARE(gui().controller().signIn()->username(), QString());
        QVERIFY(!gui().item("usernameClear"));
        QVERIFY(gui().item("usernameField")->hasActiveFocus());
        // The button follows: an empty user name with a password disables it.
        QVERIFY(!gui().item("loginButton")->isEnabled());
        QVERIFY(gui().click("passwordClear"));
        QCOMPARE(gui().controller().signIn()->password(), QString());
        QVERIFY(!gui().item("passwordClear"));
    }

    void returnInThePasswordWaitsForTheLoginButton()
    {
        gui().type("usernameField", "  ");
        gui().type("passwordField", "demo");
        QVERIFY(!gui().item("loginButton")->isEnabled());
        QSignalSpy attempts(gui().controller().signIn(), &app::SignInController::stateChanged);
        gui().key(Qt::Key_Return);
        gui().settle();
        QCOMPARE(attempts.count(), 0);
        QVERIFY(!gui().controller().signIn()->signingIn());
        QVERIFY(!gui().controller().alerts()->shown());
        QCOMPARE(gui().controller().screen(), QString("signIn"));
        gui().item("usernameField")->setProperty("text", QString());
        gui().item("passwordField")->setProperty("text", QString());
        gui().controller().signIn()->setPassword({});
        gui().controller().signIn()->setUsername({});
    }

    void signInShowsTheHeats()
    {
        QVERIFY(gui().signIn("  demo ", "demo"));
        QVERIFY(!heats()->showsEmptyState());
        QVERIFY(!heats()->title().isEmpty());
        QVERIFY(heats()->furnaceButtonEnabled());
        QCOMPARE(gui().controller().flow().userName(), std::string("DEMO"));
        QVERIFY(gui().item("detailEmptyMessage"));
        QCOMPARE(gui().controller().heatDetail()->emptyMessage(), QString("Select an item to display delays"));
    }

    void refreshKeysRefreshWithTheSpinnerInTheBar()
    {
        QVERIFY(refreshKeyShowsTheSpinner(Qt::Key_F5, Qt::NoModifier));
        QVERIFY(refreshKeyShowsTheSpinner(Qt::Key_R, Qt::ControlModifier));
    }

    void expandingAHeatShowsItsDelays()
    {
        const int before = heats()->model()->rowCount();
        auto* header = gui().listEntry(0);
        QVERIFY(header);
        QVERIFY(gui().click(header));
        QVERIFY(gui().waitFor([&] { return heats()->model()->rowCount() > before; }));
        QCOMPARE(modelData(0, app::HeatsListModel::ArrowRotationRole), 90);
        // The arrow turns to its new angle.
        auto* arrow = header->findChild<QQuickItem*>("arrow");
        QVERIFY(arrow);
        QVERIFY(gui().waitFor([arrow] { return qFuzzyCompare(arrow->rotation(), 90.0); }, 2000));
    }

    void reasonsWithoutTheUnknownDotRunToTheMargin()
    {
        int known = -1;
        int unknown = -1;
        for (int i = 1; i < heats()->model()->rowCount() && !modelData(i, app::HeatsListModel::IsHeaderRole); ++i) {
            (modelData(i, app::HeatsListModel::UnknownRole) ? unknown : known) = i;
        }
        QVERIFY2(known > 0 && unknown > 0, "the first heat has both kinds of rows");
        const qreal width = gui().listEntry(known)->width();
        QCOMPARE(titleRight(known), width - 16);
        QVERIFY(titleRight(unknown) <= width - 16 - 26 - 8); // stops before the dot
    }

    void selectingADelayShowsItsHeat()
    {
        QVERIFY(gui().click(gui().listEntry(1)));
        QVERIFY(gui().waitFor([this] { return !gui().controller().heatDetail()->showsEmptyMessage(); }));
        QCOMPARE(modelData(1, app::HeatsListModel::SelectedRole), 1);
        QCOMPARE(heats()->highlightedIndex(), 1);
        QVERIFY(gui().controller().heatDetail()->heatTitle().startsWith("Heat "));
        QVERIFY(gui().item("heatTitle"));
    }

    void furnacePopoverHangsFromItsButton()
    {
        auto* button = gui().item("furnaceButton");
        QVERIFY(gui().click(button));
        QVERIFY(gui().waitFor([this] { return gui().item("furnaceRow_EAF 3"); }));
        const QRectF buttonRect = sceneRect(button);
        const QRectF popover = sceneRect(gui().item("furnacePopover"));
        const QRectF arrow = sceneRect(gui().item("furnacePopoverArrow"));
        QVERIFY(popover.left() < buttonRect.center().x() && buttonRect.center().x() < popover.right());
        QVERIFY(popover.top() > buttonRect.bottom());
        QCOMPARE(arrow.center().x(), buttonRect.center().x());
        QVERIFY(arrow.top() >= buttonRect.bottom() && arrow.bottom() <= popover.top());
        // Three furnaces: as tall as the bar and the rows, no empty strip under them.
        auto* list = gui().item("furnaceList");
        QCOMPARE(list->property("count").toInt(), 3);
        const QRectF rows = sceneRect(list);
        QCOMPARE(rows.height(), 3 * 44.0);
        QCOMPARE(rows.bottom(), popover.bottom());
        gui().key(Qt::Key_Escape);
        QVERIFY(gui().waitFor([this] { return !gui().item("furnaceList"); }));
    }

    void switchingFurnaceWithUnsavedEditsAsksFirst()
    {
        editSelectedHeat();
        QVERIFY(gui().waitFor([this] { return modelData(1, app::HeatsListModel::EditedRole) == 1; }));
        // "Yes" drops the edits and shows the other furnace.
        const QString other = chooseOtherFurnace();
        QVERIFY(alertShown());
        QCOMPARE(alertTitle(), QString("You have unsaved delays. Do you want to proceed?"));
        QVERIFY(gui().chooseAlertButton("Yes"));
        const bool switched = gui().waitFor([&] { return heats()->title() == other; });
        QVERIFY2(switched, qPrintable(heats()->title() + " / " + other + " / " + alertTitle()));
        QVERIFY(gui().waitFor([this] { return !heats()->refreshing(); }));
        QCOMPARE(gui().controller().heatDetail()->emptyMessage(), QString("Select an item to display delays"));
    }

    // Storing and announcing the option is the flow's; here the tap, the keys and the drawn track.
    void settingsSwitchFollowsTapsAndKeys()
    {
        QVERIFY(gui().click("settingsButton"));
        QVERIFY(gui().waitFor([this] { return gui().item("autoSaveSwitch"); }));
        auto* toggle = gui().item("autoSaveSwitch");
        auto* settings = gui().controller().settings();
        const bool before = toggle->property("checked").toBool();
        QVERIFY(gui().click(toggle));
        QVERIFY(gui().waitFor([&] { return settings->autoSaveEnabled() == !before; }));
        // On, the track takes the accent colour.
        auto* track = gui().item("autoSaveTrack");
        const QColor accent(0, 122, 255);
        const auto trackColor = [track] { return track->property("color").value<QColor>(); };
        QVERIFY(gui().waitFor([&] { return (trackColor() == accent) == !before; }, 2000));
        // The keyboard flips it back.
        toggle->forceActiveFocus();
        gui().key(Qt::Key_Return);
        QVERIFY(gui().waitFor([&] { return settings->autoSaveEnabled() == before; }));
        // Escape closes the sheet.
        gui().key(Qt::Key_Escape);
        QVERIFY(gui().waitFor([this] { return !gui().item("autoSaveSwitch"); }));
    }

    void settingsSheetHasRoundedTopCorners()
    {
        QVERIFY(gui().click("settingsButton"));
        // Open once its close button has the focus; then laid out and drawn.
        QVERIFY(gui().waitFor([this] {
            auto* close = gui().item("closeSettingsButton");
            return close && close->hasActiveFocus();
        }));
        gui().settle();
        const QRectF bar = sceneRect(gui().item("settingsBar"));
        const QImage shot = gui().window()->grabWindow();
        const qreal scale = shot.width() / gui().window()->width();
        const auto navy = [&](QPointF at) {
            const QColor c = shot.pixelColor((at * scale).toPoint());
            // The bar's own colour; the dimmed list headers behind the sheet come close, so the margin is small.
            return std::abs(c.red() - 10) < 8 && std::abs(c.green() - 51) < 8 && std::abs(c.blue() - 83) < 8;
        };
        QVERIFY(navy(QPointF(bar.center().x(), bar.top() + 1)));
        QVERIFY(!navy(bar.topLeft()));
        QVERIFY(!navy(QPointF(bar.right() - 1, bar.top())));
        gui().key(Qt::Key_Escape);
        QVERIFY(gui().waitFor([this] { return !gui().item("settingsBar"); }));
    }

    // From the heats list's bar to a delay's page by keys and taps: the report button, the heats list's
    // furnace, a shift tab, then a reason and one of its delays.
    void reportOpensByKeysAndSwitchesShift()
    {
        // The first furnace's download fails: its line says so and the others are still reported.
        testing::ServiceClient admin(m_service->port());
        QCOMPARE(admin.addFault(R"({"resource":"Last24HoursDelays","kind":"http500-html","count":1})").status, 200);
        gui().item("settingsButton")->forceActiveFocus(Qt::TabFocusReason);
        gui().key(Qt::Key_Tab);
        QVERIFY(gui().item("reportButton")->hasActiveFocus());
        gui().key(Qt::Key_Return);
        QVERIFY(gui().waitFor([this] { return gui().item("reportTable"); }));
        auto* report = gui().controller().findChild<app::ShiftReportController*>();
        QVERIFY(report);
        QVERIFY(gui().waitFor([report] { return !report->running(); }));
        const auto& furnaces = report->flow()->furnaces();
        QVERIFY(furnaces.size() > 1 && furnaces[0].error && !furnaces[1].error);
        QCOMPARE(report->errorLines().size(), 1);
        QVERIFY(report->errorLines()[0].startsWith(QString::fromStdString(furnaces[0].furnace.name) + ": "));
        QVERIFY(gui().item("reportError"));

        // The heats list's furnace, with the arrow keys on the switch.
        auto* furnaceBox = gui().item("reportFurnaceBox");
        furnaceBox->forceActiveFocus(Qt::TabFocusReason);
        const int wanted = report->furnaceNames().indexOf(heats()->title());
        QVERIFY(wanted > 0);
        for (int i = 0; i < wanted; ++i) {
            gui().key(Qt::Key_Down);
        }
        QCOMPARE(report->furnaceIndex(), wanted);

        // The tabs follow the arrows; the first shift with time in it.
        gui().key(Qt::Key_Tab);
        gui().key(Qt::Key_Tab);
        QVERIFY(gui().item("reportTabs")->hasActiveFocus());
        do {
            gui().key(Qt::Key_Right);
        } while (report->rows()->count() == 0 && report->tabIndex() < report->tabs().size() - 1);
        QVERIFY(report->tabIndex() > 0);
        QVERIFY(report->rows()->count() > 0);
    }

    // The files hold the furnace and the shift on screen, not the whole report.
    void reportExportsWhatItShows()
    {
        auto* report = gui().controller().findChild<app::ShiftReportController*>();
        QVERIFY(report && gui().item("reportTable"));
        const auto& furnace = report->flow()->furnaces()[static_cast<std::size_t>(report->furnaceIndex()) - 1];
        const auto expected =
            screens::reportCsv({{furnace.furnace.name, &furnace.tally}}, screens::ReportGrouping::reason,
                               static_cast<std::size_t>(report->tabIndex()) - 1);
        QTemporaryDir folder;
        const QString csv = folder.filePath("report.csv");
        QCOMPARE(report->exportCsv(QUrl::fromLocalFile(csv).toString()), QString());
        QFile written(csv);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll().toStdString(), expected);

        const QString pdf = folder.filePath("report.pdf");
        QCOMPARE(report->exportPdf(pdf), QString());
        QFile printed(pdf);
        QVERIFY(printed.open(QIODevice::ReadOnly));
        QVERIFY(printed.read(4) == "%PDF");
        // A folder that is not there is said, not a crash or an empty success.
        QVERIFY(!report->exportPdf(folder.filePath("missing/report.pdf")).isEmpty());
    }

    void reportReasonLeadsToItsDelayPage()
    {
        auto* report = gui().controller().findChild<app::ShiftReportController*>();
        QVERIFY(report && gui().item("reportTable"));
        QVERIFY(gui().waitFor([this] { return gui().item("reportLine_0"); }));
        QVERIFY(gui().click("reportLine_0"));
        QVERIFY(gui().waitFor([this] { return gui().item("reportDelay_0"); }));
        const auto listed = report->listedDelay(0);
        QVERIFY(listed);
        QVERIFY(gui().click("reportDelay_0"));
        QVERIFY(gui().waitFor([&] { return gui().controller().flow().heatsList()->selectedHeatDelay() == listed; }));
        // The heat detail shows that heat, on that delay's page.
        QVERIFY(gui().waitFor([this] { return !gui().controller().heatDetail()->showsEmptyMessage(); }));
        const auto& flow = gui().controller().heatDetail()->flow();
        QVERIFY(flow->heat() && flow->heat()->heatId == listed->heatId);
        const auto& delays = *flow->heat()->delays;
        const auto page = gui().controller().heatDetail()->pages()->currentIndex();
        QVERIFY(page >= 0 && page < static_cast<int>(delays.size()));
        QCOMPARE(delays[static_cast<std::size_t>(page)]->startDate.date, listed->delayStartDate);

        // A delay of a furnace the heats list does not show: the list switches to it, then the delay opens.
        QVERIFY(gui().click("reportButton"));
        QVERIFY(gui().waitFor([this] { return gui().item("reportTable"); }));
        // The first report's controller goes at a later turn of the loop.
        QVERIFY(gui().waitFor(
            [this] { return gui().controller().findChildren<app::ShiftReportController*>().size() == 1; }));
        auto* again = gui().controller().findChild<app::ShiftReportController*>();
        QVERIFY(gui().waitFor([&] { return !again->running(); }));
        const int shown = gui().controller().flow().heatsList()->furnace()->id;
        const auto& furnaces = again->flow()->furnaces();
        const auto other = std::find_if(furnaces.begin(), furnaces.end(),
                                        [&](const auto& f) { return f.furnace.id != shown && !f.heats.empty(); });
        QVERIFY(other != furnaces.end());
        again->setFurnaceIndex(static_cast<int>(other - furnaces.begin()) + 1);
        QVERIFY(gui().waitFor([this] { return gui().item("reportLine_0"); }));
        QVERIFY(gui().click("reportLine_0"));
        QVERIFY(gui().waitFor([this] { return gui().item("reportDelay_0"); }));
        const auto elsewhere = again->listedDelay(0);
        QVERIFY(elsewhere);
        QVERIFY(gui().click("reportDelay_0"));
        QVERIFY(gui().waitFor([&] {
            if (gui().controller().alerts()->shown()) {
                gui().chooseAlertButton("Yes"); // edits of the shown furnace at risk
            }
            return gui().controller().flow().heatsList()->selectedHeatDelay() == elsewhere;
        }));
        QCOMPARE(gui().controller().flow().heatsList()->furnace()->id, other->furnace.id);
        QVERIFY(gui().waitFor([&] {
            const auto& heat = gui().controller().heatDetail()->flow()->heat();
            return heat && heat->heatId == elsewhere->heatId;
        }));
    }

    void inputKeepsTheMainScreenUntilFiveIdleMinutes()
    {
        using std::chrono::seconds;
        QCOMPARE(gui().controller().screen(), QString("main"));
        gui().key(Qt::Key_Shift); // any input restarts the countdown
        m_clock->advance(seconds(299));
        QCoreApplication::processEvents();
        gui().key(Qt::Key_Shift);
        m_clock->advance(seconds(299));
        QCoreApplication::processEvents();
        QCOMPARE(gui().controller().screen(), QString("main"));
        m_clock->advance(seconds(2));
        QVERIFY(gui().waitFor([this] { return gui().controller().screen() == "signIn"; }));
        QVERIFY(gui().signIn("demo", "demo"));
    }

    void minimisingTheWindowLeavesForTheSignInScreen()
    {
        QCOMPARE(gui().controller().screen(), QString("main"));
        gui().window()->showMinimized();
        QVERIFY(gui().waitFor([this] { return gui().controller().screen() == "signIn"; }));
        if (QGuiApplication::platformName().startsWith("wayland")) {
            // A Wayland client may minimise itself but not come back: restoring is the compositor's act, which
            // the test cannot perform. A fresh surface stands in for it.
            gui().window()->setWindowState(Qt::WindowNoState);
            gui().window()->hide();
            gui().window()->show();
        } else {
            gui().window()->showNormal();
        }
        QVERIFY(QTest::qWaitForWindowExposed(gui().window()));
        // On the offscreen platform the window may pass through the minimised state once more on its way
        // back: the state changes still queued are delivered first.
        gui().settle();
        if (gui().window()->visibility() == QWindow::Minimized) {
            gui().window()->showNormal();
            QVERIFY(QTest::qWaitForWindowExposed(gui().window()));
        }
        QVERIFY(gui().signIn("demo", "demo"));
    }

    void logoutAsksAndReturnsToSignIn()
    {
        QVERIFY(gui().click("settingsButton"));
        QVERIFY(gui().waitFor([this] { return gui().item("logoutRow"); }));
        QVERIFY(gui().click("logoutRow"));
        QVERIFY(alertShown());
        gui().key(Qt::Key_Escape); // "Cancel"
        QVERIFY(!gui().controller().alerts()->shown());
        QCOMPARE(gui().controller().screen(), QString("main"));

        QVERIFY(gui().click("logoutRow"));
        QVERIFY(alertShown());
        QVERIFY(gui().chooseAlertButton("Logout"));
        QVERIFY(gui().waitFor([this] { return gui().controller().screen() == "signIn"; }));
        QVERIFY(gui().waitFor([this] { return gui().item("usernameField"); }));
        QVERIFY(!gui().controller().flow().isSignedIn());
        // The new sign-in screen takes typing at once too.
        QVERIFY(gui().item("usernameField")->hasActiveFocus());
    }

    // The update offer against a scripted store: "Update" hands the store's web page to the desktop, "Not Now"
    // nothing. Which addresses are offered at all is the update check's.
    void theUpdateOfferOpensOnlyTheStoresWebPage()
    {
        test::TestHttpServer store;
        const auto reply = [](const std::string& address) {
            const nlohmann::json entry{
                {"bundleId", build::applicationIdentifier}, {"version", "99.0"}, {"trackViewUrl", address}};
            return nlohmann::json{{"resultCount", 1}, {"results", nlohmann::json::array({entry})}}.dump();
        };
        UrlCatcher opened;
        QDesktopServices::setUrlHandler("https", &opened, "open");
        const auto offer = [&](const std::string& address, Qt::Key answer) {
            store.setCannedReply(reply(address));
            QTemporaryDir data;
            auto options =
                testing::GuiDriver::optionsFor("http://127.0.0.1:9/DelaysApi/Delays", data.path().toStdString());
            options.checkForUpdates = true;
            options.storeSearchURL = store.url("/canned");
            const int before = store.requestCount();
            testing::GuiDriver app(options);
            if (!app.loaded() || !app.waitFor([&] { return store.requestCount() > before; })) {
                return QStringLiteral("no store request");
            }
            if (!app.waitFor([&] { return app.controller().alerts()->title() == "Update Available"; }, 3000)) {
                return QStringLiteral("no offer");
            }
            // The question's answer has the keys.
            if (!app.waitFor([&] {
                    return app.window()->activeFocusItem() &&
                           app.window()->activeFocusItem()->objectName() == "alertButton_Update";
                })) {
                return QStringLiteral("Update not focused");
            }
            app.key(answer);
            app.waitFor([&] { return !app.controller().alerts()->shown(); });
            return QStringLiteral("answered");
        };
        QCOMPARE(offer("https://store.example/orvendel", Qt::Key_Escape), QString("answered"));
        QVERIFY(opened.urls.isEmpty());
        QCOMPARE(offer("https://store.example/orvendel", Qt::Key_Return), QString("answered"));
        QTRY_COMPARE(opened.urls, QList<QUrl>{QUrl("https://store.example/orvendel")});
        QDesktopServices::unsetUrlHandler("https");
    }
};

QTEST_MAIN(GuiTest)
#include "gui_test.moc"
