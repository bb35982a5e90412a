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

// Waits for named notifications to arrive a given number of times.
class Waiter {
public:
    Waiter(NotificationCenter& center, std::initializer_list<const char*> names)
    {
        for (const char* name : names) {
            m_tokens.push_back(center.addObserver(name, [this, name](const Notification&) {
                std::lock_guard lock(m_mutex);
                ++m_counts[name];
                m_changed.notify_all();
            }));
        }
    }
    bool wait(const std::string& name, int count)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(30), [&] { return m_counts[name] >= count; });
    }

private:
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
    Waiter waiter(center, {ln::serverAuthentication, dn::finishedFurnaces, dn::finishedDelays, dn::finishedReasons});

    int round = 0;
    double cpu = 0;
    std::size_t delays = 0;
    for (auto _ : state) {
        ++round;
        const double cpuStart = processCpuSeconds();
        (void)database->openUserDatabase("demo");
        login->authenticate("demo", "demo");
        waiter.wait(ln::serverAuthentication, round);
        downloads->downloadFurnacesList();
        waiter.wait(dn::finishedFurnaces, round);
        downloads->downloadDelays(1, "2026-12-06T00:00:00Z");
        downloads->downloadReasons(1);
        waiter.wait(dn::finishedDelays, round);
        waiter.wait(dn::finishedReasons, round);
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
