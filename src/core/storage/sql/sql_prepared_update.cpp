#include "core/storage/sql/sql_database.hpp"
#include "core/support/log.hpp"

#include <fmt/format.h>
#include <sqlite3.h>

namespace orvendel {

SqlPreparedUpdate::SqlPreparedUpdate(std::shared_ptr<detail::SqlStatement> statement, int parameterCount)
    : m_statement(std::move(statement)), m_parameterCount(parameterCount)
{}

void SqlPreparedUpdate::check(int position, int result)
{
    if (result != SQLITE_OK) {
        if (m_refusedResult == 0) {
            m_refusedPosition = position;
            m_refusedResult = result;
        }
        return;
    }
    m_bound |= std::uint64_t{1} << (position - 1);
}

void SqlPreparedUpdate::bind(int position, int value)
{
    if (m_statement && m_statement->statement) {
        check(position, sqlite3_bind_int(m_statement->statement, position, value));
    }
}

void SqlPreparedUpdate::bind(int position, std::string_view text)
{
    if (m_statement && m_statement->statement) {
        check(position, sqlite3_bind_text(m_statement->statement, position, text.data(), static_cast<int>(text.size()),
                                          SQLITE_STATIC));
    }
}

void SqlPreparedUpdate::bind(int position, const std::optional<int>& value)
{
    value ? bind(position, *value) : bindNull(position);
}

void SqlPreparedUpdate::bind(int position, const std::optional<std::string>& text)
{
    text ? bind(position, std::string_view(*text)) : bindNull(position);
}

void SqlPreparedUpdate::bindNull(int position)
{
    if (m_statement && m_statement->statement) {
        check(position, sqlite3_bind_null(m_statement->statement, position));
    }
}

Result<void> SqlPreparedUpdate::execute()
{
    SqlDatabase* database = m_statement ? m_statement->database : nullptr;
    if (!database || !m_statement->statement) {
        log("The SqlDatabase of a prepared update is not open.");
        return Error{SqlDatabase::errorDomain, SQLITE_MISUSE, "The database is not open."};
    }
    sqlite3_stmt* statement = m_statement->statement;
    const std::string& sql = m_statement->query;
    const std::uint64_t everyPosition =
        m_parameterCount == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << m_parameterCount) - 1;

    Result<void> outcome;
    if (auto usable = database->checkUsable(); !usable) {
        outcome = usable;
    } else if (m_refusedResult != 0) {
        // A value SQLite refuses (too long, out of memory) would otherwise run the statement with NULL.
        outcome = database->error(m_refusedResult, fmt::format("Error binding argument {} ({}: {})", m_refusedPosition,
                                                               m_refusedResult, sqlite3_errstr(m_refusedResult)));
        if (database->m_logsErrors) {
            log(outcome.error().description);
            log(fmt::format("DB Query: {}", sql));
        }
    } else if (m_bound != everyPosition) {
        // An argument left from the previous run would be stored in the wrong row.
        outcome = database->error(SQLITE_RANGE,
                                  fmt::format("Error: not every argument of the query ({}) was bound (execute)", sql));
        log(outcome.error().description);
    } else {
        database->m_inUse = true;
        outcome = database->stepUpdate(statement, sql);
        database->m_inUse = false;
    }
    // The step's error is already in `outcome`; reset repeats it.
    (void)sqlite3_reset(statement);
    m_bound = 0;
    m_refusedPosition = 0;
    m_refusedResult = 0;
    return outcome;
}

} // namespace orvendel
