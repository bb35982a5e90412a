#include "delay_service.hpp"

#include "core/platform/app_paths.hpp"
#include "core/support/log.hpp"

#include "http_server.hpp"
#include <fmt/format.h>

#include <ctime>

namespace orvendel::delay_service {
namespace {

constexpr int listenBacklog = 1024;

int hostUtcOffsetSeconds()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return static_cast<int>(local.tm_gmtoff);
}

std::optional<std::string> defaultDatabasePath()
{
    auto folder = AppPaths::applicationSupportDirectory();
    if (!folder) {
        return std::nullopt;
    }
    std::error_code ec;
    std::filesystem::create_directories(*folder, ec);
    if (ec) {
        return std::nullopt;
    }
    return (*folder / "delay-service.sqlite").string();
}

} // namespace

int64_t epochNow()
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

DelayService::DelayService(const ServiceOptions& options)
    : m_options(options), m_sessions(std::chrono::seconds(options.sessionTtlSeconds), [this] { return m_clock.now(); }),
      m_throttle(options.failedSignInsPerUser, 4 * options.failedSignInsPerUser,
                 std::chrono::seconds(options.signInWindowSeconds), [this] { return m_clock.now(); })
{}

DelayService::~DelayService() = default;

Result<std::unique_ptr<DelayService>> DelayService::create(const ServiceOptions& options)
{
    const auto failure = [](std::string description) {
        return Error{service_error::domain, service_error::cannotStart, std::move(description)};
    };
    std::unique_ptr<DelayService> service(new DelayService(options));
    service->m_zone = TimeZone{options.utcOffsetSeconds.value_or(hostUtcOffsetSeconds())};

    const auto path = options.databasePath ? options.databasePath : defaultDatabasePath();
    if (!path) {
        return failure("no data folder for the database; give --db PATH");
    }
    if (auto opened = service->m_db.open(*path); !opened) {
        return failure("cannot open database " + *path + ": " + opened.error().description);
    }
    const auto used = service->m_plant.open(options.seed, epochNow(), options.delaysPerHeat);
    if (!used) {
        return failure("cannot write the demo data to " + *path + ": " + used.error().description);
    }
    if (auto created = service->m_users.open(); !created) {
        return failure("cannot create the user table in " + *path + ": " + created.error().description);
    }
    service->m_seed = *used;
    if (!service->m_users.addUser("demo", "demo", 1)) {
        return failure("cannot add the demo user");
    }
    for (const auto& user : options.users) {
        if (!service->m_users.addUser(user.name, user.password, user.startingFurnaceId.value_or(1))) {
            return failure("cannot add user " + user.name);
        }
    }
    service->m_resources =
        std::make_unique<DelayResources>(service->m_plant, service->m_users, service->m_sessions, service->m_throttle,
                                         service->m_stats, service->m_zone, epochNow);
    ConnectionGate::Limits limits;
    limits.requestDeadline = std::chrono::seconds(options.requestDeadlineSeconds);
    limits.idle = std::chrono::seconds(options.idleSeconds);
    limits.connectionsPerClient = options.connectionsPerClient;
    limits.workers = options.threads;
    limits.quiet = options.quiet;
    service->m_server = std::make_unique<ServiceHttpServer>(limits);
    service->registerRoutes();
    if (options.enableAdmin) {
        service->registerAdminRoutes();
    }
    log(fmt::format("Delay service: database {}, seed {}, zone {}, session TTL {} s{}", *path, service->m_seed,
                    ZonedDateTime(Instant{}, service->m_zone).text().substr(19), options.sessionTtlSeconds,
                    options.enableAdmin ? ", admin enabled" : ""));
    return service;
}

std::optional<int> DelayService::bind()
{
    int port = m_options.port;
    if (port == 0) {
        port = m_server->bind_to_any_port(m_options.host);
    } else if (!m_server->bind_to_port(m_options.host, port)) {
        port = -1;
    }
    if (port <= 0) {
        return std::nullopt;
    }
    if (!m_server->widenBacklog(listenBacklog)) {
        log("Delay service: could not widen the listen backlog; bursts of clients may wait");
    }
    return port;
}

bool DelayService::run()
{
    const bool served = m_server->listen_after_bind();
    m_server->stopConnections();
    return served;
}

void DelayService::stop()
{
    if (m_server) {
        m_server->stop();
    }
}

Result<void> DelayService::reset()
{
    m_sessions.expireAll();
    m_throttle.clear();
    m_faults.clear();
    m_stats.clear();
    return m_plant.reset(epochNow());
}

} // namespace orvendel::delay_service
