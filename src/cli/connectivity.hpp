#pragma once

#include "cli/cli_options.hpp"
#include "cli/main_loop.hpp"
#include "core/editing/connectivity_status.hpp"

#include <memory>
#include <string_view>

namespace orvendel::cli {

// The CLI's answer to "is the network reachable", asked before every request as the app asks it. In the
// automatic mode it is the connectivity monitor's answer, except that a service on this machine (a loopback
// address) is always reachable: it needs no network interface, and a container without a default route
// would otherwise refuse every request to a local service.
// Thread contract: `start` on the main loop's thread; `isInternetAvailable` from any thread.
class CliConnectivity : public ConnectivityStatus {
public:
    CliConnectivity(ConnectivityMode mode, bool serviceIsLocal) : m_mode(mode), m_serviceIsLocal(serviceIsLocal) {}

    // Starts the monitor (automatic mode) with its reports delivered on `loop`, and takes its first answer.
    void start(const std::shared_ptr<MainLoop>& loop);

    bool isInternetAvailable() const override;

private:
    ConnectivityMode m_mode;
    bool m_serviceIsLocal;
};

// Whether the URL's host is a loopback address or "localhost".
bool isLoopbackURL(std::string_view url);

} // namespace orvendel::cli
