#include "core/service/connectivity_manager.hpp"

#include "core/platform/rtnetlink_reachability_source.hpp"
#include "core/support/log.hpp"

#include <cassert>

namespace orvendel {

ConnectivityManager::ConnectivityManager(Dependencies dependencies) : m_dependencies(std::move(dependencies))
{
    if (!m_dependencies.makeSource) {
        m_dependencies.makeSource = [] { return std::make_shared<RtnetlinkReachabilitySource>(); };
    }
    if (!m_dependencies.mainQueue) {
        m_ownMainQueue = std::make_unique<SerialQueue>("ConnectivityManagerQueue");
        m_dependencies.mainQueue = executorFor(*m_ownMainQueue);
    }
    assert(m_dependencies.notificationCenter);
}

ConnectivityManager::~ConnectivityManager()
{
    m_observer.reset();
    std::lock_guard lock(m_mutex);
    m_reachability.reset();
}

std::shared_ptr<Reachability> ConnectivityManager::reachability() const
{
    std::lock_guard lock(m_mutex);
    return m_reachability;
}

void ConnectivityManager::startMonitoring()
{
    std::shared_ptr<Reachability> monitor;
    {
        std::lock_guard lock(m_mutex);
        if (m_reachability) {
            return; // started once for the life of the process
        }
        auto created = Reachability::create(m_dependencies.makeSource(), m_dependencies.mainQueue,
                                            *m_dependencies.notificationCenter);
        if (!created) {
            log("Unable to create Reachability");
            return;
        }
        m_reachability = monitor = *created;
        m_observer = m_dependencies.notificationCenter->observe<ReachabilityChanged>(
            monitor.get(), [this](const ReachabilityChanged&) { reachabilityChanged(); });
    }
    if (!monitor->startNotifier()) {
        log("could not start reachability notifier");
        return;
    }
    log("Started Reachability Notifier");
}

void ConnectivityManager::reachabilityChanged()
{
    auto monitor = reachability();
    if (!monitor) {
        return;
    }
    switch (monitor->connection()) {
    case Reachability::Connection::none:
        m_isInternetAvailable = false;
        log("Network Not reachable");
        break;
    case Reachability::Connection::unavailable:
        m_isInternetAvailable = false;
        log("Network not reachable");
        break;
    case Reachability::Connection::wifi:
        m_isInternetAvailable = true;
        log("Reachable via WiFi");
        break;
    case Reachability::Connection::cellular:
        m_isInternetAvailable = true;
        log("Reachable via Cellular");
        break;
    }
}

} // namespace orvendel
