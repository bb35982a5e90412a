#pragma once

#include "core/model/result_information.hpp"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>

namespace orvendel {

// Where a user's database and configuration live: a folder named by the MD5 of the normalised user name
// inside the application-support folder, which comes from a source the managers are given (tests and
// other front ends point it elsewhere without touching the process-wide paths).
// Thread contract: any thread.
using ApplicationSupportDirectory = std::function<std::optional<std::filesystem::path>()>;

// Failures of preparing a user's folder or files ("StorageError").
namespace storage_error {
inline constexpr const char* domain = "StorageError";
inline constexpr int noApplicationSupportDirectory = 1;
inline constexpr int cannotCreateDirectory = 2;
inline constexpr int noDigest = 3;
inline constexpr int cannotCreateFile = 4;
inline constexpr int cannotReadFile = 5;
inline constexpr int cannotWriteFile = 6;
inline constexpr int notADictionary = 7;
// A symbolic link stands where a folder or file of ours belongs; it is never followed.
inline constexpr int symbolicLink = 8;
// The folder belongs to another account; nothing is made in it.
inline constexpr int otherOwner = 9;

// The storage error for a local file that could not be used: a refused link or another account's folder keeps
// its own code, anything else becomes `otherwise`.
Error fromLocalFile(const Error& localFileError, int otherwise);
} // namespace storage_error

namespace user_folder {

// A user's cached delays, unsaved comments and settings are readable by that account alone: the folders
// are 0700 and every file in them 0600 (SQLite gives its -wal and -shm files the database file's mode).
inline constexpr mode_t folderMode = 0700;
inline constexpr mode_t fileMode = 0600;

// The platform's application-support folder (the user's data folder).
ApplicationSupportDirectory platformApplicationSupportDirectory();

// The source's folder, created owner-only and tagged as excluded from backup when missing; an existing one of
// another account is refused (storage_error::otherOwner). Logs "Unable to get the ApplicationSupport path" when
// the source has none.
Result<std::filesystem::path> ensureApplicationSupportDirectory(const ApplicationSupportDirectory& source);

// The user's folder path inside `supportDirectory` (not created). Logs "Unable to get MD5 Hash of username"
// when the digest fails.
Result<std::filesystem::path> path(const std::filesystem::path& supportDirectory, const std::string& userName);

// Creates the folder with its parents when missing and makes it owner-only (an older, wider folder is
// narrowed too). A link in the folder's place and another account's folder are refused.
Result<void> create(const std::filesystem::path& folder);

} // namespace user_folder
} // namespace orvendel
