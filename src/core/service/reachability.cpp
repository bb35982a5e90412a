#include "core/service/reachability.hpp"

#include <fmt/format.h>

namespace orvendel {

Error reachability_error::make(int kind, int platformCode, const std::string& detail)
{
    static constexpr const char* names[] = {"failedToCreateWithAddress", "failedToCreateWithHostname",
                                            "unableToSetCallback", "unableToSetDispatchQueue", "unableToGetFlags"};
    const char* name = kind >= 1 && kind <= 5 ? names[kind - 1] : "unknown";
    return Error{domain, kind,
                 detail.empty() ? fmt::format("{} (platform error {})", name, platformCode)
                                : fmt::format("{} {} (platform error {})", name, detail, platformCode)};
}

Result<std::shared_ptr<Reachability>> Reachability::create(std::shared_ptr<ReachabilitySource> source,
                                                           NotificationQueue notificationQueue,
                                                           NotificationCenter& notificationCenter)
{
    if (!source || !notificationQueue) {
        return reachability_error::make(reachability_error::failedToCreateWithAddress, 0, "0.0.0.0");
    }
    return std::shared_ptr<Reachability>(
        new Reachability(std::move(source), std::move(notificationQueue), notificationCenter));
}

Reachability::Reachability(std::shared_ptr<ReachabilitySource> source, NotificationQueue notificationQueue,
                           NotificationCenter& notificationCenter)
    : m_source(std::move(source)), m_notificationQueue(std::move(notificationQueue)),
      m_notificationCenter(notificationCenter)
{}

Reachability::~Reachability()
{
    stopNotifier();
}

void Reachability::setWhenReachable(std::function<void(Reachability&)> closure)
{
    std::lock_guard lock(m_mutex);
    m_whenReachable = std::move(closure);
}

void Reachability::setWhenUnreachable(std::function<void(Reachability&)> closure)
{
    std::lock_guard lock(m_mutex);
    m_whenUnreachable = std::move(closure);
}

Result<void> Reachability::startNotifier()
{
    if (m_notifierRunning) {
        return {};
    }
    auto weakRef = std::make_shared<ReachabilityWeakRef>(ReachabilityWeakRef{weak_from_this()});
    int code = m_source->setCallback([weakRef] {
        if (auto reachability = weakRef->reachability.lock()) {
            // The queue drains before the monitor's other members go, so the raw pointer outlives the task.
            auto* monitor = reachability.get();
            monitor->m_reachabilitySerialQueue.async([monitor] { monitor->readFlagsAndReport(); });
        }
    });
    if (code != 0) {
        stopNotifier();
        return reachability_error::make(reachability_error::unableToSetCallback, code);
    }
    int readError = 0;
    if (!m_reachabilitySerialQueue.sync([&] { return readFlagsAndReport(&readError); })) {
        return reachability_error::make(reachability_error::unableToGetFlags, readError);
    }
    m_notifierRunning = true;
    return {};
}

void Reachability::stopNotifier()
{
    m_source->setCallback({});
    m_notifierRunning = false;
}

std::optional<ReachabilityFlags> Reachability::flags() const
{
    std::lock_guard lock(m_mutex);
    return m_flags;
}

Reachability::Connection Reachability::connection()
{
    std::optional<ReachabilityFlags> current = flags();
    if (!current) {
        current = m_source->readFlags().flags;
        std::lock_guard lock(m_mutex);
        if (!m_flags) {
            m_flags = current;
        }
    }
    return connectionFor(current, allowsCellularConnection());
}

Reachability::Connection Reachability::connectionFor(std::optional<ReachabilityFlags> flags,
                                                     bool allowsCellularConnection)
{
    using namespace reachability_flags;
    if (!flags || (*flags & reachable) == 0) {
        return Connection::unavailable;
    }
    Connection connection = (*flags & connectionRequired) == 0 ? Connection::wifi : Connection::unavailable;
    if ((*flags & (connectionOnTraffic | connectionOnDemand)) != 0 && (*flags & interventionRequired) == 0) {
        connection = Connection::wifi;
    }
    if ((*flags & isWWAN) != 0) {
        connection = allowsCellularConnection ? Connection::cellular : Connection::unavailable;
    }
    return connection;
}

bool Reachability::readFlagsAndReport(int* errorCode)
{
    auto reading = m_source->readFlags();
    if (!reading.flags) {
        stopNotifier();
        if (errorCode != nullptr) {
            *errorCode = reading.errorCode;
        }
        return false;
    }
    bool changed = false;
    {
        std::lock_guard lock(m_mutex);
        changed = !m_flags || *m_flags != *reading.flags;
        m_flags = reading.flags;
    }
    if (changed) {
        reportChange();
    }
    return true;
}

void Reachability::reportChange()
{
    m_notificationQueue->post([weak = weak_from_this()] {
        auto monitor = weak.lock();
        if (!monitor) {
            return;
        }
        const bool usable = monitor->connection() != Connection::unavailable;
        std::function<void(Reachability&)> closure;
        {
            std::lock_guard lock(monitor->m_mutex);
            closure = usable ? monitor->m_whenReachable : monitor->m_whenUnreachable;
        }
        if (closure) {
            closure(*monitor);
        }
        monitor->m_notificationCenter.post(ReachabilityChanged{}, monitor.get());
    });
}

} // namespace orvendel
