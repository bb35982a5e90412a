#include "support/service_client.hpp"

#include <httplib.h>

namespace orvendel::testing {

ServiceClient::ServiceClient(int port, std::string host) : m_host(std::move(host)), m_port(port) {}

HttpReply ServiceClient::request(const std::string& method, const std::string& path, const std::string& body)
{
    httplib::Client client(m_host, m_port);
    client.set_connection_timeout(10);
    client.set_read_timeout(10);
    client.set_write_timeout(10);
    client.set_keep_alive(false);
    if (path.starts_with("/_admin/") && !m_adminToken.empty()) {
        client.set_default_headers({{"X-Admin-Token", m_adminToken}});
    }
    httplib::Result result{nullptr, httplib::Error::Unknown};
    const char* json = "application/json; charset=utf-8";
    if (method == "POST") {
        result = client.Post(path, body, json);
    } else if (method == "GET") {
        result = client.Get(path);
    } else if (method == "PUT") {
        result = client.Put(path, body, json);
    } else if (method == "DELETE") {
        result = client.Delete(path);
    }
    HttpReply reply;
    if (!result) {
        reply.transportError = httplib::to_string(result.error());
        return reply;
    }
    reply.status = result->status;
    reply.body = result->body;
    reply.contentType = result->get_header_value("Content-Type");
    return reply;
}

HttpReply ServiceClient::post(const std::string& resource, const std::string& body)
{
    return request("POST", "/DelaysApi/Delays/" + resource, body);
}

std::optional<wire::JSON_Login> ServiceClient::login(const std::string& username, const std::string& password)
{
    wire::LoginRequestBody body;
    body.data.username = username;
    body.data.password = password;
    auto reply = call<wire::LoginRequestResult>("Authenticate", body);
    if (!reply || !reply->resultInformation.success || !reply->data) {
        return std::nullopt;
    }
    return reply->data;
}

bool ServiceClient::signIn(const std::string& username, const std::string& password)
{
    auto session = login(username, password);
    if (!session) {
        return false;
    }
    m_username = username;
    m_sessionId = session->sessionId;
    return true;
}

wire::CommonData ServiceClient::common(std::optional<int> furnaceId) const
{
    return wire::CommonData{m_username, m_sessionId, "en-US", furnaceId};
}

} // namespace orvendel::testing
