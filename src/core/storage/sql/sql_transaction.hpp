#pragma once

#include "core/storage/sql/sql_database.hpp"

namespace orvendel {

// Begins an exclusive transaction and rolls it back on destruction unless `commit` succeeded, so that no
// early return can leave half a store behind.
// Thread contract: the thread (queue) that owns the database.
class SqlTransaction {
public:
    explicit SqlTransaction(SqlDatabase& database) : m_database(database), m_begun(database.beginTransaction()) {}
    ~SqlTransaction()
    {
        if (isActive()) {
            (void)m_database.rollback();
        }
    }
    SqlTransaction(const SqlTransaction&) = delete;
    SqlTransaction& operator=(const SqlTransaction&) = delete;

    // False when the transaction could not be begun (`beginResult` says why), or after commit or rollback.
    bool isActive() const { return m_begun && !m_finished; }
    const Result<void>& beginResult() const { return m_begun; }

    Result<void> commit()
    {
        if (!m_begun) {
            return m_begun;
        }
        if (m_finished) {
            return notActive();
        }
        auto result = m_database.commit();
        // A failed commit leaves the transaction open; the destructor rolls it back.
        m_finished = static_cast<bool>(result);
        return result;
    }

    Result<void> rollback()
    {
        if (!isActive()) {
            return m_begun ? notActive() : m_begun;
        }
        m_finished = true;
        return m_database.rollback();
    }

private:
    static Error notActive()
    {
        return Error{SqlDatabase::errorDomain, SqlDatabase::misuseCode, "The transaction has already ended."};
    }

    SqlDatabase& m_database;
    Result<void> m_begun;
    bool m_finished = false;
};

} // namespace orvendel
