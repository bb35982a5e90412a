#include "support/service_process.hpp"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <sstream>
#include <string_view>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace orvendel::testing {
namespace {

constexpr auto startTimeout = std::chrono::seconds(20);
constexpr auto stopTimeout = std::chrono::seconds(10);

// The lines sanitizers start a report with, at a line's start or after AddressSanitizer's "==PID==", so that
// text a client sent and the service logged cannot pass for one.
constexpr const char* reportStarts[] = {"WARNING: ThreadSanitizer", "ERROR: AddressSanitizer", "ERROR: LeakSanitizer",
                                        "SUMMARY: UndefinedBehaviorSanitizer"};

bool startsAReport(std::string_view before)
{
    if (before.empty()) {
        return true;
    }
    if (before.size() < 5 || !before.starts_with("==") || !before.ends_with("==")) {
        return false;
    }
    const auto pid = before.substr(2, before.size() - 4);
    return std::all_of(pid.begin(), pid.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Reads the first line the child writes, waiting at most until `deadline`.
std::optional<std::string> readFirstLine(int fd, std::chrono::steady_clock::time_point deadline)
{
    std::string line;
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd entry{fd, POLLIN, 0};
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        const int ready = poll(&entry, 1, static_cast<int>(std::max<long>(1, left.count())));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            break;
        }
        char c = 0;
        const ssize_t got = read(fd, &c, 1);
        if (got <= 0) {
            return std::nullopt;
        }
        if (c == '\n') {
            return line;
        }
        line += c;
    }
    return std::nullopt;
}

} // namespace

ServiceProcess::ServiceProcess(ServiceProcessOptions options)
{
    std::string binary = options.binary;
#ifdef ORVENDEL_DELAY_SERVICE_BINARY
    if (binary.empty()) {
        binary = ORVENDEL_DELAY_SERVICE_BINARY;
    }
#endif
    std::vector<std::string> arguments = {
        binary, "--listen", "127.0.0.1:0", "--db", ":memory:", "--seed", std::to_string(options.seed)};
    if (options.enableAdmin) {
        arguments.insert(arguments.end(), {"--enable-admin", "--admin-token", testAdminToken});
    }
    arguments.insert(arguments.end(), options.extraArguments.begin(), options.extraArguments.end());

    char logTemplate[] = "/tmp/orvendel-delay-service-XXXXXX";
    const int logFd = mkstemp(logTemplate);
    if (logFd < 0) {
        m_startProblem = "cannot create a log file";
        return;
    }
    m_logPath = logTemplate;
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        close(logFd);
        m_startProblem = "cannot create a pipe";
        return;
    }

    std::vector<char*> argv;
    for (auto& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    // The service goes with the thread that started it, whatever ends it (a crash, a kill, a time limit): a
    // program that forgot it would leave it serving. Forked by hand for that and the file size limit; the child
    // calls only async-signal-safe functions before exec.
    const pid_t parent = getpid();
    const std::optional<rlimit> limit =
        options.fileSizeLimit ? std::optional(rlimit{*options.fileSizeLimit, *options.fileSizeLimit}) : std::nullopt;
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) {
            _exit(127);
        }
        dup2(pipeFds[1], STDOUT_FILENO);
        dup2(logFd, STDERR_FILENO);
        if (limit) {
            signal(SIGXFSZ, SIG_IGN);
            setrlimit(RLIMIT_FSIZE, &*limit);
        }
        execve(binary.c_str(), argv.data(), environ);
        _exit(127);
    }
    const int spawned = pid < 0 ? errno : 0;
    close(pipeFds[1]);
    close(logFd);
    if (spawned != 0) {
        close(pipeFds[0]);
        m_startProblem = "cannot start " + binary;
        return;
    }
    m_pid = pid;

    const auto line = readFirstLine(pipeFds[0], std::chrono::steady_clock::now() + startTimeout);
    close(pipeFds[0]);
    const std::string prefix = "listening on ";
    if (!line || line->rfind(prefix, 0) != 0 || line->rfind(':') == std::string::npos) {
        m_startProblem = "the service did not report a port";
        stop();
        return;
    }
    m_port = std::atoi(line->substr(line->rfind(':') + 1).c_str());
}

ServiceProcess::~ServiceProcess()
{
    stop();
    if (!m_logPath.empty()) {
        std::error_code ignored;
        std::filesystem::remove(m_logPath, ignored);
    }
}

std::string ServiceProcess::baseUrl() const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + "/DelaysApi/Delays";
}

std::string ServiceProcess::logText() const
{
    std::ifstream file(m_logPath);
    std::stringstream text;
    text << file.rdbuf();
    return m_startProblem.empty() ? text.str() : m_startProblem + "\n" + text.str();
}

std::string ServiceProcess::sanitizerReport() const
{
    std::ifstream file(m_logPath);
    std::stringstream text;
    text << file.rdbuf();
    const std::string log = text.str();
    std::size_t first = std::string::npos;
    for (const char* start : reportStarts) {
        for (auto at = log.find(start); at != std::string::npos; at = log.find(start, at + 1)) {
            const auto lineStart = log.rfind('\n', at) == std::string::npos ? 0 : log.rfind('\n', at) + 1;
            if (startsAReport(std::string_view(log).substr(lineStart, at - lineStart))) {
                first = std::min(first, at);
                break;
            }
        }
    }
    return first == std::string::npos ? std::string() : log.substr(first);
}

std::optional<int> ServiceProcess::stop()
{
    const auto status = stopProcess();
    if (!m_reportChecked && !m_logPath.empty()) {
        m_reportChecked = true;
        if (const auto report = sanitizerReport(); !report.empty()) {
            ADD_FAILURE() << "the delay service's sanitizer reported:\n" << report;
        }
    }
    return status;
}

std::optional<int> ServiceProcess::stopProcess()
{
    if (m_pid <= 0) {
        return std::nullopt;
    }
    kill(m_pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + stopTimeout;
    int status = 0;
    while (true) {
        const pid_t done = waitpid(m_pid, &status, WNOHANG);
        if (done == m_pid) {
            break;
        }
        if (done < 0 && errno != EINTR) {
            m_pid = -1;
            return std::nullopt;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, &status, 0);
            m_pid = -1;
            m_exitStatus.reset();
            return std::nullopt;
        }
        // A real process's exit; waitpid cannot wait with a deadline.
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    m_pid = -1;
    m_port = 0;
    m_exitStatus = WIFEXITED(status) ? std::optional<int>(WEXITSTATUS(status)) : std::nullopt;
    return m_exitStatus;
}

} // namespace orvendel::testing
