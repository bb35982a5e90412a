#include "cli_process.hpp"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace orvendel::testing {
namespace {

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

CliProcess::CliProcess(std::vector<std::string> arguments, std::filesystem::path folder) : m_folder(std::move(folder))
{
    std::signal(SIGPIPE, SIG_IGN);
    std::filesystem::create_directories(m_folder);
    int input[2];
    int output[2];
    if (pipe2(input, O_CLOEXEC) != 0 || pipe2(output, O_CLOEXEC) != 0) {
        return;
    }
    const std::string stderrPath = (m_folder / "stderr.txt").string();
    std::vector<std::string> argv{ORVENDEL_CLI_BINARY, "--log", (m_folder / "cli.log").string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> pointers;
    for (auto& argument : argv) {
        pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);

    m_pid = fork();
    if (m_pid == 0) {
        dup2(input[0], STDIN_FILENO);
        dup2(output[1], STDOUT_FILENO);
        const int err = open(stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (err >= 0) {
            dup2(err, STDERR_FILENO);
        }
        execv(pointers[0], pointers.data());
        _exit(127);
    }
    close(input[0]);
    close(output[1]);
    m_input = input[1];
    m_output = output[0];
}

CliProcess::~CliProcess()
{
    closeInput();
    if (m_pid > 0 && !m_status) {
        wait(std::chrono::seconds(20));
    }
    if (m_output >= 0) {
        close(m_output);
    }
}

void CliProcess::send(const std::string& line)
{
    const std::string text = line + "\n";
    std::size_t written = 0;
    while (m_input >= 0 && written < text.size()) {
        const ssize_t n = write(m_input, text.data() + written, text.size() - written);
        if (n <= 0) {
            return;
        }
        written += static_cast<std::size_t>(n);
    }
}

std::optional<std::string> CliProcess::readLine(std::chrono::seconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        if (const auto end = m_buffer.find('\n'); end != std::string::npos) {
            std::string line = m_buffer.substr(0, end);
            m_buffer.erase(0, end + 1);
            return line;
        }
        if (m_ended || m_output < 0) {
            return std::nullopt;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return std::nullopt;
        }
        pollfd descriptor{m_output, POLLIN, 0};
        if (poll(&descriptor, 1, static_cast<int>(left.count())) <= 0) {
            continue;
        }
        char chunk[4096];
        const ssize_t n = read(m_output, chunk, sizeof chunk);
        if (n <= 0) {
            m_ended = true;
        } else {
            m_buffer.append(chunk, static_cast<std::size_t>(n));
        }
    }
}

nlohmann::json CliProcess::command(const std::string& line)
{
    send(line);
    const auto reply = readLine();
    if (!reply) {
        return nullptr;
    }
    return nlohmann::json::parse(*reply, nullptr, false);
}

nlohmann::json CliProcess::login(const std::string& user, const std::string& password)
{
    send("login " + user);
    return command(password);
}

void CliProcess::closeInput()
{
    if (m_input >= 0) {
        close(m_input);
        m_input = -1;
    }
}

std::string CliProcess::readRest(std::chrono::seconds timeout)
{
    std::string text;
    while (const auto line = readLine(timeout)) {
        text += *line + "\n";
    }
    return text + std::exchange(m_buffer, {});
}

void CliProcess::killNow()
{
    if (m_pid <= 0 || m_status) {
        return;
    }
    kill(m_pid, SIGKILL);
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_status = -1;
    m_ended = true;
}

int CliProcess::wait(std::chrono::seconds timeout)
{
    if (m_status) {
        return *m_status;
    }
    if (m_pid <= 0) {
        return -1;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    while (waitpid(m_pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, &status, 0);
            m_status = -1;
            return -1;
        }
        // Keep reading, so that a program with more to print never blocks on a full pipe.
        pollfd descriptor{m_output, POLLIN, 0};
        if (!m_ended && m_output >= 0) {
            if (poll(&descriptor, 1, 20) > 0) {
                char chunk[4096];
                const ssize_t n = read(m_output, chunk, sizeof chunk);
                if (n <= 0) {
                    m_ended = true;
                } else {
                    m_buffer.append(chunk, static_cast<std::size_t>(n));
                }
            }
        } else {
            // The output has ended; only the real process's exit is left to wait for, and waitpid cannot time out.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return *m_status;
}

std::string CliProcess::stderrText() const
{
    return readFile(m_folder / "stderr.txt");
}

std::string CliProcess::logText() const
{
    return readFile(m_folder / "cli.log");
}

} // namespace orvendel::testing
