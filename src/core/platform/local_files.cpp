#include "core/platform/local_files.hpp"

#include "core/platform/unique_descriptor.hpp"
#include "core/support/log.hpp"

#include <fmt/chrono.h>
#include <fmt/format.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace orvendel::LocalFiles {
namespace {

Error fileError(int code, std::string description)
{
    return Error{local_file_error::domain, code, std::move(description)};
}

Error systemError(const std::filesystem::path& path, std::string_view what, int number)
{
    return fileError(number == ENOENT ? local_file_error::missing : local_file_error::failure,
                     fmt::format("Cannot {} {}: {}", what, path.string(), std::strerror(number)));
}

// Opens without following a link in the last component. O_NONBLOCK keeps a pipe put in a file's place from
// blocking the open; it changes nothing for regular files.
Result<int> openNoFollow(const std::filesystem::path& path, int flags, mode_t mode = 0)
{
    int fd = -1;
    do {
        fd = ::open(path.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0) {
        return fd;
    }
    if (errno == ELOOP) {
        return refuseSymbolicLink(path);
    }
    return systemError(path, "open", errno);
}

Result<void> requireRegularFile(int fd, const std::filesystem::path& path, struct stat& info)
{
    if (::fstat(fd, &info) != 0) {
        return systemError(path, "examine", errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return fileError(local_file_error::wrongKind, path.string() + " is not a regular file");
    }
    return {};
}

Result<void> applyMode(int fd, const std::filesystem::path& path, std::optional<mode_t> mode)
{
    if (mode && ::fchmod(fd, *mode) != 0) {
        return systemError(path, "set the mode of", errno);
    }
    return {};
}

Error otherOwnerError(const std::filesystem::path& path, uid_t owner)
{
    return fileError(local_file_error::otherOwner, fmt::format("{} belongs to another account (uid {}), not to this "
                                                               "one (uid {})",
                                                               path.string(), owner, ::geteuid()));
}

} // namespace

Kind kindAt(const std::filesystem::path& path)
{
    std::error_code error;
    const auto status = std::filesystem::symlink_status(path, error);
    switch (status.type()) {
    case std::filesystem::file_type::not_found:
    case std::filesystem::file_type::none:
        return Kind::missing;
    case std::filesystem::file_type::regular:
        return Kind::regularFile;
    case std::filesystem::file_type::directory:
        return Kind::folder;
    case std::filesystem::file_type::symlink:
        return Kind::symbolicLink;
    default:
        return Kind::other;
    }
}

Error refuseSymbolicLink(const std::filesystem::path& path)
{
    log(fmt::format("Refusing the symbolic link at {}: the application's own files are never reached through a "
                    "link.",
                    path.string()));
    return fileError(local_file_error::symbolicLink, path.string() + " is a symbolic link.");
}

Result<void> checkNoSymbolicLink(const std::filesystem::path& path)
{
    if (kindAt(path) == Kind::symbolicLink) {
        return refuseSymbolicLink(path);
    }
    return {};
}

Result<void> ensureRealFolder(const std::filesystem::path& path, std::optional<mode_t> mode)
{
    switch (kindAt(path)) {
    case Kind::symbolicLink:
        return refuseSymbolicLink(path);
    case Kind::regularFile:
    case Kind::other:
        return fileError(local_file_error::wrongKind, path.string() + " is not a folder");
    case Kind::missing: {
        std::error_code error;
        std::filesystem::create_directories(path, error);
        if (error) {
            return fileError(local_file_error::failure, path.string() + ": " + error.message());
        }
        break;
    }
    case Kind::folder:
        break;
    }
    // Checked again on the opened folder: what was just looked at may have been swapped since.
    const auto opened = openFolder(path);
    if (!opened) {
        return opened.error();
    }
    if (auto owned = checkOwned(opened->get(), path); !owned) {
        return owned;
    }
    return applyMode(opened->get(), path, mode);
}

Result<UniqueDescriptor> openFolder(const std::filesystem::path& path)
{
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0) {
        return UniqueDescriptor(fd);
    }
    const int number = errno;
    // With O_DIRECTORY the kernel answers a link with "not a directory" rather than ELOOP.
    if (number == ELOOP || (number == ENOTDIR && kindAt(path) == Kind::symbolicLink)) {
        return refuseSymbolicLink(path);
    }
    if (number == ENOTDIR) {
        return fileError(local_file_error::wrongKind, path.string() + " is not a folder");
    }
    return systemError(path, "open", number);
}

Result<void> checkOwned(int descriptor, const std::filesystem::path& path)
{
    struct stat info {};
    if (::fstat(descriptor, &info) != 0) {
        return systemError(path, "examine", errno);
    }
    if (info.st_uid != ::geteuid()) {
        return otherOwnerError(path, info.st_uid);
    }
    return {};
}

Result<void> checkOwned(const std::filesystem::path& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return systemError(path, "examine", errno);
    }
    if (info.st_uid != ::geteuid()) {
        return otherOwnerError(path, info.st_uid);
    }
    return {};
}

namespace {

Result<std::string> readOpened(UniqueDescriptor file, const std::filesystem::path& path, std::size_t maximumBytes,
                               std::optional<mode_t> mode)
{
    struct stat info {};
    if (auto regular = requireRegularFile(file.get(), path, info); !regular) {
        return regular.error();
    }
    if (static_cast<unsigned long long>(info.st_size) > maximumBytes) {
        return fileError(local_file_error::tooLarge,
                         fmt::format("{} is larger than {} bytes", path.string(), maximumBytes));
    }
    if (auto narrowed = applyMode(file.get(), path, mode); !narrowed) {
        return narrowed.error();
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[8192];
    for (;;) {
        const ssize_t count = ::read(file.get(), buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return systemError(path, "read", errno);
        }
        if (count == 0) {
            return bytes;
        }
        // The file may grow while it is read; the cap holds all the same.
        if (bytes.size() + static_cast<std::size_t>(count) > maximumBytes) {
            return fileError(local_file_error::tooLarge,
                             fmt::format("{} is larger than {} bytes", path.string(), maximumBytes));
        }
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
}

} // namespace

Result<std::string> readRegularFile(const std::filesystem::path& path, std::size_t maximumBytes,
                                    std::optional<mode_t> mode)
{
    const auto opened = openNoFollow(path, O_RDONLY);
    if (!opened) {
        return opened.error();
    }
    return readOpened(UniqueDescriptor(*opened), path, maximumBytes, mode);
}

Result<std::string> readFileFollowingLinks(const std::filesystem::path& path, std::size_t maximumBytes)
{
    int fd = -1;
    do {
        // O_NONBLOCK: a pipe in the file's place must not hang the start.
        fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return systemError(path, "open", errno);
    }
    return readOpened(UniqueDescriptor(fd), path, maximumBytes, std::nullopt);
}

Result<void> createRegularFile(const std::filesystem::path& path, mode_t mode)
{
    const auto opened = openNoFollow(path, O_WRONLY | O_CREAT, mode);
    if (!opened) {
        return opened.error();
    }
    UniqueDescriptor file(*opened);
    struct stat info {};
    if (auto regular = requireRegularFile(file.get(), path, info); !regular) {
        return regular.error();
    }
    return applyMode(file.get(), path, mode);
}

Result<void> writeRegularFile(const std::filesystem::path& path, std::string_view bytes, mode_t mode)
{
    // Opened without truncation: what stands there is checked before anything in it changes.
    const auto opened = openNoFollow(path, O_WRONLY | O_CREAT, mode);
    if (!opened) {
        return opened.error();
    }
    UniqueDescriptor file(*opened);
    struct stat info {};
    if (auto regular = requireRegularFile(file.get(), path, info); !regular) {
        return regular.error();
    }
    if (::ftruncate(file.get(), 0) != 0) {
        return systemError(path, "truncate", errno);
    }
    while (!bytes.empty()) {
        const ssize_t written = ::write(file.get(), bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return systemError(path, "write", errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return {};
}

Result<std::filesystem::path> setAside(const std::filesystem::path& path)
{
    if (kindAt(path) == Kind::symbolicLink) {
        return refuseSymbolicLink(path);
    }
    const auto stamp =
        fmt::format("{:%Y%m%dT%H%M%S}", std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()));
    std::filesystem::path aside = path.string() + ".unreadable-" + stamp;
    for (int attempt = 2; kindAt(aside) != Kind::missing; ++attempt) {
        aside = path.string() + ".unreadable-" + stamp + "-" + std::to_string(attempt);
    }
    // rename(2) moves the name itself, never what a link would point to; the check above keeps links ours.
    if (::rename(path.c_str(), aside.c_str()) != 0) {
        return systemError(path, "set aside", errno);
    }
    return aside;
}

} // namespace orvendel::LocalFiles
