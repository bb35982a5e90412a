#pragma once

#include "core/support/error.hpp"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace orvendel::delay_service {

class Statement;

// SQLite's refusals: its result code and its message.
inline constexpr const char* databaseErrorDomain = "SQLite";

// The service's own refusals, before or beside SQLite.
namespace service_error {
inline constexpr const char* domain = "DelayService";
inline constexpr int cannotStart = 1; // the description says which step failed
inline constexpr int notOpened = 2;   // the plant's tables were never opened
inline constexpr int invalidUser = 3; // no name, or a password that could not be hashed
} // namespace service_error

// The service's one SQLite connection. Every use goes through `lock()`, so the connection is shared by
// the worker threads one at a time; statements made under a lock must not outlive it.
class Database {
public:
    Database() = default;
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens (creating) the file, or an in-memory database for ":memory:"; files use WAL and are held
    // exclusively by this connection.
    Result<void> open(const std::string& path);
    void close();

    std::unique_lock<std::mutex> lock() { return std::unique_lock<std::mutex>(m_mutex); }

    // Runs one or more statements without results. Caller holds the lock.
    Result<void> execute(std::string_view sql);
    int64_t lastInsertRowId() const;
    // True once the database file was deleted or replaced since it was opened: what is written now is lost.
    bool fileMoved() const;
    sqlite3* handle() const { return m_db; }
    const std::string& path() const { return m_path; }

private:
    // SQLite's reason for the call that just failed on this connection.
    Error failure(int code) const;

    sqlite3* m_db = nullptr;
    std::string m_path;
    std::mutex m_mutex;
};

// A prepared statement; columns and parameters are zero-based and one-based as in SQLite.
class Statement {
public:
    Statement(Database& db, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, int64_t value);
    Statement& bind(int index, int value) { return bind(index, static_cast<int64_t>(value)); }
    Statement& bind(int index, std::string_view value);
    Statement& bind(int index, const std::string& value) { return bind(index, std::string_view(value)); }
    Statement& bind(int index, const char* value) { return bind(index, std::string_view(value)); }
    Statement& bind(int index, const std::optional<std::string>& value);
    Statement& bind(int index, const std::optional<int>& value);
    Statement& bindNull(int index);

    // True while a row is available; `finished()` tells a clean end from an error afterwards.
    bool step();
    Result<void> finished() const;
    // Executes to the end.
    Result<void> run();
    void reset();

    int64_t int64(int column) const;
    int integer(int column) const { return static_cast<int>(int64(column)); }
    std::string text(int column) const;
    bool isNull(int column) const;
    std::optional<std::string> optionalText(int column) const;
    std::optional<int> optionalInteger(int column) const;

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
    bool m_done = false;
};

// A transaction that rolls back unless committed. Caller holds the database lock for its lifetime.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    const Result<void>& began() const { return m_began; }
    Result<void> commit();

private:
    Database& m_db;
    Result<void> m_began;
    bool m_finished = false;
};

} // namespace orvendel::delay_service
