#pragma once

#include "core/model/error.hpp"
#include "core/storage/sql/sql_result_set.hpp"
#include "core/storage/sql/sql_value.hpp"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace orvendel {

// A connection to one SQLite file with positional-argument statements, row cursors, transactions, a
// bounded busy wait and console diagnostics. Failures are values: a false or empty result, plus an `Error`
// carrying SQLite's message when the caller passes a place for it.
// Thread contract: one thread (or one serial queue) at a time; the `inUse` guard refuses re-entrant use of
// the connection, it is not a lock.
class SqlDatabase {
public:
    static constexpr const char* errorDomain = "SqlDatabase";

    explicit SqlDatabase(std::string path);
    ~SqlDatabase();
    SqlDatabase(const SqlDatabase&) = delete;
    SqlDatabase& operator=(const SqlDatabase&) = delete;

    bool open();
    bool close();

    bool executeUpdate(std::string_view sql, const SqlValues& values = {}, Error* error = nullptr);
    std::optional<SqlResultSet> executeQuery(std::string_view sql, const SqlValues& values = {},
                                             Error* error = nullptr);

    bool beginTransaction();
    bool commit();
    bool rollback();

    const std::string& databasePath() const { return m_databasePath; }
    sqlite3* sqliteHandle() const { return m_sqliteHandle; }
    bool isOpen() const { return m_isOpen; }
    bool isInTransaction() const { return m_isInTransaction; }
    bool inUse() const { return m_inUse; }

    double maxBusyRetryTimeInterval() const { return m_maxBusyRetryTimeInterval; }
    // Takes effect at the next `open`; zero or less means no busy wait at all.
    void setMaxBusyRetryTimeInterval(double seconds) { m_maxBusyRetryTimeInterval = seconds; }
    bool logsErrors() const { return m_logsErrors; }
    void setLogsErrors(bool value) { m_logsErrors = value; }
    bool traceExecution() const { return m_traceExecution; }
    void setTraceExecution(bool value) { m_traceExecution = value; }
    // Keeps the prepared statements of `executeUpdate` by SQL text and resets them for the next call,
    // instead of preparing and finalizing each time.
    bool shouldCacheStatements() const { return m_shouldCacheStatements; }
    void setShouldCacheStatements(bool value);

    // The SQLite message and code of the last failing call on this connection.
    std::string lastErrorMessage() const;
    int lastErrorCode() const;

    // Replaces the busy wait's time source and sleep (tests drive the wait without sleeping). The sleep
    // receives milliseconds and returns how many were slept.
    struct BusyHooks {
        std::function<std::chrono::steady_clock::time_point()> now;
        std::function<int(int)> sleepMilliseconds;
    };
    void setBusyHooksForTesting(BusyHooks hooks) { m_busyHooks = std::move(hooks); }

private:
    friend class SqlResultSet;

    static int busyHandler(void* context, int count);
    // Prepares (or takes from the cache) and binds; on failure logs, fills `error` and returns nullptr.
    // A query's result set outlives `values`, so `forQuery` binds copies.
    sqlite3_stmt* prepareAndBind(std::string_view sql, const SqlValues& values, Error* error, bool& fromCache,
                                 bool forQuery);
    void releaseStatement(sqlite3_stmt* statement, bool fromCache, std::string_view sql);
    void closeOpenResultSets();
    void finalizeCachedStatements();
    void setError(Error* error, int code, std::string message) const;

    std::string m_databasePath;
    sqlite3* m_sqliteHandle = nullptr;
    bool m_isOpen = false;
    bool m_isInTransaction = false;
    bool m_inUse = false;
    double m_maxBusyRetryTimeInterval = 2.0;
    bool m_logsErrors = true;
    bool m_traceExecution = false;
    bool m_shouldCacheStatements = false;
    std::chrono::steady_clock::time_point m_busyStart{};
    BusyHooks m_busyHooks;
    std::vector<std::weak_ptr<detail::SqlStatement>> m_openResultSets;
    // Looked up by the caller's SQL text without copying it (once per row in a store).
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    std::unordered_map<std::string, sqlite3_stmt*, TextHash, std::equal_to<>> m_cachedStatements;
};

} // namespace orvendel
