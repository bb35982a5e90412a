#pragma once

#include "core/model/result_information.hpp"
#include "core/storage/sql/sql_result_set.hpp"
#include "core/storage/sql/sql_value.hpp"

#include <chrono>
#include <cstdint>
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

class SqlDatabase;

// One statement prepared once and run many times, such as a store's insert run once per row: values are
// bound straight into it by position (1-based) and every run must bind them all. Texts are not copied, so
// they must stay alive until `execute` returns. Closing the connection finalizes it; it fails from then on.
// Thread contract: the thread (queue) that owns its `SqlDatabase`.
class SqlPreparedUpdate {
public:
    void bind(int position, int value);
    void bind(int position, std::string_view text);
    void bind(int position, const std::string& text) { bind(position, std::string_view(text)); }
    // An absent value binds NULL.
    void bind(int position, const std::optional<int>& value);
    void bind(int position, const std::optional<std::string>& text);
    // A temporary would be gone before the run reads it.
    void bind(int position, std::string&& text) = delete;
    void bind(int position, std::optional<std::string>&& text) = delete;
    void bindNull(int position);
    // Runs the statement with this run's values and readies it for the next run, failed or not.
    Result<void> execute();

private:
    friend class SqlDatabase;
    explicit SqlPreparedUpdate(std::shared_ptr<detail::SqlStatement> statement, int parameterCount);
    // Remembers the first binding SQLite refused, so the run fails instead of stepping with NULL.
    void check(int position, int result);

    std::shared_ptr<detail::SqlStatement> m_statement;
    int m_parameterCount = 0;
    std::uint64_t m_bound = 0; // one bit per position bound in this run
    int m_refusedPosition = 0;
    int m_refusedResult = 0;
};

// A connection to one SQLite file with positional-argument statements, row cursors, transactions, a
// bounded busy wait and console diagnostics. Every operation that can fail returns a Result whose `Error`
// (domain "SqlDatabase", SQLite's result code) carries SQLite's message.
// Thread contract: one thread (or one serial queue) at a time; the `inUse` guard refuses re-entrant use of
// the connection, it is not a lock.
class SqlDatabase {
public:
    static constexpr const char* errorDomain = "SqlDatabase";
    // Codes are SQLite's result codes; this one is named here so that headers need not include sqlite3.h.
    static constexpr int misuseCode = 21; // SQLITE_MISUSE

    explicit SqlDatabase(std::string path);
    ~SqlDatabase();
    SqlDatabase(const SqlDatabase&) = delete;
    SqlDatabase& operator=(const SqlDatabase&) = delete;

    enum class SymbolicLinks { follow, refuse };
    // Opens (creating the file when missing, owner-only: 0600). With `refuse`, a symbolic link anywhere in the path
    // fails the open instead of being followed.
    // `confined`: the owner promises the connection never runs on two threads at once (it lives on one
    // serial queue), so SQLite skips the connection mutex it would otherwise take on every call.
    enum class Threading { serialized, confined };
    Result<void> open(SymbolicLinks links = SymbolicLinks::follow, Threading threading = Threading::serialized);
    // The connection is released even when SQLite refuses to close it (something still uses it); it then
    // goes when that last user does, and the error says why it could not go at once.
    Result<void> close();

    Result<void> executeUpdate(std::string_view sql, const SqlValues& values = {});
    // A statement to run many times with `SqlPreparedUpdate::execute`; at most 64 arguments.
    Result<SqlPreparedUpdate> prepareUpdate(std::string_view sql);
    // The rows, not yet stepped.
    Result<SqlResultSet> executeQuery(std::string_view sql, const SqlValues& values = {});

    Result<void> beginTransaction();
    Result<void> commit();
    Result<void> rollback();

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
    friend class SqlPreparedUpdate;

    static int busyHandler(void* context, int count);
    // Prepares (or takes from the cache) and binds; on failure logs and gives the error, the statement
    // already released. A query's result set outlives `values`, so `forQuery` binds copies. Without
    // `checkCount` the arguments may come later (a prepared update).
    // A statement of its own (never cached), for a result set or a prepared update.
    Result<sqlite3_stmt*> prepareOwned(std::string_view sql, const SqlValues& values, bool forQuery, bool checkCount);
    Result<sqlite3_stmt*> prepareAndBind(std::string_view sql, const SqlValues& values, bool& fromCache, bool forQuery,
                                         bool checkCount = true);
    // Takes back a statement that failed before stepping: reset for the cache, or finalized.
    void discardStatement(sqlite3_stmt* statement, bool fromCache);
    // Refuses a statement on a closed or busy connection.
    Result<void> checkUsable() const;
    void releaseStatement(sqlite3_stmt* statement, bool fromCache, std::string_view sql);
    // Steps a statement that returns no rows; logs and gives the error when it fails.
    Result<void> stepUpdate(sqlite3_stmt* statement, std::string_view sql);
    // Keeps a statement that outlives the call, so that closing the connection can finalize it.
    std::shared_ptr<detail::SqlStatement> adopt(sqlite3_stmt* statement, std::string_view sql);
    void closeOpenResultSets();
    void finalizeCachedStatements();
    Error error(int code, std::string message) const { return Error{errorDomain, code, std::move(message)}; }
    Error lastError() const { return error(lastErrorCode(), lastErrorMessage()); }

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
