#pragma once

#include <map>
#include <mutex>
#include <string>

namespace orvendel::delay_service {

// Counters for /_admin/stats. Thread contract: any thread.
class ServiceStats {
public:
    struct Snapshot {
        std::map<std::string, long> requests; // by resource
        long authenticationsSucceeded = 0;
        long authenticationsFailed = 0;
    };

    void countRequest(const std::string& resource)
    {
        std::lock_guard lock(m_mutex);
        ++m_data.requests[resource];
    }
    void countAuthentication(bool succeeded)
    {
        std::lock_guard lock(m_mutex);
        ++(succeeded ? m_data.authenticationsSucceeded : m_data.authenticationsFailed);
    }
    Snapshot snapshot()
    {
        std::lock_guard lock(m_mutex);
        return m_data;
    }
    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_data = {};
    }

private:
    std::mutex m_mutex;
    Snapshot m_data;
};

} // namespace orvendel::delay_service
