#pragma once

#include "core/platform/unique_descriptor.hpp"
#include "core/support/error.hpp"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace orvendel {

// Why a file or folder of our own could not be used ("LocalFile").
namespace local_file_error {
inline constexpr const char* domain = "LocalFile";
inline constexpr int missing = 1;
inline constexpr int symbolicLink = 2;
inline constexpr int wrongKind = 3; // a folder where a file belongs, a device, a pipe ...
inline constexpr int tooLarge = 4;
inline constexpr int failure = 5;
// Another account owns it: files made there would lock that account out of its own data.
inline constexpr int otherOwner = 6;
} // namespace local_file_error

// The files and folders the application keeps for itself (user folders, databases, settings, secrets) are
// only ever used as what they are: a symbolic link standing in their place is never followed, so nothing
// can make the application read, write, chmod or delete something else through it. A refused link is
// reported with one console line naming it. Files read whole are checked against a size cap on the opened
// descriptor before a byte is read. Thread contract: any thread.
namespace LocalFiles {

// The cap for small files read whole: settings and secrets are a few hundred bytes.
inline constexpr std::size_t smallFileLimit = 1024 * 1024;

// What is at a path, looked at without following a link.
enum class Kind { missing, regularFile, folder, symbolicLink, other };
Kind kindAt(const std::filesystem::path& path);

// Logs the refusal line for the link at `path` and returns the symbolicLink error.
Error refuseSymbolicLink(const std::filesystem::path& path);

// Succeeds when no link is at the path (nothing, or something that is not a link).
Result<void> checkNoSymbolicLink(const std::filesystem::path& path);

// Opens the folder at the path (read-only) without following a link in its place. A link is refused,
// something that is no folder is "PATH is not a folder" (wrongKind), any other failure carries the system's
// reason ("Permission denied").
Result<UniqueDescriptor> openFolder(const std::filesystem::path& path);

// Refuses a file or folder that another account owns (otherOwner): root working there would leave files
// that account can neither open nor lock. The descriptor's, or the path's as reached (through links).
Result<void> checkOwned(int descriptor, const std::filesystem::path& path);
Result<void> checkOwned(const std::filesystem::path& path);

// Makes sure a real folder of this account is at the path: created with its parents when missing; a link,
// anything else and another account's folder are refused. With `mode`, the folder's permissions are set to
// it through the opened folder.
Result<void> ensureRealFolder(const std::filesystem::path& path, std::optional<mode_t> mode = std::nullopt);

// The whole content of the regular file at the path. Refuses a link, anything that is not a regular file
// and a file larger than `maximumBytes`. With `mode`, the file's permissions are set to it first.
Result<std::string> readRegularFile(const std::filesystem::path& path, std::size_t maximumBytes,
                                    std::optional<mode_t> mode = std::nullopt);

// The same for configuration kept by the installation or the user, which may be reached through links: /etc
// often holds them (a configuration-management tree), and so may a home folder (a dotfiles manager). Never
// for a file of the application's own.
Result<std::string> readFileFollowingLinks(const std::filesystem::path& path, std::size_t maximumBytes);

// Creates the regular file when missing; the file (new or existing) gets exactly `mode`, whatever the umask.
Result<void> createRegularFile(const std::filesystem::path& path, mode_t mode);

// Writes the file with exactly `bytes`, creating it with `mode` or truncating the existing regular file.
Result<void> writeRegularFile(const std::filesystem::path& path, std::string_view bytes, mode_t mode);

// Moves an unreadable file of ours out of the way, to "NAME.unreadable-YYYYMMDDTHHMMSS" beside it (with a
// counter when that exists), so that a fresh one can take its place and nothing of the old one is lost.
// A link is refused (not renamed); the new path otherwise.
Result<std::filesystem::path> setAside(const std::filesystem::path& path);

} // namespace LocalFiles
} // namespace orvendel
