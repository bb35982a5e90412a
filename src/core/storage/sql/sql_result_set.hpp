#pragma once

#include "core/model/result_information.hpp"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

struct sqlite3_stmt;

namespace orvendel {

class SqlDatabase;

namespace detail {
// A prepared statement shared by a result set (or a prepared update) and the connection's list of open
// statements, so that closing the connection can finalize statements whose owners are still alive.
struct SqlStatement {
    sqlite3_stmt* statement = nullptr;
    SqlDatabase* database = nullptr;
    std::string query;

    ~SqlStatement() { finalize(); }
    void finalize();
};
} // namespace detail

// A cursor over the rows of one query. Columns are read by name, without regard to letter case.
// Thread contract: the thread (queue) that owns its `SqlDatabase`.
class SqlResultSet {
public:
    explicit SqlResultSet(std::shared_ptr<detail::SqlStatement> statement);

    // Steps to the next row; false at the end or on an error (the result set is closed then, and `error`
    // tells the two apart).
    bool next();
    const std::optional<Error>& error() const { return m_error; }
    void close();
    bool isClosed() const { return !m_statement || !m_statement->statement; }

    // -1 (and a warning) for a name the query does not return.
    int columnIndexForName(std::string_view name);
    int intForColumn(std::string_view name);
    std::optional<std::string> stringForColumn(std::string_view name);
    bool columnIsNull(std::string_view name);
    int columnCount() const;

    // The same reads by index, for loops that look the names up once. A negative or out-of-range index
    // reads as 0, none and NULL.
    int intForColumnIndex(int index);
    std::int64_t int64ForColumnIndex(int index);
    std::optional<std::string> stringForColumnIndex(int index);
    // The text without a copy; valid until the next `next` or `close`.
    std::optional<std::string_view> textForColumnIndex(int index);
    bool columnIndexIsNull(int index);

    const std::string& query() const;

private:
    std::shared_ptr<detail::SqlStatement> m_statement;
    std::optional<std::unordered_map<std::string, int>> m_columnNameToIndex;
    std::optional<Error> m_error;
};

} // namespace orvendel
