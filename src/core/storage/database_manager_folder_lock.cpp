// The lock DatabaseManager keeps on the signed-in user's folder.
#include "core/model/user_name.hpp"
#include "core/platform/local_files.hpp"
#include "core/storage/database_manager.hpp"
#include "core/support/log.hpp"

#include <fmt/format.h>

namespace orvendel {
namespace {

Error signedInElsewhereError(const std::string& userName, const FolderLock::Holder& holder)
{
    std::string process;
    if (holder.pid) {
        process = holder.program.empty() ? fmt::format(" (pid {})", *holder.pid)
                                         : fmt::format(" ({}, pid {})", holder.program, *holder.pid);
    }
    return Error{orv_error::domain, orv_error::signedInElsewhere,
                 fmt::format("{} is signed in in another Orvendel process{}. Sign out there first.",
                             user_name::normalised(userName), process)};
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
    auto outcome = FolderLock::acquire(*folder, FolderLock::currentProgram());
    if (auto* lock = std::get_if<FolderLock>(&outcome)) {
        m_folderLock = std::move(*lock);
        return {};
    }
    if (auto* held = std::get_if<FolderLock::Held>(&outcome)) {
        auto error = signedInElsewhereError(userName, held->holder);
        log(error.description);
        return error;
    }
    return storage_error::fromLocalFile(std::get<Error>(outcome), storage_error::cannotCreateFile);
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
    auto outcome = FolderLock::acquire(*folder, FolderLock::currentProgram());
    if (auto* held = std::get_if<FolderLock::Held>(&outcome)) {
        return signedInElsewhereError(userName, held->holder);
    }
    if (auto* error = std::get_if<Error>(&outcome)) {
        return storage_error::fromLocalFile(*error, storage_error::cannotCreateFile);
    }
    return {};
}

void DatabaseManager::releaseUserFolder()
{
    std::lock_guard guard(m_folderLockMutex);
    m_folderLock.release();
}

} // namespace orvendel
