#pragma once

#include "faults.hpp"
#include "options.hpp"
#include "plant_store.hpp"
#include "resources.hpp"
#include "service_clock.hpp"
#include "service_stats.hpp"
#include "session_store.hpp"
#include "sign_in_throttle.hpp"
#include "sqlite_db.hpp"
#include "user_store.hpp"

#include <memory>
#include <optional>
#include <string>

namespace orvendel::delay_service {

class ServiceHttpServer;

// The whole service: database, stores, resources and the HTTP server over them.
// Thread contract: create, bind and run on one thread; stop from any thread (a signal watcher).
class DelayService {
public:
    ~DelayService();

    // Opens the database and makes the demo plant and users, or says why it could not.
    static Result<std::unique_ptr<DelayService>> create(const ServiceOptions& options);

    // Binds the listening socket; the port in use (the chosen one for port 0), or none.
    std::optional<int> bind();
    // Serves until `stop`; false when serving could not start.
    bool run();
    void stop();

    uint64_t seed() const { return m_seed; }
    TimeZone zone() const { return m_zone; }

    // Back to the state after start: sessions, failed sign-ins, faults and counters dropped, the demo plant
    // made anew.
    Result<void> reset();

    Database& database() { return m_db; }
    PlantStore& plant() { return m_plant; }
    SessionStore& sessions() { return m_sessions; }
    FaultInjector& faults() { return m_faults; }
    ServiceStats& stats() { return m_stats; }
    ServiceClock& clock() { return m_clock; }
    DelayResources& resources() { return *m_resources; }
    const ServiceOptions& options() const { return m_options; }

private:
    explicit DelayService(const ServiceOptions& options);
    void registerRoutes();
    void registerAdminRoutes();

    ServiceOptions m_options;
    ServiceClock m_clock; // before the stores that read it
    uint64_t m_seed = 0;
    TimeZone m_zone;
    Database m_db;
    PlantStore m_plant{m_db};
    UserStore m_users{m_db};
    SessionStore m_sessions;
    SignInThrottle m_throttle;
    FaultInjector m_faults;
    ServiceStats m_stats;
    std::unique_ptr<DelayResources> m_resources;
    std::unique_ptr<ServiceHttpServer> m_server;
};

int64_t epochNow();

} // namespace orvendel::delay_service
