#pragma once

#include "core/support/error.hpp"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace orvendel {

// The one console sink of the core. Lines are plain text without levels; by default they go to standard
// error. Thread contract: any thread; the sink is called under a lock, one line at a time.
void log(std::string_view line);

using LogSink = std::function<void(std::string_view)>;

// Replaces the sink and returns the previous one. An empty sink restores the default (standard error).
LogSink setLogSink(LogSink sink);

namespace log_error {
inline constexpr const char* domain = "Log";
inline constexpr int cannotOpen = 1;
} // namespace log_error

// Sends the lines to a file (appended, flushed line by line) while it lives; standard error again after.
// Thread contract: made and ended on the main thread, around everything that logs.
class LogFile {
public:
    static Result<std::unique_ptr<LogFile>> open(const std::filesystem::path& path);
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

private:
    explicit LogFile(std::FILE* file) : m_file(file) {}
    std::FILE* m_file;
};

// Captures every logged line while it lives (tests); restores the previous sink on destruction.
class ScopedLogCapture {
public:
    ScopedLogCapture();
    ~ScopedLogCapture();
    ScopedLogCapture(const ScopedLogCapture&) = delete;
    ScopedLogCapture& operator=(const ScopedLogCapture&) = delete;

    std::vector<std::string> lines() const;
    bool contains(std::string_view fragment) const;
    void clear();

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
    LogSink m_previous;
};

} // namespace orvendel
