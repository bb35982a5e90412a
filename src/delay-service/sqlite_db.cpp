#include "sqlite_db.hpp"

#include <sqlite3.h>

namespace orvendel::delay_service {

Database::~Database()
{
    close();
}

namespace {

Error sqliteError(sqlite3* db, int code)
{
    return Error{databaseErrorDomain, code, db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code)};
}

} // namespace

Result<void> Database::open(const std::string& path)
{
    close();
    m_path = path;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (const int code = sqlite3_open_v2(path.c_str(), &m_db, flags, nullptr); code != SQLITE_OK) {
        Error error = failure(code);
        close();
        return error;
    }
    sqlite3_busy_timeout(m_db, 5000);
    if (path != ":memory:") {
        // No file is mapped into memory: a mapped page that can no longer be written back (the file turned
        // immutable or read-only under the service) is a SIGBUS, where a failed write() is only an error.
        // The one connection holds the file exclusively, so the WAL index lives on the heap, not in -shm.
        if (auto set = execute("PRAGMA mmap_size=0; PRAGMA locking_mode=EXCLUSIVE; PRAGMA journal_mode=WAL; "
                               "PRAGMA synchronous=NORMAL;");
            !set) {
            return set;
        }
    }
    return execute("PRAGMA foreign_keys=ON;");
}

Error Database::failure(int code) const
{
    return sqliteError(m_db, code);
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

Result<void> Database::execute(std::string_view sql)
{
    if (m_db == nullptr) {
        return Error{databaseErrorDomain, SQLITE_MISUSE, "database not open"};
    }
    const std::string text(sql);
    if (const int code = sqlite3_exec(m_db, text.c_str(), nullptr, nullptr, nullptr); code != SQLITE_OK) {
        return failure(code);
    }
    return {};
}

int64_t Database::lastInsertRowId() const
{
    return m_db != nullptr ? sqlite3_last_insert_rowid(m_db) : 0;
}

Statement::Statement(Database& db, std::string_view sql) : m_db(db.handle())
{
    if (m_db == nullptr ||
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

Result<void> Statement::finished() const
{
    if (m_done) {
        return {};
    }
    if (m_db == nullptr) {
        return Error{databaseErrorDomain, SQLITE_MISUSE, "database not open"};
    }
    return sqliteError(m_db, sqlite3_extended_errcode(m_db));
}

Result<void> Statement::run()
{
    while (step()) {
    }
    return finished();
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

Transaction::Transaction(Database& db) : m_db(db), m_began(m_db.execute("BEGIN IMMEDIATE")) {}

Transaction::~Transaction()
{
    if (m_began && !m_finished) {
        (void)m_db.execute("ROLLBACK");
    }
}

Result<void> Transaction::commit()
{
    if (!m_began) {
        return m_began;
    }
    if (m_finished) {
        return Error{databaseErrorDomain, SQLITE_MISUSE, "the transaction has ended"};
    }
    auto committed = m_db.execute("COMMIT");
    m_finished = committed.hasValue();
    return committed;
}

} // namespace orvendel::delay_service
