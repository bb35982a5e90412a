#include "connection_reset.hpp"
#include "delay_service.hpp"
#include "reply_helpers.hpp"

#include "core/support/log.hpp"

#include "http_server.hpp"
#include <fmt/format.h>

#include <chrono>
#include <thread>

namespace orvendel::delay_service {
namespace {

constexpr const char* servicePath = "/DelaysApi/Delays/";
constexpr const char* jsonType = "application/json; charset=utf-8";

constexpr const char* errorPage =
    "<!DOCTYPE html>\n<html><head><title>500 Internal Server Error</title></head>\n"
    "<body><h1>Internal Server Error</h1><p>The server encountered an internal error.</p></body></html>\n";

const char* statusText(int status)
{
    switch (status) {
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 413:
        return "Payload Too Large";
    default:
        return status >= 500 ? "Server Error" : "Error";
    }
}

std::string_view resourceOf(const std::string& path)
{
    const std::string_view prefix = servicePath;
    return std::string_view(path).starts_with(prefix) ? std::string_view(path).substr(prefix.size())
                                                      : std::string_view();
}

} // namespace

void DelayService::registerRoutes()
{
    auto& server = *m_server;
    server.set_payload_max_length(RequestLimits{}.bodyBytes);
    const bool quiet = m_options.quiet;

    // The resources take POST only; other methods on them are refused before routing.
    server.set_pre_routing_handler([quiet](const httplib::Request& req, httplib::Response& res) {
        const auto resource = resourceOf(req.path);
        if (DelayResources::isResource(resource) && req.method != "POST") {
            res.status = 405;
            res.set_header("Allow", "POST");
            res.set_content("Method Not Allowed\n", "text/plain");
            if (!quiet) {
                log(fmt::format("{} {} - status=405 0 ms", req.method, resource));
            }
            return httplib::Server::HandlerResponse::Handled;
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });

    server.Post(
        R"(/DelaysApi/Delays/([A-Za-z0-9]+))", [this, quiet](const httplib::Request& req, httplib::Response& res) {
            const std::string resource = req.matches[1];
            if (!DelayResources::isResource(resource)) {
                res.status = 404;
                return;
            }
            const auto started = std::chrono::steady_clock::now();
            m_stats.countRequest(resource);
            const auto fault = m_faults.take(resource);
            auto finish = [&](const std::string& user, int errorCode) {
                if (quiet) {
                    return;
                }
                const auto ms =
                    std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started)
                        .count();
                log(fmt::format("{} user={} status={}{}{} {} ms", resource, user, res.status,
                                errorCode != 0 ? fmt::format(" errorCode={}", errorCode) : "",
                                fault ? fmt::format(" fault={}", faultKindText(fault->kind)) : "", ms));
            };
            if (fault && fault->kind == FaultKind::reset) {
                res.status = 200;
                const bool done = resetConnection(ServiceHttpServer::servingSocket());
                finish("-", 0);
                if (!done) {
                    res.status = 500;
                }
                return;
            }
            if (fault && fault->kind == FaultKind::http500Html) {
                res.status = 500;
                res.set_content(errorPage, "text/html; charset=utf-8");
                finish("-", 0);
                return;
            }
            if (fault && fault->kind == FaultKind::emptyBody) {
                res.status = 200;
                res.set_content("", jsonType);
                finish("-", 0);
                return;
            }
            if (fault && fault->kind == FaultKind::delay) {
                std::this_thread::sleep_for(std::chrono::milliseconds(fault->milliseconds));
            }
            ResourceReply reply;
            try {
                reply = m_resources->handle(resource, req.body, req.remote_addr,
                                            fault && fault->kind == FaultKind::expireSession);
            } catch (const std::exception&) {
                reply = ResourceReply{detail::internalFailureBody(), "-", error_code::internalFailure};
            }
            if (fault && fault->kind == FaultKind::truncatedJson) {
                reply.body.resize(reply.body.size() / 2);
            }
            res.status = 200;
            res.set_content(reply.body, jsonType);
            finish(reply.user, reply.errorCode);
        });

    // Unknown paths and refused requests get a short text; bodies set by handlers stay as they are.
    server.set_error_handler(
        httplib::Server::HandlerWithResponse([quiet](const httplib::Request& req, httplib::Response& res) {
            if (!res.body.empty()) {
                return httplib::Server::HandlerResponse::Unhandled;
            }
            res.set_content(fmt::format("{} {}\n", res.status, statusText(res.status)), "text/plain");
            if (!quiet) {
                log(fmt::format("{} {} - status={} 0 ms", req.method, req.path, res.status));
            }
            return httplib::Server::HandlerResponse::Handled;
        }));
}

} // namespace orvendel::delay_service
