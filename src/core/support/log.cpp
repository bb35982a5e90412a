#include "core/support/log.hpp"

#include <cstdio>

namespace orvendel {
namespace {

std::mutex& sinkMutex()
{
    static std::mutex mutex;
    return mutex;
}

LogSink& currentSink()
{
    // Process-wide: a program has one console (stderr, or the CLI's --log-file), whichever session logs.
    static LogSink sink;
    return sink;
}

} // namespace

void log(std::string_view line)
{
    std::lock_guard lock(sinkMutex());
    if (auto& sink = currentSink()) {
        sink(line);
        return;
    }
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
}

LogSink setLogSink(LogSink sink)
{
    std::lock_guard lock(sinkMutex());
    auto previous = std::move(currentSink());
    currentSink() = std::move(sink);
    return previous;
}

ScopedLogCapture::ScopedLogCapture()
{
    m_previous = setLogSink([this](std::string_view line) {
        std::lock_guard lock(m_mutex);
        m_lines.emplace_back(line);
    });
}

ScopedLogCapture::~ScopedLogCapture()
{
    setLogSink(std::move(m_previous));
}

std::vector<std::string> ScopedLogCapture::lines() const
{
    std::lock_guard lock(m_mutex);
    return m_lines;
}

bool ScopedLogCapture::contains(std::string_view fragment) const
{
    std::lock_guard lock(m_mutex);
    for (const auto& line : m_lines) {
        if (line.find(fragment) != std::string::npos) {
            return true;
        }
    }
    return false;
}

void ScopedLogCapture::clear()
{
    std::lock_guard lock(m_mutex);
    m_lines.clear();
}

} // namespace orvendel
