#include "core/storage/sql/sql_result_set.hpp"

#include "core/storage/sql/sql_database.hpp"
#include "core/support/log.hpp"

#include <fmt/format.h>
#include <sqlite3.h>

#include <algorithm>
#include <cctype>

namespace orvendel {
namespace {

std::string lowercased(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

} // namespace

void detail::SqlStatement::finalize()
{
    if (statement) {
        sqlite3_finalize(statement);
        statement = nullptr;
    }
}

SqlResultSet::SqlResultSet(std::shared_ptr<detail::SqlStatement> statement) : m_statement(std::move(statement)) {}

const std::string& SqlResultSet::query() const
{
    static const std::string none;
    return m_statement ? m_statement->query : none;
}

void SqlResultSet::close()
{
    if (m_statement) {
        m_statement->finalize();
    }
}

bool SqlResultSet::next()
{
    if (isClosed()) {
        return false;
    }
    const int result = sqlite3_step(m_statement->statement);
    if (result == SQLITE_ROW) {
        return true;
    }
    if (result == SQLITE_DONE) {
        close();
        return false;
    }
    SqlDatabase* database = m_statement->database;
    sqlite3* handle = sqlite3_db_handle(m_statement->statement);
    const std::string message = handle ? sqlite3_errmsg(handle) : "";
    if (result == SQLITE_BUSY || result == SQLITE_LOCKED) {
        log(fmt::format("{}:{} Database busy ({})", "next", __LINE__, database ? database->databasePath() : ""));
        log("Database busy");
    } else if (result == SQLITE_ERROR || result == SQLITE_MISUSE) {
        log(fmt::format("Error calling sqlite3_step ({}: {}) rs", result, message));
    } else {
        log(fmt::format("Unknown error calling sqlite3_step ({}: {}) rs", result, message));
    }
    m_error = Error{SqlDatabase::errorDomain, result, message};
    close();
    return false;
}

int SqlResultSet::columnCount() const
{
    return isClosed() ? 0 : sqlite3_column_count(m_statement->statement);
}

int SqlResultSet::columnIndexForName(std::string_view name)
{
    if (!m_columnNameToIndex) {
        m_columnNameToIndex.emplace();
        const int count = columnCount();
        for (int i = 0; i < count; ++i) {
            const char* columnName = sqlite3_column_name(m_statement->statement, i);
            // With duplicate names the first column wins, as a by-name lookup can only mean one.
            m_columnNameToIndex->emplace(lowercased(columnName ? columnName : ""), i);
        }
    }
    const auto found = m_columnNameToIndex->find(lowercased(name));
    if (found == m_columnNameToIndex->end()) {
        log(fmt::format("Warning: I could not find the column named '{}'.", name));
        return -1;
    }
    return found->second;
}

int SqlResultSet::intForColumn(std::string_view name)
{
    return intForColumnIndex(columnIndexForName(name));
}

std::optional<std::string> SqlResultSet::stringForColumn(std::string_view name)
{
    return stringForColumnIndex(columnIndexForName(name));
}

bool SqlResultSet::columnIsNull(std::string_view name)
{
    return columnIndexIsNull(columnIndexForName(name));
}

int SqlResultSet::intForColumnIndex(int index)
{
    if (index < 0 || index >= columnCount()) {
        return 0;
    }
    return sqlite3_column_int(m_statement->statement, index);
}

std::int64_t SqlResultSet::int64ForColumnIndex(int index)
{
    if (index < 0 || index >= columnCount()) {
        return 0;
    }
    return sqlite3_column_int64(m_statement->statement, index);
}

std::optional<std::string> SqlResultSet::stringForColumnIndex(int index)
{
    const auto text = textForColumnIndex(index);
    return text ? std::optional<std::string>(*text) : std::nullopt;
}

std::optional<std::string_view> SqlResultSet::textForColumnIndex(int index)
{
    // NULL reads as no text pointer, so the value's type need not be asked first (once per column per row).
    if (index < 0 || index >= columnCount()) {
        return std::nullopt;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement->statement, index));
    if (!text) {
        return std::nullopt;
    }
    return std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(m_statement->statement, index)));
}

bool SqlResultSet::columnIndexIsNull(int index)
{
    // A column that is not there has no value either.
    if (index < 0 || index >= columnCount()) {
        return true;
    }
    return sqlite3_column_type(m_statement->statement, index) == SQLITE_NULL;
}

} // namespace orvendel
