#include "core/service/log_redaction.hpp"
#include "core/service/login_request_json.hpp"
#include "core/support/log.hpp"

#include "support/fake_http_transport.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace orvendel {
namespace {

class LoginRecorder final : public LoginRequestJSONDelegate {
public:
    std::vector<Result<wire::LoginRequestResult>> results;
    void didFinishAuthenticating(const std::shared_ptr<LoginRequestParameters>&,
                                 const Result<wire::LoginRequestResult>& outcome) override
    {
        results.push_back(outcome);
    }
};

class LoginRequestJSONTest : public ::testing::Test {
protected:
    void SetUp() override { transport->keepDelegatesWhileRunning = true; }
    void TearDown() override { transport->abandonRunningTasks(); }

    std::shared_ptr<LoginRequestJSON> makeRequest(std::string password = "s3cret")
    {
        auto request = std::make_shared<LoginRequestJSON>(
            std::make_shared<LoginRequestParameters>("ABCD", std::move(password)),
            BaseRequestConfiguration{"http://service.test/DelaysApi/Delays/Authenticate",
                                     HttpSessionConfiguration::ephemeral()},
            transport);
        request->setDelegate(recorder);
        return request;
    }

    std::shared_ptr<test::FakeHttpTransport> transport = std::make_shared<test::FakeHttpTransport>();
    std::shared_ptr<LoginRecorder> recorder = std::make_shared<LoginRecorder>();
};

TEST_F(LoginRequestJSONTest, SendsOnlyTheSignInDataOnceAndDeliversTheSession)
{
    ScopedLogCapture capture;
    auto request = makeRequest();
    request->start();
    request->start();
    ASSERT_EQ(transport->requestCount(), 1u);
    const HttpRequest& sent = transport->lastSession()->requests.front();
    EXPECT_EQ(sent.method, "POST");
    EXPECT_EQ(sent.value("Content-Length"), std::to_string(sent.body.size()));
    EXPECT_EQ(nlohmann::json::parse(sent.body),
              nlohmann::json::parse(R"({"data":{"username":"ABCD","password":"s3cret","systemRequesting":"iOS"}})"));

    transport->lastSession()->reply(
        200, R"({"resultInformation":{"success":true},"data":{"token":"tok-123456","startingFurnaceId":4}})");
    ASSERT_EQ(recorder->results.size(), 1u);
    ASSERT_TRUE(recorder->results[0] && recorder->results[0]->data);
    EXPECT_EQ(recorder->results[0]->data->sessionId, "tok-123456");
    EXPECT_FALSE(request->isAuthenticating());

    // The reply is written to the console, but never the token (nor the password).
    EXPECT_TRUE(capture.contains("<redacted>"));
    EXPECT_TRUE(capture.contains("startingFurnaceId"));
    EXPECT_FALSE(capture.contains("tok-123456"));
    EXPECT_FALSE(capture.contains("s3cret"));
}

TEST_F(LoginRequestJSONTest, ARefusalIsTheReplyAndEveryOtherFailureAnError)
{
    ScopedLogCapture capture;
    // The service said no: that is still its reply, error and all.
    makeRequest()->start();
    transport->lastSession()->reply(
        200,
        R"({"resultInformation":{"success":false,"errorCode":1,"errorDescription":"Invalid user name or password."}})");
    ASSERT_EQ(recorder->results.size(), 1u);
    ASSERT_TRUE(recorder->results[0]);
    EXPECT_FALSE(recorder->results[0]->resultInformation.success);
    EXPECT_EQ(recorder->results[0]->resultInformation.error->code, 1);
    recorder->results.clear();

    auto undecodable = makeRequest();
    undecodable->start();
    transport->lastSession()->reply(200, R"({"resultInformation":{"success":true},"data":{"token":"tok-9"}})");
    auto unreachable = makeRequest();
    unreachable->start();
    transport->lastSession()->fail(transport_error::make(transport_error::cannotConnectToHost));
    auto unencodable = makeRequest("pass\xc3");
    unencodable->start();

    ASSERT_EQ(recorder->results.size(), 3u);
    for (const auto& outcome : recorder->results) {
        ASSERT_FALSE(outcome);
    }
    EXPECT_TRUE(recorder->results[0].error().is("ORVError", 1023));
    EXPECT_TRUE(recorder->results[1].error().is("TransportError", transport_error::cannotConnectToHost));
    EXPECT_TRUE(recorder->results[2].error().is("ORVError", 1022));
    EXPECT_EQ(transport->requestCount(), 3u);
    EXPECT_FALSE(capture.contains("tok-9"));
}

TEST_F(LoginRequestJSONTest, CancellingAnswersOnceWithTheCancellationError)
{
    auto running = makeRequest();
    running->start();
    running->cancel();
    ASSERT_EQ(recorder->results.size(), 1u);
    ASSERT_FALSE(recorder->results[0]);
    EXPECT_TRUE(recorder->results[0].error().is("TransportError", transport_error::cancelled));

    // Cancelled before it started: the sign-in is still answered, so nobody waits for it forever.
    auto early = makeRequest();
    early->cancel();
    early->start();
    ASSERT_EQ(recorder->results.size(), 2u);
    ASSERT_FALSE(recorder->results[1]);
    EXPECT_TRUE(recorder->results[1].error().is("TransportError", transport_error::cancelled));
}

TEST(LogRedaction, HidesTheMemberWhereverAndHoweverItIsWritten)
{
    EXPECT_EQ(redactJsonMember(R"({"data": {"token" : "abc\"def", "startingFurnaceId": 4}})", "token"),
              R"({"data": {"token" : "<redacted>", "startingFurnaceId": 4}})");
    EXPECT_EQ(redactJsonMember(R"({"token":12345})", "token"), R"({"token":"<redacted>"})");
    EXPECT_EQ(redactJsonMember(R"({"message":"token","x":1})", "token"), R"({"message":"token","x":1})");
    // Not JSON at all: still hidden, up to the end of the text.
    EXPECT_EQ(redactJsonMember(R"({"data":{"token":"abc)", "token"), R"({"data":{"token":"<redacted>")");
    // A member name written with escapes is found by the parsed pass.
    auto escaped = redactJsonMember(R"({"\u0074oken":"secret-value"})", "token");
    EXPECT_EQ(escaped.find("secret-value"), std::string::npos) << escaped;
}

TEST(LogRedaction, HidesAReplyNestedTooDeeplyToWalk)
{
    // A hundred thousand levels once overflowed the stack of the tree pass.
    const std::string deep =
        R"({"\u0074oken":"secret-value","x":)" + std::string(100'000, '[') + std::string(100'000, ']') + "}";
    EXPECT_EQ(redactJsonMember(deep, "token"), "<redacted>");
    const std::string shallow = R"({"\u0074oken":"secret-value","x":[[[]]]})";
    EXPECT_EQ(redactJsonMember(shallow, "token"), R"({"token":"<redacted>","x":[[[]]]})");
}

} // namespace
} // namespace orvendel
