#pragma once

#include "core/model/downloaded_heat.hpp"
#include "core/model/furnace.hpp"
#include "core/model/heat.hpp"
#include "core/model/reason.hpp"
#include "core/platform/folder_lock.hpp"
#include "core/storage/sql/sql_database.hpp"
#include "core/storage/user_folder.hpp"
#include "core/support/serial_queue.hpp"

#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvendel {

// The signed-in user's local cache: the furnace list, each furnace's flattened reason tree and the
// downloaded delays with their heats, in "dbData.sqlite" of the user's folder. The file is emptied at every
// sign-in. Each store replaces its rows in one transaction: all rows or none.
// A fetch whose table was never stored into gives an empty list; one that SQLite refuses (a damaged or
// unreadable file, no open database) gives the error with SQLite's reason, so that a broken cache is never
// taken for "no furnaces" or "no heats".
// Thread contract: any thread. Stores and fetches run one at a time on "DatabaseSerialQueue" and their
// completions run there too; `openUserDatabase` and `closeDatabase` return when done.
class DatabaseManager {
public:
    // Success when the rows are stored; else why not (e.g. "database or disk is full").
    using StoreCompletion = std::function<void(Result<void>)>;
    using FurnacesCompletion = std::function<void(Result<std::vector<FurnacePtr>>)>;
    // Success without a furnace when the id is unknown.
    using FurnaceCompletion = std::function<void(Result<FurnacePtr>)>;
    using ReasonsCompletion = std::function<void(Result<std::vector<ReasonPtr>>)>;
    using HeatsCompletion = std::function<void(Result<std::vector<HeatPtr>>)>;

    static constexpr const char* databaseFileName = "dbData.sqlite";

    struct Dependencies {
        ApplicationSupportDirectory applicationSupportDirectory; // required
    };

    explicit DatabaseManager(Dependencies dependencies);
    ~DatabaseManager();
    DatabaseManager(const DatabaseManager&) = delete;
    DatabaseManager& operator=(const DatabaseManager&) = delete;

    // The user's folder kept by this process for the whole session, so that a second process signing in as
    // the same user is refused before it touches the folder (an emptied database, a replaced journal would
    // break the first). Holding it again for the same user keeps the lock; another user's is let go first.
    // Refused with orv_error::signedInElsewhere, whose description names the holder when it is known; a folder
    // that cannot be locked (a link in its place, another account's) fails with its StorageError.
    Result<void> holdUserFolder(const std::string& userName);
    // The same refusal without taking the lock: whether a sign-in as the user could go ahead.
    Result<void> checkUserFolderFree(const std::string& userName);
    // The session ended (sign-out, another user): the folder is free for other processes.
    void releaseUserFolder();

    // Holds the user's folder (see holdUserFolder), deletes the user's previous database (and any journal a crash left
    // beside it), then opens an empty one in the folder named by the MD5 of the upper-cased user name.
    Result<void> openUserDatabase(const std::string& userName);
    // Sign-out: closes the connection and forgets the path; the file stays until the next sign-in.
    void closeDatabase();
    std::optional<std::string> databasePath() const;

    void storeFurnaces(std::vector<Furnace> furnaces, StoreCompletion completion);
    void fetchFurnaces(FurnacesCompletion completion);
    // Finds hidden ("--") furnaces too; none when the id is unknown.
    void fetchFurnace(int furnaceId, FurnaceCompletion completion);

    // The furnace's flattened reason tree, parents before their children, replacing the stored one.
    void storeReasons(int furnaceId, std::vector<Reason> reasons, StoreCompletion completion);
    void fetchReasons(int furnaceId, ReasonsCompletion completion);

    // One row per delay, under the furnace the request was made for; heats without delays leave none.
    void storeDelays(int furnaceId, std::vector<DownloadedHeat> heats, StoreCompletion completion);
    // The furnace's heats that ended within one day before its newest stored heat end, with the delays
    // whose reason is stored for the furnace.
    void fetchLast24HoursHeats(int furnaceId, HeatsCompletion completion);

    SerialQueue& databaseQueue() { return m_databaseQueue; }

private:
    // Everything below runs on the database queue.
    Result<bool> tableExists(std::string_view name);
    Result<void> createTable(std::string_view name);
    bool isConnected() const;
    static Error notConnected();
    // Creates the table, or deletes the rows a store replaces; logs with `failurePrefix` on a failed delete.
    Result<void> prepareTable(std::string_view name, std::string_view deleteSql, const SqlValues& deleteValues,
                              std::string_view failurePrefix);
    // Whether a fetch may read the tables: false when one was never created; the error when SQLite cannot say.
    Result<bool> tablesReadable(std::initializer_list<std::string_view> names);

    Result<void> storeFurnacesNow(const std::vector<Furnace>& furnaces);
    Result<std::vector<FurnacePtr>> fetchFurnacesNow(const std::string& sql);
    Result<void> storeReasonsNow(int furnaceId, const std::vector<Reason>& reasons);
    Result<std::vector<ReasonPtr>> fetchReasonsNow(int furnaceId);
    Result<void> storeDelaysNow(int furnaceId, const std::vector<DownloadedHeat>& heats);
    Result<std::vector<HeatPtr>> fetchLast24HoursHeatsNow(int furnaceId);

    ApplicationSupportDirectory m_applicationSupportDirectory;
    std::unique_ptr<SqlDatabase> m_database;
    // Tables found on this connection: nothing here drops a table, so a store or fetch asks SQLite only once.
    std::vector<std::string> m_knownTables;
    std::optional<std::string> m_databasePath;
    std::mutex m_folderLockMutex;
    FolderLock m_folderLock; // guarded by m_folderLockMutex
    // Last member: destroyed first, so queued work still finds the connection.
    mutable SerialQueue m_databaseQueue{"DatabaseSerialQueue"};
};

} // namespace orvendel
