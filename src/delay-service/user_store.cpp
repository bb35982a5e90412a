#include "user_store.hpp"

#include "passwords.hpp"

#include "core/model/user_name.hpp"

namespace orvendel::delay_service {

std::string UserStore::normalizedName(std::string_view name)
{
    return user_name::normalised(name);
}

Result<void> UserStore::open()
{
    auto lock = m_db.lock();
    return m_db.execute("CREATE TABLE IF NOT EXISTS users (name TEXT PRIMARY KEY, password_hash TEXT NOT NULL, "
                        "starting_furnace_id INTEGER NOT NULL)");
}

Result<void> UserStore::addUser(std::string_view name, std::string_view password, int startingFurnaceId)
{
    if (name.empty()) {
        return Error{service_error::domain, service_error::invalidUser, "a user needs a name"};
    }
    // Hashing is slow on purpose; it runs before the lock is taken.
    const auto hashed = passwords::hash(password);
    if (!hashed) {
        return Error{service_error::domain, service_error::invalidUser, "the password could not be hashed"};
    }
    auto lock = m_db.lock();
    Statement row(m_db, "INSERT OR REPLACE INTO users (name, password_hash, starting_furnace_id) VALUES (?, ?, ?)");
    row.bind(1, normalizedName(name)).bind(2, *hashed).bind(3, startingFurnaceId);
    return row.run();
}

std::optional<int> UserStore::authenticate(std::string_view name, std::string_view password)
{
    // Unknown names are checked against a dummy hash with the same effort, so timing does not tell which
    // names exist.
    std::string stored = "pbkdf2-sha256$" + std::to_string(passwords::defaultIterations) +
                         "$00000000000000000000000000000000$"
                         "0000000000000000000000000000000000000000000000000000000000000000";
    std::optional<int> furnace;
    {
        auto lock = m_db.lock();
        Statement row(m_db, "SELECT password_hash, starting_furnace_id FROM users WHERE name = ?");
        row.bind(1, normalizedName(name));
        if (row.step()) {
            stored = row.text(0);
            furnace = row.integer(1);
        }
    }
    const bool matches = passwords::verify(password, stored);
    return matches ? furnace : std::nullopt;
}

} // namespace orvendel::delay_service
