#include "service_fixture.hpp"
#include "support/wait_until.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fmt/format.h>

#include <regex>
#include <thread>

namespace orvendel::testing {
namespace {

using Json = nlohmann::json;

const std::string signInBody = R"({"data": {"username": "demo", "password": "demo", "systemRequesting": "iOS"}})";

// A plain TCP connection for what an HTTP client library will not send: partial, pipelined or malformed
// requests.
class RawConnection {
public:
    explicit RawConnection(int port)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~RawConnection()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    bool connected() const { return m_fd >= 0; }

    bool send(std::string_view bytes)
    {
        return ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }

    // Everything received until the peer closes, `count` answers' status lines have come (their bodies may
    // still be on the way), or 15 s pass.
    std::string receive(std::size_t count = SIZE_MAX)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (statusLines(m_received).size() < count && std::chrono::steady_clock::now() < deadline) {
            pollfd entry{m_fd, POLLIN, 0};
            if (::poll(&entry, 1, 100) <= 0) {
                continue;
            }
            char buffer[4096];
            const auto n = ::recv(m_fd, buffer, sizeof(buffer), 0);
            if (n <= 0) {
                m_closed = true;
                break;
            }
            m_received.append(buffer, static_cast<std::size_t>(n));
        }
        return m_received;
    }

    bool closedByPeer() const { return m_closed; }

    static std::vector<int> statusLines(const std::string& text)
    {
        std::vector<int> statuses;
        static const std::regex line(R"(HTTP/1\.1 (\d{3}) )");
        for (auto it = std::sregex_iterator(text.begin(), text.end(), line); it != std::sregex_iterator(); ++it) {
            statuses.push_back(std::stoi((*it)[1]));
        }
        return statuses;
    }

private:
    int m_fd = -1;
    std::string m_received;
    bool m_closed = false;
};

std::string post(const std::string& resource, const std::string& body, const std::string& extraHeaders = {})
{
    return "POST /DelaysApi/Delays/" + resource + " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n" +
           extraHeaders + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string chunked(const std::string& resource, const std::vector<std::string>& chunks)
{
    std::string request = "POST /DelaysApi/Delays/" + resource +
                          " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\nTransfer-Encoding: chunked\r\n\r\n";
    for (const auto& chunk : chunks) {
        request += fmt::format("{:x}\r\n{}\r\n", chunk.size(), chunk);
    }
    return request + "0\r\n\r\n";
}

class ConnectionsTest : public DelayServiceTest {};

TEST_F(ConnectionsTest, PipelinedRequestsAreAllAnsweredInOrder)
{
    RawConnection connection(service().port());
    ASSERT_TRUE(connection.connected());
    ASSERT_TRUE(connection.send(post("Authenticate", signInBody) + post("Authenticate", "{}") +
                                "GET /nothing HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n"));
    const auto answer = connection.receive(3);
    EXPECT_EQ(RawConnection::statusLines(answer), (std::vector<int>{200, 200, 404}));
    const auto first = answer.find("\"success\":true");
    const auto second = answer.find("\"errorCode\":2");
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(second, std::string::npos);
    EXPECT_LT(first, second);
    connection.receive();
    EXPECT_TRUE(connection.closedByPeer());
}

TEST_F(ConnectionsTest, APipelinedRequestBeyondTheLimitsIsRefusedAfterTheOnesBeforeIt)
{
    std::string manyHeaders;
    for (int i = 0; i < 100; ++i) {
        manyHeaders += fmt::format("X-Filler-{}: {}\r\n", i, i);
    }
    RawConnection connection(service().port());
    ASSERT_TRUE(connection.send(post("Authenticate", signInBody) + post("Authenticate", signInBody, manyHeaders)));
    EXPECT_EQ(RawConnection::statusLines(connection.receive(2)), (std::vector<int>{200, 431}));
}

TEST_F(ConnectionsTest, ChunkedBodiesAreReadAndCountAgainstTheSizeCap)
{
    RawConnection small(service().port());
    ASSERT_TRUE(small.send(chunked("Authenticate", {signInBody.substr(0, 20), signInBody.substr(20)})));
    const auto answer = small.receive();
    EXPECT_NE(answer.find("\"success\":true"), std::string::npos) << answer;

    // Five mebibytes in 64 KiB chunks: refused once the cap is passed, whatever the chunk sizes.
    RawConnection large(service().port());
    const std::string chunk(64 * 1024, ' ');
    std::string request = "POST /DelaysApi/Delays/SaveDelays HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                          "Transfer-Encoding: chunked\r\n\r\n";
    for (int i = 0; i < 80; ++i) {
        request += fmt::format("{:x}\r\n{}\r\n", chunk.size(), chunk);
    }
    large.send(request + "0\r\n\r\n");
    EXPECT_EQ(RawConnection::statusLines(large.receive(1)), std::vector<int>{413});

    // A chunk that announces more than the cap is refused before anything of it arrives.
    RawConnection announced(service().port());
    announced.send("POST /DelaysApi/Delays/SaveDelays HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                   "Transfer-Encoding: chunked\r\n\r\nffffffffff\r\n");
    EXPECT_EQ(RawConnection::statusLines(announced.receive(1)), std::vector<int>{413});
}

// The gate judges what has arrived after every read, so a request must be judged alike whether its bytes
// come in one piece or several.
TEST_F(ConnectionsTest, ChunkedRequestsAreJudgedAlikeHoweverTheirBytesArrive)
{
    // A trailer, which the server does not read, filling the head's 16 KiB exactly: refused as malformed, also
    // when its closing line end comes in two pieces.
    std::string request = chunked("Authenticate", {signInBody});
    const std::size_t headBytes = request.find("\r\n\r\n") + 4;
    const std::size_t filler = 16 * 1024 - headBytes - std::string_view("X-Pad: \r\n").size();
    request.insert(request.size() - 2, "X-Pad: " + std::string(filler, 'a') + "\r\n");
    RawConnection whole(service().port());
    ASSERT_TRUE(whole.send(request));
    EXPECT_EQ(RawConnection::statusLines(whole.receive(1)), std::vector<int>{400});
    RawConnection split(service().port());
    ASSERT_TRUE(split.send(request.substr(0, request.size() - 1)));
    // Real time on purpose: the service must read the first piece on its own before the rest arrives.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    split.send("\n");
    EXPECT_EQ(RawConnection::statusLines(split.receive(1)), std::vector<int>{400});

    // A chunk size line beyond its 1 KiB bound is refused also when its line end comes with it.
    RawConnection longSize(service().port());
    ASSERT_TRUE(longSize.send("POST /DelaysApi/Delays/Authenticate HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                              "Transfer-Encoding: chunked\r\n\r\n" +
                              std::string(1100, '0') +
                              fmt::format("{:x}\r\n{}\r\n0\r\n\r\n", signInBody.size(), signInBody)));
    EXPECT_EQ(RawConnection::statusLines(longSize.receive(1)), std::vector<int>{400});
}

TEST_F(ConnectionsTest, AmbiguousOrOversizedHeadsAreRefused)
{
    const std::vector<std::pair<std::string, int>> cases = {
        {post("Authenticate", signInBody, "Transfer-Encoding: chunked\r\n"), 400},
        {post("Authenticate", signInBody, "Content-Length: 3\r\n"), 400},
        {post("Authenticate", signInBody, "Transfer-Encoding: gzip\r\n"), 400},
        {post("Authenticate", signInBody, "X-Long: " + std::string(20000, 'a') + "\r\n"), 431},
    };
    for (const auto& [request, status] : cases) {
        RawConnection connection(service().port());
        connection.send(request);
        EXPECT_EQ(RawConnection::statusLines(connection.receive(1)), std::vector<int>{status})
            << request.substr(0, 200);
    }
    // The service still serves after every refusal.
    EXPECT_TRUE(client().signIn());
}

TEST_F(ConnectionsTest, ContinueIsSentOnceBeforeTheBody)
{
    RawConnection connection(service().port());
    connection.send("POST /DelaysApi/Delays/Authenticate HTTP/1.1\r\nHost: 127.0.0.1\r\nExpect: 100-continue\r\n"
                    "Connection: close\r\n"
                    "Content-Length: " +
                    std::to_string(signInBody.size()) + "\r\n\r\n");
    EXPECT_EQ(RawConnection::statusLines(connection.receive(1)), std::vector<int>{100});
    connection.send(signInBody);
    const auto answer = connection.receive();
    EXPECT_EQ(RawConnection::statusLines(answer), (std::vector<int>{100, 200}));
    EXPECT_NE(answer.find("\"success\":true"), std::string::npos);
}

TEST_F(ConnectionsTest, DeeplyNestedBodiesAreRefusedAsMalformed)
{
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    auto reply = wire::decode<wire::LoginRequestResult>(client().post("Authenticate", deep).body);
    ASSERT_TRUE(reply) << reply.error().description;
    EXPECT_EQ(errorCode(reply->resultInformation), 2);
    // Brackets inside texts are not nesting.
    wire::LoginRequestBody body;
    body.data = {"demo", "demo", std::string(100, '[')};
    auto fine = client().call<wire::LoginRequestResult>("Authenticate", body);
    ASSERT_TRUE(fine);
    EXPECT_TRUE(fine->resultInformation.success);
}

// Its own service: one worker, tight time limits and a small bound per client.
class SlowClientsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_service = std::make_unique<ServiceProcess>(
            ServiceProcessOptions{.extraArguments = {"--threads", "1", "--request-deadline", "4", "--idle-timeout", "1",
                                                     "--max-client-connections", "40"}});
    }
    static void TearDownTestSuite() { s_service.reset(); }
    void SetUp() override { ASSERT_TRUE(s_service->running()) << s_service->logText(); }

    static inline std::unique_ptr<ServiceProcess> s_service;
};

TEST_F(SlowClientsTest, IdleAndHalfSentRequestsDoNotHoldTheOnlyWorker)
{
    std::vector<std::unique_ptr<RawConnection>> slow;
    for (int i = 0; i < 30; ++i) {
        slow.push_back(std::make_unique<RawConnection>(s_service->port()));
        ASSERT_TRUE(slow.back()->connected());
        if (i % 2 == 0) {
            slow.back()->send("POST /DelaysApi/Delays/Authenticate HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: ");
        }
    }
    // With a worker per connection, this would wait behind all thirty.
    ServiceClient client(s_service->port());
    EXPECT_TRUE(client.signIn());
    EXPECT_EQ(client.stats().status, 200);
}

TEST_F(SlowClientsTest, ARequestNotWholeByItsDeadlineIsAnsweredWithTimeoutAndIdleConnectionsClose)
{
    RawConnection slow(s_service->port());
    RawConnection idle(s_service->port());
    slow.send("POST /DelaysApi/Delays/Authenticate HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 100\r\n\r\n{");
    EXPECT_EQ(RawConnection::statusLines(slow.receive()), std::vector<int>{408});
    EXPECT_TRUE(slow.closedByPeer());
    EXPECT_EQ(idle.receive(), "");
    EXPECT_TRUE(idle.closedByPeer());
}

TEST_F(SlowClientsTest, ConnectionsPerClientAddressAreBounded)
{
    std::vector<std::unique_ptr<RawConnection>> held;
    for (int i = 0; i < 40; ++i) {
        held.push_back(std::make_unique<RawConnection>(s_service->port()));
        // Half a request keeps each one open for the deadline, not just the idle time-out.
        held.back()->send("GET /nothing HTTP/1.1\r\n");
    }
    RawConnection extra(s_service->port());
    EXPECT_EQ(RawConnection::statusLines(extra.receive()), std::vector<int>{503});
    held.clear();
    // Closed connections free their places as the service notices them.
    EXPECT_TRUE(test::waitUntil([&] { return ServiceClient(s_service->port()).stats().status == 200; }));
}

} // namespace
} // namespace orvendel::testing
