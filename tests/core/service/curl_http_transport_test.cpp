#include "core/platform/curl_http_transport.hpp"

#include "support/test_http_server.hpp"

#include <gtest/gtest.h>
#include <zlib.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace orvendel {
namespace {

using namespace std::chrono_literals;

// Records every callback as a line, and what the reply carried.
class RecordingDelegate final : public HttpSessionDelegate {
public:
    void didReceiveResponse(const HttpResponse& response) override
    {
        std::lock_guard lock(m_mutex);
        m_events.push_back("response " + std::to_string(response.statusCode));
        m_response = response;
    }
    void didReceiveData(std::string_view bytes) override
    {
        std::lock_guard lock(m_mutex);
        if (m_events.empty() || m_events.back() != "data") {
            m_events.push_back("data");
        }
        m_body.append(bytes);
    }
    void didComplete(const Result<void>& outcome) override
    {
        std::lock_guard lock(m_mutex);
        m_events.push_back(outcome ? "complete"
                                   : "complete " + outcome.error().domain + " " + std::to_string(outcome.error().code));
        if (!outcome) {
            m_failure = outcome.error().description;
        }
        m_changed.notify_all();
    }
    void didBecomeInvalid(const Result<void>&) override
    {
        std::lock_guard lock(m_mutex);
        m_events.push_back("invalid");
        m_changed.notify_all();
    }

    // Waits until an event line equal to `last` has been recorded.
    std::vector<std::string> waitFor(const std::string& last)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, 20s, [&] { return std::ranges::find(m_events, last) != m_events.end(); });
        return m_events;
    }
    std::vector<std::string> waitForCompletion()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, 20s, [&] {
            return std::ranges::any_of(m_events, [](const std::string& e) { return e.starts_with("complete"); });
        });
        return m_events;
    }
    std::string failure()
    {
        std::lock_guard lock(m_mutex);
        return m_failure;
    }
    std::string body()
    {
        std::lock_guard lock(m_mutex);
        return m_body;
    }
    std::optional<std::string> responseHeader(std::string_view field)
    {
        std::lock_guard lock(m_mutex);
        for (const auto& [name, value] : m_response.headers) {
            if (name == field) {
                return value;
            }
        }
        return std::nullopt;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_events;
    std::string m_body;
    std::string m_failure;
    HttpResponse m_response;
};

std::string completeWith(int code)
{
    return std::string("complete ") + transport_error::domain + " " + std::to_string(code);
}

HttpRequest get(std::string url)
{
    HttpRequest request;
    request.url = std::move(url);
    return request;
}

// The bytes in gzip form, squeezed as hard as zlib can.
std::string gzipped(const std::string& bytes)
{
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY) != Z_OK) {
        return {};
    }
    std::string out(deflateBound(&stream, bytes.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return result == Z_STREAM_END ? out : std::string();
}

class CurlHttpTransportTest : public ::testing::Test {
protected:
    HttpRequest post(const std::string& path, std::string body)
    {
        HttpRequest request;
        request.url = server.url(path);
        request.method = "POST";
        request.setValue("application/json; charset=utf-8", "Content-Type");
        request.setValue(std::to_string(body.size()), "Content-Length");
        request.body = std::move(body);
        return request;
    }

    test::TestHttpServer server;
    std::shared_ptr<CurlHttpTransport> transport = std::make_shared<CurlHttpTransport>();
};

TEST_F(CurlHttpTransportTest, DeliversResponseDataAndCompletionInOrderWithTheHeadersSent)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    auto session = transport->makeSession(HttpSessionConfiguration::ephemeral(), delegate);
    std::string body = R"({"commonData":{"username":"ABCD"}})" + std::string(100000, ' ');
    ASSERT_TRUE(session->startTask(post("/echo", body)));

    EXPECT_EQ(delegate->waitForCompletion(), (std::vector<std::string>{"response 200", "data", "complete"}));
    EXPECT_EQ(delegate->body(), body);
    EXPECT_EQ(delegate->responseHeader("X-Seen-Content-Length"), std::to_string(body.size()));
    EXPECT_EQ(delegate->responseHeader("X-Seen-Content-Type"), "application/json; charset=utf-8");
    EXPECT_EQ(delegate->responseHeader("X-Seen-Expect"), std::nullopt);
}

TEST_F(CurlHttpTransportTest, RepliesWithoutBodyOrWithErrorStatusStillComplete)
{
    auto empty = std::make_shared<RecordingDelegate>();
    auto emptySession = transport->makeSession(HttpSessionConfiguration::ephemeral(), empty);
    ASSERT_TRUE(emptySession->startTask(get(server.url("/empty"))));
    EXPECT_EQ(empty->waitForCompletion(), (std::vector<std::string>{"response 200", "complete"}));

    auto failing = std::make_shared<RecordingDelegate>();
    auto failingSession = transport->makeSession(HttpSessionConfiguration::ephemeral(), failing);
    ASSERT_TRUE(failingSession->startTask(post("/html500", "{}")));
    EXPECT_EQ(failing->waitForCompletion(), (std::vector<std::string>{"response 500", "data", "complete"}));
    EXPECT_NE(failing->body().find("<html>"), std::string::npos);
}

TEST_F(CurlHttpTransportTest, AReplySlowerThanTheResourceTimeOutFailsWithTheTimeOutError)
{
    CurlHttpTransport::Options options;
    options.maximumResourceTimeout = 300ms;
    auto shortened = std::make_shared<CurlHttpTransport>(options);
    auto delegate = std::make_shared<RecordingDelegate>();
    auto session = shortened->makeSession(HttpSessionConfiguration::ephemeral(), delegate);
    ASSERT_TRUE(session->startTask(post("/hold", "{}")));
    EXPECT_EQ(delegate->waitForCompletion(), (std::vector<std::string>{completeWith(transport_error::timedOut)}));
}

TEST_F(CurlHttpTransportTest, CancellingARunningTaskReportsCancellationThenInvalidationAndNothingElse)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    auto session = transport->makeSession(HttpSessionConfiguration::ephemeral(std::chrono::seconds(10)), delegate);
    ASSERT_TRUE(session->startTask(post("/hold", "{}")));
    ASSERT_TRUE(server.waitForArrivals(1));
    session->invalidateAndCancel();
    session->invalidateAndCancel();
    server.release();

    auto events = delegate->waitFor("invalid");
    EXPECT_EQ(events, (std::vector<std::string>{completeWith(transport_error::cancelled), "invalid"}));
    const auto refused = session->startTask(post("/echo", "{}"));
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().code, transport_error::cancelled);
}

TEST_F(CurlHttpTransportTest, InvalidatingAnIdleOrFinishedSessionReportsOnlyTheInvalidation)
{
    auto idle = std::make_shared<RecordingDelegate>();
    transport->makeSession(HttpSessionConfiguration::ephemeral(), idle)->invalidateAndCancel();
    EXPECT_EQ(idle->waitFor("invalid"), (std::vector<std::string>{"invalid"}));

    auto finished = std::make_shared<RecordingDelegate>();
    auto session = transport->makeSession(HttpSessionConfiguration::ephemeral(), finished);
    ASSERT_TRUE(session->startTask(post("/echo", "{}")));
    finished->waitForCompletion();
    session->invalidateAndCancel();
    EXPECT_EQ(finished->waitFor("invalid"), (std::vector<std::string>{"response 200", "data", "complete", "invalid"}));
}

TEST_F(CurlHttpTransportTest, OneTaskAtATimePerSession)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    auto session = transport->makeSession(HttpSessionConfiguration::ephemeral(std::chrono::seconds(10)), delegate);
    ASSERT_TRUE(session->startTask(post("/hold", "{}")));
    EXPECT_EQ(session->startTask(post("/echo", "{}")).error().code, transport_error::taskRunning);
    server.release();
    delegate->waitForCompletion();
}

TEST_F(CurlHttpTransportTest, UnreachableAndMalformedAddressesFailWithTheirOwnCodes)
{
    test::TestHttpServer closed;
    std::string refusedUrl = closed.url("/echo");
    closed.stop();

    auto refused = std::make_shared<RecordingDelegate>();
    auto refusedSession = transport->makeSession(HttpSessionConfiguration::ephemeral(), refused);
    ASSERT_TRUE(refusedSession->startTask(get(refusedUrl)));
    EXPECT_EQ(refused->waitForCompletion(),
              (std::vector<std::string>{completeWith(transport_error::cannotConnectToHost)}));

    auto malformed = std::make_shared<RecordingDelegate>();
    auto malformedSession = transport->makeSession(HttpSessionConfiguration::ephemeral(), malformed);
    ASSERT_TRUE(malformedSession->startTask(get("ftp://127.0.0.1/file")));
    EXPECT_EQ(malformed->waitForCompletion(), (std::vector<std::string>{completeWith(transport_error::badURL)}));
}

TEST_F(CurlHttpTransportTest, ManyConcurrentSessionsEachGetTheirOwnReply)
{
    constexpr int count = 20;
    std::vector<std::shared_ptr<RecordingDelegate>> delegates;
    std::vector<std::shared_ptr<HttpSession>> sessions;
    for (int i = 0; i < count; ++i) {
        delegates.push_back(std::make_shared<RecordingDelegate>());
        sessions.push_back(transport->makeSession(HttpSessionConfiguration::ephemeral(), delegates.back()));
        ASSERT_TRUE(sessions.back()->startTask(post("/echo", "{\"n\":" + std::to_string(i) + "}")));
    }
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(delegates[i]->waitForCompletion(), (std::vector<std::string>{"response 200", "data", "complete"}));
        EXPECT_EQ(delegates[i]->body(), "{\"n\":" + std::to_string(i) + "}");
    }
}

TEST_F(CurlHttpTransportTest, RepliesOverTheCapFailCleanlyWhetherDeclaredStreamedOrInflated)
{
    constexpr std::size_t cap = 64 * 1024;
    CurlHttpTransport::Options options;
    options.maximumReplyBytes = cap;
    const auto capped = std::make_shared<CurlHttpTransport>(options);
    const auto fetch = [&](const std::string& path) {
        auto delegate = std::make_shared<RecordingDelegate>();
        auto session = capped->makeSession(HttpSessionConfiguration::ephemeral(), delegate);
        EXPECT_TRUE(session->startTask(get(server.url(path))));
        delegate->waitForCompletion();
        return delegate;
    };
    const auto tooLarge = completeWith(transport_error::replyTooLarge);

    // Exactly the cap is still a reply, compressed or not.
    server.setCannedReply(std::string(cap, 'y'));
    auto atCap = fetch("/canned-chunked");
    EXPECT_EQ(atCap->waitForCompletion().back(), "complete");
    EXPECT_EQ(atCap->body(), std::string(cap, 'y'));
    server.setCannedReply(gzipped(std::string(cap, 'z')), {{"Content-Encoding", "gzip"}});
    auto compressed = fetch("/canned");
    EXPECT_EQ(compressed->waitForCompletion().back(), "complete");
    EXPECT_EQ(compressed->body(), std::string(cap, 'z'));

    // One byte more: a declared length fails before any body is delivered, a streamed one part way.
    server.setCannedReply(std::string(cap + 1, 'x'));
    EXPECT_EQ(fetch("/canned")->waitForCompletion(), (std::vector<std::string>{tooLarge}));
    auto streamed = fetch("/canned-chunked");
    EXPECT_EQ(streamed->waitForCompletion().back(), tooLarge);
    EXPECT_LE(streamed->body().size(), cap);

    // A body of a kilobyte or two on the wire that inflates to sixteen times the cap.
    const std::string bomb = gzipped(std::string(16 * cap, '\0'));
    ASSERT_FALSE(bomb.empty());
    ASSERT_LT(bomb.size(), cap / 8);
    server.setCannedReply(bomb, {{"Content-Encoding", "gzip"}});
    auto inflated = fetch("/canned");
    EXPECT_EQ(inflated->waitForCompletion().back(), tooLarge);
    EXPECT_LE(inflated->body().size(), cap);
}

TEST_F(CurlHttpTransportTest, RedirectsAreNotFollowedAndTheOtherAddressHearsNothing)
{
    test::TestHttpServer elsewhere;
    for (const int code : {301, 302, 303, 307, 308}) {
        SCOPED_TRACE(code);
        auto delegate = std::make_shared<RecordingDelegate>();
        auto session = transport->makeSession(HttpSessionConfiguration::ephemeral(), delegate);
        const auto target = "/redirect/" + std::to_string(code) + "?to=" + elsewhere.url("/echo");
        ASSERT_TRUE(session->startTask(post(target, R"({"password":"secret","sessionId":"S-1"})")));
        EXPECT_EQ(delegate->waitForCompletion(), (std::vector<std::string>{completeWith(transport_error::redirected)}));
    }
    EXPECT_EQ(elsewhere.requestCount(), 0);
    EXPECT_EQ(server.requestCount(), 5);

    // Asked directly, the other server answers and counts the request.
    auto direct = std::make_shared<RecordingDelegate>();
    auto session = transport->makeSession(HttpSessionConfiguration::ephemeral(), direct);
    auto request = post("/echo", "{}");
    request.url = elsewhere.url("/echo");
    ASSERT_TRUE(session->startTask(std::move(request)));
    EXPECT_EQ(direct->waitForCompletion(), (std::vector<std::string>{"response 200", "data", "complete"}));
    EXPECT_EQ(elsewhere.requestCount(), 1);
}

TEST_F(CurlHttpTransportTest, DestroyingTheTransportCompletesTasksInFlight)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    auto session = transport->makeSession(HttpSessionConfiguration::ephemeral(std::chrono::seconds(10)), delegate);
    ASSERT_TRUE(session->startTask(post("/hold", "{}")));
    ASSERT_TRUE(server.waitForArrivals(1));
    transport.reset();
    server.release();
    EXPECT_EQ(delegate->waitForCompletion(), (std::vector<std::string>{completeWith(transport_error::shutDown)}));
}

// libcurl and the network thread start with the first request: a transport that never sent one, or whose
// session was invalidated unused, must still shut down, and one made later must still work.
TEST_F(CurlHttpTransportTest, ATransportThatNeverSentARequestShutsDownCleanly)
{
    {
        CurlHttpTransport unused;
    }
    {
        CurlHttpTransport idle;
        auto delegate = std::make_shared<RecordingDelegate>();
        idle.makeSession(HttpSessionConfiguration::ephemeral(), delegate)->invalidateAndCancel();
        EXPECT_EQ(delegate->waitFor("invalid"), (std::vector<std::string>{"invalid"}));
    }
    auto delegate = std::make_shared<RecordingDelegate>();
    auto session = transport->makeSession(HttpSessionConfiguration::ephemeral(), delegate);
    ASSERT_TRUE(session->startTask(post("/echo", "{}")));
    EXPECT_EQ(delegate->waitForCompletion().back(), "complete");
}

// Without libcurl every task fails with the loader's error, and nothing on the way out calls into it.
TEST_F(CurlHttpTransportTest, WithoutLibcurlEveryTaskFailsWithTheLoadError)
{
    CurlHttpTransport::Options options;
    options.libraryName = "liborvendel-missing-curl.so.4";
    auto missing = std::make_shared<CurlHttpTransport>(options);
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto delegate = std::make_shared<RecordingDelegate>();
        auto session = missing->makeSession(HttpSessionConfiguration::ephemeral(), delegate);
        ASSERT_TRUE(session->startTask(post("/echo", "{}")));
        EXPECT_EQ(delegate->waitForCompletion(), (std::vector<std::string>{completeWith(transport_error::unknown)}));
        EXPECT_NE(delegate->failure().find("liborvendel-missing-curl.so.4"), std::string::npos) << delegate->failure();
    }
    missing.reset();
    EXPECT_EQ(server.requestCount(), 0);
}

} // namespace
} // namespace orvendel
