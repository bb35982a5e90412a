#pragma once

#include "cli/reply.hpp"

#include <cstdio>
#include <string>

namespace orvendel::cli {

// A reply as printed: what goes to standard output and what to standard error.
struct RenderedReply {
    std::string out;
    std::string err;
};

// --json: one object on one line, "ok" first, then the command's data; a failure adds "error" (domain,
// code, description) and "message" (the text the app's alert shows); "alerts" and "notices" when any.
// Thread contract for both: pure, any thread.
RenderedReply renderJson(const Reply& reply);

// Text: the command's lines and its informational alerts on standard output; the alerts and errors of a
// failure on standard error, as "Title: message" or "error: message".
RenderedReply renderText(const Reply& reply);

// Prints replies in the chosen form. Thread contract: the shell's thread.
class Output {
public:
    Output(bool json, std::FILE* out = stdout, std::FILE* err = stderr) : m_json(json), m_out(out), m_err(err) {}

    bool json() const { return m_json; }
    void print(const Reply& reply);
    // A line for people (prompts, hints); nothing in JSON mode.
    void hint(const std::string& line);

private:
    bool m_json;
    std::FILE* m_out;
    std::FILE* m_err;
};

} // namespace orvendel::cli
