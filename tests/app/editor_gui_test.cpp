// The heat detail driven on the real window offscreen against the reference delay service, by mouse and
// keys: page turns, a comment through the comment editor, splits with the slider and with the wheel picker,
// undo, saving with the button and automatically, and a save the service cannot take.
#include "app/controllers/heats_list_model.hpp"
#include "app/controllers/reason_finder_controller.hpp"
#include "core/editing/edited_delays_manager.hpp"
#include "core/screens/split_time.hpp"
#include "core/storage/user_configuration_manager.hpp"
#include "support/gui_driver.hpp"
#include "support/service_process.hpp"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <QtQml/qqmlextensionplugin.h>

#include <cmath>
#include <memory>

Q_IMPORT_QML_PLUGIN(OrvendelPlugin)

using namespace orvendel;

class EditorGuiTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::ServiceProcess> m_service;
    QTemporaryDir m_data;
    std::unique_ptr<testing::GuiDriver> m_gui;

    testing::GuiDriver& gui() { return *m_gui; }
    app::DelayPagesController* pages() { return gui().controller().heatDetail()->pages(); }
    app::HeatDetailController* detail() { return gui().controller().heatDetail(); }
    const flows::DelayPage& currentPage() { return pages()->flow()->pages()[pages()->flow()->currentIndex()]; }
    bool alertShown()
    {
        return gui().waitFor([this] { return gui().controller().alerts()->shown(); });
    }
    QString alertTitle() { return gui().controller().alerts()->title(); }

    // A control of the page in view.
    QQuickItem* pageItem(const QString& name)
    {
        auto* page = gui().item(QStringLiteral("delayPage_%1").arg(pages()->currentIndex()));
        if (!page) {
            return nullptr;
        }
        for (auto* child : page->findChildren<QQuickItem*>(name)) {
            if (child->isVisible()) {
                return child;
            }
        }
        return nullptr;
    }
    // The page in view has come to rest where the list shows it (turns are animated).
    bool pageInView()
    {
        return gui().waitFor([this] {
            auto* list = gui().item("delayPages");
            auto* page = gui().item(QStringLiteral("delayPage_%1").arg(pages()->currentIndex()));
            return list && page && std::abs(page->mapToScene({0, 0}).x() - list->mapToScene({0, 0}).x() - 10) < 0.5;
        });
    }
    bool clickOnPage(const QString& name) { return pageInView() && gui().click(pageItem(name)); }

    // Turns to the first page whose delay is at least `seconds` long and not edited; false when none is.
    bool turnToDelayOfAtLeast(double seconds)
    {
        const auto& all = pages()->flow()->pages();
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (all[i].model->splitLength() >= seconds && !all[i].delay->isEdited) {
                pages()->turnTo(static_cast<int>(i));
                return gui().waitFor([&] { return pages()->currentIndex() == static_cast<int>(i); }) && pageInView();
            }
        }
        return false;
    }

    std::vector<DelayPtr> storedEdits()
    {
        std::vector<DelayPtr> edits;
        const auto& store = gui().controller().context().edits;
        store->getAllEditedDelays([&](std::vector<DelayPtr> all) { edits = std::move(all); });
        store->drain();
        return edits;
    }

    // Writes a comment on the page in view through the comment editor.
    bool writeComment(const QString& text)
    {
        // Not while a download is about to rebuild the pages.
        if (!gui().waitFor([this] { return !gui().controller().flow().heatsList()->isBusy(); }) || !pageInView()) {
            qWarning("the pages did not come to rest");
            return false;
        }
        if (!clickOnPage(pageItem("addCommentButton") ? "addCommentButton" : "commentsTextView") ||
            !gui().waitFor([this] { return gui().item("commentField"); })) {
            qWarning("no comment editor");
            return false;
        }
        auto* field = gui().item("commentField");
        field->setProperty("text", QString());
        gui().type("commentField", text);
        return gui().click("commentEditorUpdate") && gui().waitFor([this] { return !gui().item("commentField"); });
    }

    int shownHeatDelayCount() { return static_cast<int>(detail()->flow()->heat()->delays->size()); }

    // "Undo Changes" tapped on the page in view, its question answered "Yes" by Return: the edits are gone.
    bool undoWithReturn()
    {
        if (!clickOnPage("undoChangesButton") ||
            !gui().waitFor([this] { return focusedName() == "alertButton_Yes"; })) {
            return false;
        }
        gui().key(Qt::Key_Return);
        return gui().waitFor([this] { return storedEdits().empty(); });
    }

    QQuickItem* focused() { return gui().window()->activeFocusItem(); }
    QString focusedName() { return focused() ? focused()->objectName() : QString(); }
    // The keys are on a control of the page in view.
    bool focusOnPage()
    {
        auto* page = gui().item(QStringLiteral("delayPage_%1").arg(pages()->currentIndex()));
        return page && focused() && page->isAncestorOf(focused());
    }
    // Once round the whole Tab chain: no control of a page out of view (kept by the list for reuse) takes the keys.
    bool tabChainSkipsPagesOutOfView()
    {
        auto* inView = pages()->currentIndex() >= 0
                           ? gui().item(QStringLiteral("delayPage_%1").arg(pages()->currentIndex()))
                           : nullptr;
        QQuickItem* first = focused();
        for (int step = 0; step < 60; ++step) {
            gui().key(Qt::Key_Tab);
            for (auto* item = focused(); item; item = item->parentItem()) {
                if (item->objectName().startsWith(QStringLiteral("delayPage_")) && item != inView) {
                    qWarning() << "Tab reached" << focusedName() << "on" << item->objectName();
                    return false;
                }
            }
            if (focused() == first) {
                return true;
            }
        }
        return true;
    }
    // Tab until the control of that name has the keys; false when the chain never reaches it.
    bool tabTo(const QString& name)
    {
        for (int step = 0; step < 40 && focusedName() != name; ++step) {
            gui().key(Qt::Key_Tab);
        }
        return focusedName() == name;
    }
    // In the open reason finder, by keys only: opens categories down to the first leaf that is not checked and
    // checks it. Its description, empty when none was found.
    QString checkAnotherReasonByKeys()
    {
        auto* tree = gui().item("reasonTree");
        auto* rows = tree ? tree->property("model").value<QAbstractItemModel*>() : nullptr;
        if (!rows || !gui().waitFor([rows] { return rows->rowCount() > 0; })) {
            return {};
        }
        using Roles = app::ReasonRowsModel;
        const auto data = [rows](int row, int role) { return rows->data(rows->index(row, 0), role); };
        for (int step = 0; step < 60; ++step) {
            const int row = tree->property("currentIndex").toInt();
            if (row < 0) {
                return {};
            }
            if (!data(row, Roles::IsCategoryRole).toBool() && !data(row, Roles::IsCheckedRole).toBool()) {
                gui().key(Qt::Key_Return);
                return gui().waitFor([&] { return data(row, Roles::IsCheckedRole).toBool(); })
                           ? data(row, Roles::DescriptionRole).toString()
                           : QString();
            }
            if (data(row, Roles::IsCategoryRole).toBool() && !data(row, Roles::IsExpandedRole).toBool()) {
                gui().key(Qt::Key_Return);
                gui().waitFor([&] { return data(row, Roles::IsExpandedRole).toBool(); });
            } else {
                gui().key(Qt::Key_Down);
            }
        }
        return {};
    }

private slots:
    void initTestCase()
    {
        m_service = std::make_unique<testing::ServiceProcess>(
            testing::ServiceProcessOptions{.seed = 1, .extraArguments = {"--add-user", "ann:annpw"}});
        QVERIFY2(m_service->running(), m_service->logText().c_str());
        m_gui = std::make_unique<testing::GuiDriver>(
            testing::GuiDriver::optionsFor(m_service->baseUrl(), m_data.path().toStdString()));
        QVERIFY(gui().loaded());
        QVERIFY(gui().signIn("demo", "demo"));
        QVERIFY(gui().click(gui().listEntry(0))); // the newest heat opens
        QVERIFY(gui().waitFor([this] { return gui().controller().heatsList()->model()->rowCount() > 2; }));
        QVERIFY(gui().click(gui().listEntry(1)));
        QVERIFY(gui().waitFor([this] { return !detail()->showsEmptyMessage(); }));
    }

    void cleanupTestCase() { m_gui.reset(); }

    void pagesTurnWithTheKeysAndTheListAndChartsFollow()
    {
        QVERIFY(pages()->count() >= 2);
        QCOMPARE(pages()->currentIndex(), 0);
        QVERIFY(gui().item("delayPage_0"));
        gui().item("delayPages")->forceActiveFocus();
        gui().key(Qt::Key_Right);
        QVERIFY(gui().waitFor([this] { return pages()->currentIndex() == 1; }));
        const Instant second = pages()->flow()->pages()[1].delay->startDate.date;
        QVERIFY(gui().waitFor([&] { return detail()->flow()->selectedDelayStartDate() == second; }));
        QVERIFY(gui().waitFor([this] { return gui().controller().heatsList()->highlightedIndex() == 2; }));
        gui().key(Qt::Key_Left);
        QVERIFY(gui().waitFor([this] { return pages()->currentIndex() == 0; }));
        gui().key(Qt::Key_Left); // before the first page: nothing
        gui().settle();
        QCOMPARE(pages()->currentIndex(), 0);

        // A swipe to the left over the page turns to the next one.
        {
            auto* title = pageItem("delayTypeLabel");
            QVERIFY(title);
            const QPointF from = title->mapToScene({title->width() * 0.9, title->height() / 2});
            QTest::mousePress(gui().window(), Qt::LeftButton, {}, from.toPoint());
            for (int step = 1; step <= 10; ++step) {
                QTest::mouseMove(gui().window(), (from - QPointF(step * title->width() * 0.08, 0)).toPoint(), 16);
            }
            QTest::mouseRelease(gui().window(), Qt::LeftButton, {}, (from - QPointF(title->width() * 0.8, 0)).toPoint(),
                                16);
            QVERIFY(gui().waitFor([this] { return pages()->currentIndex() == 1; }));
            QVERIFY(pageInView());
            QVERIFY(gui().waitFor([this] { return gui().controller().heatsList()->highlightedIndex() == 2; }));
            pages()->turnTo(0);
            QVERIFY(pageInView());
        }

        // A tap on a later delay's segment in the power-off chart (the widest, to be sure to hit it) brings
        // its page.
        auto* chart = detail()->powerOffChart();
        const auto& segments = chart->segments();
        int segment = -1;
        int delayIndex = -1;
        double widest = 0;
        for (int i = 0; i < static_cast<int>(segments.size()); ++i) {
            const int index = chart->delayIndexAt(i);
            if (index > 0 && segments[static_cast<std::size_t>(i)].frame.width() > widest) {
                segment = i;
                delayIndex = index;
                widest = segments[static_cast<std::size_t>(i)].frame.width();
            }
        }
        QVERIFY(delayIndex > 0);
        QVERIFY(gui().click(gui().item(QStringLiteral("powerOffSegmentContainer")),
                            segments[static_cast<std::size_t>(segment)].frame.center()));
        QVERIFY(gui().waitFor([&] { return pages()->currentIndex() == delayIndex; }));
        QVERIFY(gui().waitFor([&] { return detail()->powerOffChart()->property("selectedIndex").toInt() == segment; }));
        pages()->turnTo(0);
        QVERIFY(pageInView());
    }

    void aCommentIsWrittenInTheEditorWithinItsLimit()
    {
        QVERIFY(clickOnPage(pageItem("addCommentButton") ? "addCommentButton" : "commentsTextView"));
        QVERIFY(gui().waitFor([this] { return gui().item("commentField"); }));
        auto* field = gui().item("commentField");
        field->setProperty("text", QString());
        gui().type("commentField", "Ladle late");
        QCOMPARE(gui().item("characterCountLabel")->property("text").toString(), QString("10/120"));
        // A paste past 120 characters is refused whole, as the service would refuse it.
        QMetaObject::invokeMethod(field, "insert", Q_ARG(int, 10), Q_ARG(QString, QString(111, QChar('x'))));
        QCOMPARE(field->property("text").toString(), QString("Ladle late"));
        QMetaObject::invokeMethod(field, "insert", Q_ARG(int, 10), Q_ARG(QString, QString(110, QChar('x'))));
        QCOMPARE(gui().item("characterCountLabel")->property("text").toString(), QString("120/120"));
        field->setProperty("text", QString());
        gui().type("commentField", "  Ladle late ");
        QVERIFY(gui().click("commentEditorUpdate"));
        QVERIFY(gui().waitFor([this] { return !gui().item("commentField"); }));
        QVERIFY(gui().waitFor([this] { return currentPage().delay->comment == std::string("Ladle late"); }));
        QVERIFY(pageItem("unsavedLabel"));
        QVERIFY(pageItem("undoChangesButton"));
        QVERIFY(gui().waitFor([this] { return detail()->saveButtonEnabled(); }));

        // Close leaves the delay as it was.
        QVERIFY(clickOnPage("commentsTextView"));
        QVERIFY(gui().waitFor([this] { return gui().item("commentField"); }));
        gui().type("commentField", " more");
        QVERIFY(gui().click("commentEditorClose"));
        QVERIFY(gui().waitFor([this] { return !gui().item("commentField"); }));
        gui().settle();
        QCOMPARE(currentPage().shown().comment, std::optional<std::string>("Ladle late"));
    }

    void thePickersValueMovesTheSliderAndDecidesTheSplitButton()
    {
        QVERIFY(turnToDelayOfAtLeast(40));
        QVERIFY(clickOnPage("fineTuneButton"));
        QVERIFY(gui().waitFor([this] { return gui().item("assignSplitTimeButton") && gui().item("secondWheel"); }));
        // The wheels open on the thumb: the delay's end.
        const auto thumb = screens::SplitTime::elapsedComponents(currentPage().delay->startDate.date,
                                                                 currentPage().delay->endDate.date);
        QVERIFY(thumb);
        QVERIFY(gui().waitFor([&] {
            return gui().item("minuteWheel")->property("currentIndex").toInt() == thumb->minutes &&
                   gui().item("secondWheel")->property("currentIndex").toInt() == thumb->seconds;
        }));
        // Walk every wheel to its first row, then the seconds to 20.
        for (const char* name : {"hourWheel", "minuteWheel", "secondWheel"}) {
            auto* wheel = gui().item(name);
            wheel->forceActiveFocus();
            while (wheel->property("currentIndex").toInt() > 0) {
                gui().key(Qt::Key_Up);
            }
        }
        QVERIFY(!gui().item("assignSplitTimeButton")->isEnabled()); // the start itself
        QCOMPARE(gui().item("splitTimeValueLabel")->property("text").toString(), QString("-"));
        for (int i = 0; i < 18; ++i) {
            gui().key(Qt::Key_Down);
        }
        // By mouse: a wheel notch turns one row, a tap on the row below picks it.
        auto* seconds = gui().item("secondWheel");
        const QPoint middle = seconds->mapToScene({seconds->width() / 2, seconds->height() / 2}).toPoint();
        QWheelEvent notch(middle, gui().window()->mapToGlobal(middle), {}, {0, -120}, Qt::NoButton, {},
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(gui().window(), &notch);
        QVERIFY(gui().waitFor([seconds] { return seconds->property("currentIndex").toInt() == 19; }));
        // A drag up by a row's height turns one row on, a tap on a neighbouring row picks it.
        const int rowHeight = static_cast<int>(seconds->height() / 3);
        QTest::mousePress(gui().window(), Qt::LeftButton, {}, middle);
        for (int step = 1; step <= 4; ++step) {
            QTest::mouseMove(gui().window(), middle - QPoint(0, step * rowHeight / 4), 16);
        }
        QTest::mouseRelease(gui().window(), Qt::LeftButton, {}, middle - QPoint(0, rowHeight), 16);
        // The wheel comes to rest on its row before the next tap.
        const auto restsOn = [&](int row) {
            return gui().waitFor([&] {
                auto* item = gui().item(QStringLiteral("secondWheelRow_%1").arg(row));
                return item &&
                       std::abs(item->mapToItem(seconds, {0, item->height() / 2}).y() - seconds->height() / 2) < 1;
            });
        };
        QVERIFY(gui().waitFor([seconds] { return seconds->property("currentIndex").toInt() == 20; }) && restsOn(20));
        QVERIFY(gui().click(gui().item("secondWheelRow_19")));
        QVERIFY(gui().waitFor([seconds] { return seconds->property("currentIndex").toInt() == 19; }) && restsOn(19));
        QVERIFY(gui().click(gui().item("secondWheelRow_20")));
        QVERIFY(gui().waitFor([seconds] { return seconds->property("currentIndex").toInt() == 20; }));
        QVERIFY(gui().waitFor([this] { return gui().item("assignSplitTimeButton")->isEnabled(); }));
        QVERIFY(gui().click("assignSplitTimeButton"));
        QVERIFY(gui().waitFor([this] { return !gui().item("assignSplitTimeButton"); }));
        QCOMPARE(currentPage().sliderValue, 20.0);
        QVERIFY(currentPage().splitEnabled); // re-checked at once, not at the next release
        QVERIFY(gui().waitFor([this] { return pageItem("splitDelayButton")->isEnabled(); }));
        QCOMPARE(pageItem("fineTuneButton")->property("text").toString(), QString("0:00:20"));
        QVERIFY(clickOnPage("splitDelayButton"));
        QVERIFY(alertShown());
        QVERIFY(gui().chooseAlertButton("Split"));
        QVERIFY(gui().waitFor([this] { return currentPage().delay->isEdited; }));
    }

    void undoAsksAndDropsThePagesEdits()
    {
        const auto before = storedEdits().size();
        QVERIFY(clickOnPage("undoChangesButton"));
        QVERIFY(alertShown());
        QVERIFY(gui().chooseAlertButton("Yes"));
        QVERIFY(gui().waitFor([&] { return storedEdits().size() == before - 2; })); // both pieces
        QVERIFY(gui().waitFor([this] { return !pageItem("unsavedLabel"); }));
    }

    void anUnknownDelayIsClassifiedThroughTheFinder()
    {
        // A page whose delay has no reason the tree shows.
        const auto& all = pages()->flow()->pages();
        std::size_t unknown = all.size();
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (all[i].delay->reasonId == 0 && !all[i].delay->isEdited) {
                unknown = i;
                break;
            }
        }
        QVERIFY2(unknown < all.size(), "no unclassified delay in the newest heat");
        pages()->turnTo(static_cast<int>(unknown));
        QVERIFY(pageInView());
        QVERIFY(clickOnPage("findReasonButton"));
        QVERIFY(gui().waitFor([this] { return gui().item("reasonTree"); }));
        const QString chosen = checkAnotherReasonByKeys();
        QVERIFY(!chosen.isEmpty());
        QVERIFY(gui().item("reasonFinderAssign")->isEnabled());
        QVERIFY(gui().click("reasonFinderAssign"));
        QVERIFY(gui().waitFor([this] { return !gui().item("reasonTree"); }));
        QVERIFY(gui().waitFor([&] {
            return currentPage().delay->isEdited &&
                   QString::fromStdString(currentPage().delay->reasonDescription) == chosen;
        }));
        QVERIFY(pageItem("unsavedLabel"));
        // The list shows the new reason too.
        QVERIFY(gui().waitFor([&] {
            auto* model = gui().controller().heatsList()->model();
            const int index = gui().controller().heatsList()->highlightedIndex();
            return index >= 0 && model->data(model->index(index), app::HeatsListModel::TitleRole).toString() == chosen;
        }));
    }

    void theSaveButtonSendsTheEdits()
    {
        QVERIFY(!storedEdits().empty());
        QVERIFY(gui().item("saveButton")->isEnabled());
        QVERIFY(gui().click("saveButton"));
        QVERIFY(gui().waitFor([this] { return storedEdits().empty() && !detail()->saving(); }));
        QVERIFY(gui().waitFor([this] { return !currentPage().delay->isEdited; }));
        QVERIFY(!gui().controller().alerts()->shown());
        QVERIFY(!gui().item("saveButton")->isEnabled());
    }

    void automaticSavingSendsEveryEditAtOnce()
    {
        QVERIFY(gui().click("settingsButton"));
        QVERIFY(gui().waitFor([this] { return gui().item("autoSaveSwitch"); }));
        QVERIFY(gui().click("autoSaveSwitch"));
        QVERIFY(gui().waitFor([this] { return gui().controller().context().configuration->isAutoSaveEnabled(); }));
        gui().key(Qt::Key_Escape);
        QVERIFY(gui().waitFor([this] { return !gui().item("autoSaveSwitch"); }));
        QVERIFY(gui().waitFor([this] { return !gui().item("saveButton"); }));
        // The pages take the button's share at once, without a resize.
        const auto pagesBottom = [this] {
            auto* pagesView = gui().item("delayPages")->parentItem();
            return pagesView->y() + pagesView->height();
        };
        auto* column = gui().item("delayPages")->parentItem()->parentItem();
        QVERIFY(gui().waitFor([&] { return std::abs(pagesBottom() - (column->height() - 10)) < 2; }));

        gui().controller().heatsList()->refresh(); // the service's versions first
        QVERIFY(gui().waitFor([this] { return !gui().controller().heatsList()->refreshing(); }));
        QVERIFY(writeComment("Saved at once"));
        QVERIFY(gui().waitFor([this] {
            return storedEdits().empty() && !currentPage().delay->isEdited &&
                   currentPage().delay->comment == std::string("Saved at once");
        }));
        QVERIFY(!gui().controller().alerts()->shown());

        QVERIFY(gui().click("settingsButton"));
        QVERIFY(gui().waitFor([this] { return gui().item("autoSaveSwitch"); }));
        QVERIFY(gui().click("autoSaveSwitch"));
        QVERIFY(gui().waitFor([this] { return !gui().controller().context().configuration->isAutoSaveEnabled(); }));
        gui().key(Qt::Key_Escape);
        QVERIFY(gui().waitFor([this] { return gui().item("saveButton") && gui().item("saveButton")->height() > 20; }));
        QVERIFY(pagesBottom() < column->height() - 30);
    }

    // The whole classification of a delay without the mouse: F6 from the list to the page, Tab between the
    // page's controls, Return to press them, the slider's keys, every alert answered by Return or Escape; the
    // keys stay on the same control of the same delay after each edit.
    void aDelayIsClassifiedWithTheKeyboardAlone()
    {
        QVERIFY(gui().waitFor([this] { return !gui().controller().flow().heatsList()->isBusy(); }));
        QVERIFY(storedEdits().empty());
        QVERIFY(turnToDelayOfAtLeast(200));
        const Instant start = currentPage().delay->startDate.date;
        gui().item("heatsList")->forceActiveFocus();
        QVERIFY(tabChainSkipsPagesOutOfView());
        gui().key(Qt::Key_F6);
        QVERIFY(gui().waitFor([this] { return focusOnPage(); }));
        gui().key(Qt::Key_F6); // and back
        QVERIFY(gui().item("heatsList")->hasActiveFocus());
        gui().key(Qt::Key_F6);
        QVERIFY(focusOnPage());

        // Reason.
        QVERIFY(tabTo("findReasonButton"));
        gui().key(Qt::Key_Return);
        QVERIFY(gui().waitFor([this] { return gui().item("reasonTree"); }));
        const QString chosen = checkAnotherReasonByKeys();
        QVERIFY(!chosen.isEmpty());
        QVERIFY(tabTo("reasonFinderAssign"));
        // The edit reaches the list and the pages as the rows it changed, never as a rebuild.
        QSignalSpy listReset(gui().controller().heatsList()->model(), &QAbstractItemModel::modelReset);
        QSignalSpy pagesReset(pages()->model(), &QAbstractItemModel::modelReset);
        gui().key(Qt::Key_Return);
        QVERIFY(gui().waitFor([&] {
            return !gui().item("reasonTree") && currentPage().delay->isEdited &&
                   QString::fromStdString(currentPage().delay->reasonDescription) == chosen;
        }));
        QCOMPARE(listReset.size() + pagesReset.size(), 0);
        QCOMPARE(currentPage().delay->startDate.date, start);
        QVERIFY2(gui().waitFor([this] { return focusedName() == "findReasonButton" && focusOnPage(); }),
                 qPrintable(focusedName() + (focused() ? focused()->metaObject()->className() : "")));

        // Comment.
        QVERIFY(tabTo(pageItem("addCommentButton") ? "addCommentButton" : "commentsTextView"));
        gui().key(Qt::Key_Return);
        QVERIFY(gui().waitFor([this] { return gui().item("commentField") && focusedName() == "commentField"; }));
        gui().item("commentField")->setProperty("text", QString());
        gui().type("commentField", "Typed only");
        QTest::keyClick(gui().window(), Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(gui().waitFor([this] {
            return !gui().item("commentField") && currentPage().delay->comment == std::string("Typed only");
        }));
        QVERIFY(gui().waitFor([this] { return focusedName() == "commentsTextView" && focusOnPage(); }));

        // Save: Tab runs on from the page to the button.
        QVERIFY(tabTo("saveButton"));
        gui().key(Qt::Key_Return);
        QVERIFY(gui().waitFor([this] { return storedEdits().empty() && !detail()->saving(); }));

        // Split: the slider's keys, then "Split Delay?" answered with Return.
        QVERIFY(gui().waitFor([this] { return !gui().controller().flow().heatsList()->isBusy(); }) && pageInView());
        QVERIFY(tabTo("splitSlider"));
        auto* slider = focused();
        const double maximum = slider->property("to").toDouble();
        gui().key(Qt::Key_Home);
        QCOMPARE(slider->property("value").toDouble(), 0.0);
        gui().key(Qt::Key_PageUp);
        QCOMPARE(slider->property("value").toDouble(), 60.0);
        gui().key(Qt::Key_Right);
        QCOMPARE(slider->property("value").toDouble(), 61.0);
        gui().key(Qt::Key_End);
        QCOMPARE(slider->property("value").toDouble(), maximum);
        QVERIFY(gui().waitFor([this] { return !currentPage().splitEnabled; })); // the whole delay: nothing to split
        gui().key(Qt::Key_PageDown);
        QCOMPARE(slider->property("value").toDouble(), maximum - 60);
        QVERIFY(gui().waitFor([this] { return currentPage().splitEnabled; }));
        const int before = shownHeatDelayCount();
        QVERIFY(tabTo("splitDelayButton"));
        gui().key(Qt::Key_Return);
        QVERIFY(
            gui().waitFor([this] { return alertTitle() == "Split Delay?" && focusedName() == "alertButton_Split"; }));
        gui().key(Qt::Key_Return);
        QVERIFY(gui().waitFor([&] { return shownHeatDelayCount() == before + 1; }));
        // The page in view is the second piece, the last 60 seconds.
        QVERIFY(gui().waitFor([this] { return currentPage().model->splitLength() == 60 && focusOnPage(); }));
        QVERIFY(currentPage().delay->isEdited);

        // Undo: Escape answers "No", Return "Yes".
        QVERIFY(tabTo("undoChangesButton"));
        gui().key(Qt::Key_Return);
        QVERIFY(gui().waitFor([this] { return alertTitle() == "Do you want to undo all changes?"; }));
        gui().key(Qt::Key_Escape);
        QVERIFY(gui().waitFor([this] { return !gui().controller().alerts()->shown(); }));
        QCOMPARE(storedEdits().size(), 2u);
        QVERIFY(focusedName() == "undoChangesButton");
        gui().key(Qt::Key_Return);
        QVERIFY(gui().waitFor([this] { return focusedName() == "alertButton_Yes"; }));
        gui().key(Qt::Key_Return);
        QVERIFY(gui().waitFor([this] { return storedEdits().empty(); }));
        QVERIFY(gui().waitFor([&] { return shownHeatDelayCount() == before; }));
    }

    // A reload under an open comment editor keeps the editor and its typed text; "Update" then lands on the
    // same delay in the rebuilt pages.
    void anOpenEditorAndItsTypedTextSurviveAReload()
    {
        QVERIFY(gui().waitFor([this] { return !gui().controller().flow().heatsList()->isBusy(); }) && pageInView());
        const Instant start = currentPage().delay->startDate.date;
        QVERIFY(clickOnPage(pageItem("addCommentButton") ? "addCommentButton" : "commentsTextView"));
        QVERIFY(gui().waitFor([this] { return gui().item("commentField"); }));
        gui().item("commentField")->setProperty("text", QString());
        gui().type("commentField", "Typed through a reload");
        QSignalSpy rebuilt(pages(), &app::DelayPagesController::pagesReset);
        gui().controller().heatsList()->refresh();
        QVERIFY(gui().waitFor([&] { return rebuilt.count() > 0 && !gui().controller().heatsList()->refreshing(); }));
        QVERIFY(gui().item("commentField"));
        QCOMPARE(gui().item("commentField")->property("text").toString(), QString("Typed through a reload"));
        QVERIFY(gui().click("commentEditorUpdate"));
        QVERIFY(gui().waitFor([&] {
            return storedEdits().size() == 1 && storedEdits().front()->startDate.date == start &&
                   storedEdits().front()->comment == std::string("Typed through a reload");
        }));
        QVERIFY(gui().waitFor([this] { return focusedName() == "commentsTextView" && focusOnPage(); }));
        // The pages rebuilt with the edit before the tap.
        QVERIFY(gui().waitFor([this] { return currentPage().delay->isEdited && !gui().item("commentField"); }) &&
                pageInView());
        QVERIFY(undoWithReturn());
    }

    // While the cover hides the heat, nothing under it takes a tap, the focus or Ctrl+S.
    void theCoverTakesEveryTapAndKey()
    {
        QVERIFY(writeComment("Under the cover"));
        QVERIFY(gui().waitFor([this] { return storedEdits().size() == 1; }));
        auto* find = pageItem("findReasonButton");
        QVERIFY(find);
        const QPoint findAt = find->mapToScene({find->width() / 2, find->height() / 2}).toPoint();
        const auto heat = detail()->flow()->heat();
        detail()->flow()->showEmptyMessage(std::nullopt);
        QVERIFY(gui().waitFor([this] { return gui().item("detailEmptyCover"); }));

        QTest::mouseClick(gui().window(), Qt::LeftButton, {}, findAt);
        gui().settle();
        QVERIFY(!gui().item("reasonTree"));
        auto* column = gui().item("delayPages")->parentItem();
        for (int step = 0; step < 20; ++step) {
            gui().key(Qt::Key_Tab);
            QVERIFY2(!column->isAncestorOf(focused()), qPrintable(focusedName()));
        }
        QTest::keyClick(gui().window(), Qt::Key_S, Qt::ControlModifier);
        gui().settle();
        QVERIFY(!detail()->saving());
        QVERIFY(!gui().controller().alerts()->shown());
        QCOMPARE(storedEdits().size(), 1u);

        // The heat back, its edit undone.
        gui().controller().flow().heatsList()->setSelectedHeatDelay(
            screens::HeatDelayIdentifier{heat->heatId, currentPage().delay->startDate.date});
        gui().controller().flow().heatsList()->updateTable();
        QVERIFY(gui().waitFor([this] { return !detail()->showsEmptyMessage(); }) && pageInView());
        QVERIFY(undoWithReturn());
    }

    void editsLeftOnDiskAreAnnouncedOnceWhenTheyComeBack()
    {
        QVERIFY(writeComment("Left for later"));
        QVERIFY(gui().waitFor([this] { return storedEdits().size() == 1; }));
        // Another user on the same tablet: the edits wait on disk for demo.
        gui().controller().flow().didEnterBackground();
        QVERIFY(gui().waitFor([this] { return gui().controller().screen() == "signIn"; }));
        QVERIFY(gui().signIn("ann", "annpw"));
        QVERIFY(storedEdits().empty());
        QVERIFY(!gui().controller().alerts()->shown());
        gui().controller().flow().didEnterBackground();
        QVERIFY(gui().waitFor([this] { return gui().controller().screen() == "signIn"; }));
        QVERIFY(gui().signIn("demo", "demo"));
        QVERIFY(gui().waitFor([this] { return alertTitle() == "Unsaved Edits Restored"; }));
        QVERIFY(gui().controller().alerts()->message().startsWith("1 unsaved edit of an earlier run was restored."));
        QVERIFY(gui().chooseAlertButton("OK"));
        QCOMPARE(storedEdits().size(), 1u);
        // Shown like any other edit, and saved or undone like one.
        QVERIFY(gui().waitFor([this] {
            for (const auto& heat : gui().controller().flow().heatsList()->heats()) {
                for (const auto& delay : *heat->delays) {
                    if (delay->isEdited) {
                        return true;
                    }
                }
            }
            return false;
        }));
        const auto edit = storedEdits().front();
        gui().controller().flow().heatsList()->setSelectedHeatDelay(
            screens::HeatDelayIdentifier{edit->heatId, edit->startDate.date});
        gui().controller().flow().heatsList()->updateTable();
        QVERIFY(gui().waitFor(
            [&] { return detail()->flow()->heat() && detail()->flow()->heat()->heatId == edit->heatId; }));
        QVERIFY(gui().waitFor([this] { return currentPage().delay->isEdited; }));
        QVERIFY(gui().waitFor([this] { return detail()->saveButtonEnabled(); }));
    }

    void aSaveWhileTheServiceIsDownKeepsTheEdit()
    {
        QVERIFY(!storedEdits().empty());
        m_service->stop();
        QVERIFY(gui().click("saveButton"));
        // "Saving..." first, then the refusal.
        QVERIFY(gui().waitFor([this] { return alertTitle() == "Error Saving Delays"; }));
        QVERIFY(gui().waitFor([this] { return focusedName() == "alertButton_OK"; }));
        gui().key(Qt::Key_Return);
        QVERIFY(gui().waitFor([this] { return !gui().controller().alerts()->shown(); }));
        QCOMPARE(storedEdits().size(), 1u);
        QVERIFY(pageItem("unsavedLabel"));
    }
};

QTEST_MAIN(EditorGuiTest)
#include "editor_gui_test.moc"
