#pragma once

// A small blocking HTTP client for tests against the reference delay service (cpp-httplib, one connection
// per request, 10 s time-outs). `call<Reply>(resource, body)` encodes a request body with the core's wire
// codecs, posts it and decodes the reply; `post` gives the raw status and body for malformed-input and fault
// tests. The admin helpers need a service started with --enable-admin; requests under "/_admin/" carry the
// admin token in "X-Admin-Token" (testAdminToken unless changed). Thread contract: one thread per client.

#include "support/service_process.hpp"

#include "core/service/wire/messages.hpp"

#include <chrono>
#include <optional>
#include <string>

namespace orvendel::testing {

struct HttpReply {
    int status = 0; // 0 when the request failed below HTTP
    std::string body;
    std::string transportError; // set when status is 0
    std::string contentType;
};

class ServiceClient {
public:
    explicit ServiceClient(int port, std::string host = "127.0.0.1");

    HttpReply request(const std::string& method, const std::string& path, const std::string& body = {});
    void setAdminToken(std::string token) { m_adminToken = std::move(token); }
    // POST to "/DelaysApi/Delays/" + resource.
    HttpReply post(const std::string& resource, const std::string& body);

    template <typename Reply, typename Body>
    Result<Reply> call(const std::string& resource, const Body& body)
    {
        const auto encoded = wire::encode(body);
        if (!encoded) {
            return encoded.error();
        }
        const HttpReply reply = post(resource, *encoded);
        return wire::decode<Reply>(reply.body);
    }

    // Signs in; the session token and starting furnace, or none.
    std::optional<wire::JSON_Login> login(const std::string& username, const std::string& password);
    // Signs in and keeps the session for `common`.
    bool signIn(const std::string& username = "demo", const std::string& password = "demo");
    wire::CommonData common(std::optional<int> furnaceId = 1) const;
    const std::string& sessionId() const { return m_sessionId; }

    // Admin calls: the reply's status is 200 on success.
    HttpReply addFault(const std::string& ruleJson) { return request("POST", "/_admin/faults", ruleJson); }
    HttpReply expireSessions() { return request("POST", "/_admin/expire-sessions"); }
    HttpReply stats() { return request("GET", "/_admin/stats"); }
    HttpReply reset() { return request("POST", "/_admin/reset"); }
    // Moves the service's time for sessions and sign-in windows forward.
    HttpReply advanceClock(std::chrono::seconds by)
    {
        return request("POST", "/_admin/advance-clock", "{\"seconds\":" + std::to_string(by.count()) + "}");
    }

private:
    std::string m_host;
    int m_port;
    std::string m_username;
    std::string m_sessionId;
    std::string m_adminToken = testAdminToken;
};

} // namespace orvendel::testing
