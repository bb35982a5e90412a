#include "core/service/login_request_json.hpp"

#include "core/service/log_redaction.hpp"
#include "core/service/request_failures.hpp"
#include "core/support/log.hpp"
#include "core/support/utf8.hpp"

#include <fmt/format.h>

namespace orvendel {

LoginRequestJSON::LoginRequestJSON(std::shared_ptr<LoginRequestParameters> requestParameters,
                                   BaseRequestConfiguration requestConfiguration,
                                   std::shared_ptr<HttpTransport> transport)
    : m_transport(std::move(transport)), m_requestParameters(std::move(requestParameters)),
      m_requestConfiguration(std::move(requestConfiguration))
{
    m_urlRequest.url = m_requestConfiguration.url;
    m_urlRequest.timeout = std::chrono::seconds(60);
}

LoginRequestJSON::~LoginRequestJSON() = default;

std::shared_ptr<HttpSession> LoginRequestJSON::urlSession()
{
    std::lock_guard lock(m_sessionMutex);
    if (!m_urlSession) {
        m_urlSession = m_transport->makeSession(m_requestConfiguration.urlSessionConfiguration, weak_from_this());
    }
    return m_urlSession;
}

void LoginRequestJSON::start()
{
    if (m_isAuthenticating.exchange(true)) {
        return;
    }
    const auto& parameters = *m_requestParameters;
    auto body = wire::encode(wire::LoginRequestBody{
        wire::LoginParameters{parameters.username, parameters.password, parameters.systemRequesting}});
    if (!body) {
        deliver(request_failures::encodeFailure());
        return;
    }
    m_urlRequest.method = "POST";
    m_urlRequest.setValue("application/json; charset=utf-8", "Content-Type");
    m_urlRequest.setValue(std::to_string(body->size()), "Content-Length");
    m_urlRequest.body = std::move(*body);
    m_receivedData = std::string();
    if (auto started = urlSession()->startTask(m_urlRequest); !started) {
        // Cancelled before it started; a sign-in must still be answered.
        m_isAuthenticating = false;
        deliver(started.error());
    }
}

void LoginRequestJSON::cancel()
{
    urlSession()->invalidateAndCancel();
}

void LoginRequestJSON::didReceiveResponse(const HttpResponse&) {}

void LoginRequestJSON::didReceiveData(std::string_view bytes)
{
    if (m_receivedData) {
        m_receivedData->append(bytes);
    }
}

void LoginRequestJSON::didComplete(const Result<void>& outcome)
{
    m_isAuthenticating = false;
    if (!outcome) {
        deliver(outcome.error());
        return;
    }
    processReceivedData();
}

void LoginRequestJSON::didBecomeInvalid(const Result<void>&)
{
    // The cancelled task's completion already answered the sign-in.
}

void LoginRequestJSON::processReceivedData()
{
    if (!m_receivedData) {
        deliver(request_failures::emptyReply());
        return;
    }
    const std::string& body = *m_receivedData;
    // The reply carries the session token: the console only ever sees it hidden.
    if (utf8::isValid(body)) {
        log(redactJsonMember(body, "token"));
    } else {
        log(fmt::format("Sign-in reply of {} bytes is not UTF-8 text", body.size()));
    }
    auto decoded = wire::decode<wire::LoginRequestResult>(body);
    if (!decoded) {
        log(fmt::format("Error - {} - {}", decoded.error().description, decoded.error().code));
        deliver(request_failures::decodeFailure());
        return;
    }
    deliver(decoded);
}

void LoginRequestJSON::deliver(const Result<wire::LoginRequestResult>& outcome)
{
    if (auto delegate = m_delegate.lock()) {
        delegate->didFinishAuthenticating(m_requestParameters, outcome);
    }
}

} // namespace orvendel
