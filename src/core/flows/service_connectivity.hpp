#pragma once

#include "core/editing/connectivity_status.hpp"
#include "core/support/executor.hpp"
#include "core/support/notification_center.hpp"

#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace orvendel {
class ConnectivityManager;
}

namespace orvendel::flows {

enum class ConnectivityMode {
    automatic, // the connectivity monitor; a service on this machine counts as reachable
    online,    // always reachable
    offline,   // never reachable: every request is refused as without a network
};

// The answer to "is the network reachable", asked before every request. In the automatic mode it is the
// connectivity monitor's answer, except that a service on this machine (a loopback address) is always
// reachable: it needs no network interface, and a machine without a default route would otherwise refuse
// every request to a local service.
// Thread contract: `start` on the user-interface thread; `isInternetAvailable` from any thread.
class ServiceConnectivity final : public ConnectivityStatus {
public:
    ServiceConnectivity(ConnectivityMode mode, std::string_view serviceURL);
    ~ServiceConnectivity() override;

    // Starts a connectivity monitor of its own (automatic mode) with its reports delivered on `executor`
    // through `center`. Until then, and when it cannot start, the network counts as unreachable.
    void start(const ExecutorPtr& executor, NotificationCenter& center);

    bool isInternetAvailable() const override;

private:
    ConnectivityMode m_mode;
    bool m_serviceIsLocal;
    mutable std::mutex m_mutex;
    std::shared_ptr<ConnectivityManager> m_monitor;
};

// Whether the URL's host is a loopback address or "localhost".
bool isLoopbackURL(std::string_view url);

} // namespace orvendel::flows
