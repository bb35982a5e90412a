#include "faults.hpp"

#include <array>
#include <utility>

namespace orvendel::delay_service {
namespace {

constexpr std::array<std::pair<FaultKind, const char*>, 6> kindNames{{
    {FaultKind::http500Html, "http500-html"},
    {FaultKind::emptyBody, "empty-body"},
    {FaultKind::truncatedJson, "truncated-json"},
    {FaultKind::delay, "delay"},
    {FaultKind::reset, "reset"},
    {FaultKind::expireSession, "expire-session"},
}};

} // namespace

std::optional<FaultKind> faultKindFromText(std::string_view text)
{
    for (const auto& [kind, name] : kindNames) {
        if (text == name) {
            return kind;
        }
    }
    return std::nullopt;
}

const char* faultKindText(FaultKind kind)
{
    for (const auto& [k, name] : kindNames) {
        if (k == kind) {
            return name;
        }
    }
    return "unknown";
}

void FaultInjector::add(FaultRule rule)
{
    if (rule.count < 1) {
        return;
    }
    std::lock_guard lock(m_mutex);
    m_rules.push_back(std::move(rule));
}

std::optional<FaultRule> FaultInjector::take(const std::string& resource)
{
    std::lock_guard lock(m_mutex);
    for (auto it = m_rules.begin(); it != m_rules.end(); ++it) {
        if (it->resource == "*" || it->resource == resource) {
            FaultRule fired = *it;
            fired.count = 1;
            if (--it->count == 0) {
                m_rules.erase(it);
            }
            return fired;
        }
    }
    return std::nullopt;
}

std::vector<FaultRule> FaultInjector::pending()
{
    std::lock_guard lock(m_mutex);
    return {m_rules.begin(), m_rules.end()};
}

void FaultInjector::clear()
{
    std::lock_guard lock(m_mutex);
    m_rules.clear();
}

} // namespace orvendel::delay_service
