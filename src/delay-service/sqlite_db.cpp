#include "sqlite_db.hpp"

#include <sqlite3.h>

namespace orvendel::service {

Database::~Database()
{
    close();
}

bool Database::open(const std::string& path)
{
    close();
    m_path = path;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(path.c_str(), &m_db, flags, nullptr) != SQLITE_OK) {
        return false;
    }
    sqlite3_busy_timeout(m_db, 5000);
    if (path != ":memory:") {
        // No file is mapped into memory: a mapped page that can no longer be written back (the file turned
        // immutable or read-only under the service) is a SIGBUS, where a failed write() is only an error.
        // The one connection holds the file exclusively, so the WAL index lives on the heap, not in -shm.
        if (!execute("PRAGMA mmap_size=0; PRAGMA locking_mode=EXCLUSIVE; PRAGMA journal_mode=WAL; "
                     "PRAGMA synchronous=NORMAL;")) {
            return false;
        }
    }
    return execute("PRAGMA foreign_keys=ON;");
}

bool Database::fileMoved() const
{
    int moved = 0;
    return m_db != nullptr && sqlite3_file_control(m_db, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK &&
           moved != 0;
}

void Database::close()
{
    if (m_db != nullptr) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

bool Database::execute(std::string_view sql)
{
    if (m_db == nullptr) {
        return false;
    }
    const std::string text(sql);
    return sqlite3_exec(m_db, text.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

int64_t Database::lastInsertRowId() const
{
    return m_db != nullptr ? sqlite3_last_insert_rowid(m_db) : 0;
}

std::string Database::lastError() const
{
    return m_db != nullptr ? sqlite3_errmsg(m_db) : "database not open";
}

Statement::Statement(Database& db, std::string_view sql)
{
    if (db.handle() == nullptr ||
        sqlite3_prepare_v2(db.handle(), sql.data(), static_cast<int>(sql.size()), &m_stmt, nullptr) != SQLITE_OK) {
        m_stmt = nullptr;
    }
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

Statement& Statement::bind(int index, int64_t value)
{
    sqlite3_bind_int64(m_stmt, index, value);
    return *this;
}

Statement& Statement::bind(int index, std::string_view value)
{
    sqlite3_bind_text(m_stmt, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::bind(int index, const std::optional<std::string>& value)
{
    return value ? bind(index, std::string_view(*value)) : bindNull(index);
}

Statement& Statement::bind(int index, const std::optional<int>& value)
{
    return value ? bind(index, static_cast<int64_t>(*value)) : bindNull(index);
}

Statement& Statement::bindNull(int index)
{
    sqlite3_bind_null(m_stmt, index);
    return *this;
}

bool Statement::step()
{
    if (m_stmt == nullptr) {
        m_done = false;
        return false;
    }
    const int rc = sqlite3_step(m_stmt);
    m_done = rc == SQLITE_DONE;
    return rc == SQLITE_ROW;
}

bool Statement::run()
{
    while (step()) {
    }
    return m_done;
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
    m_done = false;
}

int64_t Statement::int64(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

std::string Statement::text(int column) const
{
    const auto* bytes = sqlite3_column_text(m_stmt, column);
    return bytes != nullptr ? std::string(reinterpret_cast<const char*>(bytes),
                                          static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column)))
                            : std::string();
}

bool Statement::isNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

std::optional<std::string> Statement::optionalText(int column) const
{
    return isNull(column) ? std::nullopt : std::optional<std::string>(text(column));
}

std::optional<int> Statement::optionalInteger(int column) const
{
    return isNull(column) ? std::nullopt : std::optional<int>(integer(column));
}

Transaction::Transaction(Database& db) : m_db(db)
{
    m_began = m_db.execute("BEGIN IMMEDIATE");
}

Transaction::~Transaction()
{
    if (m_began && !m_finished) {
        m_db.execute("ROLLBACK");
    }
}

bool Transaction::commit()
{
    if (!m_began || m_finished) {
        return false;
    }
    m_finished = m_db.execute("COMMIT");
    return m_finished;
}

} // namespace orvendel::service
