#include "http_server.hpp"

#include <poll.h>

#include <cerrno>
#include <cstring>
#include <optional>

namespace orvendel::delay_service {
namespace {

thread_local int t_servingSocket = -1;

// Answers of more than one turn's worth of pipelined requests wait behind other connections.
constexpr int requestsPerTurn = 8;

// Accepted connections go straight to the gate, which does no waiting, so the accepting thread runs the
// hand-over itself.
class HandOver : public httplib::TaskQueue {
public:
    void enqueue(std::function<void()> fn) override { fn(); }
    void shutdown() override {}
};

// One request, already received whole, read from the connection's buffer; its answer is written to the
// socket, which may take at most the request deadline from the first byte written.
class RequestStream : public httplib::Stream {
public:
    RequestStream(Connection& connection, std::size_t length, std::chrono::seconds answerTime, bool continueSent)
        : m_connection(connection), m_length(length), m_answerTime(answerTime), m_dropContinue(continueSent)
    {}

    bool is_readable() const override { return m_offset < m_length; }
    bool is_writable() const override { return true; }

    ssize_t read(char* ptr, size_t size) override
    {
        const auto n = std::min(size, m_length - m_offset);
        std::memcpy(ptr, m_connection.unread.data() + m_offset, n);
        m_offset += n;
        return static_cast<ssize_t>(n);
    }

    ssize_t write(const char* ptr, size_t size) override
    {
        const std::string_view bytes(ptr, size);
        if (m_dropContinue && bytes.starts_with("HTTP/1.1 100 ")) {
            // The gate already asked for the body.
            m_dropContinue = false;
            return static_cast<ssize_t>(size);
        }
        m_dropContinue = false;
        if (!m_deadline) {
            m_deadline = std::chrono::steady_clock::now() + m_answerTime;
        }
        const int fd = socket();
        std::size_t sent = 0;
        while (sent < size) {
            const auto n = ::send(fd, ptr + sent, size - sent, MSG_NOSIGNAL);
            if (n > 0) {
                sent += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
                return -1;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(*m_deadline - std::chrono::steady_clock::now());
            pollfd entry{fd, POLLOUT, 0};
            if (left.count() <= 0 || ::poll(&entry, 1, static_cast<int>(left.count())) <= 0) {
                return -1;
            }
        }
        return static_cast<ssize_t>(size);
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override
    {
        ip = m_connection.peerAddress;
        port = m_connection.peerPort;
    }

    void get_local_ip_and_port(std::string& ip, int& port) const override
    {
        ip = m_connection.localAddress;
        port = m_connection.localPort;
    }

    socket_t socket() const override { return m_connection.socket.native_handle(); }

private:
    Connection& m_connection;
    std::size_t m_length;
    std::size_t m_offset = 0;
    std::chrono::seconds m_answerTime;
    std::optional<std::chrono::steady_clock::time_point> m_deadline;
    bool m_dropContinue;
};

// Requests answered into nothing, for the warm-up.
class DiscardingStream : public httplib::Stream {
public:
    explicit DiscardingStream(std::string_view request) : m_request(request) {}

    bool is_readable() const override { return !m_request.empty(); }
    bool is_writable() const override { return true; }
    ssize_t read(char* ptr, size_t size) override
    {
        const auto n = std::min(size, m_request.size());
        std::memcpy(ptr, m_request.data(), n);
        m_request.remove_prefix(n);
        return static_cast<ssize_t>(n);
    }
    ssize_t write(const char*, size_t size) override { return static_cast<ssize_t>(size); }
    void get_remote_ip_and_port(std::string& ip, int& port) const override
    {
        ip = "127.0.0.1";
        port = 0;
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override { get_remote_ip_and_port(ip, port); }
    socket_t socket() const override { return INVALID_SOCKET; }

private:
    std::string_view m_request;
};

} // namespace

ServiceHttpServer::ServiceHttpServer(ConnectionGate::Limits limits)
    : m_gate(limits, [this](Connection& connection, bool stopping) { return serve(connection, stopping); })
{
    new_task_queue = [] { return new HandOver; };
    warmUp();
}

void ServiceHttpServer::warmUp()
{
    // The library fills its tables (request methods, range syntax) on first use, behind function statics
    // whose fast path is compiled into the library and so invisible to the thread sanitizer: workers taking
    // their first requests at once were reported as racing on them. Answering a request of each kind here,
    // before any handler is set and before any worker serves, fills them once on this thread.
    for (const std::string_view request :
         {"GET / HTTP/1.1\r\nHost: localhost\r\nRange: bytes=0-1\r\n\r\n",
          "POST / HTTP/1.1\r\nHost: localhost\r\nContent-Type: application/json\r\nContent-Length: 2\r\n\r\n{}"}) {
        DiscardingStream stream(request);
        bool closedByClient = false;
        process_request(stream, true, closedByClient, nullptr);
    }
}

ServiceHttpServer::~ServiceHttpServer()
{
    m_gate.stop();
}

int ServiceHttpServer::servingSocket()
{
    return t_servingSocket;
}

void ServiceHttpServer::stopConnections()
{
    m_gate.stop();
}

bool ServiceHttpServer::process_and_close_socket(socket_t sock)
{
    m_gate.admit(sock);
    return true;
}

bool ServiceHttpServer::serve(Connection& connection, bool stopping)
{
    const auto& limits = m_gate.limits();
    for (int turn = 0; turn < requestsPerTurn; ++turn) {
        // Blank lines between requests are allowed; the parser wants the request line first.
        while (connection.unread.starts_with("\r\n")) {
            connection.unread.erase(0, 2);
        }
        const auto framed = frameRequest(connection.unread, limits.request);
        if (framed.state != FramedRequest::State::complete) {
            return true;
        }
        RequestStream stream(connection, framed.length, limits.requestDeadline, connection.continueSent);
        connection.continueSent = false;
        bool closedByClient = false;
        t_servingSocket = connection.socket.native_handle();
        const bool answered = process_request(stream, stopping, closedByClient, nullptr);
        t_servingSocket = -1;
        connection.unread.erase(0, framed.length);
        if (!answered || closedByClient || stopping) {
            return false;
        }
    }
    return true;
}

} // namespace orvendel::delay_service
