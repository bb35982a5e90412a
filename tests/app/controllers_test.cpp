// The controllers' wiring without a window: alerts in turn, the sign-in fields and button, the heats
// list's flat model, and the program's options.
#include "app/app_options.hpp"
#include "app/controllers/alert_presenter.hpp"
#include "app/controllers/chart_model.hpp"
#include "app/controllers/heats_list_model.hpp"
#include "app/controllers/qt_executor.hpp"
#include "core/screens/heats_table.hpp"

#include <QSignalSpy>
#include <QTest>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

using namespace orvendel;

namespace {

screens::Section section(int heat, std::size_t rows, bool collapsed)
{
    screens::Section s;
    s.heatId = heat;
    s.heatNumber = heat * 10;
    s.collapsed = collapsed;
    for (std::size_t r = 0; r < rows; ++r) {
        screens::Item item;
        item.title = "Reason " + std::to_string(r);
        item.description = "08:15:00 - 1.5 min";
        item.isDelayUnknown = r == 0;
        item.startDate = Instant(std::chrono::seconds(static_cast<long>(r) * 60));
        s.items.push_back(item);
    }
    return s;
}

} // namespace

class ControllersTest : public QObject {
    Q_OBJECT

private slots:
    void alertsAreShownOneAtATimeAndActionsRunAfterClosing()
    {
        app::AlertPresenter presenter;
        QStringList ran;
        bool shownDuringAction = true;
        presenter.presentAlert(
            flows::Alert::question("First", "one",
                                   {{"Yes", flows::AlertAction::Style::normal,
                                     [&] {
                                         ran << "yes";
                                         shownDuringAction = presenter.title() == "First";
                                     }},
                                    {"No", flows::AlertAction::Style::cancel, [&] { ran << "no"; }}}));
        presenter.presentAlert(flows::Alert::ok("Second", "two"));
        QCOMPARE(presenter.title(), QString("First"));
        QCOMPARE(presenter.buttons().size(), 2);
        QCOMPARE(presenter.buttons()[1].toMap()["cancel"].toBool(), true);

        presenter.choose(0);
        QCOMPARE(ran, QStringList{"yes"});
        QVERIFY(!shownDuringAction);
        QCOMPARE(presenter.title(), QString("Second"));

        // Escape picks the cancel-style button.
        presenter.cancel();
        QVERIFY(!presenter.shown());
        presenter.choose(0); // nothing shown: ignored
        QCOMPARE(ran, QStringList{"yes"});
    }

    void aFlowDismissesOnlyTheAlertItPresented()
    {
        app::AlertPresenter presenter;
        presenter.presentAlert(flows::Alert::ok("Problem", "message"));
        const auto waiting = presenter.presentAlert(flows::Alert::progress("Saving..."));
        presenter.dismiss(waiting);
        presenter.dismiss(waiting); // gone already: nothing else goes
        QCOMPARE(presenter.title(), QString("Problem"));
        presenter.cancel();
        QVERIFY(!presenter.shown());

        const auto saving = presenter.presentAlert(flows::Alert::progress("Saving..."));
        QVERIFY(presenter.busy());
        presenter.cancel(); // no button to cancel with: it stays
        QVERIFY(presenter.shown());
        presenter.dismiss(saving);
        QVERIFY(!presenter.shown());
    }

    void aReplacedScreenTakesEveryAlertWithIt()
    {
        app::AlertPresenter presenter;
        bool ran = false;
        presenter.presentAlert(flows::Alert::progress("Saving..."));
        presenter.presentAlert(
            flows::Alert::question("Question", "?", {{"Yes", flows::AlertAction::Style::normal, [&] { ran = true; }}}));
        QSignalSpy changed(&presenter, &app::AlertPresenter::changed);
        presenter.dismissAll();
        QVERIFY(!presenter.shown());
        QCOMPARE(changed.count(), 1);
        QVERIFY(!ran);
        presenter.dismissAll(); // nothing shown: no change
        QCOMPARE(changed.count(), 1);
        presenter.presentAlert(flows::Alert::ok("Problem", "message"));
        QCOMPARE(presenter.title(), QString("Problem"));
    }

    void executorRunsTasksOnTheEventLoopWhileItsContextLives()
    {
        auto context = std::make_unique<QObject>();
        app::QtExecutor executor(context.get());
        int ran = 0;
        executor.post([&] { ++ran; });
        QCOMPARE(ran, 0);
        QTRY_COMPARE(ran, 1);
        executor.post([&] { ++ran; });
        context.reset();
        QCoreApplication::processEvents();
        QCOMPARE(ran, 1);
        executor.post([&] { ++ran; }); // after the context: dropped
        QCoreApplication::processEvents();
        QCOMPARE(ran, 1);
    }

    // Worker threads keep posting while the GUI thread destroys the context: no post may reach a freed
    // object (the ASan build catches one), and nothing runs once it is gone.
    void executorDropsPostsRacingTheContextsDestruction()
    {
        for (int round = 0; round < 20; ++round) {
            auto* context = new QObject;
            auto executor = std::make_shared<app::QtExecutor>(context);
            std::atomic<int> ran{0};
            std::atomic<int> posted{0};
            std::atomic<bool> stop{false};
            std::vector<std::thread> posters;
            for (int t = 0; t < 3; ++t) {
                posters.emplace_back([&] {
                    while (!stop) {
                        executor->post([&ran] { ++ran; });
                        ++posted;
                    }
                });
            }
            while (posted < 200) {
                std::this_thread::yield();
            }
            QCoreApplication::processEvents();
            delete context;
            const int posts = posted;
            while (posted < posts + 200) {
                std::this_thread::yield();
            }
            stop = true;
            for (auto& poster : posters) {
                poster.join();
            }
            const int before = ran;
            QCoreApplication::processEvents();
            QCOMPARE(ran.load(), before);
            QVERIFY(ran < posted);
        }
    }

    void heatsModelListsHeadersAndTheRowsOfExpandedSections()
    {
        app::HeatsListModel model;
        {
            // A copy: the flow may rebuild or drop its sections while the view still reads the model.
            std::vector<screens::Section> sections{section(1, 2, true), section(2, 3, false), section(3, 0, false)};
            model.reset(sections, screens::RowPosition{1, 2});
            sections.clear();
        }
        QCOMPARE(model.rowCount(), 6); // header 1, header 2 + 3 rows, header 3
        const auto at = [&](int row, int role) { return model.data(model.index(row), role); };
        QCOMPARE(at(0, app::HeatsListModel::TitleRole).toString(), QString("Heat 10"));
        QCOMPARE(at(0, app::HeatsListModel::DescriptionRole).toString(), QString("2 Delays"));
        QCOMPARE(at(0, app::HeatsListModel::IndicatorTextRole).toString(), QString("1"));
        QCOMPARE(at(0, app::HeatsListModel::ArrowRotationRole).toDouble(), 0.0);
        QCOMPARE(at(1, app::HeatsListModel::ArrowRotationRole).toDouble(), 90.0);
        QCOMPARE(at(2, app::HeatsListModel::UnknownRole).toBool(), true);
        QCOMPARE(at(4, app::HeatsListModel::SelectedRole).toBool(), true);
        QCOMPARE(model.indexOf({1, 2}), 4);
        QCOMPARE(at(5, app::HeatsListModel::DescriptionRole).toString(), QString("0 Delays"));
        QCOMPARE(at(5, app::HeatsListModel::IndicatorTextRole).toString(), QString());

        // Expanding inserts the rows under the header, without a reset, so the arrow can turn.
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        model.sectionToggled(0, false);
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(inserted[0][1].toInt(), 1);
        QCOMPARE(inserted[0][2].toInt(), 2);
        QCOMPARE(model.rowCount(), 8);
        QCOMPARE(model.indexOf({1, 2}), 6);

        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        model.sectionToggled(1, true);
        QCOMPARE(removed.size(), 1);
        QCOMPARE(model.rowCount(), 5);
        QCOMPARE(model.indexOf({1, 2}), -1);
        QCOMPARE(reset.size(), 0);

        // A section without rows only turns its arrow.
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.sectionToggled(2, true);
        QCOMPARE(model.rowCount(), 5);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(model.data(model.index(4), app::HeatsListModel::CollapsedRole).toBool(), true);
        QCOMPARE(model.data(model.index(0), app::HeatsListModel::ArrowRotationRole).toDouble(), 90.0);

        // A new table replaces the copy with one reset.
        model.reset({section(4, 1, false)}, std::nullopt);
        QCOMPARE(reset.size(), 1);
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.data(model.index(1), app::HeatsListModel::TitleRole).toString(), QString("Reason 0"));
    }

    // An edit is signalled as exactly the rows it changed: a reset here would throw away the list's delegates
    // (and the operator's place in it) for every reason assigned.
    void anEditSignalsOnlyItsRowsAndAHeaderThatChanged()
    {
        app::HeatsListModel model;
        model.reset({section(1, 2, false), section(2, 3, false)}, std::nullopt);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);

        // The first row of heat 2 (list row 4) classified: that row, then the header's unknown count.
        auto classified = section(2, 3, false);
        classified.items[0].isDelayUnknown = false;
        classified.items[0].title = "Scrap";
        const auto classifiedRows = screens::HeatsTable::diffRows(section(2, 3, false), classified);
        model.sectionEdited(1, classified, classifiedRows, std::nullopt);
        QCOMPARE(changed.size(), 2);
        QCOMPARE(changed[0][0].toModelIndex().row(), 4);
        QCOMPARE(changed[0][1].toModelIndex().row(), 4);
        QCOMPARE(changed[1][0].toModelIndex().row(), 3);
        QCOMPARE(model.data(model.index(4), app::HeatsListModel::TitleRole).toString(), QString("Scrap"));
        QCOMPARE(model.data(model.index(3), app::HeatsListModel::IndicatorTextRole).toString(), QString());

        // Its second row split: the row changes in place, the new piece comes in after it, the last row is
        // renumbered and selected, the header counts four.
        auto split = classified;
        split.items[1].description = "08:16:00 - 0.5 min";
        auto piece = split.items[1];
        piece.startDate += std::chrono::seconds(30);
        split.items.insert(split.items.begin() + 2, piece);
        changed.clear();
        model.sectionEdited(1, split, screens::HeatsTable::diffRows(classified, split), screens::RowPosition{1, 3});
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(inserted[0][1].toInt(), 6);
        QCOMPARE(inserted[0][2].toInt(), 6);
        QCOMPARE(model.rowCount(), 8);
        QCOMPARE(model.data(model.index(7), app::HeatsListModel::RowRole).toInt(), 3);
        QCOMPARE(model.data(model.index(7), app::HeatsListModel::SelectedRole).toBool(), true);
        QCOMPARE(model.data(model.index(3), app::HeatsListModel::DescriptionRole).toString(), QString("4 Delays"));
        QCOMPARE(model.indexOf({1, 3}), 7);

        // Undone: the piece goes again.
        model.sectionEdited(1, classified, screens::HeatsTable::diffRows(split, classified), std::nullopt);
        QCOMPARE(removed.size(), 1);
        QCOMPARE(model.rowCount(), 7);
        QCOMPARE(reset.size(), 0);
    }

    // The charts' rows: values change in place, rows come and go at the end, never a reset.
    void rowsChangeInPlaceAndOnlyTheValuesThatChangedAreSignalled()
    {
        app::TypedRows<app::BarRow> rows;
        const auto bar = [](double x, QColor fill) { return app::BarRow{QRectF(x, 0, 10, 10), fill, false, {}, {}}; };
        rows.update({bar(0, Qt::red), bar(10, Qt::blue)});
        QSignalSpy reset(&rows, &QAbstractItemModel::modelReset);
        QSignalSpy changed(&rows, &QAbstractItemModel::dataChanged);
        QSignalSpy inserted(&rows, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&rows, &QAbstractItemModel::rowsRemoved);
        rows.update({bar(0, Qt::green), bar(10, Qt::blue), bar(20, Qt::blue)});
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed[0][0].toModelIndex().row(), 0);
        QCOMPARE(changed[0][2].value<QList<int>>(), QList<int>{Qt::UserRole + 1});
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(rows.data(rows.index(2), Qt::UserRole).toRectF(), QRectF(20, 0, 10, 10));
        // A row put in the middle (a split's new segment) is one insertion; the rows after it are not touched.
        auto split = rows.rows();
        split.insert(split.begin() + 1, bar(5, Qt::gray));
        changed.clear();
        rows.update(split);
        QCOMPARE(inserted.size(), 2);
        QCOMPARE(inserted[1][1].toInt(), 1);
        QCOMPARE(changed.size(), 0);
        rows.update({});
        QCOMPARE(removed.size(), 1);
        QCOMPARE(rows.rowCount(), 0);
        QCOMPARE(reset.size(), 0);
    }

    void highlightMovesBetweenRows()
    {
        app::HeatsListModel model;
        model.reset({section(1, 3, false)}, std::nullopt);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.setHighlighted(screens::RowPosition{0, 1});
        model.setHighlighted(screens::RowPosition{0, 2});
        QCOMPARE(changed.size(), 3); // the first row, then the old and the new one
        QCOMPARE(model.data(model.index(3), app::HeatsListModel::SelectedRole).toBool(), true);
        QCOMPARE(model.data(model.index(2), app::HeatsListModel::SelectedRole).toBool(), false);
    }

    void optionsNameTheServiceAndTheDataFolder()
    {
        auto parsed = app::parseAppOptions(
            {"--service-url", "http://127.0.0.1:9/DelaysApi/Delays", "--data-dir=/tmp/x", "-platform", "offscreen"});
        QVERIFY(parsed);
        QCOMPARE(*parsed->shared.serviceURL, std::string("http://127.0.0.1:9/DelaysApi/Delays"));
        QCOMPARE(parsed->shared.applicationSupportDirectory->string(), std::string("/tmp/x"));

        QVERIFY(app::parseAppOptions({"--help"})->help);
        QVERIFY(!parsed->exitAfterFirstFrame);
        QVERIFY(app::parseAppOptions({"--exit-after-first-frame"})->exitAfterFirstFrame);
        QVERIFY(!app::parseAppOptions({"--exit-after-first-frame=yes"}));
        QCOMPARE(app::parseAppOptions({"--bogus"}).error().description, std::string("unknown option: --bogus"));
        QVERIFY(!app::parseAppOptions({"--service-url"}));
    }
};

QTEST_GUILESS_MAIN(ControllersTest)
#include "controllers_test.moc"
