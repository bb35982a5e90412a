#pragma once

#include "core/platform/http_transport.hpp"

#include <memory>
#include <mutex>
#include <vector>

namespace orvendel::test {

// A transport that sends nothing: it records each session's requests, and the test answers them. Every
// callback runs synchronously on the thread that answers (or cancels).
class FakeHttpTransport final : public HttpTransport {
public:
    class Session final : public HttpSession {
    public:
        Session(HttpSessionConfiguration configuration, std::weak_ptr<HttpSessionDelegate> delegate,
                bool keepDelegateWhileRunning = false)
            : configuration(configuration), m_delegate(std::move(delegate)),
              m_keepDelegateWhileRunning(keepDelegateWhileRunning)
        {}

        Result<void> startTask(HttpRequest request) override
        {
            if (m_running) {
                return transport_error::make(transport_error::taskRunning);
            }
            if (m_invalidated) {
                return transport_error::make(transport_error::cancelled);
            }
            m_running = true;
            if (m_keepDelegateWhileRunning) {
                m_keepAlive = m_delegate.lock(); // as a real session does while its task runs
            }
            requests.push_back(std::move(request));
            return {};
        }

        void invalidateAndCancel() override
        {
            if (m_invalidated) {
                return;
            }
            m_invalidated = true;
            auto delegate = m_keepAlive ? std::move(m_keepAlive) : m_delegate.lock();
            if (!delegate) {
                return;
            }
            if (m_running) {
                m_running = false;
                delegate->didComplete(transport_error::make(transport_error::cancelled));
            }
            delegate->didBecomeInvalid({});
        }

        // Answers the running task with a reply.
        void reply(int statusCode, std::string_view body)
        {
            auto delegate = finishTask();
            if (!delegate) {
                return;
            }
            delegate->didReceiveResponse(HttpResponse{statusCode, {}});
            if (!body.empty()) {
                delegate->didReceiveData(body.substr(0, body.size() / 2));
                delegate->didReceiveData(body.substr(body.size() / 2));
            }
            delegate->didComplete({});
        }

        // Ends the running task with a transport error.
        void fail(const Error& error)
        {
            if (auto delegate = finishTask()) {
                delegate->didComplete(error);
            }
        }

        bool isRunning() const { return m_running; }

        // Lets go of the delegate of a task nobody answered, as a real transport does when it shuts down.
        void abandon() { m_keepAlive.reset(); }

        HttpSessionConfiguration configuration;
        std::vector<HttpRequest> requests;

    private:
        std::shared_ptr<HttpSessionDelegate> finishTask()
        {
            m_running = false;
            return m_keepAlive ? std::move(m_keepAlive) : m_delegate.lock();
        }

        std::weak_ptr<HttpSessionDelegate> m_delegate;
        std::shared_ptr<HttpSessionDelegate> m_keepAlive;
        bool m_keepDelegateWhileRunning = false;
        bool m_running = false;
        bool m_invalidated = false;
    };

    std::shared_ptr<HttpSession> makeSession(const HttpSessionConfiguration& configuration,
                                             std::weak_ptr<HttpSessionDelegate> delegate) override
    {
        auto session = std::make_shared<Session>(configuration, std::move(delegate), keepDelegatesWhileRunning);
        std::lock_guard lock(m_mutex);
        m_sessions.push_back(session);
        return session;
    }

    std::vector<std::shared_ptr<Session>> sessions() const
    {
        std::lock_guard lock(m_mutex);
        return m_sessions;
    }
    std::shared_ptr<Session> lastSession() const
    {
        std::lock_guard lock(m_mutex);
        return m_sessions.empty() ? nullptr : m_sessions.back();
    }
    // Like a real transport, keep a running task's delegate alive (a request nobody else holds still answers).
    // Off by default, so that a test need not answer or abandon every task it leaves running.
    bool keepDelegatesWhileRunning = false;

    // Call at the end of a test that leaves tasks unanswered: a running task keeps its delegate alive.
    void abandonRunningTasks()
    {
        for (const auto& session : sessions()) {
            session->abandon();
        }
    }

    // Every request sent through any session.
    std::size_t requestCount() const
    {
        std::size_t count = 0;
        for (const auto& session : sessions()) {
            count += session->requests.size();
        }
        return count;
    }

    // The requests sent to the resource named, through any session.
    std::size_t requestsTo(const std::string& resource) const
    {
        std::size_t count = 0;
        for (const auto& session : sessions()) {
            for (const auto& request : session->requests) {
                count += request.url.ends_with("/" + resource) ? 1 : 0;
            }
        }
        return count;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<Session>> m_sessions;
};

} // namespace orvendel::test
