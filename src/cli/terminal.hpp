#pragma once

#include <istream>
#include <optional>
#include <string>

namespace orvendel::cli {

// Reads the shell's input lines. On a terminal it prompts (on standard error, so standard output stays the
// commands' output) and reads secrets with the echo off; otherwise it reads plain lines.
// Thread contract: the shell's thread.
class InputReader {
public:
    InputReader(std::istream& input, bool interactive) : m_input(input), m_interactive(interactive) {}

    bool interactive() const { return m_interactive; }

    // The next line without its line break; none at the end of input.
    std::optional<std::string> readLine(const std::string& prompt);
    // The same, never echoed on a terminal.
    std::optional<std::string> readSecret(const std::string& prompt);

private:
    std::istream& m_input;
    bool m_interactive;
};

bool standardInputIsTerminal();

// Columns of the terminal on standard output; else $COLUMNS; else 80.
int terminalColumns();

} // namespace orvendel::cli
