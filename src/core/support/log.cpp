#include "core/support/log.hpp"

#include <cerrno>
#include <cstring>

namespace orvendel {
namespace {

std::mutex& sinkMutex()
{
    static std::mutex mutex;
    return mutex;
}

LogSink& currentSink()
{
    // Process-wide: a program has one console (stderr, or the file of --log), whichever session logs.
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

Result<std::unique_ptr<LogFile>> LogFile::open(const std::filesystem::path& path)
{
    std::FILE* file = std::fopen(path.c_str(), "ae");
    if (!file) {
        return Error{log_error::domain, log_error::cannotOpen,
                     "cannot write the log file " + path.string() + ": " + std::strerror(errno)};
    }
    std::unique_ptr<LogFile> opened(new LogFile(file));
    setLogSink([file](std::string_view line) {
        std::fwrite(line.data(), 1, line.size(), file);
        std::fputc('\n', file);
        std::fflush(file);
    });
    return opened;
}

LogFile::~LogFile()
{
    setLogSink({});
    std::fclose(m_file);
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
