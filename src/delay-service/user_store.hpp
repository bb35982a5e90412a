#pragma once

#include "sqlite_db.hpp"

#include "core/support/error.hpp"

#include <optional>
#include <string>
#include <string_view>

namespace orvendel::delay_service {

// Users and their password hashes in the service database. Names are kept as the client sends them
// (upper-cased, spaces removed), so sign-in ignores case and an added "ab cd" is found as "ABCD".
// Thread contract: any thread; each call takes the database lock.
class UserStore {
public:
    explicit UserStore(Database& db) : m_db(db) {}

    Result<void> open();
    // Adds the user or replaces its password and starting furnace.
    Result<void> addUser(std::string_view name, std::string_view password, int startingFurnaceId);
    // The user's starting furnace when name and password match.
    std::optional<int> authenticate(std::string_view name, std::string_view password);

    static std::string normalizedName(std::string_view name);

private:
    Database& m_db;
};

} // namespace orvendel::delay_service
