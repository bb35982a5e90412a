// The lock DatabaseManager keeps on the signed-in user's folder.
#include "core/model/user_name.hpp"
#include "core/platform/local_files.hpp"
#include "core/storage/database_manager.hpp"
#include "core/support/log.hpp"

#include <fmt/format.h>

namespace orvendel {
namespace {

// A lock someone holds becomes the user's refusal; any other failure is the folder's.
Error refusal(const std::string& userName, const Error& lockError)
{
    if (lockError.is(folder_lock_error::domain, folder_lock_error::held)) {
        return Error{orv_error::domain, orv_error::signedInElsewhere,
                     fmt::format("{} is signed in in {}. Sign out there first.", user_name::normalised(userName),
                                 lockError.description)};
    }
    return storage_error::fromLocalFile(lockError, storage_error::cannotCreateFile);
}

// The user's folder, created when `create` is set.
Result<std::filesystem::path> userFolder(const ApplicationSupportDirectory& source, const std::string& userName,
                                         bool create)
{
    const auto supportDirectory = user_folder::ensureApplicationSupportDirectory(source);
    if (!supportDirectory) {
        return supportDirectory.error();
    }
    auto folder = user_folder::path(*supportDirectory, userName);
    if (!folder) {
        return folder.error();
    }
    if (!create) {
        return folder;
    }
    if (auto created = user_folder::create(*folder); !created) {
        return created.error();
    }
    return folder;
}

} // namespace

Result<void> DatabaseManager::holdUserFolder(const std::string& userName)
{
    const auto folder = userFolder(m_applicationSupportDirectory, userName, true);
    if (!folder) {
        return folder.error();
    }
    std::lock_guard guard(m_folderLockMutex);
    if (m_folderLock.isHeld() && m_folderLock.folder() == *folder) {
        return {};
    }
    m_folderLock.release();
    auto lock = FolderLock::acquire(*folder, FolderLock::currentProgram());
    if (!lock) {
        auto error = refusal(userName, lock.error());
        if (error.is(orv_error::domain, orv_error::signedInElsewhere)) {
            log(error.description);
        }
        return error;
    }
    m_folderLock = std::move(lock).value();
    return {};
}

Result<void> DatabaseManager::checkUserFolderFree(const std::string& userName)
{
    const auto folder = userFolder(m_applicationSupportDirectory, userName, false);
    if (!folder) {
        return folder.error();
    }
    // A user never signed in here has no folder, and a mistyped name must not leave one behind.
    if (LocalFiles::kindAt(*folder) == LocalFiles::Kind::missing) {
        return {};
    }
    std::lock_guard guard(m_folderLockMutex);
    if (m_folderLock.isHeld() && m_folderLock.folder() == *folder) {
        return {};
    }
    // Taken and let go at once; the holder, if any, is not disturbed.
    if (auto lock = FolderLock::acquire(*folder, FolderLock::currentProgram()); !lock) {
        return refusal(userName, lock.error());
    }
    return {};
}

void DatabaseManager::releaseUserFolder()
{
    std::lock_guard guard(m_folderLockMutex);
    m_folderLock.release();
}

} // namespace orvendel
