// The delay editor's controllers without a window: the comment editor, the split picker,
// the delay pages over a flow of their own, and the heat detail's layout.
#include "app/controllers/comment_editor_controller.hpp"
#include "app/controllers/delay_pages_controller.hpp"
#include "app/controllers/heat_detail_controller.hpp"
#include "app/controllers/qt_executor.hpp"
#include "core/editing/edited_delays_manager.hpp"
#include "core/model/screen_notifications.hpp"
#include "support/gui_driver.hpp"

#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>

using namespace orvendel;
using Role = app::DelayPagesModel::Role;

namespace {

// 2024-03-07 14:00:00 UTC, 08:00:00 in the delays' zone.
Instant at(int seconds)
{
    using namespace std::chrono;
    return sys_days{year{2024} / 3 / 7} + hours{14} + std::chrono::seconds{seconds};
}

ZonedDateTime zoned(int seconds)
{
    return {at(seconds), TimeZone{-6 * 3600}};
}

DelayPtr delay(int id, int start, int end, std::string reason, std::optional<std::string> comment = std::nullopt)
{
    return std::make_shared<Delay>(7, id, id, std::move(reason), "R", zoned(start), zoned(end), "rgb(1, 2, 3)", "v1",
                                   std::move(comment));
}

struct NoSettings : EditSettings {
    bool isAutoSaveEnabled() const override { return false; }
    int selectedFurnaceId() const override { return 2; }
};

struct Online : ConnectivityStatus {
    bool isInternetAvailable() const override { return true; }
};

struct Recorder : flows::Presenter {
    flows::AlertHandle presentAlert(flows::Alert alert) override
    {
        titles.push_back(alert.title);
        return {};
    }
    void openURL(const std::string&) override {}
    std::vector<std::string> titles;
};

// A delay pages flow over a store of its own, posting on a centre of its own.
struct Pages {
    NotificationCenter center;
    Recorder presenter;
    std::shared_ptr<flows::DelayPagesFlow> flow;
    std::unique_ptr<app::DelayPagesController> controller;
    // 330 s with a comment, then an edit of 5 min 20 s without one.
    std::vector<DelayPtr> delays{delay(1, 0, 330, "Electrode change", "Late scrap"), delay(2, 600, 920, "Unknown")};

    Pages()
    {
        delays[1]->isEdited = true;
        DelayEditEnvironment edit;
        edit.store = std::make_shared<EditedDelaysManager>(center);
        edit.settings = std::make_shared<NoSettings>();
        edit.connectivity = std::make_shared<Online>();
        edit.notificationCenter = &center;
        // No session: the edit environment brings all that the pages use here.
        flow = flows::DelayPagesFlow::create({nullptr, nullptr, presenter.ref(), edit});
        controller = std::make_unique<app::DelayPagesController>(flow);
        flow->setDelays(delays, std::nullopt);
    }
    QVariant at(int row, Role role) const { return controller->model()->data(controller->model()->index(row), role); }
};

} // namespace

class EditorControllersTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_data;

private slots:

    // The rules are the core's; here that a refused text leaves the editor as it was and that Update hands
    // on the trimmed text only when it may.
    void commentEditorKeepsOnlyWhatFits()
    {
        app::CommentEditorController editor(std::string("Late scrap"));
        QCOMPARE(editor.countText(), QString("10/120"));
        // 119 accented letters of two code points each and a family emoji of eight: 120 characters.
        const QString full =
            QString("e\u0301").repeated(119) + QString::fromUtf8("\U0001F468\u200D\U0001F469\u200D\U0001F467");
        QVERIFY(editor.propose(full));
        QCOMPARE(editor.countText(), QString("120/120"));
        QVERIFY(!editor.propose(full + "a")); // refused whole, not cut
        QVERIFY(!editor.propose(QString("a") + QChar(0x7F)));
        QCOMPARE(editor.text(), full);
    }

    void updateHandsOnTheTrimmedTextAndCloseNothing()
    {
        app::CommentEditorController editor(std::string("old"));
        QStringList events;
        connect(&editor, &app::CommentEditorController::updated, [&](const QString& t) { events << "updated " + t; });
        connect(&editor, &app::CommentEditorController::finished, [&] { events << "finished"; });
        QVERIFY(editor.propose(" \n Scrap bucket late\t\n"));
        editor.update();
        QCOMPARE(events, (QStringList{"updated Scrap bucket late", "finished"}));
        events.clear();
        editor.close();
        QCOMPARE(events, QStringList{"finished"});

        app::CommentEditorController none(std::nullopt);
        QVERIFY(none.propose("  \n "));
        QVERIFY(!none.updateEnabled());
        QSignalSpy finished(&none, &app::CommentEditorController::finished);
        none.update();
        QCOMPARE(finished.size(), 0);
    }

    // The wheels' limits and texts are the core's; here that only an instant inside the delay is handed on.
    void splitPickerAssignsOnlyInsideTheDelay()
    {
        app::SplitTimePickerController picker(zoned(0), zoned(320), 320);
        QCOMPARE(picker.initialMinutes(), 5);
        QCOMPARE(picker.initialSeconds(), 20);
        QVERIFY(!picker.canAssign()); // the end itself
        QSignalSpy assigned(&picker, &app::SplitTimePickerController::assigned);
        QSignalSpy finished(&picker, &app::SplitTimePickerController::finished);
        picker.pick(0, 0, 5, 30);
        QCOMPARE(picker.splitText(), QString("-"));
        picker.assign();
        QCOMPARE(assigned.size() + finished.size(), 0);

        picker.pick(0, 0, 2, 5);
        QCOMPARE(picker.splitText(), QString("Mar 07, 08:02:05"));
        picker.assign();
        QCOMPARE(assigned.size(), 1);
        QCOMPARE(assigned[0][0].toDouble(), 125.0);
        QCOMPARE(finished.size(), 1);
    }

    void pagesModelShowsEachDelay()
    {
        Pages pages;
        auto* model = pages.controller->model();
        QCOMPARE(model->rowCount(), 2);
        QCOMPARE(pages.controller->count(), 2);
        QCOMPARE(pages.at(0, Role::TitleRole).toString(), QString("Electrode change"));
        QCOMPARE(pages.at(0, Role::TimesRole).toString(), QString("08:00:00 – 08:05:30"));
        QCOMPARE(pages.at(0, Role::HasCommentRole).toBool(), true);
        QCOMPARE(pages.at(0, Role::CommentRole).toString(), QString("Late scrap"));
        QCOMPARE(pages.at(0, Role::EditedRole).toBool(), false);
        QCOMPARE(pages.at(0, Role::SplitEnabledRole).toBool(), false);
        QCOMPARE(pages.at(0, Role::SliderMaximumRole).toDouble(), 330.0);
        QCOMPARE(pages.at(0, Role::SliderValueRole).toDouble(), 330.0);
        QCOMPARE(pages.at(0, Role::RelativeStartRole).toString(), QString("0:00:00"));
        QCOMPARE(pages.at(0, Role::RelativeSelectedRole).toString(), QString("0:05:30"));
        QCOMPARE(pages.at(0, Role::RelativeEndRole).toString(), QString("0:05:30"));
        QCOMPARE(pages.at(0, Role::AbsoluteStartRole).toString(), QString("08:00:00"));
        QCOMPARE(pages.at(0, Role::AbsoluteEndRole).toString(), QString("08:05:30"));
        QCOMPARE(pages.at(1, Role::TitleRole).toString(), QString("Unknown"));
        QCOMPARE(pages.at(1, Role::HasCommentRole).toBool(), false);
        QCOMPARE(pages.at(1, Role::EditedRole).toBool(), true);
        QVERIFY(!pages.at(2, Role::TitleRole).isValid());

        const auto thumb = pages.controller->thumbTexts(0, 100.4);
        QCOMPARE(thumb["relativeSelected"].toString(), QString("0:01:40"));
        QCOMPARE(thumb["absoluteSelected"].toString(), QString("08:01:40"));
        QVERIFY(pages.controller->thumbTexts(2, 1).isEmpty());
    }

    void aReleasedThumbChangesOnlyItsPage()
    {
        Pages pages;
        QSignalSpy changed(pages.controller->model(), &QAbstractItemModel::dataChanged);
        pages.controller->askSplit(0);
        QVERIFY(pages.presenter.titles.empty()); // the thumb at the end: no split
        pages.controller->sliderReleased(0, 100.4);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed[0][0].toModelIndex().row(), 0);
        QCOMPARE(changed[0][1].toModelIndex().row(), 0);
        QCOMPARE(pages.at(0, Role::SplitEnabledRole).toBool(), true);
        QCOMPARE(pages.at(0, Role::SliderValueRole).toDouble(), 100.0);
        QCOMPARE(pages.at(0, Role::AbsoluteSelectedRole).toString(), QString("08:01:40"));
        QCOMPARE(pages.at(1, Role::SplitEnabledRole).toBool(), false);
        pages.controller->askSplit(0);
        QCOMPARE(pages.presenter.titles, std::vector<std::string>{"Split Delay?"});
        pages.controller->sliderReleased(5, 10); // no such page
        QCOMPARE(changed.size(), 1);
    }

    void aTurnIsAnnouncedOnTheFlowsCentre()
    {
        Pages pages;
        std::vector<screen_notifications::DelaySelection> announced;
        auto token = pages.center.observe<screen_notifications::DidSelectDelay>(
            [&](const screen_notifications::DidSelectDelay& selected) { announced.push_back(selected.selection); });
        QSignalSpy current(pages.controller.get(), &app::DelayPagesController::currentIndexChanged);
        pages.controller->turnTo(0); // already in view
        pages.controller->turnTo(-1);
        pages.controller->turnTo(2);
        QCOMPARE(current.size(), 0);
        pages.controller->turnTo(1);
        QCOMPARE(current.size(), 1);
        QCOMPARE(pages.controller->currentIndex(), 1);
        QCOMPARE(announced.size(), std::size_t(1));
        QVERIFY((announced[0] == screen_notifications::DelaySelection{7, at(600)}));
    }

    void anOpenEditorStaysWithItsDelayAndClosesWhenItIsGone()
    {
        Pages pages;
        QSignalSpy reset(pages.controller.get(), &app::DelayPagesController::pagesReset);
        QSignalSpy dismissed(pages.controller.get(), &app::DelayPagesController::editorsDismissed);
        QPointer<app::CommentEditorController> editor = pages.controller->openCommentEditor(0);
        QVERIFY(editor);
        QCOMPARE(editor->text(), QString("Late scrap"));
        QVERIFY(editor->propose("Late scrap, typed on"));
        pages.flow->setDelays(pages.delays, at(600)); // a reload: the delay is still shown
        QCOMPARE(reset.size(), 1);
        QCOMPARE(dismissed.size(), 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(editor);
        QCOMPARE(editor->text(), QString("Late scrap, typed on"));
        pages.flow->setDelays({pages.delays[1]}, std::nullopt); // gone: closed, the typed text kept as an edit
        QCOMPARE(dismissed.size(), 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(editor.isNull());
        QCOMPARE(pages.presenter.titles, std::vector<std::string>{flows::DelayPagesFlow::commentKeptTitle});

        QPointer<app::SplitTimePickerController> picker = pages.controller->openSplitPicker(0);
        QVERIFY(picker);
        pages.flow->setDelays({pages.delays[0]}, std::nullopt);
        QCOMPARE(dismissed.size(), 2);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(picker.isNull());
        pages.flow->setDelays(pages.delays, std::nullopt); // nothing open: nothing dismissed
        QCOMPARE(dismissed.size(), 2);
    }

    void editorsApplyOnlyToTheDelayTheyWereOpenedFor()
    {
        Pages pages;
        auto* editor = pages.controller->openCommentEditor(0);
        QVERIFY(editor->propose(" Scrap late "));
        editor->update();
        QCOMPARE(pages.at(0, Role::CommentRole).toString(), QString("Scrap late"));
        QCOMPARE(pages.at(0, Role::EditedRole).toBool(), true);

        auto* picker = pages.controller->openSplitPicker(0);
        QCOMPARE(picker->initialMinutes(), 5);
        picker->pick(0, 0, 2, 0);
        picker->assign();
        QCOMPARE(pages.at(0, Role::SliderValueRole).toDouble(), 120.0);
        QCOMPARE(pages.at(0, Role::SplitEnabledRole).toBool(), true);

        // The pages rebuilt in another order: an editor follows its delay to its new page, never the index.
        picker = pages.controller->openSplitPicker(0);
        pages.flow->setDelays({pages.delays[1], pages.delays[0]}, std::nullopt);
        picker->pick(0, 0, 1, 0);
        picker->assign();
        QCOMPARE(pages.at(1, Role::SliderValueRole).toDouble(), 60.0);
        QCOMPARE(pages.at(0, Role::SliderValueRole).toDouble(), 320.0);
        editor = pages.controller->openCommentEditor(0);
        pages.flow->setDelays(pages.delays, std::nullopt);
        QVERIFY(editor->propose("Followed"));
        editor->update();
        QCOMPARE(pages.at(1, Role::CommentRole).toString(), QString("Followed"));
        QCOMPARE(pages.at(0, Role::CommentRole).toString(), QString("Late scrap"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void theColumnGivesTheSaveButtonsShareToTheOthersWhenHidden()
    {
        QObject owner;
        auto executor = std::make_shared<app::QtExecutor>(&owner);
        Recorder presenter;
        const auto context = testing::unsignedContext(m_data.path().toStdString());
        app::HeatDetailController detail(
            flows::HeatDetailFlow::create({context, executor, std::make_shared<Online>(), presenter.ref()}));
        QVERIFY(detail.saveButtonShown());
        auto column = detail.columnLayout(400, 1030, detail.saveButtonShown());
        QCOMPARE(column["delayPages"].toRectF(), QRectF(0, 310, 400, 650));
        QCOMPARE(column["saveButton"].toRectF(), QRectF(10, 960, 380, 60));

        QSignalSpy changed(&detail, &app::HeatDetailController::saveButtonChanged);
        context->notificationCenter->post(screen_notifications::AutoSaveOptionChanged{true});
        QTRY_COMPARE(changed.size(), 1);
        QVERIFY(!detail.saveButtonShown());
        column = detail.columnLayout(400, 1030, detail.saveButtonShown());
        QCOMPARE(column["upperPart"].toRectF(), QRectF(10, 10, 380, 310));
        QCOMPARE(column["saveButton"].toRectF().height(), 0.0);

        const auto upper = detail.upperPartLayout(400, 216);
        QCOMPARE(upper["title"].toRectF(), QRectF(16, 16, 368, 40));
        QCOMPARE(upper["powerOffChart"].toRectF(), QRectF(0, 66, 200, 150));
        QCOMPARE(upper["barChart"].toRectF(), QRectF(200, 66, 200, 150));
    }
};

QTEST_MAIN(EditorControllersTest)
#include "editor_controllers_test.moc"
