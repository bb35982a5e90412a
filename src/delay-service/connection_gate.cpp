#include "connection_gate.hpp"

#include "core/support/log.hpp"

#include <asio/post.hpp>
#include <fmt/format.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <exception>
#include <vector>

namespace orvendel::delay_service {
namespace {

// How long a refused connection may go on sending before it is closed: closing with unread input would
// reset the connection and could discard the refusal before the client reads it.
constexpr auto lingerAfterRefusal = std::chrono::seconds(2);
constexpr const char* continueLine = "HTTP/1.1 100 Continue\r\n\r\n";

const char* reasonPhrase(int status)
{
    switch (status) {
    case 400:
        return "Bad Request";
    case 408:
        return "Request Timeout";
    case 413:
        return "Payload Too Large";
    case 431:
        return "Request Header Fields Too Large";
    default:
        return "Service Unavailable";
    }
}

std::pair<std::string, int> addressOf(const sockaddr_storage& address)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto& in = reinterpret_cast<const sockaddr_in&>(address);
        inet_ntop(AF_INET, &in.sin_addr, text, sizeof(text));
        return {text, ntohs(in.sin_port)};
    }
    if (address.ss_family == AF_INET6) {
        const auto& in6 = reinterpret_cast<const sockaddr_in6&>(address);
        inet_ntop(AF_INET6, &in6.sin6_addr, text, sizeof(text));
        return {text, ntohs(in6.sin6_port)};
    }
    return {"", 0};
}

// Small answers written without waiting: what does not fit the socket's buffer at once is not sent.
void sendNow(int fd, std::string_view bytes)
{
    [[maybe_unused]] const auto sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
}

void sendRefusal(int fd, int status)
{
    const std::string text = fmt::format("{} {}\n", status, reasonPhrase(status));
    sendNow(fd, fmt::format("HTTP/1.1 {} {}\r\nContent-Type: text/plain\r\nContent-Length: {}\r\n"
                            "Connection: close\r\n\r\n{}",
                            status, reasonPhrase(status), text.size(), text));
}

} // namespace

ConnectionGate::ConnectionGate(Limits limits, Serve serve)
    : m_limits(limits), m_serve(std::move(serve)), m_work(asio::make_work_guard(m_io)),
      m_workers(static_cast<std::size_t>(limits.workers)), m_thread([this] { m_io.run(); })
{}

ConnectionGate::~ConnectionGate()
{
    stop();
}

void ConnectionGate::admit(int fd)
{
    if (m_stopping) {
        ::close(fd);
        return;
    }
    asio::post(m_io, [this, fd] { admitOnGate(fd); });
}

void ConnectionGate::admitOnGate(int fd)
{
    sockaddr_storage peer{};
    sockaddr_storage local{};
    socklen_t peerSize = sizeof(peer);
    socklen_t localSize = sizeof(local);
    if (m_stopping || getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localSize) != 0) {
        ::close(fd);
        return;
    }
    auto [peerAddress, peerPort] = addressOf(peer);
    int& count = m_perClient[peerAddress];
    if (count >= m_limits.connectionsPerClient) {
        if (!m_limits.quiet) {
            log(fmt::format("Delay service: {} holds {} connections; refusing another", peerAddress, count));
        }
        sendRefusal(fd, 503);
        ::shutdown(fd, SHUT_RDWR);
        ::close(fd);
        return;
    }
    ++count;
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    auto connection = std::make_shared<Connection>(m_io, fd);
    connection->peerAddress = std::move(peerAddress);
    connection->peerPort = peerPort;
    std::tie(connection->localAddress, connection->localPort) = addressOf(local);
    m_open.emplace(connection.get(), connection);
    armTimer(connection, m_limits.idle);
    receive(connection);
}

void ConnectionGate::receive(const ConnectionPtr& connection)
{
    connection->reading = true;
    connection->socket.async_read_some(asio::buffer(connection->readBuffer),
                                       [this, connection](const std::error_code& error, std::size_t bytes) {
                                           connection->reading = false;
                                           if (error == asio::error::operation_aborted) {
                                               return;
                                           }
                                           if (error) {
                                               close(connection);
                                               return;
                                           }
                                           received(connection, bytes);
                                       });
}

void ConnectionGate::received(const ConnectionPtr& connection, std::size_t bytes)
{
    if (connection->closing) {
        receive(connection);
        return;
    }
    if (connection->unread.empty()) {
        // The first byte of a request starts its deadline; only a whole request may take that long.
        armTimer(connection, m_limits.requestDeadline);
    }
    connection->unread.append(connection->readBuffer.data(), bytes);
    examine(connection);
}

void ConnectionGate::examine(const ConnectionPtr& connection)
{
    // Chunk framing can make a body's bytes on the wire outgrow the body; they are bounded as well.
    const auto rawLimit = m_limits.request.headBytes + 2 * m_limits.request.bodyBytes;
    const auto framed = frameRequest(connection->unread, m_limits.request);
    if (framed.state == FramedRequest::State::complete) {
        dispatch(connection);
        return;
    }
    if (framed.state == FramedRequest::State::refused || connection->unread.size() > rawLimit) {
        refuse(connection, framed.state == FramedRequest::State::refused ? framed.status : 413);
        return;
    }
    if (framed.awaitsContinue && !connection->continueSent) {
        // The body is collected here, so the interim answer that asks for it is sent from here too.
        sendNow(connection->socket.native_handle(), continueLine);
        connection->continueSent = true;
    }
    receive(connection);
}

void ConnectionGate::dispatch(const ConnectionPtr& connection)
{
    if (m_stopping) {
        close(connection);
        return;
    }
    connection->serving = true;
    ++connection->timerGeneration;
    connection->timer.cancel();
    asio::post(m_workers, [this, connection] {
        bool keepOpen = false;
        try {
            keepOpen = m_serve(*connection, m_stopping);
        } catch (const std::exception& error) {
            // A worker thread must survive whatever one request does; the connection is given up.
            log(std::string("Delay service: answering a request failed: ") + error.what());
        }
        asio::post(m_io, [this, connection, keepOpen] { returned(connection, keepOpen); });
    });
}

void ConnectionGate::returned(const ConnectionPtr& connection, bool keepOpen)
{
    connection->serving = false;
    if (!keepOpen || m_stopping) {
        close(connection);
        return;
    }
    // A request that came in behind the answered ones (pipelined) waits its turn behind other connections.
    armTimer(connection, connection->unread.empty() ? m_limits.idle : m_limits.requestDeadline);
    examine(connection);
}

void ConnectionGate::armTimer(const ConnectionPtr& connection, std::chrono::steady_clock::duration after)
{
    const unsigned generation = ++connection->timerGeneration;
    connection->timer.expires_after(after);
    connection->timer.async_wait([this, connection, generation](const std::error_code& error) {
        if (error || generation != connection->timerGeneration || connection->serving) {
            return;
        }
        if (connection->closing || connection->unread.empty()) {
            close(connection);
        } else {
            refuse(connection, 408);
        }
    });
}

void ConnectionGate::refuse(const ConnectionPtr& connection, int status)
{
    if (!m_limits.quiet) {
        log(fmt::format("Delay service: {} status={} before a worker took the request", connection->peerAddress,
                        status));
    }
    const int fd = connection->socket.native_handle();
    sendRefusal(fd, status);
    ::shutdown(fd, SHUT_WR);
    connection->closing = true;
    connection->unread.clear();
    armTimer(connection, lingerAfterRefusal);
    if (!connection->reading) {
        receive(connection);
    }
}

void ConnectionGate::close(const ConnectionPtr& connection)
{
    if (m_open.erase(connection.get()) == 0) {
        return;
    }
    if (auto count = m_perClient.find(connection->peerAddress); count != m_perClient.end() && --count->second <= 0) {
        m_perClient.erase(count);
    }
    ++connection->timerGeneration;
    connection->timer.cancel();
    std::error_code ignored;
    connection->socket.close(ignored);
}

void ConnectionGate::stop()
{
    if (m_stopped.exchange(true)) {
        return;
    }
    m_stopping = true;
    auto closeIdle = [this] {
        std::vector<ConnectionPtr> open;
        for (const auto& [key, connection] : m_open) {
            if (!connection->serving) {
                open.push_back(connection);
            }
        }
        for (const auto& connection : open) {
            close(connection);
        }
    };
    asio::post(m_io, closeIdle);
    // Requests being answered finish; their connections close as they come back.
    m_workers.join();
    asio::post(m_io, [this, closeIdle] {
        closeIdle();
        m_work.reset();
    });
    m_thread.join();
}

} // namespace orvendel::delay_service
