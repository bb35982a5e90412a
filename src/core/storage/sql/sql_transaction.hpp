#pragma once

#include "core/storage/sql/sql_database.hpp"

namespace orvendel {

// Begins an exclusive transaction and rolls it back on destruction unless `commit` succeeded, so that no
// early return can leave half a store behind.
// Thread contract: the thread (queue) that owns the database.
class SqlTransaction {
public:
    explicit SqlTransaction(SqlDatabase& database) : m_database(database), m_active(database.beginTransaction()) {}
    ~SqlTransaction()
    {
        if (m_active) {
            m_database.rollback();
        }
    }
    SqlTransaction(const SqlTransaction&) = delete;
    SqlTransaction& operator=(const SqlTransaction&) = delete;

    // False when the transaction could not be begun.
    bool isActive() const { return m_active; }

    bool commit()
    {
        if (!m_active) {
            return false;
        }
        const bool ok = m_database.commit();
        // A failed commit leaves the transaction open; the destructor rolls it back.
        m_active = !ok;
        return ok;
    }

    bool rollback()
    {
        if (!m_active) {
            return false;
        }
        m_active = false;
        return m_database.rollback();
    }

private:
    SqlDatabase& m_database;
    bool m_active;
};

} // namespace orvendel
