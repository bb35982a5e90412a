#include "core/platform/folder_lock.hpp"

#include "core/platform/local_files.hpp"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace orvendel {
namespace {

Error lockFileError(const std::filesystem::path& path, int error)
{
    return Error{local_file_error::domain, error == ELOOP ? local_file_error::symbolicLink : local_file_error::failure,
                 path.string() + ": " + std::strerror(error)};
}

// The holder's line: "PID PROGRAM". A line cut short or empty names no one.
FolderLock::Holder readHolder(int fd)
{
    char buffer[512];
    const ssize_t count = ::pread(fd, buffer, sizeof buffer - 1, 0);
    FolderLock::Holder holder;
    if (count <= 0) {
        return holder;
    }
    const std::string_view text(buffer, static_cast<std::size_t>(count));
    const auto lineEnd = text.find('\n');
    if (lineEnd == std::string_view::npos) {
        return holder;
    }
    const auto line = text.substr(0, lineEnd);
    long pid = 0;
    const auto [end, failure] = std::from_chars(line.data(), line.data() + line.size(), pid);
    if (failure != std::errc() || pid <= 0) {
        return holder;
    }
    holder.pid = pid;
    const std::string_view rest(end, static_cast<std::size_t>(line.data() + line.size() - end));
    if (!rest.empty() && rest.front() == ' ') {
        holder.program = std::string(rest.substr(1));
    }
    return holder;
}

void writeHolder(int fd, const std::string& program)
{
    const std::string line = std::to_string(::getpid()) + " " + program + "\n";
    // Who holds the lock is only a courtesy to the refused: a failed write leaves the lock as good.
    if (::ftruncate(fd, 0) == 0) {
        (void)!::pwrite(fd, line.data(), line.size(), 0);
    }
}

} // namespace

FolderLock::Outcome FolderLock::acquire(const std::filesystem::path& folder, const std::string& program)
{
    const auto path = folder / fileName;
    // Not inherited by children: one started by the holder must not keep the lock after the holder ends.
    UniqueDescriptor fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644));
    if (fd.get() < 0) {
        const int error = errno;
        if (error == ELOOP) {
            return LocalFiles::refuseSymbolicLink(path);
        }
        return lockFileError(path, error);
    }
    while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK) {
            return Held{readHolder(fd.get())};
        }
        if (error != EINTR) {
            return lockFileError(path, error);
        }
    }
    writeHolder(fd.get(), program);
    return FolderLock(std::move(fd), folder);
}

void FolderLock::release()
{
    if (!isHeld()) {
        return;
    }
    (void)!::ftruncate(m_descriptor.get(), 0);
    // Closing the last descriptor drops the lock.
    m_descriptor.reset();
}

std::string FolderLock::currentProgram()
{
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string("orvendel") : executable.filename().string();
}

} // namespace orvendel
