#pragma once

#include "core/service/reachability.hpp"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

namespace orvendel {

// The answer to "is there any network path": `isInternetAvailable`, false until the first report, then true
// for Wi-Fi (any non-cellular route) or cellular. Started once at launch.
// Thread contract: `isInternetAvailable` from any thread; reports, and the flag's writes, run on the main
// queue given at construction.
class ConnectivityManager {
public:
    struct Dependencies {
        std::function<std::shared_ptr<ReachabilitySource>()> makeSource; // the platform's by default
        NotificationQueue mainQueue;                                     // a queue of the manager's own when empty
        NotificationCenter* notificationCenter = nullptr;                // required
    };

    explicit ConnectivityManager(Dependencies dependencies);
    ~ConnectivityManager();
    ConnectivityManager(const ConnectivityManager&) = delete;
    ConnectivityManager& operator=(const ConnectivityManager&) = delete;

    void startMonitoring();
    bool isInternetAvailable() const { return m_isInternetAvailable; }
    std::shared_ptr<Reachability> reachability() const;

    // Observer of "ReachabilityChangedNotification" from the monitor; runs on the main queue.
    void reachabilityChanged();

private:
    Dependencies m_dependencies;
    std::unique_ptr<SerialQueue> m_ownMainQueue;
    mutable std::mutex m_mutex;
    std::shared_ptr<Reachability> m_reachability;
    std::atomic<bool> m_isInternetAvailable = false;
    ObserverToken m_observer; // last: removed first, before the monitor goes
};

} // namespace orvendel
