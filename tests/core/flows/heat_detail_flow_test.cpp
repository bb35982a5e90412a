#include "core/flows/settings_flow.hpp"
#include "core/model/screen_notifications.hpp"
#include "core/platform/http_transport.hpp"
#include "flow_fixture.hpp"
#include "support/full_disk_vfs.hpp"

namespace orvendel::test {
namespace {

class HeatDetailFlowTest : public FlowFixture {};

TEST_F(HeatDetailFlowTest, ShowsTheSelectedHeatOrAMessage)
{
    signIn();
    auto detail = app->heatDetail();
    EXPECT_EQ(detail->emptyMessage(), "Select an item to display delays");
    loadFurnace();
    auto heat = std::make_shared<Heat>(*screens::findHeat(app->heatsList()->heats(), 201));
    detail->showHeat(heat, Instant{});
    EXPECT_FALSE(detail->emptyMessage());
    EXPECT_EQ(detail->selectedDelay()->delayId, 11); // no delay starts there: the first one
    detail->selectDelay((*heat->delays)[1]->startDate.date, 999);
    EXPECT_EQ(detail->selectedDelay()->delayId, 11); // another heat's selection is ignored
    // So is a page turn announced for another heat; one for the shown heat moves the selection.
    const Instant second = (*heat->delays)[1]->startDate.date;
    context->notificationCenter->post(screen_notifications::DidSelectDelay{{999, second}});
    settle();
    EXPECT_NE(detail->selectedDelayStartDate(), second);
    context->notificationCenter->post(screen_notifications::DidSelectDelay{{201, second}});
    ASSERT_TRUE(executor->runUntil([&] { return detail->selectedDelayStartDate() == second; }));

    auto withoutDelays = std::make_shared<Heat>(*heat);
    withoutDelays->delays.reset();
    detail->showHeat(withoutDelays, Instant{});
    EXPECT_EQ(detail->emptyMessage(), "The selected heat has no delays to display");
    EXPECT_EQ(detail->heat(), heat); // kept behind the cover
}

TEST_F(HeatDetailFlowTest, SavingSendsTheShownHeatsEditsAndDownloadsAgain)
{
    showFirstHeat();
    auto detail = app->heatDetail();
    EXPECT_TRUE(detail->isSaveButtonShown());
    EXPECT_FALSE(detail->isSaveButtonEnabled());
    addEdit(201);
    ASSERT_TRUE(executor->runUntil([&] { return detail->isSaveButtonEnabled(); }));

    EXPECT_EQ(detail->saveShownHeat(), flows::HeatDetailFlow::SaveStart::started);
    ASSERT_TRUE(executor->runUntil([&] { return running("SaveDelays") != nullptr; }));
    ASSERT_TRUE(executor->runUntil([&] { return !presenter.alerts.empty(); }));
    EXPECT_EQ(presenter.alerts.back().message, "Saving...");
    EXPECT_TRUE(presenter.alerts.back().actions.empty());
    ASSERT_TRUE(reply("SaveDelays", R"({"resultInformation":{"success":true}})"));
    ASSERT_TRUE(executor->runUntil([&] { return !detail->isSaving(); }));
    EXPECT_EQ(presenter.dismissals, 1);
    EXPECT_FALSE(context->edits->hasEditedDelays(201));
    const auto outcomes = detail->takeOutcomes();
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_TRUE(outcomes[0].saved);
    // The list downloads the furnace again to show the service's versions.
    ASSERT_TRUE(executor->runUntil([&] { return transport->requestsTo("Last24HoursDelays") == 2; }));
    answerPair();
    EXPECT_FALSE(detail->isSaveButtonEnabled());
}

TEST_F(HeatDetailFlowTest, AnEditTheDiskCannotTakeIsToldAtOnceAndWrittenWhenSpaceReturns)
{
    FullDiskVfs disk;
    showFirstHeat();
    ASSERT_TRUE(context->edits->hasOpenJournal());
    disk.setFull(true);
    addEdit(201);
    ASSERT_TRUE(executor->runUntil([&] { return !presenter.alerts.empty(); }));
    EXPECT_EQ(presenter.alerts.back().title, "Edit Not Saved on This Device");
    EXPECT_EQ(presenter.alerts.back().message, "The edit is kept until the app closes, but could not be written to "
                                               "this device: database or disk is full.");
    auto state = context->edits->diskState();
    EXPECT_EQ(state.onDisk, 0u);
    EXPECT_EQ(state.notOnDisk, 1u);

    disk.setFull(false);
    addEdit(202);
    state = context->edits->diskState();
    EXPECT_EQ(state.onDisk, 2u);
    EXPECT_EQ(state.notOnDisk, 0u);
    EXPECT_EQ(presenter.alerts.size(), 1u);
}

TEST_F(HeatDetailFlowTest, AFailedSaveKeepsTheEditsAndNothingToSaveSendsNothing)
{
    showFirstHeat();
    auto detail = app->heatDetail();
    detail->saveShownHeat();
    ASSERT_TRUE(executor->runUntil([&] { return !detail->isSaving(); }));
    EXPECT_TRUE(detail->takeOutcomes().at(0).nothingToSave);
    EXPECT_TRUE(presenter.alerts.empty());
    EXPECT_EQ(transport->requestsTo("SaveDelays"), 0u);

    addEdit(201);
    detail->saveShownHeat();
    ASSERT_TRUE(executor->runUntil([&] { return running("SaveDelays") != nullptr; }));
    ASSERT_TRUE(
        reply("SaveDelays", R"({"resultInformation":{"success":false,"errorCode":7,"errorDescription":"No."}})"));
    ASSERT_TRUE(executor->runUntil([&] { return !detail->isSaving(); }));
    EXPECT_EQ(presenter.alerts.back().title, "Error Saving Delays");
    EXPECT_EQ(presenter.alerts.back().message, "There was a problem with the server. (ServerError: 7)");
    EXPECT_EQ(presenter.dismissals, 1);
    EXPECT_TRUE(context->edits->hasEditedDelays(201));
}

TEST_F(HeatDetailFlowTest, AStaleRefusalIsExplainedAndDownloadsAgainAConnectionFailureIsExplained)
{
    showFirstHeat();
    auto detail = app->heatDetail();
    addEdit(201);
    detail->saveShownHeat();
    ASSERT_TRUE(executor->runUntil([&] { return running("SaveDelays") != nullptr; }));
    ASSERT_TRUE(reply("SaveDelays", R"({"resultInformation":{"success":false,"errorCode":10,
        "errorDescription":"Delay 11 was changed by someone else. Reload and try again."}})"));
    ASSERT_TRUE(executor->runUntil([&] { return !detail->isSaving(); }));
    // The list fetches the service's version without waiting for a refresh; the alert waits for it.
    EXPECT_EQ(transport->requestsTo("Last24HoursDelays"), 2u);
    EXPECT_TRUE(presenter.alerts.empty() || presenter.alerts.back().title != "Error Saving Delays");
    answerPair();
    ASSERT_FALSE(presenter.alerts.empty());
    EXPECT_EQ(presenter.alerts.back().title, "Error Saving Delays");
    EXPECT_EQ(presenter.alerts.back().message,
              "Someone else changed this heat's delays. Refresh to see their version; your changes to 1 delay will "
              "be replaced. There was a problem with the server. (ServerError: 10)");

    ASSERT_TRUE(context->edits->hasEditedDelays(201)); // the same timestamps came back
    detail->saveShownHeat();
    ASSERT_TRUE(executor->runUntil([&] { return running("SaveDelays") != nullptr; }));
    running("SaveDelays")->fail(transport_error::make(transport_error::timedOut));
    ASSERT_TRUE(executor->runUntil([&] { return !detail->isSaving(); }));
    EXPECT_EQ(presenter.alerts.back().message,
              "The server did not answer in time. Your changes are kept; check the connection and save again. "
              "The request timed out. (TransportError:2)");
    EXPECT_EQ(transport->requestsTo("Last24HoursDelays"), 2u);
    EXPECT_TRUE(context->edits->hasEditedDelays(201));
}

// The first try timed out but landed; the retry is refused as changed by someone else. The new download shows
// the service holding exactly the edit: it went quietly, and no failure is told.
TEST_F(HeatDetailFlowTest, ARetryRefusedBecauseTheFirstTryLandedSaysNothingWrong)
{
    showFirstHeat();
    auto detail = app->heatDetail();
    addEdit(201); // reason 12 on delay 11
    detail->saveShownHeat();
    ASSERT_TRUE(executor->runUntil([&] { return running("SaveDelays") != nullptr; }));
    ASSERT_TRUE(reply("SaveDelays", R"({"resultInformation":{"success":false,"errorCode":10,
        "errorDescription":"Delay 11 was changed by someone else. Reload and try again."}})"));
    ASSERT_TRUE(executor->runUntil([&] { return !detail->isSaving(); }));
    // The service's version: the edit itself, under a new timestamp.
    std::string landed = delaysReply(2, 12);
    landed.replace(landed.find("AAE="), 4, "AAX=");
    ASSERT_TRUE(executor->runUntil([&] { return running("ReasonsList") != nullptr; }));
    ASSERT_TRUE(reply("Last24HoursDelays", landed));
    ASSERT_TRUE(reply("ReasonsList", reasonsReply()));
    settle();
    ASSERT_TRUE(executor->runUntil([&] { return !context->edits->hasEditedDelays(201); }));
    for (const auto& alert : presenter.alerts) {
        EXPECT_NE(alert.title, "Error Saving Delays");
        EXPECT_NE(alert.title, "Edited Delays Removed");
    }
}

TEST_F(HeatDetailFlowTest, NothingIsSavedUnderTheCoverAndASaveGoesToTheHeatsOwnFurnace)
{
    showFirstHeat();
    auto detail = app->heatDetail();
    addEdit(201);
    ASSERT_TRUE(executor->runUntil([&] { return detail->isSaveButtonEnabled(); }));
    // What a furnace switch does to this screen: another furnace selected, the cover over heat 201.
    context->configuration->setSelectedFurnaceId(1);
    detail->showEmptyMessage(std::nullopt);

    EXPECT_EQ(detail->saveShownHeat(), flows::HeatDetailFlow::SaveStart::nothingToSave);
    executor->runUntil([&] { return executor->pending() == 0; });
    EXPECT_EQ(transport->requestsTo("SaveDelays"), 0u);
    EXPECT_TRUE(presenter.alerts.empty());

    // A heat named on purpose (the text front end) is still saved, for the furnace it came from.
    EXPECT_EQ(detail->save(201), flows::HeatDetailFlow::SaveStart::started);
    ASSERT_TRUE(executor->runUntil([&] { return running("SaveDelays") != nullptr; }));
    const std::string body = running("SaveDelays")->requests.back().body;
    EXPECT_NE(body.find("\"furnaceId\":2"), std::string::npos) << body;
}

TEST_F(HeatDetailFlowTest, TheAutomaticSaveOptionIsStoredAndHidesTheSaveButton)
{
    showFirstHeat();
    auto detail = app->heatDetail();
    flows::SettingsFlow settings(context, presenter.ref());
    EXPECT_FALSE(settings.isAutoSaveEnabled());
    settings.setAutoSaveEnabled(true);
    ASSERT_TRUE(executor->runUntil([&] { return !detail->isSaveButtonShown(); }));
    EXPECT_TRUE(settings.isAutoSaveEnabled());
    // The next screen of the same user reads it afresh.
    EXPECT_FALSE(
        flows::HeatDetailFlow::create({context, executor, connectivity, presenter.ref()})->isSaveButtonShown());

    bool cancelled = false;
    settings.askToLogout([&] { cancelled = true; });
    EXPECT_EQ(presenter.alerts.back().title, "Do you want to logout?");
    EXPECT_EQ(presenter.alerts.back().message, "All unsaved changes will be lost.");
    presenter.answer("Cancel");
    EXPECT_TRUE(cancelled);
    EXPECT_TRUE(app->isSignedIn());
    settings.askToLogout();
    presenter.answer("Logout");
    ASSERT_TRUE(executor->runUntil([&] { return !app->isSignedIn(); }));
}

} // namespace
} // namespace orvendel::test
