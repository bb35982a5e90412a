#include "session_fixture.hpp"
#include "support/full_disk_vfs.hpp"

#include <future>

namespace orvendel::test {
namespace {

namespace dn = download_notifications;
namespace ln = login_notifications;

const char* emptyListReply = R"({"resultInformation":{"success":true},"data":[]})";

// What the completions of delays and reasons pairs heard, from whichever thread ended them.
class PairOutcomes {
public:
    DownloadManager::PairCompletion completion()
    {
        return [this](Result<void> outcome) {
            std::lock_guard lock(m_mutex);
            m_outcomes.push_back(std::move(outcome));
        };
    }
    std::vector<Result<void>> outcomes() const
    {
        std::lock_guard lock(m_mutex);
        return m_outcomes;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<Result<void>> m_outcomes;
};

const char* furnacesReply = R"({"resultInformation":{"success":true},"data":[
    {"furnaceId":3,"furnaceName":"EAF 3"},{"furnaceId":9,"furnaceName":"--Spare"}]})";

class DownloadManagerTest : public SessionFixture {
protected:
    std::vector<FurnacePtr> storedFurnaces()
    {
        std::promise<std::vector<FurnacePtr>> promise;
        database->fetchFurnaces([&](Result<std::vector<FurnacePtr>> furnaces) {
            EXPECT_TRUE(furnaces);
            promise.set_value(furnaces.valueOr(std::vector<FurnacePtr>{}));
        });
        return promise.get_future().get();
    }

    // Answers the running pair's halves, delays first, and lets their stores finish.
    void answerPair(std::size_t nth, const std::string& delays, const std::string& reasons)
    {
        sessionFor("Last24HoursDelays", nth)->reply(200, delays);
        sessionFor("ReasonsList", nth)->reply(200, reasons);
        database->databaseQueue().drain();
    }

    DelayPtr someDelay(std::optional<int> delayId)
    {
        auto start = *ZonedDateTime::fromText("2026-12-06T05:06:07-05:00");
        auto end = *ZonedDateTime::fromText("2026-12-06T05:09:07-05:00");
        return std::make_shared<Delay>(41, delayId, 5, "Electrode", "ELE", start, end, "rgb(1, 2, 3)", "v1",
                                       std::nullopt);
    }
};

TEST_F(DownloadManagerTest, WithoutASessionNothingIsSentAndTheUserIsLoggedOut)
{
    NotificationRecorder<ln::Logout> recorder(center);
    downloadManager->downloadDelays(3, "2026-12-06T10:00:00Z");
    downloadManager->downloadFurnacesList();
    EXPECT_EQ(recorder.count<ln::Logout>(), 2U);
    EXPECT_EQ(recorder.named<ln::Logout>().at(0).sender, loginManager.get());
    EXPECT_EQ(transport->requestCount(), 0U);
}

TEST_F(DownloadManagerTest, DownloadsAreStoredThenAnnounced)
{
    signIn();
    NotificationRecorder<dn::FurnacesDownloaded, dn::FurnacesDownloadFailed, dn::ReasonsDownloaded> recorder(center);
    downloadManager->downloadFurnacesList();
    auto session = sessionFor("FurnacesList");
    ASSERT_TRUE(session);
    const auto& body = session->requests.at(0).body;
    EXPECT_NE(body.find(R"("sessionId":"T1")"), std::string::npos);
    EXPECT_EQ(body.find("furnaceId"), std::string::npos);
    session->reply(200, furnacesReply);
    ASSERT_TRUE(recorder.waitFor<dn::FurnacesDownloaded>());
    EXPECT_EQ(recorder.named<dn::FurnacesDownloaded>().at(0).sender, downloadManager.get());
    const auto furnaces = storedFurnaces();
    ASSERT_EQ(furnaces.size(), 1U);
    EXPECT_EQ(furnaces[0]->name, "EAF 3");

    // Success without data stores an empty list and is still a finished download.
    downloadManager->downloadReasons(3);
    sessionFor("ReasonsList")->reply(200, R"({"resultInformation":{"success":true},"data":null})");
    ASSERT_TRUE(recorder.waitFor<dn::ReasonsDownloaded>());
    EXPECT_EQ(downloadManager->activeRequestCount(), 0U);
}

TEST_F(DownloadManagerTest, AStoreOnAFullDiskFailsTheDownloadWithTheStoresError)
{
    signIn();
    FullDiskVfs disk;
    ASSERT_TRUE(database->openUserDatabase("jdoe")); // through the full-disk VFS
    NotificationRecorder<dn::DelaysDownloaded, dn::DelaysDownloadFailed> recorder(center);
    disk.setFull(true);
    downloadManager->downloadDelays(3, "2026-12-06T10:00:00Z");
    sessionFor("Last24HoursDelays")->reply(200, R"({"resultInformation":{"success":true},"data":[]})");
    ASSERT_TRUE(recorder.waitFor<dn::DelaysDownloadFailed>());
    const auto failure = recorder.named<dn::DelaysDownloadFailed>().at(0);
    EXPECT_EQ(failure.error.description, "database or disk is full");
    EXPECT_EQ(recorder.count<dn::DelaysDownloaded>(), 0U);
    database->databaseQueue().drain();
}

TEST_F(DownloadManagerTest, AStoreQueuedWhenTheManagerIsReleasedAnnouncesNothing)
{
    signIn();
    NotificationRecorder<dn::FurnacesDownloaded, dn::FurnacesDownloadFailed> recorder(center);
    std::promise<void> release;
    database->databaseQueue().async([held = release.get_future().share()] { held.wait(); });

    downloadManager->downloadFurnacesList();
    sessionFor("FurnacesList")->reply(200, furnacesReply); // its store waits behind the held queue
    downloadManager.reset();
    release.set_value();
    database->databaseQueue().drain();

    EXPECT_EQ(recorder.total(), 0U);
    EXPECT_EQ(storedFurnaces().size(), 1U); // the store itself still ran
}

TEST_F(DownloadManagerTest, ARequestThatOutlivesItsManagerReportsToNobody)
{
    signIn();
    transport->keepDelegatesWhileRunning = true; // the running request outlives the manager's lists
    NotificationRecorder<dn::FurnacesDownloaded, dn::FurnacesDownloadFailed, ln::Logout> recorder(center);
    downloadManager->downloadFurnacesList();
    auto session = sessionFor("FurnacesList");
    ASSERT_TRUE(session);
    downloadManager.reset();
    session->reply(200, expiredReply); // would park it and renew the session
    EXPECT_EQ(recorder.total(), 0U);
    EXPECT_EQ(transport->requestsTo("Authenticate"), 1U);
}

TEST_F(DownloadManagerTest, FailuresCarryTheErrorAndSavesTheirHeat)
{
    signIn();
    NotificationRecorder<dn::DelaysDownloadFailed, dn::DelaysSaveFailed, dn::DelaysSaved> recorder(center);
    downloadManager->downloadDelays(3, "2026-12-06T10:00:00Z");
    sessionFor("Last24HoursDelays")->reply(500, "<html>Internal Server Error</html>");
    ASSERT_EQ(recorder.count<dn::DelaysDownloadFailed>(), 1U);
    EXPECT_EQ(recorder.named<dn::DelaysDownloadFailed>()[0].error.code, orv_error::decodeFailure);

    // Success false without an error becomes 1014.
    downloadManager->saveDelays(3, 41, {someDelay(1)});
    sessionFor("SaveDelays")->reply(200, R"({"resultInformation":{"success":false}})");
    ASSERT_EQ(recorder.count<dn::DelaysSaveFailed>(), 1U);
    auto failed = recorder.named<dn::DelaysSaveFailed>()[0];
    EXPECT_EQ(failed.error.code, orv_error::failureWithoutError);
    EXPECT_EQ(failed.heatId, 41);

    const std::vector<DelayPtr> sent{someDelay(1), someDelay(std::nullopt)};
    downloadManager->saveDelays(3, 41, sent);
    sessionFor("SaveDelays", 1)->reply(200, R"({"resultInformation":{"success":true}})");
    ASSERT_EQ(recorder.count<dn::DelaysSaved>(), 1U);
    auto finished = recorder.named<dn::DelaysSaved>()[0];
    EXPECT_EQ(finished.heatId, 41);
    EXPECT_EQ(finished.delays, sent);
}

TEST_F(DownloadManagerTest, IsSavingDelaysOnlyWhileThatSaveIsActive)
{
    signIn();
    auto ask = [&](int heatId, int furnaceId) {
        std::promise<bool> answer;
        downloadManager->isSavingDelays(heatId, furnaceId, [&](bool saving) { answer.set_value(saving); });
        return answer.get_future().get();
    };
    downloadManager->saveDelays(3, 41, {someDelay(1)});
    downloadManager->downloadDelays(3, "2026-12-06T10:00:00Z");
    EXPECT_TRUE(ask(41, 3));
    EXPECT_FALSE(ask(41, 4));
    EXPECT_FALSE(ask(42, 3));
    sessionFor("SaveDelays")->reply(200, R"({"resultInformation":{"success":true}})");
    EXPECT_FALSE(ask(41, 3));
}

TEST_F(DownloadManagerTest, ExpiredSessionsShareOneRefreshAndAreSentAgainOnce)
{
    signIn();
    NotificationRecorder<dn::FurnacesDownloaded, dn::FurnacesDownloadFailed, dn::DelaysDownloadFailed,
                         dn::ReasonsDownloaded, ln::Logout>
        recorder(center);
    downloadManager->downloadFurnacesList();
    downloadManager->downloadDelays(3, "2026-12-06T10:00:00Z");
    downloadManager->downloadReasons(3);
    sessionFor("FurnacesList")->reply(200, expiredReply);
    sessionFor("Last24HoursDelays")->reply(200, expiredReply);
    sessionFor("ReasonsList")->reply(200, expiredReply);

    EXPECT_EQ(transport->requestsTo("Authenticate"), 2U); // the first sign-in and one refresh
    EXPECT_TRUE(downloadManager->isUpdatingSessionId());
    EXPECT_EQ(downloadManager->requestsToRetryCount(), 3U);
    sessionFor("Authenticate", 1)
        ->reply(200, R"({"resultInformation":{"success":true},"data":{"token":"T2","startingFurnaceId":7}})");
    EXPECT_EQ(downloadManager->requestsToRetryCount(), 0U);
    EXPECT_FALSE(downloadManager->isUpdatingSessionId());

    for (const char* resource : {"FurnacesList", "Last24HoursDelays", "ReasonsList"}) {
        auto resent = sessionFor(resource, 1);
        ASSERT_TRUE(resent) << resource;
        EXPECT_NE(resent->requests.at(0).body.find(R"("sessionId":"T2")"), std::string::npos);
    }
    sessionFor("FurnacesList", 1)->reply(200, furnacesReply);
    ASSERT_TRUE(recorder.waitFor<dn::FurnacesDownloaded>());
    sessionFor("ReasonsList", 1)->reply(200, R"({"resultInformation":{"success":true},"data":[]})");
    ASSERT_TRUE(recorder.waitFor<dn::ReasonsDownloaded>());

    // The re-sent delays request meets an expired session again: the user's session ends, silently.
    sessionFor("Last24HoursDelays", 1)->reply(200, expiredReply);
    EXPECT_EQ(recorder.count<ln::Logout>(), 1U);
    EXPECT_EQ(recorder.count<dn::DelaysDownloadFailed>(), 0U);
    EXPECT_EQ(transport->requestsTo("Authenticate"), 2U);
}

// Two requests sent with the same session expire together, but the second reply only arrives after the
// renewal the first one started has finished: it is sent again with the new session, no second sign-in.
TEST_F(DownloadManagerTest, AReplyThatExpiredUnderAnOlderSessionIsSentAgainWithoutASignIn)
{
    signIn();
    NotificationRecorder<dn::DelaysDownloaded, dn::DelaysDownloadFailed, dn::ReasonsDownloaded,
                         dn::ReasonsDownloadFailed, dn::FurnacesDownloadFailed, ln::Logout>
        recorder(center);
    auto renewal = [&](std::size_t nth, const std::string& token) {
        sessionFor("Authenticate", nth)
            ->reply(200, R"({"resultInformation":{"success":true},"data":{"token":")" + token +
                             R"(","startingFurnaceId":7}})");
        ASSERT_EQ(downloadManager->requestsToRetryCount(), 0U);
    };
    downloadManager->downloadDelays(3, "2026-12-06T10:00:00Z");
    downloadManager->downloadReasons(3);
    sessionFor("Last24HoursDelays")->reply(200, expiredReply);
    renewal(1, "T2");
    sessionFor("ReasonsList")->reply(200, expiredReply); // expired under T1, after the renewal to T2
    EXPECT_EQ(transport->requestsTo("Authenticate"), 2U);
    auto resent = sessionFor("ReasonsList", 1);
    ASSERT_TRUE(resent);
    EXPECT_NE(resent->requests.at(0).body.find(R"("sessionId":"T2")"), std::string::npos);
    resent->reply(200, R"({"resultInformation":{"success":true},"data":[]})");
    ASSERT_TRUE(recorder.waitFor<dn::ReasonsDownloaded>());

    // Even a request already sent again once is not the end of the session when a newer one exists: the
    // delays sent with T2 expire after another request renewed the session to T3.
    downloadManager->downloadFurnacesList();
    sessionFor("FurnacesList")->reply(200, expiredReply);
    renewal(2, "T3");
    sessionFor("Last24HoursDelays", 1)->reply(200, expiredReply);
    EXPECT_EQ(transport->requestsTo("Authenticate"), 3U);
    auto third = sessionFor("Last24HoursDelays", 2);
    ASSERT_TRUE(third);
    EXPECT_NE(third->requests.at(0).body.find(R"("sessionId":"T3")"), std::string::npos);
    third->reply(200, R"({"resultInformation":{"success":true},"data":[]})");
    ASSERT_TRUE(recorder.waitFor<dn::DelaysDownloaded>());
    EXPECT_EQ(recorder.count<ln::Logout>(), 0U);
    EXPECT_EQ(recorder.count<dn::DelaysDownloadFailed>() + recorder.count<dn::ReasonsDownloadFailed>(), 0U);
    transport->abandonRunningTasks();
}

TEST_F(DownloadManagerTest, AParkedSaveIsSentAgainAndFinishesWithItsHeatAndIdentifier)
{
    signIn();
    NotificationRecorder<dn::DelaysSaved, dn::DelaysSaveFailed> recorder(center);
    const std::vector<DelayPtr> sent{someDelay(1)};
    downloadManager->saveDelays(3, 41, sent, "save-41");
    sessionFor("SaveDelays")->reply(200, expiredReply);
    sessionFor("Authenticate", 1)
        ->reply(200, R"({"resultInformation":{"success":true},"data":{"token":"T2","startingFurnaceId":7}})");
    ASSERT_EQ(downloadManager->requestsToRetryCount(), 0U); // the parked save has been sent again

    auto resent = sessionFor("SaveDelays", 1);
    ASSERT_TRUE(resent);
    const auto& body = resent->requests.at(0).body;
    EXPECT_NE(body.find(R"("sessionId":"T2")"), std::string::npos);
    EXPECT_NE(body.find(R"("heatId":41)"), std::string::npos);
    resent->reply(200, R"({"resultInformation":{"success":true}})");
    ASSERT_EQ(recorder.count<dn::DelaysSaved>(), 1U);
    const auto finished = recorder.named<dn::DelaysSaved>()[0];
    EXPECT_EQ(finished.identifier, "save-41");
    EXPECT_EQ(finished.heatId, 41);
    EXPECT_EQ(finished.delays, sent);
    EXPECT_EQ(recorder.count<dn::DelaysSaveFailed>(), 0U);
    EXPECT_EQ(downloadManager->activeRequestCount(), 0U);
}

TEST_F(DownloadManagerTest, AFailedRefreshFailsEveryParkedRequest)
{
    signIn();
    NotificationRecorder<dn::DelaysDownloadFailed, dn::DelaysSaveFailed, dn::FurnacesDownloadFailed> recorder(center);
    downloadManager->downloadDelays(3, "2026-12-06T10:00:00Z");
    downloadManager->saveDelays(3, 41, {someDelay(1)});
    sessionFor("Last24HoursDelays")->reply(200, expiredReply);
    sessionFor("SaveDelays")->reply(200, expiredReply);
    // Refused without an error: the parked requests fail with 1004, the save with its heat.
    sessionFor("Authenticate", 1)->reply(200, R"({"resultInformation":{"success":false}})");
    ASSERT_TRUE(recorder.waitFor<dn::DelaysDownloadFailed>());
    ASSERT_TRUE(recorder.waitFor<dn::DelaysSaveFailed>());
    EXPECT_EQ(recorder.named<dn::DelaysDownloadFailed>()[0].error.code, orv_error::sessionRenewalFailed);
    const auto save = recorder.named<dn::DelaysSaveFailed>()[0];
    EXPECT_EQ(save.error.code, orv_error::sessionRenewalFailed);
    EXPECT_EQ(save.heatId, 41);
    EXPECT_EQ(downloadManager->requestsToRetryCount(), 0U);
}

TEST_F(DownloadManagerTest, AuthenticationThatNobodyAskedForChangesNothing)
{
    signIn();
    NotificationRecorder<dn::DelaysDownloadFailed> recorder(center);
    downloadManager->downloadDelays(3, "2026-12-06T10:00:00Z");
    center.post(ln::ServerAuthentication{"JDOE", request_failures::signInRefused()}, loginManager.get());
    EXPECT_EQ(recorder.total(), 0U);
    EXPECT_EQ(downloadManager->activeRequestCount(), 1U);
}

TEST_F(DownloadManagerTest, LogoutCancelsActiveAndParkedRequests)
{
    signIn();
    NotificationRecorder<dn::DelaysDownloadFailed, dn::ReasonsDownloadFailed, dn::DelaysSaveFailed> recorder(center);
    downloadManager->downloadDelays(3, "2026-12-06T10:00:00Z");
    downloadManager->downloadReasons(3);
    downloadManager->saveDelays(3, 41, {someDelay(1)});
    sessionFor("ReasonsList")->reply(200, expiredReply); // parked, refresh running
    sessionFor("SaveDelays")->reply(200, expiredReply);  // parked too
    downloadManager->resetForLogout();
    EXPECT_EQ(downloadManager->activeRequestCount(), 0U);
    EXPECT_EQ(downloadManager->requestsToRetryCount(), 0U);
    EXPECT_FALSE(downloadManager->isUpdatingSessionId());
    // The cancelled request reports the transport's cancellation, then 1013.
    const auto failures = recorder.named<dn::DelaysDownloadFailed>();
    ASSERT_EQ(failures.size(), 2U);
    EXPECT_EQ(failures[0].error.code, transport_error::cancelled);
    EXPECT_EQ(failures[1].error.code, orv_error::requestCancelled);
    // The parked ones end as cancelled too: a screen waiting on the save must hear of it.
    ASSERT_EQ(recorder.count<dn::ReasonsDownloadFailed>(), 1U);
    EXPECT_EQ(recorder.named<dn::ReasonsDownloadFailed>()[0].error.code, orv_error::requestCancelled);
    ASSERT_EQ(recorder.count<dn::DelaysSaveFailed>(), 1U);
    EXPECT_EQ(recorder.named<dn::DelaysSaveFailed>()[0].heatId, 41);
}

TEST_F(DownloadManagerTest, APairCompletesOnceWhenBothHalvesEnded)
{
    signIn();
    NotificationRecorder<dn::DelaysDownloaded, dn::ReasonsDownloaded> recorder(center);
    PairOutcomes stored;
    downloadManager->downloadDelaysAndReasons(3, "2026-12-06T10:00:00Z", stored.completion());
    EXPECT_TRUE(downloadManager->isDownloadingDelaysAndReasons());
    sessionFor("Last24HoursDelays")->reply(200, emptyListReply);
    database->databaseQueue().drain();
    EXPECT_TRUE(stored.outcomes().empty()) << "the reasons are still on their way";
    sessionFor("ReasonsList")->reply(200, emptyListReply);
    database->databaseQueue().drain();
    ASSERT_EQ(stored.outcomes().size(), 1U);
    EXPECT_TRUE(stored.outcomes()[0]);
    EXPECT_FALSE(downloadManager->isDownloadingDelaysAndReasons());
    EXPECT_EQ(recorder.count<dn::DelaysDownloaded>() + recorder.count<dn::ReasonsDownloaded>(), 2U)
        << "still announced";

    // A failed half fails the pair with the first failure, but only once the other half ended too.
    PairOutcomes failed;
    downloadManager->downloadDelaysAndReasons(3, "2026-12-06T10:00:00Z", failed.completion());
    sessionFor("Last24HoursDelays", 1)->reply(500, "<html>Internal Server Error</html>");
    EXPECT_TRUE(failed.outcomes().empty());
    sessionFor("ReasonsList", 1)->reply(200, R"({"resultInformation":{"success":false}})");
    ASSERT_EQ(failed.outcomes().size(), 1U);
    ASSERT_FALSE(failed.outcomes()[0]);
    EXPECT_EQ(failed.outcomes()[0].error().code, orv_error::decodeFailure);
}

TEST_F(DownloadManagerTest, CallsDuringAPairShareOneMorePairOfTheLastFurnace)
{
    signIn();
    PairOutcomes first;
    PairOutcomes waiting;
    downloadManager->downloadDelaysAndReasons(3, "2026-12-06T10:00:00Z", first.completion());
    downloadManager->downloadDelaysAndReasons(4, "2026-12-06T11:00:00Z", waiting.completion());
    downloadManager->downloadDelaysAndReasons(5, "2026-12-06T12:00:00Z", waiting.completion());
    EXPECT_EQ(transport->requestsTo("Last24HoursDelays"), 1U) << "nothing starts while a pair is in flight";

    answerPair(0, emptyListReply, emptyListReply);
    ASSERT_EQ(first.outcomes().size(), 1U);
    EXPECT_TRUE(waiting.outcomes().empty());
    EXPECT_TRUE(downloadManager->isDownloadingDelaysAndReasons());
    ASSERT_EQ(transport->requestsTo("Last24HoursDelays"), 2U);
    const auto& body = sessionFor("Last24HoursDelays", 1)->requests.at(0).body;
    EXPECT_NE(body.find(R"("furnaceId":5)"), std::string::npos) << body;
    EXPECT_NE(body.find("2026-12-06T12:00:00Z"), std::string::npos) << body;

    answerPair(1, emptyListReply, emptyListReply);
    ASSERT_EQ(waiting.outcomes().size(), 2U);
    EXPECT_TRUE(waiting.outcomes()[0] && waiting.outcomes()[1]);
    EXPECT_EQ(first.outcomes().size(), 1U);
    EXPECT_FALSE(downloadManager->isDownloadingDelaysAndReasons());
}

TEST_F(DownloadManagerTest, LogoutFailsThePairInFlightAndTheWaitingOneOnce)
{
    signIn();
    PairOutcomes inFlight;
    PairOutcomes waiting;
    downloadManager->downloadDelaysAndReasons(3, "2026-12-06T10:00:00Z", inFlight.completion());
    downloadManager->downloadDelaysAndReasons(3, "2026-12-06T10:00:00Z", waiting.completion());
    sessionFor("ReasonsList")->reply(200, expiredReply); // parked behind a renewal
    downloadManager->resetForLogout();
    database->databaseQueue().drain();

    ASSERT_EQ(inFlight.outcomes().size(), 1U);
    EXPECT_FALSE(inFlight.outcomes()[0]);
    ASSERT_EQ(waiting.outcomes().size(), 1U);
    ASSERT_FALSE(waiting.outcomes()[0]);
    EXPECT_EQ(waiting.outcomes()[0].error().code, orv_error::requestCancelled);
    EXPECT_EQ(transport->requestsTo("Last24HoursDelays"), 1U) << "the waiting pair is not sent for nobody";
    EXPECT_FALSE(downloadManager->isDownloadingDelaysAndReasons());
}

// Halves that end without a failure notification still end their pair, or every later pair would wait.
TEST_F(DownloadManagerTest, APairEndsWhenItsHalvesEndSilently)
{
    PairOutcomes signedOut;
    downloadManager->downloadDelaysAndReasons(3, "2026-12-06T10:00:00Z", signedOut.completion());
    ASSERT_EQ(signedOut.outcomes().size(), 1U);
    EXPECT_FALSE(signedOut.outcomes()[0]);
    EXPECT_FALSE(downloadManager->isDownloadingDelaysAndReasons());

    // A half sent again after a renewal meets an expired session again: the user's session ends, silently.
    signIn();
    PairOutcomes expired;
    downloadManager->downloadDelaysAndReasons(3, "2026-12-06T10:00:00Z", expired.completion());
    sessionFor("Last24HoursDelays")->reply(200, expiredReply);
    sessionFor("Authenticate", 1)
        ->reply(200, R"({"resultInformation":{"success":true},"data":{"token":"T2","startingFurnaceId":7}})");
    ASSERT_EQ(downloadManager->requestsToRetryCount(), 0U); // the parked half has been sent again
    sessionFor("ReasonsList")->reply(200, emptyListReply);
    sessionFor("Last24HoursDelays", 1)->reply(200, expiredReply);
    database->databaseQueue().drain();
    ASSERT_EQ(expired.outcomes().size(), 1U);
    ASSERT_FALSE(expired.outcomes()[0]);
    EXPECT_TRUE(expired.outcomes()[0].error().is(server_error::domain, server_error::sessionExpired));
    EXPECT_FALSE(downloadManager->isDownloadingDelaysAndReasons());
}

} // namespace
} // namespace orvendel::test
