#include "core/storage/database_manager.hpp"

#include "core/model/utilities.hpp"
#include "core/platform/local_files.hpp"
#include "core/platform/process_memory.hpp"
#include "core/storage/database_schema.hpp"
#include "core/support/log.hpp"

#include <fmt/format.h>
#include <sqlite3.h>

#include <algorithm>
#include <cassert>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <unistd.h>

namespace orvendel {
namespace {

constexpr const char* errorDomain = "DatabaseManager";
constexpr int notOpenCode = 1;
constexpr int unknownTableCode = 2;

// Deletes the file, printing why when it cannot (no file yet is the usual reason).
void removeFile(const std::filesystem::path& path, bool reportFailure)
{
    if (::unlink(path.c_str()) != 0 && reportFailure) {
        log(fmt::format("Error: {} ({})", std::strerror(errno), path.string()));
    }
}

} // namespace

DatabaseManager::DatabaseManager(Dependencies dependencies)
    : m_applicationSupportDirectory(std::move(dependencies.applicationSupportDirectory))
{
    assert(m_applicationSupportDirectory);
}

DatabaseManager::~DatabaseManager()
{
    // Let queued stores finish against the open connection before it goes away.
    m_databaseQueue.drain();
}

Result<void> DatabaseManager::openUserDatabase(const std::string& userName)
{
    const auto supportDirectory = user_folder::ensureApplicationSupportDirectory(m_applicationSupportDirectory);
    if (!supportDirectory) {
        return supportDirectory.error();
    }
    const auto folder = user_folder::path(*supportDirectory, userName);
    if (!folder) {
        return folder.error();
    }
    if (auto created = user_folder::create(*folder); !created) {
        return created;
    }
    // Emptying the database under another process signed in as the same user would break its session.
    if (auto held = holdUserFolder(userName); !held) {
        return held;
    }
    const auto path = *folder / databaseFileName;
    // SQLite refuses a link anywhere in the name it is given; the folder is known to be real, so only the
    // way to it may hold links (a data folder kept elsewhere), and those are resolved here.
    std::error_code unresolved;
    const auto realFolder = std::filesystem::canonical(*folder, unresolved);
    if (unresolved) {
        return Error{storage_error::domain, storage_error::cannotCreateFile,
                     folder->string() + ": " + unresolved.message()};
    }

    // Replacing the connection on the queue keeps queued work from seeing it half-swapped.
    return m_databaseQueue.sync([&]() -> Result<void> {
        if (m_database) {
            // The old connection is replaced whatever it answers; close() has logged any failure.
            (void)m_database->close();
            m_database.reset();
        }
        m_databasePath.reset();
        m_knownTables.clear();
        // A link in the file's place is neither deleted nor opened: it is not ours to empty.
        if (auto noLink = LocalFiles::checkNoSymbolicLink(path); !noLink) {
            return storage_error::fromLocalFile(noLink.error(), storage_error::cannotCreateFile);
        }
        removeFile(path, true);
        // A journal left by a crashed run would be replayed into the new empty file.
        for (const char* suffix : {"-journal", "-wal", "-shm"}) {
            removeFile(path.string() + suffix, false);
        }
        if (auto created = LocalFiles::createRegularFile(path, user_folder::fileMode); !created) {
            return storage_error::fromLocalFile(created.error(), storage_error::cannotCreateFile);
        }
        m_databasePath = path.string();
        m_database = std::make_unique<SqlDatabase>((realFolder / databaseFileName).string());
        // Only the database queue ever touches the connection.
        return m_database->open(SqlDatabase::SymbolicLinks::refuse, SqlDatabase::Threading::confined);
    });
}

void DatabaseManager::closeDatabase()
{
    m_databaseQueue.sync([this] {
        if (m_database) {
            // Signing out goes on regardless; close() has logged why SQLite objected.
            (void)m_database->close();
        }
        m_database.reset();
        m_databasePath.reset();
        m_knownTables.clear();
    });
}

std::optional<std::string> DatabaseManager::databasePath() const
{
    return m_databaseQueue.sync([this] { return m_databasePath; });
}

bool DatabaseManager::isConnected() const
{
    return m_database && m_database->isOpen();
}

Error DatabaseManager::notConnected()
{
    return Error{errorDomain, notOpenCode, "No user database is open."};
}

Result<bool> DatabaseManager::tableExists(std::string_view name)
{
    if (!isConnected()) {
        return notConnected();
    }
    if (std::find(m_knownTables.begin(), m_knownTables.end(), name) != m_knownTables.end()) {
        return true;
    }
    auto rows = m_database->executeQuery("SELECT name FROM main.sqlite_master WHERE type = 'table' AND name = ?",
                                         {std::string(name)});
    if (!rows) {
        return rows.error();
    }
    while (rows->next()) {
        if (rows->stringForColumn("name") == name) {
            // Found, it was made by a committed store (a store looks before it creates), so it stays.
            m_knownTables.emplace_back(name);
            return true;
        }
    }
    if (const auto& failed = rows->error()) {
        return *failed;
    }
    return false;
}

Result<void> DatabaseManager::createTable(std::string_view name)
{
    const auto columns = schema::columnList(name);
    if (!columns) {
        return Error{errorDomain, unknownTableCode, fmt::format("No table is named {}.", name)};
    }
    if (!isConnected()) {
        return notConnected();
    }
    const std::string sql = fmt::format("CREATE TABLE IF NOT EXISTS main.{}{}", name, *columns);
    if (auto created = m_database->executeUpdate(sql); !created) {
        log(fmt::format("Failed to create {} Table in main database with error: {}", name,
                        created.error().description));
        return created;
    }
    return {};
}

Result<void> DatabaseManager::prepareTable(std::string_view name, std::string_view deleteSql,
                                           const SqlValues& deleteValues, std::string_view failurePrefix)
{
    const auto exists = tableExists(name);
    if (!exists) {
        return exists.error();
    }
    if (!*exists) {
        return createTable(name);
    }
    if (auto deleted = m_database->executeUpdate(deleteSql, deleteValues); !deleted) {
        log(fmt::format("{}{}", failurePrefix, deleted.error().description));
        return deleted;
    }
    return {};
}

Result<bool> DatabaseManager::tablesReadable(std::initializer_list<std::string_view> names)
{
    for (const auto name : names) {
        const auto exists = tableExists(name);
        if (!exists) {
            log(exists.error().description);
            return exists.error();
        }
        if (!*exists) {
            return false;
        }
    }
    return true;
}

void DatabaseManager::storeFurnaces(std::vector<Furnace> furnaces, StoreCompletion completion)
{
    m_databaseQueue.async([this, furnaces = std::move(furnaces), completion = std::move(completion)] {
        auto stored = storeFurnacesNow(furnaces);
        if (completion) {
            completion(std::move(stored));
        }
    });
}

void DatabaseManager::fetchFurnaces(FurnacesCompletion completion)
{
    m_databaseQueue.async([this, completion = std::move(completion)] {
        auto furnaces =
            fetchFurnacesNow("SELECT * FROM Furnaces WHERE FurnaceName NOT LIKE '--%' ORDER BY FurnaceName");
        if (completion) {
            completion(std::move(furnaces));
        }
    });
}

void DatabaseManager::fetchFurnace(int furnaceId, FurnaceCompletion completion)
{
    m_databaseQueue.async([this, furnaceId, completion = std::move(completion)] {
        auto furnaces = fetchFurnacesNow(fmt::format("SELECT * FROM Furnaces WHERE Id = {}", furnaceId));
        if (!completion) {
            return;
        }
        if (!furnaces) {
            completion(furnaces.error());
            return;
        }
        completion(furnaces->empty() ? nullptr : furnaces->front());
    });
}

void DatabaseManager::storeReasons(int furnaceId, std::vector<Reason> reasons, StoreCompletion completion)
{
    m_databaseQueue.async([this, furnaceId, reasons = std::move(reasons), completion = std::move(completion)] {
        auto stored = storeReasonsNow(furnaceId, reasons);
        if (completion) {
            completion(std::move(stored));
        }
    });
}

void DatabaseManager::fetchReasons(int furnaceId, ReasonsCompletion completion)
{
    m_databaseQueue.async([this, furnaceId, completion = std::move(completion)] {
        auto reasons = fetchReasonsNow(furnaceId);
        if (completion) {
            completion(std::move(reasons));
        }
    });
}

void DatabaseManager::storeDelays(int furnaceId, std::vector<DownloadedHeat> heats, StoreCompletion completion)
{
    m_databaseQueue.async([this, furnaceId, heats = std::move(heats), completion = std::move(completion)] {
        auto stored = storeDelaysNow(furnaceId, heats);
        if (completion) {
            completion(std::move(stored));
        }
    });
}

void DatabaseManager::fetchLast24HoursHeats(int furnaceId, HeatsCompletion completion)
{
    m_databaseQueue.async([this, furnaceId, completion = std::move(completion)] {
        auto heats = fetchLast24HoursHeatsNow(furnaceId);
        if (completion) {
            completion(std::move(heats));
        }
        // The day is in records now: the pages SQLite kept for reading it, and the heap the download's
        // decoding freed, go back to the system while the screen is built from the records.
        if (m_database && m_database->sqliteHandle()) {
            sqlite3_db_release_memory(m_database->sqliteHandle());
        }
        ProcessMemory::returnFreed();
    });
}

} // namespace orvendel
