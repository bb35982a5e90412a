#include "core/platform/atomic_file.hpp"

#include "core/platform/local_files.hpp"
#include "core/platform/unique_descriptor.hpp"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvendel::AtomicFile {
namespace {

Error failure(const std::string& what)
{
    return Error{local_file_error::domain, local_file_error::failure, what + ": " + std::strerror(errno)};
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

Result<void> write(const std::filesystem::path& target, std::string_view bytes, mode_t mode,
                   const BeforeReplace& beforeReplace)
{
    if (auto noLink = LocalFiles::checkNoSymbolicLink(target); !noLink) {
        return noLink;
    }
    const auto folder = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    std::string temporary = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    UniqueDescriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (file.get() < 0) {
        return failure("Cannot create a temporary file in " + folder.string());
    }
    // The reason is taken before unlink can overwrite errno.
    const auto discard = [&](const std::string& what) {
        Error error = failure(what);
        ::unlink(temporary.c_str());
        return error;
    };
    if (::fchmod(file.get(), mode) != 0) {
        return discard("Cannot set the mode of " + temporary);
    }
    if (!writeAll(file.get(), bytes)) {
        return discard("Cannot write " + temporary);
    }
    if (::fsync(file.get()) != 0) {
        return discard("Cannot flush " + temporary);
    }
    if (::close(file.release()) != 0) {
        return discard("Cannot close " + temporary);
    }
    if (beforeReplace && !beforeReplace(temporary)) {
        return Error{local_file_error::domain, local_file_error::failure,
                     "Stopped before replacing " + target.string()};
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        return discard("Cannot replace " + target.string());
    }
    // The rename itself must reach the disk, or a crash could bring back the old name.
    UniqueDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() < 0 || ::fsync(directory.get()) != 0) {
        return failure("Cannot flush the folder " + folder.string());
    }
    return {};
}

} // namespace orvendel::AtomicFile
