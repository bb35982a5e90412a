// The heat detail driven on the real window offscreen against the reference delay service, by mouse and
// keys: page turns, a comment through the comment editor, splits with the slider and with the wheel picker,
// undo, saving with the button and automatically, and saves the service refuses or cannot take.
#include "app/controllers/heats_list_model.hpp"
#include "app/controllers/reason_finder_controller.hpp"
#include "core/editing/edited_delays_manager.hpp"
#include "core/screens/split_time.hpp"
#include "core/service/wire/delay_conversion.hpp"
#include "core/service/wire/messages.hpp"
#include "core/storage/user_configuration_manager.hpp"
#include "support/gui_driver.hpp"
#include "support/service_client.hpp"
#include "support/service_process.hpp"

#include <QTemporaryDir>
#include <QTest>
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
        const auto& store = gui().controller().session().edits;
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
        const auto segments = detail()->powerOffChart()->property("segments").toList();
        int segment = -1;
        int delayIndex = -1;
        double widest = 0;
        for (int i = 0; i < segments.size(); ++i) {
            const auto entry = segments[i].toMap();
            const int index = entry.value("delayIndex").toInt();
            if (index > 0 && entry.value("width").toDouble() > widest) {
                segment = i;
                delayIndex = index;
                widest = entry.value("width").toDouble();
            }
        }
        QVERIFY(delayIndex > 0);
        QVERIFY(gui().click(QStringLiteral("powerOffSegment_%1").arg(segment)));
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
        // A pasted DEL is refused whole, as the service would refuse it.
        QMetaObject::invokeMethod(field, "insert", Q_ARG(int, 5), Q_ARG(QString, QStringLiteral("\u007f")));
        QCOMPARE(field->property("text").toString(), QString("Ladle late"));
        // So is a text past 120 characters.
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

    void aSplitWithTheSliderListsBothPieces()
    {
        QVERIFY(turnToDelayOfAtLeast(40));
        const int before = shownHeatDelayCount();
        const double length = currentPage().model->splitLength();
        QVERIFY(!pageItem("splitDelayButton")->isEnabled());
        pageItem("splitSlider")->forceActiveFocus();
        for (int i = 0; i < 15; ++i) {
            gui().key(Qt::Key_Left);
        }
        QVERIFY(gui().waitFor([&] { return currentPage().sliderValue == length - 15; }));
        QVERIFY(gui().waitFor([this] { return pageItem("splitDelayButton")->isEnabled(); }));
        QVERIFY(clickOnPage("splitDelayButton"));
        QVERIFY(alertShown());
        QCOMPARE(alertTitle(), QString("Split Delay?"));
        QVERIFY(gui().chooseAlertButton("Split"));
        QVERIFY(gui().waitFor([&] { return shownHeatDelayCount() == before + 1; }));
        // The page in view is the second piece, 15 seconds long.
        QVERIFY(gui().waitFor([&] { return currentPage().model->splitLength() == 15; }));
        QVERIFY(currentPage().delay->isEdited);
    }

    void thePickersValueMovesTheSliderAndDecidesTheSplitButton()
    {
        QVERIFY(turnToDelayOfAtLeast(40));
        QVERIFY(clickOnPage("fineTuneButton"));
        QVERIFY(gui().waitFor([this] { return gui().item("assignSplitTimeButton"); }));
        QVERIFY(gui().waitFor([this] { return gui().item("secondWheel"); }));
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
        for (int i = 0; i < 20; ++i) {
            gui().key(Qt::Key_Down);
        }
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
        QVERIFY(pageItem("undoChangesButton"));
        QVERIFY(clickOnPage("undoChangesButton"));
        QVERIFY(alertShown());
        QCOMPARE(alertTitle(), QString("Do you want to undo all changes?"));
        QVERIFY(gui().chooseAlertButton("No"));
        QCOMPARE(storedEdits().size(), before);
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
        auto* tree = gui().item("reasonTree");
        auto* rows = tree->property("model").value<QAbstractItemModel*>();
        QVERIFY(gui().waitFor([rows] { return rows && rows->rowCount() > 0; }));
        QVERIFY(!gui().item("reasonFinderAssign")->isEnabled()); // nothing to preselect
        const auto text = [rows](int row, int role) { return rows->data(rows->index(row, 0), role); };
        using Roles = app::ReasonRowsModel;
        // By keys: Return opens categories down to the first leaf, Return there checks it.
        int leaf = -1;
        for (int step = 0; step < 40 && leaf < 0; ++step) {
            const int row = tree->property("currentIndex").toInt();
            QVERIFY(row >= 0);
            if (!text(row, Roles::IsCategoryRole).toBool()) {
                leaf = row;
                gui().key(Qt::Key_Return);
            } else if (!text(row, Roles::IsExpandedRole).toBool()) {
                gui().key(Qt::Key_Return);
                QVERIFY(gui().waitFor([&] { return text(row, Roles::IsExpandedRole).toBool(); }));
            } else {
                gui().key(Qt::Key_Down);
            }
        }
        QVERIFY(leaf > 0);
        const QString chosen = text(leaf, Roles::DescriptionRole).toString();
        QVERIFY(gui().waitFor([&] { return text(leaf, Roles::IsCheckedRole).toBool(); }));
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

    void saveSendsTheHeatAndShowsTheServicesVersions()
    {
        QVERIFY(!storedEdits().empty());
        const int heatId = detail()->flow()->heat()->heatId;
        QVERIFY(gui().item("saveButton")->isEnabled());
        QVERIFY(gui().click("saveButton"));
        QVERIFY(gui().waitFor([this] { return storedEdits().empty() && !detail()->saving(); }));
        QVERIFY(gui().waitFor([&] {
            const auto& heat = detail()->flow()->heat();
            if (!heat || heat->heatId != heatId) {
                return false;
            }
            bool commented = false;
            for (const auto& delay : *heat->delays) {
                if (delay->isEdited) {
                    return false;
                }
                commented = commented || delay->comment == std::string("Ladle late");
            }
            return commented;
        }));
        QVERIFY(!gui().controller().alerts()->shown());
        QVERIFY(!gui().item("saveButton")->isEnabled());
    }

    void aStaleSaveIsRefusedAndTheEditStays()
    {
        QVERIFY(writeComment("Electrode change"));
        QVERIFY(gui().waitFor([this] { return storedEdits().size() == 1; }));
        // Another tablet saves the same delay first.
        testing::ServiceClient other(m_service->port());
        QVERIFY(other.signIn());
        auto theirs = currentPage().delay->copy();
        theirs->comment = "Changed elsewhere";
        const int furnaceId = gui().controller().session().configuration->selectedFurnaceId();
        wire::SaveDelaysRequestBody body{other.common(furnaceId), wire::saveParameters(theirs->heatId, {theirs})};
        const auto saved = other.call<wire::SaveDelaysResult>("SaveDelays", body);
        QVERIFY(saved && saved->resultInformation.success);

        QVERIFY(gui().click("saveButton"));
        // "Saving..." first, then the refusal.
        QVERIFY(gui().waitFor([this] { return alertTitle() == "Error Saving Delays"; }));
        QVERIFY(gui().chooseAlertButton("OK"));
        QCOMPARE(storedEdits().size(), 1u);
        QVERIFY(gui().item("saveButton")->isEnabled());
        // Undone, the service's version shows after the next download.
        QVERIFY(clickOnPage("undoChangesButton"));
        QVERIFY(alertShown());
        QVERIFY(gui().chooseAlertButton("Yes"));
        QVERIFY(gui().waitFor([this] { return storedEdits().empty(); }));
    }

    void automaticSavingSendsEveryEditAtOnce()
    {
        QVERIFY(gui().click("settingsButton"));
        QVERIFY(gui().waitFor([this] { return gui().item("autoSaveSwitch"); }));
        QVERIFY(gui().click("autoSaveSwitch"));
        QVERIFY(gui().waitFor([this] { return gui().controller().session().configuration->isAutoSaveEnabled(); }));
        gui().key(Qt::Key_Escape);
        QVERIFY(gui().waitFor([this] { return !gui().item("autoSaveSwitch"); }));
        QVERIFY(gui().waitFor([this] { return !gui().item("saveButton"); }));

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
        QVERIFY(gui().waitFor([this] { return !gui().controller().session().configuration->isAutoSaveEnabled(); }));
        gui().key(Qt::Key_Escape);
        QVERIFY(gui().waitFor([this] { return gui().item("saveButton"); }));
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
        QVERIFY(gui().chooseAlertButton("OK"));
        QCOMPARE(storedEdits().size(), 1u);
        QVERIFY(pageItem("unsavedLabel"));
    }
};

QTEST_MAIN(EditorGuiTest)
#include "editor_gui_test.moc"
