#include "client_fixture.hpp"

#include "support/wait_until.hpp"

namespace orvendel::test {
namespace {

using ServiceFaultsTest = ClientFixture;

TEST_F(ServiceFaultsTest, ExpiryStormRenewsTheSessionOnceAndResendsEveryRequest)
{
    ASSERT_TRUE(signIn());
    const auto before = stats();
    const int authenticationsBefore = before["requests"]["Authenticate"].get<int>();
    ASSERT_EQ(admin->expireSessions().status, 200);

    NotificationRecorder<dn::DelaysDownloaded, dn::DelaysDownloadFailed, ln::Logout> recorder(center);
    // Twenty requests in flight at once, all meeting the expired session.
    ASSERT_EQ(admin->addFault(R"({"resource":"Last24HoursDelays","kind":"delay","ms":200,"count":20})").status, 200);
    for (int i = 0; i < 20; ++i) {
        downloadManager->downloadDelays(1, "2026-12-06T00:00:00Z");
    }
    ASSERT_TRUE(recorder.waitFor<dn::DelaysDownloaded>(20)) << recorder.count<dn::DelaysDownloaded>();
    EXPECT_EQ(recorder.count<dn::DelaysDownloadFailed>(), 0U);
    EXPECT_EQ(recorder.count<ln::Logout>(), 0U);

    const auto after = stats();
    EXPECT_EQ(after["requests"]["Authenticate"].get<int>() - authenticationsBefore, 1);
    EXPECT_EQ(after["requests"]["Last24HoursDelays"].get<int>() - before["requests"]["Last24HoursDelays"].get<int>(),
              40);
    EXPECT_EQ(downloadManager->activeRequestCount(), 0U);
    EXPECT_EQ(downloadManager->requestsToRetryCount(), 0U);
}

TEST_F(ServiceFaultsTest, AResentRequestMeetingExpiryAgainEndsTheSession)
{
    ASSERT_TRUE(signIn());
    ASSERT_EQ(admin->addFault(R"({"resource":"ReasonsList","kind":"expire-session","count":2})").status, 200);
    NotificationRecorder<dn::ReasonsDownloadFailed, dn::ReasonsDownloaded, ln::Logout> recorder(center);
    downloadManager->downloadReasons(1);
    ASSERT_TRUE(recorder.waitFor<ln::Logout>());
    // Nothing is left that could still announce the request.
    EXPECT_TRUE(waitUntil(
        [&] { return downloadManager->activeRequestCount() == 0 && downloadManager->requestsToRetryCount() == 0; }));
    EXPECT_EQ(recorder.count<dn::ReasonsDownloadFailed>(), 0U);
    EXPECT_EQ(recorder.count<dn::ReasonsDownloaded>(), 0U);
}

TEST_F(ServiceFaultsTest, BrokenRepliesFailWithTheDecodeError)
{
    ASSERT_TRUE(signIn());
    NotificationRecorder<dn::FurnacesDownloadFailed> recorder(center);
    for (const char* kind : {"http500-html", "empty-body", "truncated-json"}) {
        ASSERT_EQ(
            admin->addFault(std::string(R"({"resource":"FurnacesList","kind":")") + kind + R"(","count":1})").status,
            200);
    }
    for (std::size_t i = 1; i <= 3; ++i) {
        downloadManager->downloadFurnacesList();
        ASSERT_TRUE(recorder.waitFor<dn::FurnacesDownloadFailed>(i));
    }
    for (const auto& failure : recorder.named<dn::FurnacesDownloadFailed>()) {
        EXPECT_TRUE(failure.error.is(orv_error::domain, orv_error::decodeFailure));
    }
}

TEST_F(ServiceFaultsTest, ASlowReplyRunsIntoTheResourceTimeOut)
{
    ASSERT_TRUE(signIn());
    ASSERT_EQ(admin->addFault(R"({"resource":"FurnacesList","kind":"delay","ms":8000,"count":1})").status, 200);
    NotificationRecorder<dn::FurnacesDownloadFailed> recorder(center);
    downloadManager->downloadFurnacesList();
    ASSERT_TRUE(recorder.waitFor<dn::FurnacesDownloadFailed>());
    const auto failure = recorder.named<dn::FurnacesDownloadFailed>().at(0);
    EXPECT_EQ(failure.error.domain, transport_error::domain);
    EXPECT_EQ(failure.error.code, transport_error::timedOut);
}

TEST_F(ServiceFaultsTest, CancellingActiveRequestsReportsCancellationThen1013)
{
    ASSERT_TRUE(signIn());
    ASSERT_EQ(admin->addFault(R"({"resource":"Last24HoursDelays","kind":"delay","ms":1000,"count":1})").status, 200);
    NotificationRecorder<dn::DelaysDownloadFailed, dn::DelaysDownloaded> recorder(center);
    const int sent = stats()["requests"]["Last24HoursDelays"].get<int>();
    downloadManager->downloadDelays(1, "2026-12-06T00:00:00Z");
    // The service counts the request as it arrives, before holding its answer back.
    ASSERT_TRUE(waitUntil([&] { return stats()["requests"]["Last24HoursDelays"].get<int>() > sent; }));
    downloadManager->resetForLogout();
    ASSERT_TRUE(recorder.waitFor<dn::DelaysDownloadFailed>(2));
    const auto failures = recorder.named<dn::DelaysDownloadFailed>();
    EXPECT_TRUE(failures[0].error.is(transport_error::domain, transport_error::cancelled));
    EXPECT_TRUE(failures[1].error.is(orv_error::domain, orv_error::requestCancelled));
    EXPECT_EQ(recorder.count<dn::DelaysDownloaded>(), 0U);
}

TEST_F(ServiceFaultsTest, ServiceDownIsATransportError)
{
    const auto unreachable = makeLoginManager("http://127.0.0.1:1/DelaysApi/Delays");
    NotificationRecorder<ln::ServerAuthentication> recorder(center);
    unreachable->authenticate("demo", "demo");
    ASSERT_TRUE(recorder.waitFor<ln::ServerAuthentication>());
    const auto note = recorder.named<ln::ServerAuthentication>().at(0);
    EXPECT_FALSE(note.outcome.hasValue());
    EXPECT_EQ(note.outcome.error().domain, transport_error::domain);
    EXPECT_EQ(note.outcome.error().code, transport_error::cannotConnectToHost);
}

} // namespace
} // namespace orvendel::test
