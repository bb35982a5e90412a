#include "client_fixture.hpp"

#include "support/wait_until.hpp"

namespace orvendel::test {
namespace {

using ServiceFaultsTest = ClientFixture;

const Error* failureError(const Notification& notification)
{
    return notification.value<Error>(dn::errorKey);
}

TEST_F(ServiceFaultsTest, ExpiryStormRenewsTheSessionOnceAndResendsEveryRequest)
{
    ASSERT_TRUE(signIn());
    const auto before = stats();
    const int authenticationsBefore = before["requests"]["Authenticate"].get<int>();
    ASSERT_EQ(admin->expireSessions().status, 200);

    NotificationRecorder recorder(center, {dn::finishedDelays, dn::failedDelays, ln::logout});
    // Twenty requests in flight at once, all meeting the expired session.
    ASSERT_EQ(admin->addFault(R"({"resource":"Last24HoursDelays","kind":"delay","ms":200,"count":20})").status, 200);
    for (int i = 0; i < 20; ++i) {
        downloadManager->downloadDelays(1, "2026-12-06T00:00:00Z");
    }
    ASSERT_TRUE(recorder.waitFor(dn::finishedDelays, 20)) << recorder.count(dn::finishedDelays);
    EXPECT_EQ(recorder.count(dn::failedDelays), 0U);
    EXPECT_EQ(recorder.count(ln::logout), 0U);

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
    NotificationRecorder recorder(center, {dn::failedReasons, dn::finishedReasons, ln::logout});
    downloadManager->downloadReasons(1);
    ASSERT_TRUE(recorder.waitFor(ln::logout));
    // Nothing is left that could still announce the request.
    EXPECT_TRUE(waitUntil(
        [&] { return downloadManager->activeRequestCount() == 0 && downloadManager->requestsToRetryCount() == 0; }));
    EXPECT_EQ(recorder.count(dn::failedReasons), 0U);
    EXPECT_EQ(recorder.count(dn::finishedReasons), 0U);
}

TEST_F(ServiceFaultsTest, BrokenRepliesFailWithTheDecodeError)
{
    ASSERT_TRUE(signIn());
    NotificationRecorder recorder(center, {dn::failedFurnaces});
    for (const char* kind : {"http500-html", "empty-body", "truncated-json"}) {
        ASSERT_EQ(
            admin->addFault(std::string(R"({"resource":"FurnacesList","kind":")") + kind + R"(","count":1})").status,
            200);
    }
    for (std::size_t i = 1; i <= 3; ++i) {
        downloadManager->downloadFurnacesList();
        ASSERT_TRUE(recorder.waitFor(dn::failedFurnaces, i));
    }
    for (const auto& failure : recorder.named(dn::failedFurnaces)) {
        ASSERT_TRUE(failureError(failure));
        EXPECT_TRUE(failureError(failure)->is(orv_error::domain, orv_error::decodeFailure));
    }
}

TEST_F(ServiceFaultsTest, ASlowReplyRunsIntoTheResourceTimeOut)
{
    ASSERT_TRUE(signIn());
    ASSERT_EQ(admin->addFault(R"({"resource":"FurnacesList","kind":"delay","ms":8000,"count":1})").status, 200);
    NotificationRecorder recorder(center, {dn::failedFurnaces});
    downloadManager->downloadFurnacesList();
    ASSERT_TRUE(recorder.waitFor(dn::failedFurnaces));
    const auto failure = recorder.named(dn::failedFurnaces).at(0);
    const Error* error = failureError(failure);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain, transport_error::domain);
    EXPECT_EQ(error->code, transport_error::timedOut);
}

TEST_F(ServiceFaultsTest, CancellingActiveRequestsReportsCancellationThen1013)
{
    ASSERT_TRUE(signIn());
    ASSERT_EQ(admin->addFault(R"({"resource":"Last24HoursDelays","kind":"delay","ms":1000,"count":1})").status, 200);
    NotificationRecorder recorder(center, {dn::failedDelays, dn::finishedDelays});
    const int sent = stats()["requests"]["Last24HoursDelays"].get<int>();
    downloadManager->downloadDelays(1, "2026-12-06T00:00:00Z");
    // The service counts the request as it arrives, before holding its answer back.
    ASSERT_TRUE(waitUntil([&] { return stats()["requests"]["Last24HoursDelays"].get<int>() > sent; }));
    downloadManager->resetForLogout();
    ASSERT_TRUE(recorder.waitFor(dn::failedDelays, 2));
    const auto failures = recorder.named(dn::failedDelays);
    EXPECT_TRUE(failureError(failures[0])->is(transport_error::domain, transport_error::cancelled));
    EXPECT_TRUE(failureError(failures[1])->is(orv_error::domain, orv_error::requestCancelled));
    EXPECT_EQ(recorder.count(dn::finishedDelays), 0U);
}

TEST_F(ServiceFaultsTest, ServiceDownIsATransportError)
{
    const auto unreachable = makeLoginManager("http://127.0.0.1:1/DelaysApi/Delays");
    NotificationRecorder recorder(center, {ln::serverAuthentication});
    unreachable->authenticate("demo", "demo");
    ASSERT_TRUE(recorder.waitFor(ln::serverAuthentication));
    const auto note = recorder.named(ln::serverAuthentication).at(0);
    EXPECT_FALSE(*note.value<bool>(ln::authenticationResult));
    EXPECT_EQ(note.value<Error>(ln::authenticationError)->domain, transport_error::domain);
    EXPECT_EQ(note.value<Error>(ln::authenticationError)->code, transport_error::cannotConnectToHost);
}

} // namespace
} // namespace orvendel::test
