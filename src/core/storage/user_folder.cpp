#include "core/storage/user_folder.hpp"

#include "core/model/user_name.hpp"
#include "core/model/utilities.hpp"
#include "core/platform/app_paths.hpp"
#include "core/platform/local_files.hpp"
#include "core/support/log.hpp"

namespace orvendel::user_folder {
namespace {

Error storageError(int code, std::string description)
{
    return Error{storage_error::domain, code, std::move(description)};
}

} // namespace

ApplicationSupportDirectory platformApplicationSupportDirectory()
{
    return [] { return AppPaths::applicationSupportDirectory(); };
}

Result<std::filesystem::path> ensureApplicationSupportDirectory(const ApplicationSupportDirectory& source)
{
    const auto folder = source ? source() : std::nullopt;
    if (!folder) {
        log("Unable to get the ApplicationSupport path");
        return storageError(storage_error::noApplicationSupportDirectory, "There is no application-support folder.");
    }
    std::error_code error;
    if (std::filesystem::exists(*folder, error)) {
        // Root signing in on another account's data would leave files there that lock that account out.
        if (auto owned = LocalFiles::checkOwned(*folder); !owned) {
            log(owned.error().description);
            return storage_error::fromLocalFile(owned.error(), storage_error::cannotCreateDirectory);
        }
        return *folder;
    }
    std::filesystem::create_directories(*folder, error);
    if (!error) {
        // Only the folder made here: parents created on the way are left as the umask made them.
        std::filesystem::permissions(*folder, static_cast<std::filesystem::perms>(folderMode),
                                     std::filesystem::perm_options::replace, error);
    }
    if (error) {
        log("Unable to create ApplicationSupport directory. " + error.message());
        return storageError(storage_error::cannotCreateDirectory, error.message());
    }
    if (!AppPaths::markExcludedFromBackup(*folder)) {
        log("Could not set ExcludedFromBackup key");
    }
    return *folder;
}

Result<std::filesystem::path> path(const std::filesystem::path& supportDirectory, const std::string& userName)
{
    const auto digest = Utilities::md5Hex(user_name::normalised(userName));
    if (!digest) {
        log("Unable to get MD5 Hash of username");
        return storageError(storage_error::noDigest, "Unable to get MD5 Hash of username");
    }
    return supportDirectory / *digest;
}

Result<void> create(const std::filesystem::path& folder)
{
    if (LocalFiles::kindAt(folder) == LocalFiles::Kind::missing) {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error) {
            log("Error: " + error.message() + " " + std::to_string(error.value()));
            return storageError(storage_error::cannotCreateDirectory, folder.string() + ": " + error.message());
        }
    }
    // Whatever stands there now must be a folder of ours, not a link to someone else's.
    if (auto real = LocalFiles::ensureRealFolder(folder, folderMode); !real) {
        if (real.error().code != local_file_error::symbolicLink) { // the refusal is logged already
            log("Error: " + real.error().description);
        }
        return storage_error::fromLocalFile(real.error(), storage_error::cannotCreateDirectory);
    }
    return {};
}

} // namespace orvendel::user_folder

namespace orvendel::storage_error {

Error fromLocalFile(const Error& localFileError, int otherwise)
{
    int code = otherwise;
    if (localFileError.code == local_file_error::symbolicLink) {
        code = symbolicLink;
    } else if (localFileError.code == local_file_error::otherOwner) {
        code = otherOwner;
    }
    return Error{domain, code, localFileError.description};
}

} // namespace orvendel::storage_error
