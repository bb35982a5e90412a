#include "core/platform/folder_lock.hpp"

#include "core/platform/local_files.hpp"

#include <fmt/format.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvendel {
namespace {

Error lockFileError(const std::filesystem::path& path, int error)
{
    return Error{local_file_error::domain, error == ELOOP ? local_file_error::symbolicLink : local_file_error::failure,
                 path.string() + ": " + std::strerror(error)};
}

// The refusal, naming the holder from its line "PID PROGRAM". A line cut short or empty names no one.
Error heldError(int folder)
{
    Error error{folder_lock_error::domain, folder_lock_error::held, "another Orvendel process"};
    const UniqueDescriptor fd(::openat(folder, FolderLock::fileName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        return error;
    }
    char buffer[512];
    const ssize_t count = ::pread(fd.get(), buffer, sizeof buffer - 1, 0);
    if (count <= 0) {
        return error;
    }
    const std::string_view text(buffer, static_cast<std::size_t>(count));
    const auto lineEnd = text.find('\n');
    if (lineEnd == std::string_view::npos) {
        return error;
    }
    const auto line = text.substr(0, lineEnd);
    long pid = 0;
    const auto [end, failure] = std::from_chars(line.data(), line.data() + line.size(), pid);
    if (failure != std::errc() || pid <= 0) {
        return error;
    }
    const std::string_view rest(end, static_cast<std::size_t>(line.data() + line.size() - end));
    const auto program = !rest.empty() && rest.front() == ' ' ? rest.substr(1) : std::string_view();
    error.description += program.empty() ? fmt::format(" (pid {})", pid) : fmt::format(" ({}, pid {})", program, pid);
    return error;
}

void writeHolder(int fd, const std::string& program)
{
    const std::string line = std::to_string(::getpid()) + " " + program + "\n";
    // Who holds the lock is only a courtesy to the refused: a failed write leaves the lock as good.
    if (::ftruncate(fd, 0) == 0) {
        (void)!::pwrite(fd, line.data(), line.size(), 0);
    }
}

// The same folder (device and inode) as the descriptor's is still at the path, looked at without following.
bool stillAt(int folder, const std::filesystem::path& path)
{
    struct stat opened {};
    struct stat named {};
    return ::fstat(folder, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

} // namespace

Result<FolderLock> FolderLock::acquire(const std::filesystem::path& folder, const std::string& program)
{
    // A folder swapped in between opening and locking would leave this process holding a folder no one else
    // looks at; the next attempt opens the new one. Only a loop of swaps gets past a few attempts.
    for (int attempt = 0;; ++attempt) {
        // Not inherited by children: one started by the holder must not keep the lock after the holder ends.
        auto opened = LocalFiles::openFolder(folder);
        if (!opened) {
            return opened.error();
        }
        UniqueDescriptor descriptor = std::move(*opened);
        if (auto owned = LocalFiles::checkOwned(descriptor.get(), folder); !owned) {
            return owned.error();
        }
        while (::flock(descriptor.get(), LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            if (error == EWOULDBLOCK) {
                return heldError(descriptor.get());
            }
            if (error != EINTR) {
                return lockFileError(folder, error);
            }
        }
        if (!stillAt(descriptor.get(), folder)) {
            if (attempt < 3) {
                continue;
            }
            return Error{local_file_error::domain, local_file_error::failure,
                         folder.string() + " was replaced while it was being locked"};
        }
        // Made relative to the locked folder: whatever the path names by now, the file is beside the lock.
        const auto path = folder / fileName;
        UniqueDescriptor holderFile(
            ::openat(descriptor.get(), fileName, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644));
        if (holderFile.get() < 0) {
            const int error = errno;
            if (error == ELOOP) {
                return LocalFiles::refuseSymbolicLink(path);
            }
            return lockFileError(path, error);
        }
        writeHolder(holderFile.get(), program);
        return FolderLock(std::move(descriptor), std::move(holderFile), folder);
    }
}

void FolderLock::release()
{
    if (!isHeld()) {
        return;
    }
    (void)!::ftruncate(m_holderFile.get(), 0);
    m_holderFile.reset();
    // Closing the folder's descriptor drops the lock.
    m_descriptor.reset();
}

std::string FolderLock::currentProgram()
{
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string("orvendel") : executable.filename().string();
}

} // namespace orvendel
