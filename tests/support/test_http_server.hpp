#pragma once

#include "support/wait_until.hpp"

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace orvendel::test {

// A local HTTP server for transport tests. "/echo" answers the body back with the request's headers
// echoed as "X-Seen-<name>"; "/empty" answers 200 without a body; "/html500" answers an HTML page with status
// 500; "/hold" answers only once `release` is called (or after ten seconds), after counting the request as
// arrived; "/redirect/CODE?to=URL" answers status CODE with "Location: URL"; "/canned" answers the reply set
// by `setCannedReply` with its length declared, "/canned-chunked" the same in chunks without a length.
class TestHttpServer {
public:
    using Headers = std::vector<std::pair<std::string, std::string>>;

    TestHttpServer()
    {
        m_server.Post("/echo", [](const httplib::Request& request, httplib::Response& response) {
            for (const auto& [field, value] : request.headers) {
                response.set_header("X-Seen-" + field, value);
            }
            response.set_content(request.body, "application/json");
        });
        m_server.Get("/empty", [](const httplib::Request&, httplib::Response& response) { response.status = 200; });
        m_server.Post("/html500", [](const httplib::Request&, httplib::Response& response) {
            response.status = 500;
            response.set_content("<html><body>Internal Server Error</body></html>", "text/html");
        });
        auto hold = [this](const httplib::Request&, httplib::Response& response) {
            std::unique_lock lock(m_mutex);
            ++m_arrived;
            m_changed.notify_all();
            m_changed.wait_for(lock, std::chrono::seconds(10), [this] { return m_released; });
            response.set_content("{\"late\":true}", "application/json");
        };
        m_server.Get("/hold", hold);
        m_server.Post("/hold", hold);
        auto redirect = [](const httplib::Request& request, httplib::Response& response) {
            response.status = std::stoi(request.matches[1]);
            response.set_header("Location", request.get_param_value("to"));
        };
        m_server.Get(R"(/redirect/(\d+))", redirect);
        m_server.Post(R"(/redirect/(\d+))", redirect);
        m_server.Get("/canned", [this](const httplib::Request&, httplib::Response& response) {
            std::lock_guard lock(m_mutex);
            for (const auto& [field, value] : m_cannedHeaders) {
                response.set_header(field, value);
            }
            // Not a type the server compresses on its own: the body goes out exactly as given.
            response.set_content(m_cannedBody, "application/octet-stream");
        });
        m_server.Get("/canned-chunked", [this](const httplib::Request&, httplib::Response& response) {
            std::lock_guard lock(m_mutex);
            for (const auto& [field, value] : m_cannedHeaders) {
                response.set_header(field, value);
            }
            response.set_chunked_content_provider(
                "application/octet-stream", [body = m_cannedBody](std::size_t offset, httplib::DataSink& sink) {
                    const std::size_t length = std::min<std::size_t>(16 * 1024, body.size() - offset);
                    if (length > 0 && !sink.write(body.data() + offset, length)) {
                        return false;
                    }
                    if (offset + length == body.size()) {
                        sink.done();
                    }
                    return true;
                });
        });
        // Counted on arrival: the logger runs only after the reply is written, when the client may already
        // have read it and looked at the count.
        m_server.set_pre_routing_handler([this](const httplib::Request&, httplib::Response&) {
            std::lock_guard lock(m_mutex);
            ++m_requests;
            return httplib::Server::HandlerResponse::Unhandled;
        });
        // One request per connection: an idle kept-alive connection would hold one of the server's few threads.
        m_server.set_keep_alive_max_count(1);
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        // A stop before the accept loop runs would be lost.
        waitUntil([this] { return m_server.is_running(); });
    }

    ~TestHttpServer() { stop(); }

    httplib::Server& server() { return m_server; }

    std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(m_port) + path; }

    // Waits (at most ten seconds) until `count` requests reached "/hold".
    bool waitForArrivals(int count)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_arrived >= count; });
    }

    void setCannedReply(std::string body, Headers headers = {})
    {
        std::lock_guard lock(m_mutex);
        m_cannedBody = std::move(body);
        m_cannedHeaders = std::move(headers);
    }

    // Requests received so far, whatever their path.
    int requestCount()
    {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }

    void release()
    {
        std::lock_guard lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }

    void stop()
    {
        if (!m_thread.joinable()) {
            return;
        }
        release();
        m_server.stop();
        m_thread.join();
    }

private:
    httplib::Server m_server;
    int m_port = 0;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_arrived = 0;
    bool m_released = false;
    int m_requests = 0;
    std::string m_cannedBody;
    Headers m_cannedHeaders;
};

} // namespace orvendel::test
