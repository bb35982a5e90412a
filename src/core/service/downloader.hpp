#pragma once

#include "core/model/result_information.hpp"
#include "core/platform/http_transport.hpp"
#include "core/service/request_configuration.hpp"
#include "core/service/request_parameters.hpp"
#include "core/service/wire/messages.hpp"
#include "core/support/notification_center.hpp"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace orvendel {

struct DownloadResource;

// The base of every service request object: one HTTP request on a session of its own, the bytes received so
// far, the caller's parameters and the session data it runs with. A request object runs once; a retry is a new
// object. ResourceRequest<Resource> is the one kind there is; the download manager holds them through this
// base. Create it with std::make_shared.
// Thread contract: `start` on the caller's thread; `cancel` from any thread; session callbacks, and therefore
// every completion, run one after the other on the request's own background strand.
class Downloader : public HttpSessionDelegate, public std::enable_shared_from_this<Downloader> {
public:
    Downloader(std::shared_ptr<DownloaderRequestParameters> requestParameters,
               RequestConfigurationPtr requestConfiguration, std::shared_ptr<HttpTransport> transport);
    ~Downloader() override;
    Downloader(const Downloader&) = delete;
    Downloader& operator=(const Downloader&) = delete;

    // Sends `urlRequest` as it stands. Requests with a body build it first and then call this.
    virtual void start();

    // Invalidates the request's session (creating it when the request never ran) and cancels its task: a
    // running request reports the transport's cancellation error, and then every request reports 1013.
    void cancel();

    bool isDownloading() const { return m_isDownloading; }
    const std::shared_ptr<DownloaderRequestParameters>& requestParameters() const { return m_requestParameters; }
    const RequestConfigurationPtr& requestConfiguration() const { return m_requestConfiguration; }
    const HttpRequest& urlRequest() const { return m_urlRequest; }

    // The resource asked for: its path and console lines.
    virtual const DownloadResource& resource() const = 0;
    // Announce how the request ended, as its resource's "Finished…" (if it has one) or "Failed…" notification.
    virtual void postFinished(NotificationCenter& center, const void* sender) const = 0;
    virtual void postFailed(NotificationCenter& center, const void* sender, Error error) const = 0;
    // The heat a save is for; none for every other resource.
    virtual std::optional<int> heatId() const = 0;
    // A new request, not started, for the same resource and parameters and answering the same completion,
    // that runs with `configuration`.
    virtual std::shared_ptr<Downloader> makeRetry(RequestConfigurationPtr configuration) const = 0;

    void didReceiveResponse(const HttpResponse& response) override;
    void didReceiveData(std::string_view bytes) override;
    void didComplete(const Result<void>& outcome) override;
    void didBecomeInvalid(const Result<void>& outcome) override;

protected:
    // After the task completed without a transport error.
    virtual void processReceivedData() {}
    // After a transport error (passed unchanged), a body that did not encode or an invalidated session.
    virtual void failWithError(const Error&) {}

    const std::optional<std::string>& receivedData() const { return m_receivedData; }
    const std::shared_ptr<HttpTransport>& transport() const { return m_transport; }

    // Common data of the configuration: user, session, locale and furnace.
    wire::CommonData commonData() const;

    // Sends an encoded JSON body as a POST, or reports orv_error::encodeFailure when encoding failed.
    void sendJSON(Result<std::string> body);

private:
    std::shared_ptr<HttpSession> urlSession();

    std::shared_ptr<HttpTransport> m_transport;
    std::mutex m_sessionMutex;
    std::shared_ptr<HttpSession> m_urlSession;
    HttpRequest m_urlRequest;
    std::optional<std::string> m_receivedData;
    std::shared_ptr<DownloaderRequestParameters> m_requestParameters;
    RequestConfigurationPtr m_requestConfiguration;
    std::atomic<bool> m_isDownloading = false;
};

// The default text form of a decode error, as some requests write it to the console.
std::string decodeErrorText(const Error& error);

} // namespace orvendel
