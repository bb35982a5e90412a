#include "core/model/screen_notifications.hpp"
#include "core/screens/heat_detail_layout.hpp"
#include "flow_fixture.hpp"

namespace orvendel::test {
namespace {

// Heat 201 of the fixture: delay 11 of 300 s (unknown reason), then delay 12 of 90 s.
class DelayPagesFlowTest : public FlowFixture {
protected:
    flows::DelayPagesFlow& pages() { return *app->heatDetail()->pages(); }

    std::vector<DelayPtr> storedEdits(int heatId)
    {
        std::vector<DelayPtr> edits;
        context->edits->getEditedDelays(heatId, [&](std::vector<DelayPtr> found) { edits = found; });
        context->edits->drain();
        return edits;
    }
};

TEST_F(DelayPagesFlowTest, PagesFollowTheHeatAndATurnMovesChartsAndList)
{
    showFirstHeat();
    ASSERT_EQ(pages().pages().size(), 2u);
    EXPECT_EQ(pages().currentIndex(), 0u);
    EXPECT_EQ(pages().pages()[0].delay->delayId, 11);
    EXPECT_FALSE(pages().pages()[0].showsEditedMarkers);

    std::vector<screen_notifications::DelaySelection> announced;
    auto token = context->notificationCenter->observe<screen_notifications::DidSelectDelay>(
        [&](const screen_notifications::DidSelectDelay& selected) { announced.push_back(selected.selection); });
    EXPECT_FALSE(pages().turnTo(0)); // already in view
    EXPECT_FALSE(pages().turnTo(2)); // past the last page
    EXPECT_TRUE(pages().turnTo(1));
    ASSERT_EQ(announced.size(), 1u);
    const Instant second = pages().pages()[1].delay->startDate.date;
    EXPECT_EQ(announced[0], (screen_notifications::DelaySelection{201, second}));
    ASSERT_TRUE(executor->runUntil([&] { return app->heatDetail()->selectedDelay()->delayId == 12; }));
    EXPECT_EQ(app->heatDetail()->selectedDelayStartDate(), second);

    // The list's selection from elsewhere brings a page into view without announcing it again.
    app->heatDetail()->selectDelay(pages().pages()[0].delay->startDate.date, 201);
    EXPECT_EQ(pages().currentIndex(), 0u);
    EXPECT_EQ(announced.size(), 1u);

    // A rebuild for another selected instant that matches no delay shows the first page.
    app->heatDetail()->showHeat(app->heatDetail()->heat(), Instant{});
    EXPECT_EQ(pages().currentIndex(), 0u);
}

TEST_F(DelayPagesFlowTest, SplitFollowsTheThumbAndThePickersAssignedValue)
{
    showFirstHeat();
    const auto& first = pages().pages()[0];
    EXPECT_EQ(first.sliderValue, 300); // the thumb starts at the end, where no split is allowed
    EXPECT_FALSE(first.splitEnabled);
    pages().sliderReleased(0, 100.4);
    EXPECT_EQ(pages().pages()[0].sliderValue, 100);
    EXPECT_TRUE(pages().pages()[0].splitEnabled);
    // A picked value too close to the end turns "Split" off at once instead of leaving it on.
    pages().assignSplitOffset(0, 295);
    EXPECT_EQ(pages().pages()[0].sliderValue, 295);
    EXPECT_FALSE(pages().pages()[0].splitEnabled);
    pages().askSplit(0);
    EXPECT_TRUE(presenter.alerts.empty()); // nothing to ask while the split is refused
    pages().assignSplitOffset(0, 10);
    EXPECT_TRUE(pages().pages()[0].splitEnabled);
    pages().sliderReleased(0, 9.4);
    EXPECT_FALSE(pages().pages()[0].splitEnabled);
    // 90 seconds: both pieces must be longer than 9 seconds.
    pages().sliderReleased(1, 82);
    EXPECT_FALSE(pages().pages()[1].splitEnabled);
    pages().sliderReleased(1, 45);
    EXPECT_TRUE(pages().pages()[1].splitEnabled);

    pages().sliderReleased(0, 120);
    pages().askSplit(0);
    ASSERT_EQ(presenter.alerts.size(), 1u);
    EXPECT_EQ(presenter.alerts[0].title, "Split Delay?");
    EXPECT_EQ(presenter.alerts[0].message, "This will split the delay at the specified position in time");
    presenter.answer("Cancel");
    EXPECT_TRUE(storedEdits(201).empty());
    pages().askSplit(0);
    presenter.answer("Split");
    const auto edits = storedEdits(201);
    ASSERT_EQ(edits.size(), 2u);
    EXPECT_EQ(edits[0]->endDate.date - edits[0]->startDate.date, std::chrono::seconds(120));
    EXPECT_EQ(edits[1]->startDate.date, edits[0]->endDate.date);
    // "ReloadData" rebuilds the pages on the second piece.
    settle();
    ASSERT_TRUE(executor->runUntil([&] { return pages().pages()[pages().currentIndex()].delay->isEdited; }));
    EXPECT_EQ(pages().pages()[pages().currentIndex()].delay->startDate.date, edits[1]->startDate.date);
}

TEST_F(DelayPagesFlowTest, ReasonCommentAndUndoGoThroughThePage)
{
    showFirstHeat();
    Reason scrap;
    scrap.id = 12;
    scrap.description = "Waiting for scrap";
    scrap.shortDescription = "SCRAP";
    Reason category;
    category.description = "A category";
    EXPECT_FALSE(pages().assignReason(0, category)); // no id: never assignable
    EXPECT_FALSE(pages().pages()[0].showsEditedMarkers);
    EXPECT_EQ(pages().reasonIdForFinder(0), 0);
    EXPECT_EQ(pages().commentForEditor(0), "");

    EXPECT_TRUE(pages().assignReason(0, scrap));
    EXPECT_TRUE(pages().pages()[0].showsEditedMarkers); // at once, before the rebuild
    EXPECT_EQ(pages().reasonIdForFinder(0), 12);
    EXPECT_TRUE(pages().applyComment(0, "Scrap bucket late"));
    EXPECT_EQ(pages().commentForEditor(0), "Scrap bucket late");
    auto edits = storedEdits(201);
    ASSERT_EQ(edits.size(), 1u);
    EXPECT_EQ(edits[0]->reasonId, 12);
    EXPECT_EQ(edits[0]->comment, "Scrap bucket late");

    settle();
    ASSERT_TRUE(executor->runUntil([&] { return pages().pages()[0].delay->isEdited; }));
    EXPECT_TRUE(pages().pages()[0].showsEditedMarkers);
    EXPECT_EQ(pages().pages()[0].delay->comment, "Scrap bucket late");

    pages().askUndo(0);
    ASSERT_EQ(presenter.alerts.size(), 1u);
    EXPECT_EQ(presenter.alerts[0].title, "Do you want to undo all changes?");
    EXPECT_EQ(presenter.alerts[0].message, "If you select Yes, all changes will be lost.");
    presenter.answer("No");
    EXPECT_EQ(storedEdits(201).size(), 1u);
    pages().askUndo(0);
    presenter.answer("Yes");
    EXPECT_TRUE(storedEdits(201).empty());
    settle();
    ASSERT_TRUE(executor->runUntil([&] { return !pages().pages()[0].delay->isEdited; }));
}

// An edit reaches the pages as what it changed: the edited page anew, a split's second piece put in after it,
// an undone split's piece taken out; every other page (its thumb, its rules, an editor on it) stays as it was.
TEST_F(DelayPagesFlowTest, AnEditChangesOnlyItsPageAndASplitInsertsOne)
{
    showFirstHeat();
    std::vector<std::pair<flows::DelayPagesFlow::Change, std::size_t>> changes;
    const auto watching = pages().setChangeHandler(
        [&](flows::DelayPagesFlow::Change change, std::size_t index) { changes.emplace_back(change, index); });
    using Change = flows::DelayPagesFlow::Change;
    pages().sliderReleased(1, 40);
    const auto secondModel = pages().pages()[1].model;
    const auto second = *pages().editorTarget(1);
    changes.clear();

    Reason scrap;
    scrap.id = 12;
    scrap.description = "Waiting for scrap";
    ASSERT_TRUE(pages().assignReason(0, scrap));
    settle();
    ASSERT_TRUE(executor->runUntil([&] { return pages().pages()[0].delay->isEdited; }));
    const decltype(changes) reasonChanges{{Change::page, 0}, {Change::page, 0}}; // the marker at once, the edit
    EXPECT_EQ(changes, reasonChanges);
    EXPECT_EQ(pages().pages()[1].model, secondModel);
    EXPECT_EQ(pages().pages()[1].sliderValue, 40);

    // The split of the first page: it changes, its second piece comes in after it and is the page in view.
    changes.clear();
    pages().sliderReleased(0, 100);
    pages().askSplit(0);
    presenter.answer("Split");
    settle();
    ASSERT_TRUE(executor->runUntil([&] { return pages().pages().size() == 3; }));
    const decltype(changes) splitChanges{
        {Change::page, 0}, {Change::page, 0}, {Change::inserted, 1}, {Change::currentPage, 1}};
    EXPECT_EQ(changes, splitChanges);
    EXPECT_EQ(pages().currentIndex(), 1u);
    EXPECT_EQ(pages().pages()[2].model, secondModel);
    EXPECT_EQ(pages().pageFor(second), 2u);

    // Undone: the piece goes, the first page is the stored delay again.
    changes.clear();
    pages().askUndo(1);
    presenter.answer("Yes");
    settle();
    ASSERT_TRUE(executor->runUntil([&] { return pages().pages().size() == 2; }));
    EXPECT_FALSE(pages().pages()[0].delay->isEdited);
    EXPECT_EQ(pages().pages()[1].model, secondModel);
    EXPECT_TRUE(std::none_of(changes.begin(), changes.end(), [](const auto& c) { return c.first == Change::pages; }));
}

// An editor belongs to its delay, not to a page index: across a rebuild it follows the delay to its new page,
// and when the delay is gone its choice lands nowhere and its typed comment is kept as an edit, with a notice.
TEST_F(DelayPagesFlowTest, AnEditorFollowsItsDelayAcrossRebuildsAndKeepsAGoneDelaysComment)
{
    showFirstHeat();
    const auto delays = *app->heatDetail()->heat()->delays;
    const auto second = *pages().editorTarget(1);
    pages().setDelays({delays[1], delays[0]}, std::nullopt);
    EXPECT_EQ(pages().pageFor(second), 0u);

    // A finder opened on one heat's delay, the pages rebuilt for another heat: its choice goes nowhere.
    auto finder = pages().makeReasonFinder(1);
    ASSERT_TRUE(executor->runUntil([&] { return running("ReasonsList") != nullptr; }));
    ASSERT_TRUE(reply("ReasonsList", R"({"resultInformation":{"success":true},"data":[{"delayCategoryId":1,
        "description":"C1","shortDescription":"C1","childReasons":[
          {"delayReasonId":8,"delayCategoryId":80,"description":"R8","shortDescription":"R8"}]}]})"));
    ASSERT_TRUE(executor->runUntil([&] { return !finder->finder().rows().empty(); }));
    for (std::size_t row = 0; row < 30 && !finder->finder().isAssignEnabled(); ++row) {
        finder->tapRow(row);
    }
    ASSERT_TRUE(finder->finder().isAssignEnabled());
    const auto other = screens::findHeat(app->heatsList()->heats(), 202);
    ASSERT_TRUE(other && other->delays);
    pages().setDelays(*other->delays, std::nullopt);
    EXPECT_FALSE(pages().pageFor(second));
    EXPECT_TRUE(finder->assign());
    EXPECT_TRUE(storedEdits(202).empty());
    EXPECT_TRUE(storedEdits(201).empty());

    // A comment typed for the gone delay is kept as its edit, and said so.
    pages().keepCommentOfVanishedDelay(second, "  Typed before the reload ");
    const auto kept = storedEdits(201);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0]->comment, "Typed before the reload");
    ASSERT_EQ(presenter.alerts.size(), 1u);
    EXPECT_EQ(presenter.alerts[0].title, flows::DelayPagesFlow::commentKeptTitle);
}

TEST_F(DelayPagesFlowTest, AnAutomaticSaveWithoutNetworkIsTheFlowsAlertAndTheEditStays)
{
    showFirstHeat();
    context->configuration->setIsAutoSaveEnabled(true);
    struct Offline final : ConnectivityStatus {
        bool isInternetAvailable() const override { return false; }
    };
    auto environment = app->heatDetail()->editEnvironment();
    environment.connectivity = std::make_shared<Offline>();
    auto offlinePages = flows::DelayPagesFlow::create({context, executor, presenter.ref(), environment});
    offlinePages->setDelays(*app->heatDetail()->heat()->delays, std::nullopt);
    Reason scrap;
    scrap.id = 12;
    scrap.description = "Waiting for scrap";
    EXPECT_TRUE(offlinePages->assignReason(0, scrap));
    ASSERT_EQ(presenter.alerts.size(), 1u);
    EXPECT_EQ(presenter.alerts[0].title, "No Internet Connection");
    EXPECT_EQ(presenter.alerts[0].message, "Make sure your device is connected to the internet.");
    EXPECT_TRUE(presenter.alerts[0].error);
    EXPECT_EQ(storedEdits(201).size(), 1u);
    EXPECT_EQ(running("SaveDelays"), nullptr);
}

TEST(HeatDetailLayoutTest, FractionsFollowTheAutomaticSaveOption)
{
    namespace layout = screens::HeatDetailLayout;
    const auto off = layout::column(700, 630, false); // 600 usable points
    EXPECT_EQ(off.upperPart, (screens::Rect{10, 10, 680, 174}));
    EXPECT_EQ(off.delayPages, (screens::Rect{0, 194, 700, 390}));
    EXPECT_EQ(off.saveButton, (screens::Rect{10, 584, 680, 36}));
    const auto on = layout::column(700, 630, true);
    EXPECT_EQ(on.upperPart.height, 186);
    EXPECT_EQ(on.delayPages.height, 414);
    EXPECT_EQ(on.saveButton.height, 0);
    // Outward rounding: 100.5 points of height from y 10 end at 111.
    EXPECT_EQ(layout::integral({10.4, 10.6, 20, 100.5}), (screens::Rect{10, 10, 21, 102}));

    const auto upper = layout::upperPart(600, 216); // 200 below the top inset
    EXPECT_EQ(upper.title, (screens::Rect{16, 16, 568, 40}));
    EXPECT_EQ(upper.powerOffChart, (screens::Rect{0, 66, 300, 150}));
    EXPECT_EQ(upper.barChart, (screens::Rect{300, 66, 300, 150}));
}

} // namespace
} // namespace orvendel::test
