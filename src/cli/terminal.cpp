#include "cli/terminal.hpp"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace orvendel::cli {
namespace {

// The terminal's settings while the echo is off, restored if the user interrupts the password prompt.
struct termios savedSettings {};
volatile std::sig_atomic_t echoDisabled = 0;

extern "C" void restoreEchoAndExit(int signal)
{
    if (echoDisabled) {
        tcsetattr(STDIN_FILENO, TCSANOW, &savedSettings);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void prompt(const std::string& text)
{
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}

} // namespace

std::optional<std::string> InputReader::readLine(const std::string& promptText)
{
    if (m_interactive) {
        std::fflush(stdout);
        prompt(promptText);
    }
    std::string line;
    if (!std::getline(m_input, line)) {
        if (m_interactive) {
            prompt("\n");
        }
        return std::nullopt;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

std::optional<std::string> InputReader::readSecret(const std::string& promptText)
{
    if (!m_interactive || tcgetattr(STDIN_FILENO, &savedSettings) != 0) {
        return readLine(promptText);
    }
    struct termios quiet = savedSettings;
    quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
    auto previousInterrupt = std::signal(SIGINT, restoreEchoAndExit);
    auto previousTerminate = std::signal(SIGTERM, restoreEchoAndExit);
    echoDisabled = 1;
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    auto line = readLine(promptText);
    tcsetattr(STDIN_FILENO, TCSANOW, &savedSettings);
    echoDisabled = 0;
    std::signal(SIGINT, previousInterrupt);
    std::signal(SIGTERM, previousTerminate);
    if (line) {
        prompt("\n"); // the Return the user typed was not echoed either
    }
    return line;
}

bool standardInputIsTerminal()
{
    return isatty(STDIN_FILENO) == 1;
}

int terminalColumns()
{
    struct winsize size {};
    if (isatty(STDOUT_FILENO) == 1 && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    if (const char* columns = std::getenv("COLUMNS")) {
        const int value = std::atoi(columns);
        if (value > 0) {
            return value;
        }
    }
    return 80;
}

} // namespace orvendel::cli
