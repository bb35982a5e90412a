#include "core/storage/sql/sql_database.hpp"

#include "core/support/log.hpp"

#include <cerrno>
#include <fcntl.h>
#include <fmt/format.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>
#include <thread>
#include <variant>

namespace orvendel {

static_assert(SqlDatabase::misuseCode == SQLITE_MISUSE);

namespace {

int randomSleepMilliseconds()
{
    thread_local std::mt19937 generator{std::random_device{}()};
    return std::uniform_int_distribution<int>(50, 99)(generator);
}

// Statements stepped before the call returns may point at the caller's values; a query's result set
// outlives them, so its texts and blobs are copied.
int bindValue(sqlite3_stmt* statement, int position, const SqlValue& value, bool copy)
{
    const auto lifetime = copy ? SQLITE_TRANSIENT : SQLITE_STATIC;
    return std::visit(
        [&](const auto& v) -> int {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::monostate>) {
                return sqlite3_bind_null(statement, position);
            } else if constexpr (std::is_same_v<T, SqlBlob>) {
                // An empty blob stays a zero-length blob rather than turning into NULL.
                static const std::uint8_t empty = 0;
                return sqlite3_bind_blob(statement, position, v.empty() ? &empty : v.data(), static_cast<int>(v.size()),
                                         lifetime);
            } else if constexpr (std::is_same_v<T, Instant>) {
                const std::chrono::duration<double> seconds = v.time_since_epoch();
                return sqlite3_bind_double(statement, position, seconds.count());
            } else if constexpr (std::is_same_v<T, std::int32_t>) {
                return sqlite3_bind_int(statement, position, v);
            } else if constexpr (std::is_same_v<T, std::int64_t>) {
                return sqlite3_bind_int64(statement, position, v);
            } else if constexpr (std::is_same_v<T, double>) {
                return sqlite3_bind_double(statement, position, v);
            } else if constexpr (std::is_same_v<T, bool>) {
                return sqlite3_bind_int(statement, position, v ? 1 : 0);
            } else {
                return sqlite3_bind_text(statement, position, v.data(), static_cast<int>(v.size()), lifetime);
            }
        },
        value.storage());
}

// Clears the in-use flag on every way out of a statement.
class InUseScope {
public:
    explicit InUseScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~InUseScope() { m_flag = false; }
    InUseScope(const InUseScope&) = delete;
    InUseScope& operator=(const InUseScope&) = delete;

private:
    bool& m_flag;
};

// SQLite would create a missing file 0644 (less the umask) and give its -wal, -shm and -journal files the
// same mode; creating it first, owner-only, keeps every one of them private whatever the umask. Memory and
// temporary databases and URIs are left to SQLite, as is anything already there (a link included).
void createOwnerOnlyIfMissing(const std::string& path)
{
    if (path.empty() || path == ":memory:" || path.starts_with("file:")) {
        return;
    }
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0) {
        (void)::fchmod(fd, S_IRUSR | S_IWUSR);
        ::close(fd);
    }
}

} // namespace

SqlDatabase::SqlDatabase(std::string path) : m_databasePath(std::move(path)) {}

SqlDatabase::~SqlDatabase()
{
    // Nobody is left to hear a failure; close() has logged it.
    (void)close();
}

Result<void> SqlDatabase::open(SymbolicLinks links, Threading threading)
{
    if (m_isOpen) {
        return {};
    }
    if (m_sqliteHandle) {
        // A leftover handle is let go whatever it answers: a new connection replaces it.
        (void)close();
    }
    if (sqlite3_threadsafe() == 0) {
        log("SQLite is not built thread-safe; refusing to open a connection.");
        return error(SQLITE_MISUSE, "SQLite is not built thread-safe.");
    }
    sqlite3* handle = nullptr;
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    if (links == SymbolicLinks::refuse) {
        flags |= SQLITE_OPEN_NOFOLLOW;
    }
    if (threading == Threading::confined) {
        flags |= SQLITE_OPEN_NOMUTEX;
    }
    createOwnerOnlyIfMissing(m_databasePath);
    const int result = sqlite3_open_v2(m_databasePath.c_str(), &handle, flags, nullptr);
    if (result != SQLITE_OK) {
        log(fmt::format("error opening!: {}", result));
        auto failure = error(result, handle ? sqlite3_errmsg(handle) : sqlite3_errstr(result));
        sqlite3_close(handle);
        return failure;
    }
    m_sqliteHandle = handle;
    if (m_maxBusyRetryTimeInterval > 0.0) {
        sqlite3_busy_handler(m_sqliteHandle, &SqlDatabase::busyHandler, this);
    }
    m_isOpen = true;
    return {};
}

Result<void> SqlDatabase::close()
{
    closeOpenResultSets();
    finalizeCachedStatements();
    if (!m_sqliteHandle) {
        return {};
    }
    int result = sqlite3_close(m_sqliteHandle);
    if (result == SQLITE_BUSY || result == SQLITE_LOCKED) {
        while (sqlite3_stmt* leaked = sqlite3_next_stmt(m_sqliteHandle, nullptr)) {
            log("Closing leaked statement");
            sqlite3_finalize(leaked);
        }
        result = sqlite3_close(m_sqliteHandle);
    }
    Result<void> outcome;
    if (result != SQLITE_OK) {
        log(fmt::format("error closing!: {}", result));
        outcome = lastError();
        // Still in use (an open blob or backup): the connection goes when its last user does.
        sqlite3_close_v2(m_sqliteHandle);
    }
    m_sqliteHandle = nullptr;
    m_isOpen = false;
    m_isInTransaction = false;
    return outcome;
}

void SqlDatabase::closeOpenResultSets()
{
    for (auto& weak : m_openResultSets) {
        if (auto statement = weak.lock()) {
            statement->finalize();
            statement->database = nullptr;
        }
    }
    m_openResultSets.clear();
}

void SqlDatabase::finalizeCachedStatements()
{
    for (auto& [sql, statement] : m_cachedStatements) {
        sqlite3_finalize(statement);
    }
    m_cachedStatements.clear();
}

void SqlDatabase::setShouldCacheStatements(bool value)
{
    m_shouldCacheStatements = value;
    if (!value) {
        finalizeCachedStatements();
    }
}

int SqlDatabase::busyHandler(void* context, int count)
{
    auto* self = static_cast<SqlDatabase*>(context);
    const auto now = self->m_busyHooks.now ? self->m_busyHooks.now() : std::chrono::steady_clock::now();
    if (count == 0) {
        self->m_busyStart = now;
        return 1;
    }
    const std::chrono::duration<double> waited = now - self->m_busyStart;
    if (waited.count() >= self->m_maxBusyRetryTimeInterval) {
        return 0;
    }
    const int requested = randomSleepMilliseconds();
    const int slept =
        self->m_busyHooks.sleepMilliseconds ? self->m_busyHooks.sleepMilliseconds(requested) : sqlite3_sleep(requested);
    if (slept != requested) {
        log(fmt::format("WARNING: Requested sleep of {} milliseconds, but SQLite returned {}. Maybe SQLite wasn't "
                        "built with HAVE_USLEEP=1?",
                        requested, slept));
    }
    return 1;
}

std::string SqlDatabase::lastErrorMessage() const
{
    return m_sqliteHandle ? sqlite3_errmsg(m_sqliteHandle) : "not an error";
}

int SqlDatabase::lastErrorCode() const
{
    return m_sqliteHandle ? sqlite3_errcode(m_sqliteHandle) : SQLITE_OK;
}

Result<void> SqlDatabase::checkUsable() const
{
    if (!m_isOpen) {
        log(fmt::format("The SqlDatabase {} is not open.", m_databasePath));
        return error(SQLITE_MISUSE, "The database is not open.");
    }
    if (m_inUse) {
        log(fmt::format("The SqlDatabase {} is currently in use.", m_databasePath));
        return error(SQLITE_MISUSE, "The database is currently in use.");
    }
    return {};
}

void SqlDatabase::discardStatement(sqlite3_stmt* statement, bool fromCache)
{
    if (fromCache) {
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
    } else {
        sqlite3_finalize(statement);
    }
}

Result<sqlite3_stmt*> SqlDatabase::prepareAndBind(std::string_view sql, const SqlValues& values, bool& fromCache,
                                                  bool forQuery, bool checkCount)
{
    if (m_traceExecution) {
        log(fmt::format("{} executeSQL: {}", m_databasePath, sql));
    }
    sqlite3_stmt* statement = nullptr;
    fromCache = false;
    if (m_shouldCacheStatements) {
        if (auto found = m_cachedStatements.find(sql); found != m_cachedStatements.end()) {
            statement = found->second;
            fromCache = true;
        }
    }
    if (!statement) {
        const int result =
            sqlite3_prepare_v2(m_sqliteHandle, sql.data(), static_cast<int>(sql.size()), &statement, nullptr);
        if (result != SQLITE_OK) {
            if (m_logsErrors) {
                log(fmt::format("DB Error: {} \"{}\"", lastErrorCode(), lastErrorMessage()));
                log(fmt::format("DB Query: {}", sql));
                log(fmt::format("DB Path: {}", m_databasePath));
            }
            auto failure = lastError();
            sqlite3_finalize(statement);
            return failure;
        }
    }
    const int expected = sqlite3_bind_parameter_count(statement);
    const int given = static_cast<int>(values.size());
    int bound = 0;
    while (bound < expected && bound < given) {
        // A value SQLite refuses (too long, out of memory) would otherwise run the statement with NULL.
        const int result = bindValue(statement, bound + 1, values[static_cast<std::size_t>(bound)], forQuery);
        if (result != SQLITE_OK) {
            auto failure = error(
                result, fmt::format("Error binding argument {} ({}: {})", bound + 1, result, sqlite3_errstr(result)));
            if (m_logsErrors) {
                log(failure.description);
                log(fmt::format("DB Query: {}", sql));
            }
            discardStatement(statement, fromCache);
            return failure;
        }
        ++bound;
    }
    // Surplus arguments are as much a caller's mistake as missing ones, so count them too.
    if (checkCount && given != expected) {
        std::string text;
        if (!forQuery) {
            text = fmt::format("Error: the bind count ({}) is not correct for the # of variables in the query ({}) "
                               "({}) (executeUpdate)",
                               given, expected, sql);
        } else {
            text = "Error: the bind count is not correct for the # of variables (executeQuery)";
        }
        log(text);
        discardStatement(statement, fromCache);
        return error(SQLITE_RANGE, std::move(text));
    }
    return statement;
}

void SqlDatabase::releaseStatement(sqlite3_stmt* statement, bool fromCache, std::string_view sql)
{
    if (m_shouldCacheStatements) {
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
        if (!fromCache) {
            m_cachedStatements.emplace(std::string(sql), statement);
        }
        return;
    }
    const int result = sqlite3_finalize(statement);
    if (result != SQLITE_OK && result != lastErrorCode()) {
        log(fmt::format("Unknown error finalizing or resetting statement ({}: {})", result, lastErrorMessage()));
    }
}

Result<void> SqlDatabase::stepUpdate(sqlite3_stmt* statement, std::string_view sql)
{
    const int result = sqlite3_step(statement);
    Result<void> outcome;
    const auto failStep = [&](std::string line) {
        if (m_logsErrors) {
            log(line);
            log(fmt::format("DB Query: {}", sql));
        }
        outcome = lastError();
    };
    if (result == SQLITE_ROW) {
        log(fmt::format("A executeUpdate is being called with a query string '{}'", sql));
        log(fmt::format("DB Query: {}", sql));
        outcome = error(SQLITE_MISUSE, "executeUpdate was given a statement that returns rows.");
    } else if (result == SQLITE_INTERRUPT) {
        failStep(fmt::format("Error calling sqlite3_step. Query was interrupted ({}: {}) SQLITE_INTERRUPT", result,
                             lastErrorMessage()));
        outcome = error(SQLITE_INTERRUPT, "interrupted");
    } else if (result == SQLITE_ERROR) {
        failStep(fmt::format("Error calling sqlite3_step ({}: {}) SQLITE_ERROR", result, lastErrorMessage()));
    } else if (result == SQLITE_MISUSE) {
        failStep(fmt::format("Error calling sqlite3_step ({}: {}) SQLITE_MISUSE", result, lastErrorMessage()));
    } else if (result != SQLITE_DONE) {
        failStep(fmt::format("Unknown error calling sqlite3_step ({}: {}) eu", result, lastErrorMessage()));
    }

    return outcome;
}

Result<void> SqlDatabase::executeUpdate(std::string_view sql, const SqlValues& values)
{
    if (auto usable = checkUsable(); !usable) {
        return usable;
    }
    InUseScope inUse(m_inUse);

    bool fromCache = false;
    auto prepared = prepareAndBind(sql, values, fromCache, false);
    if (!prepared) {
        return prepared.error();
    }
    sqlite3_stmt* statement = *prepared;

    auto outcome = stepUpdate(statement, sql);
    releaseStatement(statement, fromCache, sql);
    return outcome;
}

Result<SqlResultSet> SqlDatabase::executeQuery(std::string_view sql, const SqlValues& values)
{
    if (auto usable = checkUsable(); !usable) {
        return usable.error();
    }
    InUseScope inUse(m_inUse);
    // A result set owns its statement, so queries never come from the cache.
    auto prepared = prepareOwned(sql, values, true, true);
    if (!prepared) {
        return prepared.error();
    }
    return SqlResultSet(adopt(*prepared, sql));
}

Result<sqlite3_stmt*> SqlDatabase::prepareOwned(std::string_view sql, const SqlValues& values, bool forQuery,
                                                bool checkCount)
{
    const bool caching = m_shouldCacheStatements;
    m_shouldCacheStatements = false;
    bool fromCache = false;
    auto prepared = prepareAndBind(sql, values, fromCache, forQuery, checkCount);
    m_shouldCacheStatements = caching;
    return prepared;
}

std::shared_ptr<detail::SqlStatement> SqlDatabase::adopt(sqlite3_stmt* prepared, std::string_view sql)
{
    auto statement = std::make_shared<detail::SqlStatement>();
    statement->statement = prepared;
    statement->database = this;
    statement->query = std::string(sql);
    std::erase_if(m_openResultSets, [](const auto& weak) { return weak.expired(); });
    m_openResultSets.push_back(statement);
    return statement;
}

Result<SqlPreparedUpdate> SqlDatabase::prepareUpdate(std::string_view sql)
{
    if (auto usable = checkUsable(); !usable) {
        return usable.error();
    }
    InUseScope inUse(m_inUse);
    // Nothing is bound yet: the arguments come with each run.
    auto prepared = prepareOwned(sql, {}, false, false);
    if (!prepared) {
        return prepared.error();
    }
    const int parameterCount = sqlite3_bind_parameter_count(*prepared);
    if (parameterCount > 64) {
        sqlite3_finalize(*prepared);
        return error(SQLITE_RANGE, "A prepared update takes at most 64 arguments.");
    }
    return SqlPreparedUpdate(adopt(*prepared, sql), parameterCount);
}

Result<void> SqlDatabase::beginTransaction()
{
    auto result = executeUpdate("begin exclusive transaction");
    if (result) {
        m_isInTransaction = true;
    }
    return result;
}

Result<void> SqlDatabase::commit()
{
    auto result = executeUpdate("commit transaction");
    if (result) {
        m_isInTransaction = false;
    }
    return result;
}

Result<void> SqlDatabase::rollback()
{
    auto result = executeUpdate("rollback transaction");
    if (result) {
        m_isInTransaction = false;
    }
    return result;
}

} // namespace orvendel
