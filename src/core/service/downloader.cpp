#include "core/service/downloader.hpp"

#include "core/service/request_failures.hpp"

#include <fmt/format.h>

namespace orvendel {

Downloader::Downloader(std::shared_ptr<DownloaderRequestParameters> requestParameters,
                       RequestConfigurationPtr requestConfiguration, std::shared_ptr<HttpTransport> transport)
    : m_transport(std::move(transport)), m_requestParameters(std::move(requestParameters)),
      m_requestConfiguration(std::move(requestConfiguration))
{
    m_urlRequest.url = m_requestConfiguration->url;
    m_urlRequest.timeout = std::chrono::seconds(60);
}

Downloader::~Downloader() = default;

std::shared_ptr<HttpSession> Downloader::urlSession()
{
    std::lock_guard lock(m_sessionMutex);
    if (!m_urlSession) {
        m_urlSession = m_transport->makeSession(m_requestConfiguration->urlSessionConfiguration, weak_from_this());
    }
    return m_urlSession;
}

void Downloader::start()
{
    m_receivedData = std::string();
    m_isDownloading = true;
    if (!urlSession()->startTask(m_urlRequest)) {
        // Cancelled before it started: the invalidation already reported it.
        m_isDownloading = false;
    }
}

void Downloader::cancel()
{
    urlSession()->invalidateAndCancel();
}

void Downloader::didReceiveResponse(const HttpResponse&)
{
    // The status code is not looked at: an error page fails to decode like any other unexpected body.
}

void Downloader::didReceiveData(std::string_view bytes)
{
    if (m_receivedData) {
        m_receivedData->append(bytes);
    }
}

void Downloader::didComplete(const Result<void>& outcome)
{
    m_isDownloading = false;
    if (outcome) {
        processReceivedData();
        return;
    }
    failWithError(outcome.error());
}

void Downloader::didBecomeInvalid(const Result<void>&)
{
    m_isDownloading = false;
    failWithError(request_failures::cancelled());
}

wire::CommonData Downloader::commonData() const
{
    const auto& configuration = *m_requestConfiguration;
    return wire::CommonData{configuration.username, configuration.sessionId, configuration.locale,
                            configuration.furnaceId};
}

void Downloader::sendJSON(Result<std::string> body)
{
    if (!body) {
        failWithError(request_failures::encodeFailure());
        return;
    }
    m_urlRequest.method = "POST";
    m_urlRequest.setValue("application/json; charset=utf-8", "Content-Type");
    m_urlRequest.setValue(std::to_string(body->size()), "Content-Length");
    m_urlRequest.body = std::move(*body);
    Downloader::start();
}

std::string decodeErrorText(const Error& error)
{
    return fmt::format("DecodeError(code: {}, description: \"{}\")", error.code, error.description);
}

} // namespace orvendel
