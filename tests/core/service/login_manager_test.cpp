#include "session_fixture.hpp"

#include "core/support/log.hpp"

namespace orvendel::test {
namespace {

namespace ln = login_notifications;

using LoginManagerTest = SessionFixture;

TEST_F(LoginManagerTest, SignInNormalisesTheNameStoresThePasswordAndAnnouncesTheFurnace)
{
    NotificationRecorder<ln::ServerAuthentication> recorder(center);
    ScopedLogCapture capture;
    loginManager->authenticate(" ab cd ", "pw");
    loginManager->authenticate("other", "pw2"); // ignored while the first runs
    ASSERT_EQ(transport->sessions().size(), 1U);
    const auto& request = transport->lastSession()->requests.at(0);
    EXPECT_TRUE(request.url.ends_with("/DelaysApi/Delays/Authenticate"));
    EXPECT_NE(request.body.find(R"("username":"ABCD")"), std::string::npos);

    transport->lastSession()->reply(
        200, R"({"resultInformation":{"success":true},"data":{"token":"S3CR3T","startingFurnaceId":12}})");

    ASSERT_EQ(recorder.count<ln::ServerAuthentication>(), 1U);
    const auto note = recorder.named<ln::ServerAuthentication>().at(0);
    EXPECT_EQ(note.sender, loginManager.get());
    EXPECT_TRUE(note.outcome.hasValue());
    EXPECT_EQ(note.outcome->startingFurnaceId, 12);
    EXPECT_EQ(loginManager->username(), "ABCD");
    EXPECT_EQ(loginManager->sessionId(), "S3CR3T");
    EXPECT_EQ(credentials->string("ABCD").valueOr(""), "pw");
    for (const auto& line : capture.lines()) {
        EXPECT_EQ(line.find("S3CR3T"), std::string::npos) << line;
    }
}

// The sign-in request idles out after 60 seconds without a byte; its ephemeral session bounds the whole
// exchange to 12 seconds.
TEST_F(LoginManagerTest, TheSignInRequestHasItsOwnTimeOut)
{
    auto defaults = LoginManager::create({.credentialStore = credentials,
                                          .transport = transport,
                                          .notificationCenter = &center,
                                          .serviceURL = serviceURL});
    defaults->authenticate("jdoe", "pw");
    const auto session = transport->lastSession();
    ASSERT_TRUE(session);
    EXPECT_EQ(session->requests.at(0).timeout, std::chrono::seconds(60));
    EXPECT_EQ(session->configuration.resourceTimeout, std::chrono::seconds(12));
    defaults->logout();
}

TEST_F(LoginManagerTest, FailedSignInsAnnounceFalseAndKeepThePreviousUser)
{
    NotificationRecorder<ln::ServerAuthentication> recorder(center);
    signIn();

    // Refused by the service: the error travels with the notification.
    loginManager->authenticate("jdoe", "wrong");
    transport->lastSession()->reply(
        200,
        R"({"resultInformation":{"success":false,"errorCode":1,"errorDescription":"Invalid user name or password."}})");
    // Success without data counts as a refusal without a reason of the service's.
    loginManager->authenticate("jdoe", "secret");
    transport->lastSession()->reply(200, R"({"resultInformation":{"success":true}})");

    const auto notes = recorder.named<ln::ServerAuthentication>();
    ASSERT_EQ(notes.size(), 3U);
    EXPECT_FALSE(notes[1].outcome.hasValue());
    EXPECT_EQ(notes[1].outcome.error().code, 1);
    EXPECT_FALSE(notes[2].outcome.hasValue());
    EXPECT_EQ(notes[2].outcome.error().code, orv_error::signInRefused);
    EXPECT_EQ(loginManager->username(), "JDOE");
    EXPECT_FALSE(loginManager->sessionId());
}

TEST_F(LoginManagerTest, RefreshNeedsAUserAndAStoredPassword)
{
    NotificationRecorder<ln::ServerAuthentication, ln::Logout> recorder(center);
    loginManager->refreshSession(); // nobody signed in
    EXPECT_EQ(recorder.count<ln::Logout>(), 1U);
    EXPECT_EQ(transport->sessions().size(), 0U);

    signIn();
    loginManager->refreshSession();
    ASSERT_EQ(transport->sessions().size(), 2U);
    EXPECT_TRUE(loginManager->isUpdatingSessionId());
    EXPECT_NE(transport->lastSession()->requests.at(0).body.find(R"("password":"secret")"), std::string::npos);
    transport->lastSession()->reply(
        200, R"({"resultInformation":{"success":true},"data":{"token":"T2","startingFurnaceId":7}})");
    EXPECT_EQ(loginManager->sessionId(), "T2");
    EXPECT_FALSE(loginManager->isUpdatingSessionId());

    // After a logout the password stays stored, but without a user name there is nothing to renew.
    loginManager->logout();
    EXPECT_FALSE(loginManager->username());
    EXPECT_FALSE(loginManager->sessionId());
    EXPECT_EQ(credentials->string("JDOE").valueOr(""), "secret");
    loginManager->refreshSession();
    EXPECT_EQ(recorder.count<ln::Logout>(), 2U);
}

TEST_F(LoginManagerTest, LogoutDuringSignInAnnouncesOneFailure)
{
    NotificationRecorder<ln::ServerAuthentication> recorder(center);
    loginManager->authenticate("jdoe", "secret");
    loginManager->logout();
    ASSERT_EQ(recorder.count<ln::ServerAuthentication>(), 1U);
    const auto note = recorder.named<ln::ServerAuthentication>().at(0);
    EXPECT_FALSE(note.outcome.hasValue());
    EXPECT_EQ(note.outcome.error().code, transport_error::cancelled);
    EXPECT_FALSE(loginManager->isSigningIn());
}

} // namespace
} // namespace orvendel::test
