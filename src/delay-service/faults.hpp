#pragma once

#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace orvendel::delay_service {

enum class FaultKind { http500Html, emptyBody, truncatedJson, delay, reset, expireSession };

// One injected misbehaviour: applies to the next `count` requests of `resource` ("*" for every resource).
struct FaultRule {
    std::string resource = "*";
    FaultKind kind = FaultKind::http500Html;
    int count = 1;
    int milliseconds = 0; // for `delay`
};

std::optional<FaultKind> faultKindFromText(std::string_view text);
const char* faultKindText(FaultKind kind);

// Pending fault rules, used up in the order they were added. Thread contract: any thread.
class FaultInjector {
public:
    void add(FaultRule rule);
    // The first pending rule for the resource, counted as used once; none when no rule applies.
    std::optional<FaultRule> take(const std::string& resource);
    std::vector<FaultRule> pending();
    void clear();

private:
    std::mutex m_mutex;
    std::deque<FaultRule> m_rules;
};

} // namespace orvendel::delay_service
