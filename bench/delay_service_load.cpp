// Load run against the reference delay service: N concurrent clients (threads, one keep-alive connection each)
// send M mixed requests apiece; prints the request rate and latency percentiles, and fails on any error.
//
//   bench_delay_service_load [--clients 200] [--requests 50] [--threads 64] [--port PORT]
//                            [--slow 300 [--slow-per-address 10]]
//
// Without --port it starts its own service (in-memory database, --quiet, a per-client connection bound that
// admits every load client from 127.0.0.1) on a free loopback port. With --slow it runs twice: once plain,
// once while that many slow connections (idle, or sending a request head a byte a second) are held open from
// other loopback addresses, and prints both and their ratio.

#include "slow_connections.hpp"
#include "support/service_process.hpp"

#include "core/service/wire/messages.hpp"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <barrier>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <mutex>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

using namespace orvendel;
using Clock = std::chrono::steady_clock;

namespace {

struct Settings {
    int clients = 200;
    int requests = 50;
    int threads = 64;
    int port = 0;
    int slow = 0;
    int slowPerAddress = 10;
};

struct PhaseFigures {
    double requestsPerSecond = 0;
    double p50 = 0;
    double p99 = 0;
    int errors = 0;
    bool complete = false;
};

struct ClientResult {
    std::vector<double> latenciesMs;
    std::vector<double> signInLatenciesMs; // also in latenciesMs; PBKDF2 makes them the slow ones
    int errors = 0;
    std::string firstError;
};

class LoadClient {
public:
    LoadClient(int port, int index) : m_http("127.0.0.1", port), m_index(index), m_random(static_cast<unsigned>(index))
    {
        m_http.set_keep_alive(true);
        m_http.set_connection_timeout(30);
        m_http.set_read_timeout(60);
        m_http.set_write_timeout(30);
        m_furnace = index % 3 + 1;
    }

    void run(int requests, ClientResult& result)
    {
        m_result = &result;
        wire::LoginRequestBody login;
        login.data = {"demo", "demo", "iOS"};
        auto session = send<wire::LoginRequestResult>("Authenticate", login);
        if (!session || !session->data) {
            return;
        }
        m_common = {"demo", session->data->sessionId, "en-US", m_furnace};
        for (int i = 1; i < requests; ++i) {
            const int pick = std::uniform_int_distribution<int>(0, 99)(m_random);
            if (pick < 15) {
                send<wire::FurnacesDownloaderResult>("FurnacesList", wire::FurnacesRequestBody{m_common});
            } else if (pick < 30) {
                send<wire::ReasonsDownloaderResult>("ReasonsList", wire::ReasonsRequestBody{m_common});
            } else if (pick < 70) {
                refreshOwnDelay();
            } else if (pick < 85 && m_heatId != 0) {
                wire::UpdatedDelaysRequestBody body{m_common, {m_furnace, m_heatId, {{{"delayId", *m_delay.delayId}}}}};
                send<wire::UpdatedDelaysDownloaderResult>("UpdatedDelays", body);
            } else if (m_heatId != 0) {
                // Each client reclassifies a delay no other client touches, so saves never collide.
                m_delay.reasonId = m_delay.reasonId == 0 ? m_furnace * 1000 + 1 : 0;
                if (send<wire::SaveDelaysResult>("SaveDelays",
                                                 wire::SaveDelaysRequestBody{m_common, {m_heatId, {m_delay}}})) {
                    m_heatId = 0; // its timestamp changed; read it again before the next save
                }
            } else {
                refreshOwnDelay();
            }
        }
    }

private:
    void refreshOwnDelay()
    {
        auto reply =
            send<wire::DelaysDownloaderResult>("Last24HoursDelays", wire::DelaysRequestBody{m_common, {"", true}});
        if (!reply || !reply->data) {
            return;
        }
        std::vector<std::pair<int, wire::JSON_Delay>> all;
        for (const auto& heat : *reply->data) {
            for (const auto& delay : heat.delays.value_or(std::vector<wire::JSON_Delay>{})) {
                all.emplace_back(heat.heatId, delay);
            }
        }
        if (all.empty()) {
            return;
        }
        const auto& [heatId, delay] = all[static_cast<std::size_t>(m_index / 3) % all.size()];
        m_heatId = heatId;
        m_delay = delay;
    }

    template <typename Reply, typename Body>
    std::optional<Reply> send(const char* resource, const Body& body)
    {
        const auto started = Clock::now();
        auto response = m_http.Post(std::string("/DelaysApi/Delays/") + resource, *wire::encode(body),
                                    "application/json; charset=utf-8");
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
        m_result->latenciesMs.push_back(ms);
        if (std::string_view(resource) == "Authenticate") {
            m_result->signInLatenciesMs.push_back(ms);
        }
        std::string problem;
        std::optional<Reply> value;
        if (!response) {
            problem = "transport: " + httplib::to_string(response.error());
        } else if (response->status != 200) {
            problem = "HTTP " + std::to_string(response->status);
        } else if (auto decoded = wire::decode<Reply>(response->body); !decoded) {
            problem = "decode: " + decoded.error().description;
        } else if (!decoded->resultInformation.success) {
            problem = std::string(resource) + " failed: " +
                      (decoded->resultInformation.error ? decoded->resultInformation.error->description : "no error");
        } else {
            value = std::move(*decoded);
        }
        if (!problem.empty() && m_result->errors++ == 0) {
            m_result->firstError = problem;
        }
        return value;
    }

    httplib::Client m_http;
    int m_index;
    std::mt19937 m_random;
    int m_furnace = 1;
    wire::CommonData m_common;
    int m_heatId = 0;
    wire::JSON_Delay m_delay;
    ClientResult* m_result = nullptr;
};

double percentile(const std::vector<double>& sorted, double p)
{
    if (sorted.empty()) {
        return 0;
    }
    const auto index = static_cast<std::size_t>(p * static_cast<double>(sorted.size() - 1) + 0.5);
    return sorted[std::min(index, sorted.size() - 1)];
}

PhaseFigures runPhase(const Settings& settings, int port, const char* title)
{
    std::vector<ClientResult> results(static_cast<std::size_t>(settings.clients));
    std::barrier start(settings.clients + 1);
    std::vector<std::thread> threads;
    for (int i = 0; i < settings.clients; ++i) {
        threads.emplace_back([&, i] {
            LoadClient client(port, i);
            start.arrive_and_wait();
            client.run(settings.requests, results[static_cast<std::size_t>(i)]);
        });
    }
    start.arrive_and_wait();
    const auto began = Clock::now();
    for (auto& thread : threads) {
        thread.join();
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - began).count();

    std::vector<double> latencies;
    std::vector<double> signIns;
    int errors = 0;
    std::string firstError;
    for (const auto& result : results) {
        latencies.insert(latencies.end(), result.latenciesMs.begin(), result.latenciesMs.end());
        signIns.insert(signIns.end(), result.signInLatenciesMs.begin(), result.signInLatenciesMs.end());
        if (result.errors > 0 && firstError.empty()) {
            firstError = result.firstError;
        }
        errors += result.errors;
    }
    std::vector<double> others;
    {
        std::vector<double> all = latencies;
        std::sort(all.begin(), all.end());
        std::vector<double> sortedSignIns = signIns;
        std::sort(sortedSignIns.begin(), sortedSignIns.end());
        std::set_difference(all.begin(), all.end(), sortedSignIns.begin(), sortedSignIns.end(),
                            std::back_inserter(others));
    }
    std::sort(latencies.begin(), latencies.end());
    std::sort(signIns.begin(), signIns.end());
    std::printf("delay service load%s: %d clients x %d requests, server threads %d\n", title, settings.clients,
                settings.requests, settings.threads);
    std::printf("requests %zu, errors %d, %.2f s, %.0f requests/s\n", latencies.size(), errors, seconds,
                static_cast<double>(latencies.size()) / seconds);
    std::printf("latency ms: p50 %.2f, p90 %.2f, p99 %.2f, max %.2f\n", percentile(latencies, 0.50),
                percentile(latencies, 0.90), percentile(latencies, 0.99), latencies.empty() ? 0.0 : latencies.back());
    std::printf("  sign-ins (%zu): p50 %.2f, p99 %.2f; other requests (%zu): p50 %.2f, p99 %.2f\n", signIns.size(),
                percentile(signIns, 0.50), percentile(signIns, 0.99), others.size(), percentile(others, 0.50),
                percentile(others, 0.99));
    if (errors > 0) {
        std::printf("first error: %s\n", firstError.c_str());
    }
    const auto expected = static_cast<std::size_t>(settings.clients) * static_cast<std::size_t>(settings.requests);
    return PhaseFigures{static_cast<double>(latencies.size()) / seconds, percentile(latencies, 0.50),
                        percentile(latencies, 0.99), errors, latencies.size() == expected};
}

} // namespace

int main(int argc, char** argv)
{
    Settings settings;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const int value = std::atoi(argv[i + 1]);
        if (option == "--clients") {
            settings.clients = value;
        } else if (option == "--requests") {
            settings.requests = value;
        } else if (option == "--threads") {
            settings.threads = value;
        } else if (option == "--port") {
            settings.port = value;
        } else if (option == "--slow") {
            settings.slow = value;
        } else if (option == "--slow-per-address") {
            settings.slowPerAddress = value;
        } else {
            std::fprintf(stderr, "unknown option %s\n", option.c_str());
            return 2;
        }
    }
    if (settings.clients < 1 || settings.requests < 1 || settings.slow < 0 || settings.slowPerAddress < 1) {
        std::fprintf(stderr, "--clients, --requests and --slow-per-address must be positive\n");
        return 2;
    }

    std::optional<testing::ServiceProcess> service;
    int port = settings.port;
    if (port == 0) {
        service.emplace(testing::ServiceProcessOptions{
            .seed = 1,
            .enableAdmin = false,
            .extraArguments = {"--quiet", "--threads", std::to_string(settings.threads), "--max-client-connections",
                               std::to_string(settings.clients + 16)},
            .binary = {}});
        if (!service->running()) {
            std::fprintf(stderr, "the service did not start:\n%s\n", service->logText().c_str());
            return 1;
        }
        port = service->port();
    }

    const auto plain = runPhase(settings, port, "");
    bool failed = plain.errors > 0 || !plain.complete;
    if (settings.slow > 0) {
        SlowConnections slow(port, settings.slow, settings.slowPerAddress);
        // Let every slow connection be taken in before the clients start.
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const std::string title = " with " + std::to_string(settings.slow) + " slow connections held open";
        const auto loaded = runPhase(settings, port, title.c_str());
        const auto figures = slow.stop();
        std::printf("slow connections: %d asked, %d open at the end, fewest open %d, from %d addresses; "
                    "reopened %ld times after the service closed them, %ld failed to open\n",
                    settings.slow, figures.open, figures.fewestOpen,
                    (settings.slow + settings.slowPerAddress - 1) / settings.slowPerAddress, figures.reopened,
                    figures.failedToOpen);
        std::printf("with slow connections / without: requests/s %.2f, p50 %.2f, p99 %.2f\n",
                    loaded.requestsPerSecond / plain.requestsPerSecond, loaded.p50 / plain.p50, loaded.p99 / plain.p99);
        failed = failed || loaded.errors > 0 || !loaded.complete;
    }
    if (service) {
        const auto status = service->stop();
        if (status != 0) {
            std::printf("the service did not stop cleanly\n");
            return 1;
        }
    }
    return failed ? 1 : 0;
}
