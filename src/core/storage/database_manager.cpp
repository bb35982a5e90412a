#include "core/storage/database_manager.hpp"

#include "core/model/utilities.hpp"
#include "core/platform/directories.hpp"
#include "core/storage/database_schema.hpp"
#include "core/support/log.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <mutex>
#include <unistd.h>

namespace orvendel {
namespace {

std::mutex& sharedMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::unique_ptr<DatabaseManager>& sharedInstance()
{
    static std::unique_ptr<DatabaseManager> instance;
    return instance;
}

std::string uppercased(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::toupper(c); });
    return out;
}

// Deletes the file, printing why when it cannot (no file yet is the usual reason).
void removeFile(const std::filesystem::path& path, bool reportFailure)
{
    if (::unlink(path.c_str()) != 0 && reportFailure) {
        log(fmt::format("Error: {} ({})", std::strerror(errno), path.string()));
    }
}

} // namespace

DatabaseManager& DatabaseManager::shared()
{
    std::lock_guard lock(sharedMutex());
    auto& instance = sharedInstance();
    if (!instance) {
        instance = std::make_unique<DatabaseManager>();
    }
    return *instance;
}

void DatabaseManager::resetSharedForTesting()
{
    std::unique_ptr<DatabaseManager> previous;
    {
        std::lock_guard lock(sharedMutex());
        previous = std::move(sharedInstance());
    }
    // Destroyed outside the lock: its queued completions may still call `shared`.
}

DatabaseManager::DatabaseManager() = default;

DatabaseManager::~DatabaseManager()
{
    // Let queued stores finish against the open connection before it goes away.
    m_databaseQueue.drain();
}

bool DatabaseManager::openUserDatabase(const std::string& userName)
{
    if (!Utilities::ensureApplicationSupportDirectory()) {
        return false;
    }
    const auto supportDirectory = Utilities::applicationSupportDirectory();
    if (!supportDirectory) {
        return false;
    }
    const auto digest = Utilities::md5Hex(uppercased(userName));
    if (!digest) {
        log("Unable to get MD5 Hash of username");
        return false;
    }
    const auto folder = *supportDirectory / *digest;
    if (!Utilities::createDirectoryIfNeeded(folder)) {
        return false;
    }
    const auto path = folder / databaseFileName;

    // Replacing the connection on the queue keeps queued work from seeing it half-swapped.
    return m_databaseQueue.sync([&] {
        if (m_database) {
            m_database->close();
            m_database.reset();
        }
        m_databasePath.reset();
        removeFile(path, true);
        // A journal left by a crashed run would be replayed into the new empty file.
        for (const char* suffix : {"-journal", "-wal", "-shm"}) {
            removeFile(path.string() + suffix, false);
        }
        std::error_code error;
        if (!std::filesystem::exists(path, error)) {
            std::ofstream create(path, std::ios::binary);
            if (!create) {
                return false;
            }
        }
        m_databasePath = path.string();
        m_database = std::make_unique<SqlDatabase>(path.string());
        return m_database->open();
    });
}

void DatabaseManager::closeDatabase()
{
    m_databaseQueue.sync([this] {
        if (m_database) {
            m_database->close();
        }
        m_database.reset();
        m_databasePath.reset();
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

bool DatabaseManager::tableExists(std::string_view name)
{
    if (!isConnected()) {
        return false;
    }
    auto rows = m_database->executeQuery("SELECT name FROM main.sqlite_master WHERE type = 'table' AND name = ?",
                                         {std::string(name)});
    if (!rows) {
        return false;
    }
    while (rows->next()) {
        if (rows->stringForColumn("name") == name) {
            return true;
        }
    }
    return false;
}

bool DatabaseManager::createTable(std::string_view name)
{
    const auto columns = schema::columnList(name);
    if (!columns || !isConnected()) {
        return false;
    }
    Error error;
    const std::string sql = fmt::format("CREATE TABLE IF NOT EXISTS main.{}{}", name, *columns);
    if (!m_database->executeUpdate(sql, {}, &error)) {
        log(fmt::format("Failed to create {} Table in main database with error: {}", name, error.description));
        return false;
    }
    return true;
}

bool DatabaseManager::prepareTable(std::string_view name, std::string_view deleteSql, const SqlValues& deleteValues,
                                   std::string_view failurePrefix)
{
    if (!tableExists(name)) {
        return createTable(name);
    }
    Error error;
    if (!m_database->executeUpdate(deleteSql, deleteValues, &error)) {
        log(fmt::format("{}{}", failurePrefix, error.description));
        return false;
    }
    return true;
}

void DatabaseManager::storeFurnaces(std::vector<Furnace> furnaces, StoreCompletion completion)
{
    m_databaseQueue.async([this, furnaces = std::move(furnaces), completion = std::move(completion)] {
        const bool ok = storeFurnacesNow(furnaces);
        if (completion) {
            completion(ok);
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
        if (completion) {
            completion(furnaces.empty() ? nullptr : furnaces.front());
        }
    });
}

void DatabaseManager::storeReasons(int furnaceId, std::vector<wire::JSON_Reason> reasons, StoreCompletion completion)
{
    m_databaseQueue.async([this, furnaceId, reasons = std::move(reasons), completion = std::move(completion)] {
        const bool ok = storeReasonsNow(furnaceId, reasons);
        if (completion) {
            completion(ok);
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

void DatabaseManager::storeDelays(int furnaceId, std::vector<wire::JSON_Heat> heats, StoreCompletion completion)
{
    m_databaseQueue.async([this, furnaceId, heats = std::move(heats), completion = std::move(completion)] {
        const bool ok = storeDelaysNow(furnaceId, heats);
        if (completion) {
            completion(ok);
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
    });
}

} // namespace orvendel
