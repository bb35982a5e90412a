#include "core/editing/heats_source.hpp"
#include "core/flows/furnace_selection_flow.hpp"
#include "core/model/screen_notifications.hpp"
#include "flow_fixture.hpp"
#include "support/notification_recorder.hpp"
#include "support/scoped_environment.hpp"

#include <nlohmann/json.hpp>

#include <future>

namespace orvendel::test {
namespace {

namespace sn = screen_notifications;
namespace dn = download_notifications;

class HeatsListFlowTest : public FlowFixture {
protected:
    // The list shows the newest heat first.
    std::size_t indexOf(int heatId)
    {
        const auto& sections = *app->heatsList()->tableData();
        for (std::size_t i = 0; i < sections.size(); ++i) {
            if (sections[i].heatId == heatId) {
                return i;
            }
        }
        ADD_FAILURE() << "heat " << heatId << " not listed";
        return 0;
    }
    const screens::Section& section(int heatId) { return app->heatsList()->tableData()->at(indexOf(heatId)); }

    bool anyItemEdited()
    {
        for (const auto& section : *app->heatsList()->tableData()) {
            for (const auto& item : section.items) {
                if (item.isDelayEdited) {
                    return true;
                }
            }
        }
        return false;
    }

    int selectedFurnace() { return context->configuration->selectedFurnaceId(); }

    Instant startOf(int heatId, std::size_t index)
    {
        const auto heat = screens::findHeat(app->heatsList()->heats(), heatId);
        EXPECT_TRUE(heat && heat->delays && heat->delays->size() > index);
        return (*heat->delays)[index]->startDate.date;
    }

    // What the table shows, row by row.
    std::vector<std::string> rows()
    {
        std::vector<std::string> result;
        for (const auto& section : *app->heatsList()->tableData()) {
            for (const auto& item : section.items) {
                result.push_back(std::to_string(section.heatId) + " " + item.title + " " + item.description +
                                 (item.isDelayEdited ? " *" : ""));
            }
        }
        return result;
    }

    void drain()
    {
        executor->runUntil([&] { return executor->pending() == 0; });
    }

    static Furnace furnaceOne()
    {
        Furnace furnace;
        furnace.id = 1;
        furnace.name = "EAF 1";
        return furnace;
    }
};

TEST_F(HeatsListFlowTest, SignInDownloadsTheFurnacesThenThePairAndBuildsTheSections)
{
    signIn();
    std::vector<flows::HeatsListChange::Kind> changes;
    const auto watching =
        app->heatsList()->setChangeHandler([&](flows::HeatsListChange change) { changes.push_back(change.kind); });
    EXPECT_TRUE(app->heatsList()->isRefreshing());
    EXPECT_TRUE(app->heatsList()->showsEmptyState());
    EXPECT_FALSE(app->heatsList()->isFurnaceButtonEnabled());
    loadFurnace();

    const auto& list = *app->heatsList();
    EXPECT_EQ(list.title(), "EAF 2");
    EXPECT_TRUE(list.isFurnaceButtonEnabled());
    EXPECT_FALSE(list.isRefreshing());
    EXPECT_FALSE(list.showsEmptyState());
    ASSERT_EQ(list.tableData()->size(), 2u);

    EXPECT_EQ(section(201).heatNumber, 501);
    EXPECT_TRUE(section(201).collapsed);
    EXPECT_TRUE(section(201).items[0].isDelayUnknown);
    EXPECT_EQ(section(201).items[1].description, "08:30:00 - 1.5 min");
    EXPECT_NE(std::find(changes.begin(), changes.end(), flows::HeatsListChange::Kind::table), changes.end());

    // A heat that was expanded stays expanded after a refresh.
    app->heatsList()->toggleSection(indexOf(202));
    app->heatsList()->refresh();
    answerPair();
    EXPECT_TRUE(section(201).collapsed);
    EXPECT_FALSE(section(202).collapsed);
}

// The day the service answers for is the one the session's clock shows in its own zone, with the offset in
// force at the clock's now: not the machine's zone, nor the offset at the real now. The language is the
// session's too, not the one the environment says at the time of the request.
TEST_F(HeatsListFlowTest, TheDelaysRequestIsDatedAndLocalisedByTheSessionNotTheMachine)
{
    using namespace std::chrono;
    const ScopedEnvironment language("LC_ALL", "fr_FR.UTF-8");
    nlohmann::json sent;
    const auto sentRequestDate = [&] {
        EXPECT_TRUE(executor->runUntil([&] { return running("Last24HoursDelays") != nullptr; }));
        const auto session = running("Last24HoursDelays");
        sent = session ? nlohmann::json::parse(session->requests.back().body) : nlohmann::json::object();
        return sent["data"].value("requestDate", std::string());
    };
    // Berlin's spring change of 2024, long past: at 22:30 UTC the 30th of March still has an hour to go there,
    // whereas with the offset after the change (the one in force at the real now) it would be the 31st.
    const sys_seconds change = sys_days{year{2024} / March / 31} + 1h;
    clock->setZone(1h, change, 2h);
    clock->setNow(change - 150min);
    signIn();
    ASSERT_TRUE(executor->runUntil([&] { return running("FurnacesList") != nullptr; }));
    ASSERT_TRUE(reply("FurnacesList", furnacesReply()));
    EXPECT_EQ(sentRequestDate(), "2024-03-30T23:30:00+01:00");
    EXPECT_EQ(sent["commonData"].value("locale", std::string()), "de-CH");
    answerPair();

    // Noon UTC is the next day at UTC+14.
    clock->setZone(14h);
    clock->setNow(sys_days{year{2031} / June / 15} + 12h);
    app->heatsList()->refresh();
    EXPECT_EQ(sentRequestDate(), "2031-06-16T02:00:00+14:00");
}

TEST_F(HeatsListFlowTest, ADownloadAskedForWhileAPairIsInFlightFollowsIt)
{
    signIn();
    loadFurnace();
    auto& center = *context->notificationCenter;
    center.post(sn::DownloadAndReloadDelays{});
    ASSERT_TRUE(executor->runUntil([&] { return transport->requestsTo("Last24HoursDelays") == 2; }));
    // A save finished meanwhile: its reload must not be lost in the running pair.
    center.post(sn::DownloadAndReloadDelays{});
    // A pull to refresh adds nothing: the running pair brings the data.
    app->heatsList()->refresh();
    executor->runUntil([&] { return executor->pending() == 0; });
    EXPECT_EQ(transport->requestsTo("Last24HoursDelays"), 2u);
    ASSERT_TRUE(reply("Last24HoursDelays", delaysReply()));
    ASSERT_TRUE(reply("ReasonsList", reasonsReply()));
    ASSERT_TRUE(executor->runUntil([&] { return transport->requestsTo("Last24HoursDelays") == 3; }));
    answerPair();
    EXPECT_EQ(transport->requestsTo("Last24HoursDelays"), 3u);
}

TEST_F(HeatsListFlowTest, OnlyThePairsOwnRequestsCompleteIt)
{
    signIn();
    loadFurnace();
    auto list = app->heatsList();
    NotificationRecorder<dn::ReasonsDownloaded, dn::ReasonsDownloadFailed> recorder(*context->notificationCenter);
    list->refresh();
    ASSERT_TRUE(executor->runUntil([&] { return running("ReasonsList") != nullptr; }));
    ASSERT_TRUE(reply("Last24HoursDelays", delaysReply()));

    // Another screen's reasons download, failing and then succeeding, neither completes nor fails the pair.
    context->downloads->downloadReasons(2, std::string("finder-1"));
    ASSERT_TRUE(executor->runUntil([&] { return transport->requestsTo("ReasonsList") == 3; }));
    ASSERT_TRUE(reply("ReasonsList", "<html>oops</html>", 500));
    ASSERT_TRUE(recorder.waitFor<dn::ReasonsDownloadFailed>());
    context->downloads->downloadReasons(2, std::string("finder-2"));
    ASSERT_TRUE(executor->runUntil([&] { return transport->requestsTo("ReasonsList") == 4; }));
    ASSERT_TRUE(reply("ReasonsList", reasonsReply()));
    ASSERT_TRUE(recorder.waitFor<dn::ReasonsDownloaded>());
    drain();
    EXPECT_TRUE(list->isDownloadingPair());
    EXPECT_TRUE(list->isRefreshing());
    EXPECT_TRUE(presenter.alerts.empty());

    // The pair's own reasons failing does.
    ASSERT_TRUE(reply("ReasonsList", "<html>oops</html>", 500));
    settle();
    EXPECT_FALSE(list->isDownloadingPair());
    EXPECT_FALSE(list->isRefreshing());
    EXPECT_EQ(presenter.titles(), std::vector<std::string>{"Problem"});
}

TEST_F(HeatsListFlowTest, TurningAPageMovesTheSelectionSoARebuildShowsThatPage)
{
    signIn();
    loadFurnace();
    auto list = app->heatsList();
    list->selectRow(indexOf(201), 0);
    auto& center = *context->notificationCenter;
    center.post(sn::DidSelectDelay{{201, startOf(201, 1)}});
    drain();
    EXPECT_EQ(list->selectedHeatDelay()->delayStartDate, startOf(201, 1));
    EXPECT_EQ(list->highlightedRow(), (screens::RowPosition{indexOf(201), 1}));

    list->updateTable();
    settle();
    EXPECT_EQ(app->heatDetail()->selectedDelay()->delayId, 12);
    EXPECT_EQ(list->highlightedRow(), (screens::RowPosition{indexOf(201), 1}));

    // A page of another heat than the selected one moves nothing.
    center.post(sn::DidSelectDelay{{202, startOf(202, 0)}});
    drain();
    EXPECT_EQ(list->selectedHeatDelay()->heatId, 201);
    EXPECT_EQ(list->highlightedRow(), (screens::RowPosition{indexOf(201), 1}));
}

TEST_F(HeatsListFlowTest, AnEditIsLaidOverTheHeatsLastReadWithoutReadingTheDatabase)
{
    signIn();
    loadFurnace();
    auto list = app->heatsList();
    list->selectRow(indexOf(201), 1);
    const auto stored = screens::findHeat(list->heats(), 201);
    const auto storedFirst = (*stored->delays)[0];
    const auto edit = addEdit(201);
    std::vector<flows::HeatsListChange> changes;
    auto watching = list->setChangeHandler([&](flows::HeatsListChange change) { changes.push_back(change); });

    // The database is held up: a reload that read it could not finish.
    std::promise<void> release;
    context->database->databaseQueue().async([held = release.get_future().share()] { held.wait(); });
    context->notificationCenter->post(sn::ReloadData{{201, edit->startDate.date}});
    const bool started = executor->runUntil([&] { return list->isBusy(); });
    const bool rebuilt = started && executor->runUntil([&] { return !list->isBusy(); });
    release.set_value();
    ASSERT_TRUE(rebuilt) << "the reload waited for the database";

    EXPECT_TRUE(section(201).items[0].isDelayEdited);
    // One row of one section changed, and the header's unknown count with it; nothing was rebuilt.
    using Kind = flows::HeatsListChange::Kind;
    ASSERT_EQ(std::count_if(changes.begin(), changes.end(), [](const auto& c) { return c.kind == Kind::rows; }), 1);
    EXPECT_EQ(std::count_if(changes.begin(), changes.end(), [](const auto& c) { return c.kind == Kind::table; }), 0);
    const auto rowsChange =
        *std::find_if(changes.begin(), changes.end(), [](const auto& c) { return c.kind == Kind::rows; });
    EXPECT_EQ(rowsChange.section, indexOf(201));
    EXPECT_EQ(rowsChange.rows.first, 0u);
    EXPECT_EQ(rowsChange.rows.changed, 1u);
    EXPECT_EQ(rowsChange.rows.inserted + rowsChange.rows.removed, 0u);
    EXPECT_TRUE(rowsChange.rows.headerChanged);
    watching.reset();
    EXPECT_EQ(list->selectedHeatDelay()->delayStartDate, edit->startDate.date);
    EXPECT_EQ(app->heatDetail()->selectedDelay(), edit);
    // The heats kept for the next reload are the stored ones, untouched by the overlay.
    EXPECT_EQ((*stored->delays)[0], storedFirst);
    EXPECT_FALSE(storedFirst->isEdited);

    // The same rows as a read from the database gives; an undo is laid over the kept heats as well.
    const auto afterReload = rows();
    list->updateTable();
    settle();
    EXPECT_EQ(rows(), afterReload);
    context->edits->removeEditedDelaysWithDelayId(11, 201);
    context->notificationCenter->post(sn::ReloadData{{201, edit->startDate.date}});
    ASSERT_TRUE(executor->runUntil([&] { return list->isBusy(); }));
    settle();
    EXPECT_FALSE(anyItemEdited());
    EXPECT_EQ(list->selectedHeatDelay()->heatId, 201);
}

// The source behind the list: an edit is laid over the heat last read, in the order the edits reached the
// store, and only over a heat of the furnace read.
TEST_F(HeatsListFlowTest, TheSourceLaysEachEditOverTheHeatsReadInTheOrderTheyCame)
{
    signIn();
    loadFurnace();
    auto source = HeatsSource::create(context->database, context->edits);
    const auto update = [&](int furnaceId, int heatId) {
        std::promise<std::optional<HeatsSource::HeatUpdate>> promise;
        source->editsChanged(furnaceId, heatId, [&](auto update) { promise.set_value(std::move(update)); });
        return promise.get_future().get();
    };
    EXPECT_FALSE(update(2, 201)) << "nothing read yet";

    std::promise<Result<HeatsSource::Heats>> read;
    source->read(2, [&](Result<HeatsSource::Heats> heats) { read.set_value(std::move(heats)); });
    const auto heats = read.get_future().get();
    ASSERT_TRUE(heats);
    const auto stored = screens::findHeat(heats->heats, 201);
    ASSERT_TRUE(stored && stored->delays);

    // Two edits of the same delay, each followed by its update: each update holds its own edit.
    std::vector<int> seen;
    std::promise<void> done;
    for (const int reasonId : {12, 13}) {
        auto edit = (*stored->delays)[0]->copy();
        edit->reasonId = reasonId;
        edit->isEdited = true;
        context->edits->addEditedDelay(edit);
        source->editsChanged(2, 201, [&, reasonId](std::optional<HeatsSource::HeatUpdate> update) {
            seen.push_back(update ? (*update->heat->delays)[0]->reasonId : -1);
            if (reasonId == 13) {
                done.set_value();
            }
        });
    }
    done.get_future().get();
    EXPECT_EQ(seen, (std::vector<int>{12, 13}));
    EXPECT_FALSE((*stored->delays)[0]->isEdited) << "the heats read are never changed";
    EXPECT_FALSE(update(1, 201)) << "another furnace";
    EXPECT_FALSE(update(2, 999)) << "a heat not read";
}

TEST_F(HeatsListFlowTest, StoredDelaysAreShownEvenWhenTheirReasonsFail)
{
    signIn();
    loadFurnace();
    ASSERT_TRUE(section(201).items[0].isDelayUnknown);
    app->heatsList()->refresh();
    ASSERT_TRUE(executor->runUntil([&] { return running("ReasonsList") != nullptr; }));
    ASSERT_TRUE(reply("Last24HoursDelays", delaysReply(2, 12)));
    ASSERT_TRUE(reply("ReasonsList", "<html>oops</html>", 500));
    settle();
    EXPECT_FALSE(section(201).items[0].isDelayUnknown);
    EXPECT_EQ(presenter.titles().back(), "Problem");
    EXPECT_FALSE(app->heatsList()->isRefreshing());
}

TEST_F(HeatsListFlowTest, EachRebuildLaysTheEditsOverItsOwnRead)
{
    signIn();
    loadFurnace();
    const auto edit = addEdit(201);
    auto list = app->heatsList();
    // Two reads land before the first rebuild; the edit is undone between the two.
    list->updateTable();
    list->updateTable();
    ASSERT_TRUE(executor->runOne()); // first read: asks the store (which still holds the edit)
    context->edits->removeEditedDelay(edit->startDate.date, edit->heatId);
    ASSERT_TRUE(executor->runOne()); // second read: asks the store again, after the undo
    settle();
    EXPECT_FALSE(anyItemEdited());
}

TEST_F(HeatsListFlowTest, AnotherHeatsRowGuardsTheSelectedHeatsEdits)
{
    signIn();
    loadFurnace();
    auto list = app->heatsList();
    list->selectRow(indexOf(201), 1);
    ASSERT_EQ(app->heatDetail()->heat()->heatId, 201);
    EXPECT_EQ(app->heatDetail()->selectedDelay()->delayId, 12);
    list->selectRow(indexOf(201), 0); // same heat: only the page moves
    EXPECT_EQ(app->heatDetail()->selectedDelay()->delayId, 11);
    addEdit(201);
    settle();

    list->selectRow(indexOf(202), 0);
    ASSERT_TRUE(executor->runUntil([&] { return !presenter.alerts.empty(); }));
    EXPECT_EQ(presenter.alerts.back().title, "You have unsaved delays. Do you want to proceed?");
    presenter.answer("No");
    EXPECT_EQ(list->selectedHeatDelay()->heatId, 201);
    EXPECT_EQ(list->highlightedRow(), (screens::RowPosition{indexOf(201), 0}));
    EXPECT_TRUE(context->edits->hasEditedDelays(201));

    list->selectRow(indexOf(202), 0);
    ASSERT_TRUE(executor->runUntil([&] { return presenter.alerts.size() == 2; }));
    presenter.answer("Yes");
    settle();
    EXPECT_FALSE(context->edits->hasEditedDelays(201));
    EXPECT_EQ(app->heatDetail()->heat()->heatId, 202);
    EXPECT_EQ(list->highlightedRow(), (screens::RowPosition{indexOf(202), 0}));
}

TEST_F(HeatsListFlowTest, AFurnaceSwitchIsStoredOnlyOnceTheQuestionIsAnsweredYes)
{
    signIn();
    loadFurnace();
    auto list = app->heatsList();
    list->selectRow(indexOf(201), 0);
    addEdit(201);
    settle();

    list->didSelectFurnace(furnaceOne());
    ASSERT_TRUE(executor->runUntil([&] { return !presenter.alerts.empty(); }));
    // While the question is open, the shown furnace is still the selected one.
    EXPECT_EQ(selectedFurnace(), 2);
    presenter.answer("No");
    settle();
    EXPECT_EQ(selectedFurnace(), 2);
    EXPECT_EQ(transport->requestsTo("Last24HoursDelays"), 1u);
    EXPECT_TRUE(context->edits->hasEditedDelays(201));

    list->didSelectFurnace(furnaceOne());
    ASSERT_TRUE(executor->runUntil([&] { return presenter.alerts.size() == 2; }));
    presenter.answer("Yes");
    EXPECT_EQ(selectedFurnace(), 1);
    EXPECT_FALSE(context->edits->hasEditedDelays(201));
    EXPECT_EQ(app->heatDetail()->emptyMessage(), "Select an item to display delays");
    answerPair(1);
    EXPECT_EQ(list->title(), "EAF 1");
    EXPECT_EQ(app->heatsList()->tableData()->size(), 2u);
    EXPECT_EQ(section(101).heatNumber, 501);
}

TEST_F(HeatsListFlowTest, AFurnaceSwitchDuringADownloadDownloadsTheNewFurnace)
{
    signIn();
    loadFurnace();
    app->heatsList()->refresh();
    ASSERT_TRUE(executor->runUntil([&] { return transport->requestsTo("Last24HoursDelays") == 2; }));
    app->heatsList()->didSelectFurnace(furnaceOne()); // nothing selected: no question
    executor->runUntil([&] { return executor->pending() == 0; });
    ASSERT_TRUE(reply("Last24HoursDelays", delaysReply(2)));
    ASSERT_TRUE(reply("ReasonsList", reasonsReply()));
    ASSERT_TRUE(executor->runUntil([&] { return transport->requestsTo("Last24HoursDelays") == 3; }));
    EXPECT_NE(running("Last24HoursDelays")->requests.back().body.find("\"furnaceId\":1"), std::string::npos);
    answerPair(1);
    EXPECT_EQ(app->heatsList()->tableData()->size(), 2u);
    EXPECT_EQ(section(101).heatNumber, 501);
}

TEST_F(HeatsListFlowTest, AFurnaceTheListDoesNotOfferLeavesTheStoredChoiceAlone)
{
    ASSERT_TRUE(app->signIn()->signIn("jdoe", "secret", 42));
    ASSERT_TRUE(reply("Authenticate", authenticateReply(2)));
    ASSERT_TRUE(executor->runUntil([&] { return app->isSignedIn(); }));
    loadFurnace();
    EXPECT_EQ(selectedFurnace(), 2);
    EXPECT_EQ(app->heatsList()->title(), "EAF 2");
}

TEST_F(HeatsListFlowTest, NoNetworkAlertsAndRequestsNothing)
{
    signIn();
    loadFurnace();
    connectivity = std::make_shared<flows::ServiceConnectivity>(flows::ConnectivityMode::offline, "x");
    // The flows hold their own connectivity: rebuild the screen on an offline one.
    auto offline = flows::HeatsListFlow::create({context, executor, connectivity, presenter.ref()});
    offline->start();
    EXPECT_EQ(presenter.alerts.back().title, "No Internet Connection");
    EXPECT_EQ(presenter.alerts.back().message, "Please check your internet connection and try again.. (ORVError:1015)");
    EXPECT_FALSE(offline->isRefreshing());
    EXPECT_EQ(transport->requestsTo("FurnacesList"), 1u);
}

// A broken database must not look like a plant without heats or furnaces: the read's failure is shown, and
// what the screens showed stays.
TEST_F(HeatsListFlowTest, AFailedReadOfTheHeatsOrFurnacesAlertsAndKeepsWhatWasShown)
{
    signIn();
    loadFurnace();
    auto list = app->heatsList();
    const auto shown = rows();
    ASSERT_FALSE(shown.empty());
    const auto alertsBefore = presenter.alerts.size();
    damageDatabase();

    const auto expectReadFailure = [&](const flows::Alert& alert) {
        EXPECT_EQ(alert.title, "Problem");
        ASSERT_TRUE(alert.error);
        EXPECT_EQ(alert.error->domain, SqlDatabase::errorDomain);
        EXPECT_NE(alert.message.find("not a database"), std::string::npos) << alert.message;
    };
    list->updateTable();
    settle();
    ASSERT_EQ(presenter.alerts.size(), alertsBefore + 1);
    expectReadFailure(presenter.alerts.back());
    EXPECT_EQ(rows(), shown);
    EXPECT_FALSE(list->showsEmptyState());
    EXPECT_EQ(list->title(), "EAF 2");

    auto selection = flows::FurnaceSelectionFlow::create(executor, list);
    selection->load();
    ASSERT_TRUE(executor->runUntil([&] { return selection->isLoaded(); }));
    ASSERT_TRUE(selection->loadError());
    ASSERT_EQ(presenter.alerts.size(), alertsBefore + 2);
    expectReadFailure(presenter.alerts.back());
}

TEST_F(HeatsListFlowTest, AFailedReadOfTheDownloadedFurnacesAlertsAndARefreshTriesAgain)
{
    NotificationRecorder<dn::FurnacesDownloaded> stored(*context->notificationCenter);
    signIn();
    ASSERT_TRUE(executor->runUntil([&] { return running("FurnacesList") != nullptr; }));
    ASSERT_TRUE(reply("FurnacesList", furnacesReply()));
    // The list is stored; the flow has not read it yet (it reads on this thread, which the test holds).
    ASSERT_TRUE(stored.waitFor<dn::FurnacesDownloaded>());
    damageDatabase();
    settle();

    auto list = app->heatsList();
    ASSERT_FALSE(presenter.alerts.empty());
    EXPECT_EQ(presenter.alerts.back().title, "Problem");
    ASSERT_TRUE(presenter.alerts.back().error);
    EXPECT_EQ(presenter.alerts.back().error->domain, SqlDatabase::errorDomain);
    EXPECT_FALSE(list->loadedSession());
    EXPECT_FALSE(list->isRefreshing());
    EXPECT_EQ(transport->requestsTo("Last24HoursDelays"), 0u);

    // Not "no furnaces" for good: a refresh downloads the list again.
    list->refresh();
    ASSERT_TRUE(executor->runUntil([&] { return running("FurnacesList") != nullptr; }));
}

} // namespace
} // namespace orvendel::test
