#pragma once

// Runs the reference delay service as a child process for tests over real HTTP on loopback.
//
//   #include "support/service_process.hpp"
//   #include "support/service_client.hpp"
//
//   orvendel::testing::ServiceProcess service;   // --listen 127.0.0.1:0 --db :memory: --seed 1
//                                                 // --enable-admin --admin-token testAdminToken
//   ASSERT_TRUE(service.running()) << service.logText();
//   orvendel::testing::ServiceClient client(service.port());   // sends testAdminToken on admin calls
//   auto token = client.login("demo", "demo");
//   std::string url = service.baseUrl();                   // "http://127.0.0.1:PORT/DelaysApi/Delays"
//
// Options: ServiceProcess({.seed = 7, .extraArguments = {"--session-ttl", "1", "--add-user", "ann:pw:2"}}).
// The service's log lines (one per request) go to a file readable with logText(). The destructor stops the
// service with SIGTERM (SIGKILL after 10 s); stop() does the same and returns the exit status. A sanitizer's
// report in the service's log (a race or a memory fault of the service itself) fails the running test once the
// service has stopped: the sanitizer does not end the service, so nothing else would show it. Start one per
// test suite (SetUpTestSuite) and POST /_admin/reset (ServiceClient::reset) between tests that change data.
// Link the `orvendel_service_test_support` target; it also makes sure the service binary is built.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace orvendel::testing {

// The admin token test services start with, and ServiceClient sends unless told otherwise.
inline constexpr const char* testAdminToken = "orvendel-test-admin";

struct ServiceProcessOptions {
    std::uint64_t seed = 1;
    bool enableAdmin = true; // with testAdminToken
    std::vector<std::string> extraArguments{};
    std::string binary{}; // empty: the service built with this tree
    // RLIMIT_FSIZE of the service in bytes, with SIGXFSZ ignored: a disk too small for its database.
    std::optional<std::uint64_t> fileSizeLimit{};
};

class ServiceProcess {
public:
    explicit ServiceProcess(ServiceProcessOptions options = {});
    ~ServiceProcess();
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    bool running() const { return m_pid > 0 && m_port > 0; }
    int port() const { return m_port; }
    std::string baseUrl() const;
    // Everything the service logged so far, and why it did not start when it did not.
    std::string logText() const;

    // Sends SIGTERM and waits; the exit status (0 for a clean stop), or none when it had to be killed.
    std::optional<int> stop();

    // How the service exited once it stopped (also when it did not start): the exit status, or none when a
    // signal ended it.
    std::optional<int> exitStatus() const { return m_exitStatus; }

    // The log from the first line of a sanitizer's report on; empty without one.
    std::string sanitizerReport() const;

private:
    std::optional<int> stopProcess();

    pid_t m_pid = -1;
    int m_port = 0;
    std::filesystem::path m_logPath;
    std::string m_startProblem;
    bool m_reportChecked = false;
    std::optional<int> m_exitStatus;
};

} // namespace orvendel::testing
