#include "core/flows/service_connectivity.hpp"

#include "core/service/connectivity_manager.hpp"

#include <arpa/inet.h>

#include <algorithm>
#include <cctype>
#include <string>

namespace orvendel::flows {

ServiceConnectivity::ServiceConnectivity(ConnectivityMode mode, std::string_view serviceURL)
    : m_mode(mode), m_serviceIsLocal(isLoopbackURL(serviceURL))
{}

ServiceConnectivity::~ServiceConnectivity() = default;

void ServiceConnectivity::start(const ExecutorPtr& executor, NotificationCenter& center)
{
    if (m_mode != ConnectivityMode::automatic) {
        return;
    }
    auto monitor = std::make_shared<ConnectivityManager>(
        ConnectivityManager::Dependencies{.makeSource = {}, .mainQueue = executor, .notificationCenter = &center});
    {
        std::lock_guard lock(m_mutex);
        if (m_monitor) {
            return; // started once
        }
        m_monitor = monitor;
    }
    monitor->startMonitoring();
}

bool ServiceConnectivity::isInternetAvailable() const
{
    switch (m_mode) {
    case ConnectivityMode::online:
        return true;
    case ConnectivityMode::offline:
        return false;
    case ConnectivityMode::automatic:
        break;
    }
    if (m_serviceIsLocal) {
        return true;
    }
    std::lock_guard lock(m_mutex);
    return m_monitor && m_monitor->isInternetAvailable();
}

bool isLoopbackURL(std::string_view url)
{
    const auto scheme = url.find("://");
    if (scheme == std::string_view::npos) {
        return false;
    }
    std::string_view authority = url.substr(scheme + 3);
    authority = authority.substr(0, authority.find_first_of("/?#"));
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
        authority.remove_prefix(at + 1);
    }
    std::string host;
    if (authority.starts_with('[')) {
        const auto close = authority.find(']');
        if (close == std::string_view::npos) {
            return false;
        }
        host = std::string(authority.substr(1, close - 1));
    } else {
        host = std::string(authority.substr(0, authority.find(':')));
    }
    std::transform(host.begin(), host.end(), host.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (host == "localhost" || host.ends_with(".localhost")) {
        return true;
    }
    in_addr v4{};
    if (inet_pton(AF_INET, host.c_str(), &v4) == 1) {
        return (ntohl(v4.s_addr) >> 24) == 127;
    }
    in6_addr v6{};
    if (inet_pton(AF_INET6, host.c_str(), &v6) == 1) {
        return IN6_IS_ADDR_LOOPBACK(&v6);
    }
    return false;
}

} // namespace orvendel::flows
