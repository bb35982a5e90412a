#include "delay_service.hpp"
#include "json_limits.hpp"
#include "passwords.hpp"

#include "core/support/log.hpp"

#include "http_server.hpp"
#include <fmt/format.h>
#include <nlohmann/json.hpp>

namespace orvendel::delay_service {
namespace {

using Json = nlohmann::json;

// Admin calls are taken only from this machine: loopback peers or the listening address itself.
bool isLocalCaller(const httplib::Request& req)
{
    return req.remote_addr.starts_with("127.") || req.remote_addr == "::1" || req.remote_addr == "::ffff:127.0.0.1" ||
           req.remote_addr == req.local_addr;
}

bool carriesToken(const httplib::Request& req, const std::string& token)
{
    return req.has_header("X-Admin-Token") && passwords::sameSecret(req.get_header_value("X-Admin-Token"), token);
}

void reply(httplib::Response& res, int status, const Json& body)
{
    res.status = status;
    res.set_content(body.dump() + "\n", "application/json; charset=utf-8");
}

std::optional<FaultRule> readRule(const Json& object, std::string& problem)
{
    if (!object.is_object()) {
        problem = "a fault rule must be an object";
        return std::nullopt;
    }
    FaultRule rule;
    if (auto resource = object.find("resource"); resource != object.end()) {
        if (!resource->is_string() || (*resource != "*" && !DelayResources::isResource(resource->get<std::string>()))) {
            problem = "\"resource\" must name a resource or be \"*\"";
            return std::nullopt;
        }
        rule.resource = resource->get<std::string>();
    }
    auto kind = object.find("kind");
    const auto parsedKind =
        kind != object.end() && kind->is_string() ? faultKindFromText(kind->get<std::string>()) : std::nullopt;
    if (!parsedKind) {
        problem = "\"kind\" must be one of http500-html, empty-body, truncated-json, delay, reset, expire-session";
        return std::nullopt;
    }
    rule.kind = *parsedKind;
    if (auto count = object.find("count"); count != object.end()) {
        if (!count->is_number_integer() || count->get<long long>() < 1 || count->get<long long>() > 1000000) {
            problem = "\"count\" must be a whole number from 1";
            return std::nullopt;
        }
        rule.count = count->get<int>();
    }
    if (rule.kind == FaultKind::delay) {
        auto ms = object.find("ms");
        if (ms == object.end() || !ms->is_number_integer() || ms->get<long long>() < 0 ||
            ms->get<long long>() > 120000) {
            problem = "a delay needs \"ms\" from 0 to 120000";
            return std::nullopt;
        }
        rule.milliseconds = ms->get<int>();
    }
    return rule;
}

Json ruleJson(const FaultRule& rule)
{
    Json json{{"resource", rule.resource}, {"kind", faultKindText(rule.kind)}, {"count", rule.count}};
    if (rule.kind == FaultKind::delay) {
        json["ms"] = rule.milliseconds;
    }
    return json;
}

} // namespace

void DelayService::registerAdminRoutes()
{
    auto& server = *m_server;
    const bool quiet = m_options.quiet;
    // Wraps an admin handler with the local-caller and token checks and a log line. A local program that
    // does not know the token (another user's, a browser page posting to loopback) must not reach them.
    auto guarded = [quiet, token = m_options.adminToken](httplib::Server::Handler handler) {
        return [quiet, token, handler = std::move(handler)](const httplib::Request& req, httplib::Response& res) {
            if (!isLocalCaller(req)) {
                reply(res, 403, Json{{"error", "admin calls are only taken from this machine"}});
            } else if (!carriesToken(req, token)) {
                reply(res, 403, Json{{"error", "admin calls need the service's X-Admin-Token"}});
            } else {
                handler(req, res);
            }
            if (!quiet) {
                log(fmt::format("{} {} status={}", req.method, req.path, res.status));
            }
        };
    };

    server.Post("/_admin/faults", guarded([this](const httplib::Request& req, httplib::Response& res) {
                    const Json body = withinNestingLimit(req.body) ? Json::parse(req.body, nullptr, false)
                                                                   : Json(Json::value_t::discarded);
                    if (body.is_discarded()) {
                        reply(res, 400, Json{{"error", "the body is not JSON"}});
                        return;
                    }
                    const Json& list = body.is_object() && body.contains("rules") ? body["rules"] : body;
                    std::vector<FaultRule> rules;
                    std::string problem;
                    for (const auto& item : list.is_array() ? list : Json::array({list})) {
                        auto rule = readRule(item, problem);
                        if (!rule) {
                            reply(res, 400, Json{{"error", problem}});
                            return;
                        }
                        rules.push_back(*rule);
                    }
                    for (auto& rule : rules) {
                        m_faults.add(std::move(rule));
                    }
                    reply(res, 200, Json{{"added", rules.size()}, {"pending", m_faults.pending().size()}});
                }));

    server.Get("/_admin/faults", guarded([this](const httplib::Request&, httplib::Response& res) {
                   Json rules = Json::array();
                   for (const auto& rule : m_faults.pending()) {
                       rules.push_back(ruleJson(rule));
                   }
                   reply(res, 200, Json{{"rules", rules}});
               }));

    server.Post("/_admin/expire-sessions", guarded([this](const httplib::Request&, httplib::Response& res) {
                    const auto count = m_sessions.activeCount();
                    m_sessions.expireAll();
                    reply(res, 200, Json{{"expired", count}});
                }));

    // Tests let sessions and sign-in windows run out without waiting for them.
    server.Post("/_admin/advance-clock", guarded([this](const httplib::Request& req, httplib::Response& res) {
                    const Json body = withinNestingLimit(req.body) ? Json::parse(req.body, nullptr, false)
                                                                   : Json(Json::value_t::discarded);
                    const auto seconds = body.find("seconds");
                    if (!body.is_object() || seconds == body.end() || !seconds->is_number_integer() ||
                        seconds->get<long long>() < 1 || seconds->get<long long>() > 10000000) {
                        reply(res, 400, Json{{"error", "\"seconds\" must be a whole number from 1 to 10000000"}});
                        return;
                    }
                    const auto advanced = m_clock.advance(std::chrono::seconds(seconds->get<long long>()));
                    reply(res, 200, Json{{"advanced", advanced.count()}});
                }));

    server.Get("/_admin/stats", guarded([this](const httplib::Request&, httplib::Response& res) {
                   const auto stats = m_stats.snapshot();
                   Json requests = Json::object();
                   for (const auto& name : DelayResources::names()) {
                       auto found = stats.requests.find(name);
                       requests[name] = found != stats.requests.end() ? found->second : 0;
                   }
                   reply(
                       res, 200,
                       Json{{"requests", requests},
                            {"authentications",
                             {{"succeeded", stats.authenticationsSucceeded}, {"failed", stats.authenticationsFailed}}},
                            {"activeSessions", m_sessions.activeCount()},
                            {"seed", m_seed}});
               }));

    server.Post("/_admin/reset", guarded([this](const httplib::Request&, httplib::Response& res) {
                    if (reset()) {
                        reply(res, 200, Json{{"reset", true}});
                    } else {
                        reply(res, 500, Json{{"error", "the demo plant could not be made again"}});
                    }
                }));
}

} // namespace orvendel::delay_service
