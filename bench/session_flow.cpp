// Sign in → furnace list → delays and reasons stored, against a local reference service, the way the heats
// list drives it after a sign-in. Reported: wall time per flow (median over repetitions) and the process CPU
// time per flow, whose share of the wall time is what our code (codecs, store, queues, libcurl) costs; the
// rest is spent waiting on the service and the loopback network.
#include "core/platform/curl_http_transport.hpp"
#include "core/platform/secret_store.hpp"
#include "core/service/download_manager.hpp"
#include "core/service/login_manager.hpp"
#include "core/support/log.hpp"

#include "support/service_process.hpp"

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <ctime>
#include <filesystem>
#include <future>
#include <memory>

namespace {

using namespace orvendel;
namespace dn = download_notifications;
namespace ln = login_notifications;

double processCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// Counts the notifications of the given types as they arrive, and waits for a number of them.
class Waiter {
public:
    template <typename... Payloads>
    static std::unique_ptr<Waiter> of(NotificationCenter& center)
    {
        auto waiter = std::make_unique<Waiter>();
        (waiter->count<Payloads>(center), ...);
        return waiter;
    }
    template <typename Payload>
    bool wait(int count)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(30),
                                  [&] { return m_counts[std::string(Payload::name)] >= count; });
    }

private:
    template <typename Payload>
    void count(NotificationCenter& center)
    {
        m_tokens.push_back(center.observe<Payload>(nullptr, [this](const Payload&) {
            std::lock_guard lock(m_mutex);
            ++m_counts[std::string(Payload::name)];
            m_changed.notify_all();
        }));
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<std::string, int> m_counts;
    std::vector<ObserverToken> m_tokens;
};

void BM_SignInAndDownloadDay(benchmark::State& state)
{
    const auto quiet = setLogSink([](std::string_view) {});
    orvendel::testing::ServiceProcess service(
        {.seed = 5,
         .enableAdmin = false,
         .extraArguments = {"--quiet", "--delays-per-heat", std::to_string(state.range(0))},
         .binary = {}});
    if (!service.running()) {
        state.SkipWithError("the reference service did not start");
        return;
    }
    const auto folder = std::filesystem::temp_directory_path() / "orvendel-bench-session";
    std::filesystem::remove_all(folder);

    NotificationCenter center;
    std::shared_ptr<DatabaseManager> database =
        std::make_shared<DatabaseManager>(DatabaseManager::Dependencies{[folder] { return std::optional(folder); }});
    auto transport = std::make_shared<CurlHttpTransport>();
    auto credentials = std::make_shared<CredentialStore>(LoginManager::credentialServiceName, std::nullopt,
                                                         makeFileSecretStore(folder / "secrets"));
    auto login = LoginManager::create({credentials, transport, &center, std::chrono::seconds(12), service.baseUrl()});
    auto downloads = DownloadManager::create({login, database, transport, &center, std::chrono::seconds(12)});
    const auto waiter =
        Waiter::of<ln::ServerAuthentication, dn::FurnacesDownloaded, dn::DelaysDownloaded, dn::ReasonsDownloaded>(
            center);

    int round = 0;
    double cpu = 0;
    std::size_t delays = 0;
    for (auto _ : state) {
        ++round;
        const double cpuStart = processCpuSeconds();
        (void)database->openUserDatabase("demo");
        login->authenticate("demo", "demo");
        waiter->wait<ln::ServerAuthentication>(round);
        downloads->downloadFurnacesList();
        waiter->wait<dn::FurnacesDownloaded>(round);
        downloads->downloadDelays(1, "2026-12-06T00:00:00Z");
        downloads->downloadReasons(1);
        waiter->wait<dn::DelaysDownloaded>(round);
        waiter->wait<dn::ReasonsDownloaded>(round);
        cpu += processCpuSeconds() - cpuStart;
        state.PauseTiming();
        std::promise<std::size_t> counted;
        database->fetchLast24HoursHeats(1, [&](Result<std::vector<HeatPtr>> heats) {
            std::size_t n = 0;
            for (const auto& heat : heats.valueOr(std::vector<HeatPtr>{})) {
                n += heat->delays ? heat->delays->size() : 0;
            }
            counted.set_value(n);
        });
        delays = counted.get_future().get();
        state.ResumeTiming();
    }
    state.counters["delays"] = static_cast<double>(delays);
    state.counters["process_cpu_ms"] = benchmark::Counter(cpu * 1000.0 / round);
    downloads->resetForLogout();
    database->closeDatabase();
    std::filesystem::remove_all(folder);
    setLogSink(quiet);
}

} // namespace

// 8 delays a heat is a usual day (about 200 delays); 62 gives the busy day of about 1,500.
BENCHMARK(BM_SignInAndDownloadDay)->Arg(8)->Arg(62)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

BENCHMARK_MAIN();
