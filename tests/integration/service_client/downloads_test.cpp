#include "client_fixture.hpp"

#include "core/model/utilities.hpp"
#include "support/wait_until.hpp"

namespace orvendel::test {
namespace {

using ServiceClientTest = ClientFixture;

TEST_F(ServiceClientTest, SignInDownloadsStoresAndReadsBackTheDay)
{
    ASSERT_TRUE(signIn());
    EXPECT_EQ(loginManager->username(), "DEMO");

    NotificationRecorder<dn::FurnacesDownloaded, dn::DelaysDownloaded, dn::ReasonsDownloaded,
                         dn::FurnacesDownloadFailed, dn::DelaysDownloadFailed, dn::ReasonsDownloadFailed>
        recorder(center);
    downloadManager->downloadFurnacesList();
    ASSERT_TRUE(recorder.waitFor<dn::FurnacesDownloaded>());
    const auto furnaces = fetch<std::vector<FurnacePtr>>([&](auto done) { database->fetchFurnaces(done); });
    ASSERT_FALSE(furnaces.empty());
    for (const auto& furnace : furnaces) {
        EXPECT_FALSE(furnace->name.starts_with("--"));
    }
    const int furnaceId = furnaces.front()->id;

    downloadManager->downloadDelays(furnaceId, Utilities::zonedDateText(Clock::system()->now(), Calendar{}));
    downloadManager->downloadReasons(furnaceId);
    ASSERT_TRUE(recorder.waitFor<dn::DelaysDownloaded>());
    ASSERT_TRUE(recorder.waitFor<dn::ReasonsDownloaded>());
    EXPECT_EQ(recorder.count<dn::DelaysDownloadFailed>() + recorder.count<dn::ReasonsDownloadFailed>(), 0U);

    const auto heats =
        fetch<std::vector<HeatPtr>>([&](auto done) { database->fetchLast24HoursHeats(furnaceId, done); });
    ASSERT_GT(heats.size(), 10U);
    bool unclassifiedSeen = false;
    for (const auto& heat : heats) {
        EXPECT_EQ(heat->furnaceId, furnaceId);
        ASSERT_TRUE(heat->delays);
        for (const auto& delay : *heat->delays) {
            EXPECT_LE(heat->startDate.date, delay->startDate.date);
            EXPECT_LE(delay->endDate.date, heat->endDate.date);
            unclassifiedSeen = unclassifiedSeen || delay->reasonId == 0;
        }
    }
    EXPECT_TRUE(unclassifiedSeen);
    const auto reasons = fetch<std::vector<ReasonPtr>>([&](auto done) { database->fetchReasons(furnaceId, done); });
    EXPECT_GE(reasons.size(), 60U);
}

TEST_F(ServiceClientTest, ASaveIsAppliedAndComesBackWithANewVersion)
{
    ASSERT_TRUE(signIn());
    NotificationRecorder<dn::DelaysDownloaded, dn::ReasonsDownloaded, dn::DelaysSaved, dn::DelaysSaveFailed> recorder(
        center);
    const int furnaceId = 1;
    downloadManager->downloadDelays(furnaceId, "2026-12-06T00:00:00Z");
    downloadManager->downloadReasons(furnaceId);
    ASSERT_TRUE(recorder.waitFor<dn::DelaysDownloaded>());
    ASSERT_TRUE(recorder.waitFor<dn::ReasonsDownloaded>());
    const auto heats =
        fetch<std::vector<HeatPtr>>([&](auto done) { database->fetchLast24HoursHeats(furnaceId, done); });
    ASSERT_FALSE(heats.empty());
    const auto reasons = fetch<std::vector<ReasonPtr>>([&](auto done) { database->fetchReasons(furnaceId, done); });
    std::optional<int> reasonId;
    for (const auto& reason : reasons) {
        if (reason->id && *reason->id != 0) {
            reasonId = reason->id;
        }
    }
    ASSERT_TRUE(reasonId);

    const auto heat = heats.front();
    auto edited = heat->delays->front()->copy();
    edited->isEdited = true;
    edited->reasonId = *reasonId;
    edited->comment = "ladle late";
    const std::string oldVersion = edited->timestamp;
    downloadManager->saveDelays(furnaceId, heat->heatId, {edited});
    ASSERT_TRUE(recorder.waitFor<dn::DelaysSaved>());
    EXPECT_EQ(recorder.count<dn::DelaysSaveFailed>(), 0U);

    downloadManager->downloadDelays(furnaceId, "2026-12-06T00:00:00Z");
    ASSERT_TRUE(recorder.waitFor<dn::DelaysDownloaded>(2));
    const auto again =
        fetch<std::vector<HeatPtr>>([&](auto done) { database->fetchLast24HoursHeats(furnaceId, done); });
    DelayPtr saved;
    for (const auto& h : again) {
        for (const auto& d : h->delays.value_or(std::vector<DelayPtr>{})) {
            if (d->delayId == edited->delayId) {
                saved = d;
            }
        }
    }
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->reasonId, *reasonId);
    EXPECT_EQ(saved->comment, "ladle late");
    EXPECT_NE(saved->timestamp, oldVersion);

    // Saving the old version again is refused by the service: the save fails with its error and heat.
    downloadManager->saveDelays(furnaceId, heat->heatId, {edited});
    ASSERT_TRUE(recorder.waitFor<dn::DelaysSaveFailed>());
    const auto failed = recorder.named<dn::DelaysSaveFailed>().at(0);
    EXPECT_EQ(failed.error.domain, server_error::domain);
    EXPECT_EQ(failed.error.code, 10);
    EXPECT_EQ(failed.heatId, heat->heatId);
}

TEST_F(ServiceClientTest, BadCredentialsAreAnnouncedWithTheServiceError)
{
    NotificationRecorder<ln::ServerAuthentication> recorder(center);
    loginManager->authenticate("demo", "not-the-password");
    ASSERT_TRUE(recorder.waitFor<ln::ServerAuthentication>());
    const auto note = recorder.named<ln::ServerAuthentication>().at(0);
    EXPECT_FALSE(note.outcome.hasValue());
    EXPECT_EQ(note.outcome.error().code, 1);
    EXPECT_EQ(note.outcome.error().description, "Invalid user name or password.");
    EXPECT_FALSE(loginManager->sessionId());
}

TEST_F(ServiceClientTest, LogoutDuringSignInAnnouncesOneFailure)
{
    ASSERT_EQ(admin->addFault(R"({"resource":"Authenticate","kind":"delay","ms":800,"count":1})").status, 200);
    NotificationRecorder<ln::ServerAuthentication> recorder(center);
    loginManager->authenticate("demo", "demo");
    loginManager->logout();
    ASSERT_TRUE(recorder.waitFor<ln::ServerAuthentication>());
    EXPECT_FALSE(recorder.named<ln::ServerAuthentication>()[0].outcome.hasValue());
    EXPECT_FALSE(loginManager->sessionId());
    // Whether or not the cancelled sign-in reached the service, once no sign-in is left in progress there its
    // answer must have gone nowhere: the next sign-in is the only other outcome announced.
    ASSERT_TRUE(waitUntil([&] {
        const auto now = stats();
        return now["requests"]["Authenticate"] ==
               now["authentications"]["succeeded"].get<int>() + now["authentications"]["failed"].get<int>();
    }));
    ASSERT_TRUE(loginManager->authenticate("demo", "demo"));
    ASSERT_TRUE(recorder.waitFor<ln::ServerAuthentication>(2));
    ASSERT_EQ(recorder.count<ln::ServerAuthentication>(), 2U);
    EXPECT_TRUE(recorder.named<ln::ServerAuthentication>()[1].outcome.hasValue());
}

} // namespace
} // namespace orvendel::test
