#include "session_store.hpp"

#include "passwords.hpp"

namespace orvendel::delay_service {

std::optional<std::string> SessionStore::create(const std::string& username)
{
    auto token = passwords::randomHex(16);
    if (!token) {
        return std::nullopt;
    }
    std::lock_guard lock(m_mutex);
    const auto now = m_now();
    dropExpiredLocked(now);
    m_sessions[*token] = Session{username, now + m_ttl};
    return token;
}

bool SessionStore::validate(const std::string& username, const std::string& token)
{
    std::lock_guard lock(m_mutex);
    auto found = m_sessions.find(token);
    if (found == m_sessions.end()) {
        return false;
    }
    const auto now = m_now();
    if (now >= found->second.expiresAt) {
        m_sessions.erase(found);
        return false;
    }
    if (found->second.username != username) {
        return false;
    }
    found->second.expiresAt = now + m_ttl;
    return true;
}

void SessionStore::expire(const std::string& token)
{
    std::lock_guard lock(m_mutex);
    m_sessions.erase(token);
}

void SessionStore::expireAll()
{
    std::lock_guard lock(m_mutex);
    m_sessions.clear();
}

std::size_t SessionStore::activeCount()
{
    std::lock_guard lock(m_mutex);
    dropExpiredLocked(m_now());
    return m_sessions.size();
}

void SessionStore::dropExpiredLocked(std::chrono::steady_clock::time_point now)
{
    std::erase_if(m_sessions, [&](const auto& entry) { return now >= entry.second.expiresAt; });
}

} // namespace orvendel::delay_service
