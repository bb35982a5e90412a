#pragma once

#include "request_framer.hpp"

#include <asio/executor_work_guard.hpp>
#include <asio/io_context.hpp>
#include <asio/posix/stream_descriptor.hpp>
#include <asio/steady_timer.hpp>
#include <asio/thread_pool.hpp>

#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <unordered_map>

namespace orvendel::delay_service {

// A client connection and what it has sent that is not answered yet. Thread contract: the gate's thread
// owns it while it waits; one worker owns it while it is served; tasks posted between them hand it over.
struct Connection {
    Connection(asio::io_context& io, int fd) : socket(io, fd), timer(io) {}

    asio::posix::stream_descriptor socket;
    asio::steady_timer timer;
    std::string peerAddress;
    int peerPort = 0;
    std::string localAddress;
    int localPort = 0;
    std::string unread;
    bool continueSent = false; // "100 Continue" already sent for the request in progress
    bool closing = false;      // refused: draining what the client still sends before closing
    // Gate thread only.
    bool serving = false;         // a worker has it
    bool reading = false;         // a read is pending
    unsigned timerGeneration = 0; // a timer that fires for an older generation is stale
    std::array<char, 16 * 1024> readBuffer{};
};

// Holds every client connection while it is idle or still receiving a request, and hands it to a worker
// only once a whole request is in, so idle and slow clients cannot occupy the workers. The request
// limits, the deadline for a whole request and the bound on connections per client address are kept
// here, before any worker is involved; refusals are answered here too.
//
// The HTTP library runs a thread per connection for the connection's whole life, which any slow client
// could exhaust; this gate takes its place between accepting and serving.
// Thread contract: `admit` and `stop` from any thread; `serve` runs on the worker threads.
class ConnectionGate {
public:
    struct Limits {
        RequestLimits request;
        std::chrono::seconds requestDeadline{10};
        std::chrono::seconds idle{5};
        int connectionsPerClient = 64;
        int workers = 64;
        bool quiet = false; // no log line per refusal
    };
    // Answers the whole requests at the start of `unread`, removing them; false when the connection must
    // close (the client asked to, the answer failed, or the gate is stopping).
    using Serve = std::function<bool(Connection&, bool stopping)>;

    ConnectionGate(Limits limits, Serve serve);
    ~ConnectionGate();
    ConnectionGate(const ConnectionGate&) = delete;
    ConnectionGate& operator=(const ConnectionGate&) = delete;

    // Takes over an accepted socket.
    void admit(int fd);
    // Closes every connection after the requests being served are answered; idempotent.
    void stop();

    const Limits& limits() const { return m_limits; }

private:
    using ConnectionPtr = std::shared_ptr<Connection>;

    void admitOnGate(int fd);
    void receive(const ConnectionPtr& connection);
    void received(const ConnectionPtr& connection, std::size_t bytes);
    void examine(const ConnectionPtr& connection);
    void dispatch(const ConnectionPtr& connection);
    void returned(const ConnectionPtr& connection, bool keepOpen);
    void armTimer(const ConnectionPtr& connection, std::chrono::steady_clock::duration after);
    void refuse(const ConnectionPtr& connection, int status);
    void close(const ConnectionPtr& connection);

    Limits m_limits;
    Serve m_serve;
    asio::io_context m_io;
    asio::executor_work_guard<asio::io_context::executor_type> m_work;
    asio::thread_pool m_workers;
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_stopped{false};
    // Gate thread only.
    std::unordered_map<Connection*, ConnectionPtr> m_open;
    std::unordered_map<std::string, int> m_perClient;
};

} // namespace orvendel::delay_service
