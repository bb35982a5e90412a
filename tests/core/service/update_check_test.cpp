#include "core/service/update_check.hpp"

#include "core/support/log.hpp"
#include "support/fake_http_transport.hpp"

#include <gtest/gtest.h>

namespace orvendel {
namespace {

using Answer = std::pair<bool, std::optional<std::string>>;
const Answer none{false, std::nullopt};

std::string storeReply(const std::string& entries, int count = 1)
{
    return R"({"resultCount":)" + std::to_string(count) + R"(,"results":[)" + entries + "]}";
}
std::string entry(const std::string& bundleId, const std::string& version, const std::string& url = "https://s/app")
{
    return R"({"bundleId":")" + bundleId + R"(","version":")" + version + R"(","trackViewUrl":")" + url + R"("})";
}

class UpdateCheckTest : public ::testing::Test {
protected:
    void SetUp() override { transport->keepDelegatesWhileRunning = true; }
    void TearDown() override { transport->abandonRunningTasks(); }

    UpdateCheckSettings settings(std::optional<std::string> url = "http://store.test/search")
    {
        return UpdateCheckSettings{std::move(url), "1.1.0", "com.KESTA.orvendel", transport};
    }
    // Runs a check answered by `reply` (or by a transport error when absent).
    Answer check(std::optional<std::string> reply)
    {
        std::optional<Answer> answer;
        update_check::checkForNewerVersion(settings(), [&](bool available, std::optional<std::string> url) {
            answer = Answer{available, std::move(url)};
        });
        if (reply) {
            transport->lastSession()->reply(200, *reply);
        } else {
            transport->lastSession()->fail(transport_error::make(transport_error::timedOut));
        }
        EXPECT_TRUE(answer);
        return answer.value_or(Answer{true, "no answer"});
    }

    std::shared_ptr<test::FakeHttpTransport> transport = std::make_shared<test::FakeHttpTransport>();
};

TEST_F(UpdateCheckTest, WithoutAUsableAddressItAnswersAtOnceWithoutARequest)
{
    for (std::optional<std::string> url : {std::optional<std::string>{}, std::optional<std::string>{"store.test"},
                                           std::optional<std::string>{"ftp://store.test/search"}}) {
        std::optional<Answer> answer;
        update_check::checkForNewerVersion(settings(url), [&](bool available, std::optional<std::string> storeURL) {
            answer = Answer{available, std::move(storeURL)};
        });
        EXPECT_EQ(answer, none);
    }
    EXPECT_EQ(transport->requestCount(), 0u);
}

TEST_F(UpdateCheckTest, AsksTheStoreWithAPlainGet)
{
    check(storeReply(entry("com.KESTA.orvendel", "1.1.0")));
    const HttpRequest& sent = transport->lastSession()->requests.front();
    EXPECT_EQ(sent.method, "GET");
    EXPECT_EQ(sent.url, "http://store.test/search?term=com.KESTA.orvendel&entity=software");
    EXPECT_EQ(update_check::storeLookupURL("https://s.test/search?country=ch", "a b").valueOr(""),
              "https://s.test/search?country=ch&term=a%20b&entity=software");
}

TEST_F(UpdateCheckTest, OffersAnyDifferentVersionOfTheFirstMatchingEntry)
{
    EXPECT_EQ(check(storeReply(entry("com.KESTA.orvendel", "1.0.9"))), (Answer{true, "https://s/app"}));
    EXPECT_EQ(check(storeReply(entry("com.kesta.ORVENDEL", "1.2.0"))), (Answer{true, "https://s/app"}));
    EXPECT_EQ(check(storeReply(entry("com.KESTA.orvendel", "1.1.0"))), none);
    EXPECT_EQ(check(storeReply(R"({"bundleId":"com.KESTA.orvendel","version":"2.0"},)" + entry("com.other.app", "9.0") +
                                   "," + entry("com.KESTA.orvendel", "1.3", "https://s/u2") + "," +
                                   entry("com.KESTA.orvendel", "1.4", "https://s/u3"),
                               4)),
              (Answer{true, "https://s/u2"}));
}

// The offer's address goes to the desktop's handler when the operator taps "Update": only a web page is offered.
TEST_F(UpdateCheckTest, AStoreAddressThatIsNoWebPageIsNotOffered)
{
    for (const std::string url : {"file:///etc/passwd", "javascript:alert(1)", "smb://share/app", "https://", "u2",
                                  "http://op:pw@s/app", "https://s:0/app"}) {
        SCOPED_TRACE(url);
        ScopedLogCapture log;
        EXPECT_EQ(check(storeReply(entry("com.KESTA.orvendel", "1.0.9", url))), none);
        EXPECT_TRUE(log.contains("The store's update address is not offered")) << testing::PrintToString(log.lines());
    }
}

TEST_F(UpdateCheckTest, AnythingElseIsNoUpdate)
{
    EXPECT_EQ(check(std::nullopt), none);
    EXPECT_EQ(check(""), none);
    EXPECT_EQ(check("[1,2]"), none);
    EXPECT_EQ(check("<html>"), none);
    EXPECT_EQ(check(storeReply(entry("com.KESTA.orvendel", "1.0.9"), 0)), none);
    EXPECT_EQ(check(R"({"resultCount":"1","results":[)" + entry("com.KESTA.orvendel", "1.0.9") + "]}"), none);
    EXPECT_EQ(check(R"({"resultCount":1,"results":{}})"), none);
    EXPECT_EQ(check(storeReply(entry("com.KESTA.orvendel", "1.0.9") + ",3", 2)), none);
    EXPECT_EQ(check(storeReply(entry("com.other.app", "1.0.9"))), none);
}

} // namespace
} // namespace orvendel
