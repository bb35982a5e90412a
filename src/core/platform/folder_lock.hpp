#pragma once

#include "core/platform/unique_descriptor.hpp"
#include "core/support/error.hpp"

#include <filesystem>
#include <string>

namespace orvendel {

namespace folder_lock_error {
inline constexpr const char* domain = "FolderLock";
// Another holder has the lock (this process counts as another too); the description names it as
// "another Orvendel process (PROGRAM, pid PID)", or without the parenthesis when the holder has not said.
inline constexpr int held = 1;
} // namespace folder_lock_error

// An advisory lock on a folder, so that one process at a time works in it: `flock` on the folder's own
// descriptor, so that deleting or replacing a file inside lets no second process in (a lock on a file can
// be lost with its name). The folder is opened without following a link, and must belong to this account. A
// file inside, ".orvendel.lock", names the holder (pid and program) for whoever is refused. The kernel drops
// the lock with the holder's last descriptor, so a process that died never blocks anyone; a second lock on
// the same folder in the same process is refused like any other.
// Thread contract: one owner at a time.
class FolderLock {
public:
    static constexpr const char* fileName = ".orvendel.lock";

    // Takes the lock of an existing folder without waiting; `program` is written beside this pid. A lock
    // someone holds is folder_lock_error::held. A link in the folder's or the file's place is refused
    // (local_file_error::symbolicLink), and so is a folder of another account (local_file_error::otherOwner).
    static Result<FolderLock> acquire(const std::filesystem::path& folder, const std::string& program);

    FolderLock() = default;
    FolderLock(FolderLock&&) noexcept = default;
    FolderLock& operator=(FolderLock&&) noexcept = default;
    ~FolderLock() { release(); }

    bool isHeld() const { return m_descriptor.get() >= 0; }
    const std::filesystem::path& folder() const { return m_folder; }
    // Empties the file (no stale holder stays named) and lets the lock go.
    void release();

    // This process's program name (the executable's file name).
    static std::string currentProgram();

private:
    FolderLock(UniqueDescriptor descriptor, UniqueDescriptor holderFile, std::filesystem::path folder)
        : m_descriptor(std::move(descriptor)), m_holderFile(std::move(holderFile)), m_folder(std::move(folder))
    {}

    UniqueDescriptor m_descriptor; // the folder's, which carries the lock
    UniqueDescriptor m_holderFile;
    std::filesystem::path m_folder;
};

} // namespace orvendel
