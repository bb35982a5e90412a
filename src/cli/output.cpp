#include "cli/output.hpp"

#include "cli/terminal_text.hpp"

namespace orvendel::cli {
namespace {

nlohmann::ordered_json errorJson(const Error& error)
{
    return nlohmann::ordered_json{{"domain", error.domain}, {"code", error.code}, {"description", error.description}};
}

std::string alertLine(const Alert& alert)
{
    if (alert.title.empty()) {
        return alert.message;
    }
    // A title that ends a sentence ("… Do you want to proceed?") needs no colon.
    const char last = alert.title.back();
    return alert.title + (last == '?' || last == '.' || last == '!' ? " " : ": ") + alert.message;
}

} // namespace

RenderedReply renderJson(const Reply& reply)
{
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    object["ok"] = reply.ok();
    for (const auto& [key, value] : reply.data.items()) {
        if (key != "ok" && key != "error" && key != "message") {
            object[key] = value;
        }
    }
    if (reply.error) {
        object["error"] = errorJson(*reply.error);
        object["message"] = reply.message;
    }
    if (!reply.alerts.empty()) {
        auto& alerts = object["alerts"] = nlohmann::ordered_json::array();
        for (const auto& alert : reply.alerts) {
            nlohmann::ordered_json entry{{"title", alert.title}, {"message", alert.message}};
            if (alert.error) {
                entry["error"] = errorJson(*alert.error);
            }
            alerts.push_back(std::move(entry));
        }
    }
    if (!reply.notices.empty()) {
        object["notices"] = reply.notices;
    }
    // Texts from the service are not trusted to be UTF-8: replace what is not, never throw.
    return RenderedReply{object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n", {}};
}

RenderedReply renderText(const Reply& reply)
{
    RenderedReply rendered;
    rendered.out = reply.raw;
    // Every line may carry text the service or a colleague wrote.
    for (const auto& line : reply.lines) {
        rendered.out += terminalSafe(line) + "\n";
    }
    for (const auto& alert : reply.alerts) {
        (alert.error ? rendered.err : rendered.out) += terminalSafe(alertLine(alert)) + "\n";
    }
    for (const auto& notice : reply.notices) {
        rendered.out += terminalSafe(notice) + "\n";
    }
    if (reply.error && !reply.errorShownAsAlert) {
        rendered.err += "error: " + terminalSafe(reply.message) + "\n";
    }
    return rendered;
}

void Output::print(const Reply& reply)
{
    const RenderedReply rendered = m_json ? renderJson(reply) : renderText(reply);
    std::fputs(rendered.out.c_str(), m_out);
    std::fflush(m_out);
    if (!rendered.err.empty()) {
        std::fputs(rendered.err.c_str(), m_err);
        std::fflush(m_err);
    }
}

void Output::hint(const std::string& line)
{
    if (!m_json) {
        std::fputs((line + "\n").c_str(), m_out);
        std::fflush(m_out);
    }
}

} // namespace orvendel::cli
