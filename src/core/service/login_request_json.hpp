#pragma once

#include "core/platform/http_transport.hpp"
#include "core/service/request_configuration.hpp"
#include "core/service/request_parameters.hpp"
#include "core/service/weak_delegate.hpp"
#include "core/service/wire/messages.hpp"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace orvendel {

// Hears how a sign-in ended, once: the decoded reply, whether or not it reports success, or why there is none
// (transport, empty reply, encoding or decoding).
class LoginRequestJSONDelegate {
public:
    virtual ~LoginRequestJSONDelegate() = default;
    virtual void didFinishAuthenticating(const std::shared_ptr<LoginRequestParameters>& requestParameters,
                                         const Result<wire::LoginRequestResult>& outcome) = 0;
};

// The sign-in request ("Authenticate"). Like Downloader, but with its own delegate, and it reports nothing when
// its session is invalidated: a cancelled sign-in reports the transport's cancellation error once. The reply
// body is written to the console with the session token hidden. Create it with std::make_shared.
// Thread contract: `start` on the caller's thread (an encode failure is reported there, synchronously);
// `cancel` from any thread; the delegate is called on the request's background strand.
class LoginRequestJSON final : public HttpSessionDelegate, public std::enable_shared_from_this<LoginRequestJSON> {
public:
    LoginRequestJSON(std::shared_ptr<LoginRequestParameters> requestParameters,
                     BaseRequestConfiguration requestConfiguration, std::shared_ptr<HttpTransport> transport);
    ~LoginRequestJSON() override;
    LoginRequestJSON(const LoginRequestJSON&) = delete;
    LoginRequestJSON& operator=(const LoginRequestJSON&) = delete;

    void setDelegate(std::weak_ptr<LoginRequestJSONDelegate> delegate) { m_delegate.set(std::move(delegate)); }
    std::shared_ptr<LoginRequestJSONDelegate> delegate() const { return m_delegate.lock(); }

    void start();
    // Invalidates the session and cancels its task; a running sign-in then reports the cancellation error.
    void cancel();

    bool isAuthenticating() const { return m_isAuthenticating; }
    const std::shared_ptr<LoginRequestParameters>& requestParameters() const { return m_requestParameters; }
    const BaseRequestConfiguration& requestConfiguration() const { return m_requestConfiguration; }
    const HttpRequest& urlRequest() const { return m_urlRequest; }

    void didReceiveResponse(const HttpResponse& response) override;
    void didReceiveData(std::string_view bytes) override;
    void didComplete(const Result<void>& outcome) override;
    void didBecomeInvalid(const Result<void>& outcome) override;

private:
    std::shared_ptr<HttpSession> urlSession();
    void deliver(const Result<wire::LoginRequestResult>& outcome);
    void processReceivedData();

    std::shared_ptr<HttpTransport> m_transport;
    std::mutex m_sessionMutex;
    std::shared_ptr<HttpSession> m_urlSession;
    HttpRequest m_urlRequest;
    std::optional<std::string> m_receivedData;
    std::shared_ptr<LoginRequestParameters> m_requestParameters;
    BaseRequestConfiguration m_requestConfiguration;
    std::atomic<bool> m_isAuthenticating = false;
    WeakDelegate<LoginRequestJSONDelegate> m_delegate;
};

} // namespace orvendel
