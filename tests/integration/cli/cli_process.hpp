#pragma once

// Runs orvendel-cli as a child process with its standard input and output on pipes, so that a test can
// send one command line and read the one reply line it prints. Standard error and the --log diagnostics go
// to files in the process's own folder (readable with stderrText() and logText()).
//
//   CliProcess cli({"--json", "--service-url", url, "--data-dir", folder, "shell"});
//   auto reply = cli.command("heats");     // the reply line parsed as JSON (a parse failure fails the test)
//   cli.closeInput();  int status = cli.wait();

#include <nlohmann/json.hpp>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace orvendel::testing {

class CliProcess {
public:
    // `arguments` follow the program name; "--log FILE" is added in front of them.
    explicit CliProcess(std::vector<std::string> arguments, std::filesystem::path folder);
    ~CliProcess();
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    bool started() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }

    void send(const std::string& line);
    // The next line printed on standard output, without its line break; none after `timeout` or at the end.
    std::optional<std::string> readLine(std::chrono::seconds timeout = std::chrono::seconds(90));
    // Sends the line and parses the reply line (null when none came or it is not JSON).
    nlohmann::json command(const std::string& line);
    // `login USER` followed by the password line.
    nlohmann::json login(const std::string& user = "demo", const std::string& password = "demo");

    void closeInput();
    // SIGKILL, as a crash or a dying tablet ends a program: nothing of its own runs on the way out.
    void killNow();
    // Everything left on standard output until the program ends.
    std::string readRest(std::chrono::seconds timeout = std::chrono::seconds(90));
    // The exit status; -1 when the program did not end normally within the time-out (it is then killed).
    int wait(std::chrono::seconds timeout = std::chrono::seconds(90));

    std::string stderrText() const;
    std::string logText() const;

private:
    pid_t m_pid = -1;
    int m_input = -1;
    int m_output = -1;
    std::string m_buffer;
    bool m_ended = false;
    std::optional<int> m_status;
    std::filesystem::path m_folder;
};

} // namespace orvendel::testing
