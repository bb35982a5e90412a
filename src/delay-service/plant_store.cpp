#include "plant_store.hpp"

#include "core/support/log.hpp"

#include <fmt/format.h>

#include <charconv>
#include <limits>
#include <random>

namespace orvendel::delay_service {
namespace {

constexpr const char* schema = R"sql(
CREATE TABLE IF NOT EXISTS meta (key TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS furnaces (
    furnace_id INTEGER PRIMARY KEY, name TEXT NOT NULL, short_name TEXT, production_field TEXT, day_start TEXT,
    map_id INTEGER, map_x INTEGER, map_y INTEGER, furnace_type INTEGER);
CREATE TABLE IF NOT EXISTS reasons (
    furnace_id INTEGER NOT NULL REFERENCES furnaces, category_id INTEGER NOT NULL, parent_category_id INTEGER,
    reason_id INTEGER, description TEXT NOT NULL, short_description TEXT NOT NULL, color TEXT,
    position INTEGER NOT NULL, PRIMARY KEY (furnace_id, category_id));
CREATE UNIQUE INDEX IF NOT EXISTS reasons_by_id ON reasons (furnace_id, reason_id) WHERE reason_id IS NOT NULL;
CREATE TABLE IF NOT EXISTS heats (
    heat_id INTEGER PRIMARY KEY, furnace_id INTEGER NOT NULL REFERENCES furnaces, heat_number INTEGER NOT NULL,
    heat_index INTEGER NOT NULL, start_time INTEGER NOT NULL, end_time INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS heats_by_end ON heats (furnace_id, end_time);
CREATE TABLE IF NOT EXISTS delays (
    delay_id INTEGER PRIMARY KEY AUTOINCREMENT, heat_id INTEGER NOT NULL REFERENCES heats,
    reason_id INTEGER NOT NULL, start_time INTEGER NOT NULL, end_time INTEGER NOT NULL, comment TEXT,
    version INTEGER NOT NULL, original_version INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS delays_by_heat ON delays (heat_id, start_time);
)sql";

constexpr const char* dropPlant = R"sql(
DROP TABLE IF EXISTS delays; DROP TABLE IF EXISTS heats; DROP TABLE IF EXISTS reasons;
DROP TABLE IF EXISTS furnaces; DELETE FROM meta WHERE key <> 'seed';
DELETE FROM sqlite_sequence WHERE name = 'delays';
)sql";

constexpr const char* delayColumns =
    "SELECT d.delay_id, d.heat_id, d.reason_id, COALESCE(r.description, ''), r.color, d.start_time, d.end_time, "
    "d.comment, d.version, d.original_version FROM delays d JOIN heats h ON h.heat_id = d.heat_id "
    "LEFT JOIN reasons r ON r.furnace_id = h.furnace_id AND r.reason_id = d.reason_id ";

StoredDelay readDelay(const Statement& row)
{
    StoredDelay delay;
    delay.delayId = row.integer(0);
    delay.heatId = row.integer(1);
    delay.reasonId = row.integer(2);
    delay.reasonDescription = row.text(3);
    delay.reasonColor = row.optionalText(4);
    delay.start = row.int64(5);
    delay.end = row.int64(6);
    delay.comment = row.optionalText(7);
    delay.version = row.int64(8);
    delay.originalVersion = row.int64(9);
    return delay;
}

} // namespace

std::string PlantStore::timestampText(int64_t version)
{
    return fmt::format("{:016X}", version);
}

Result<void> PlantStore::createSchema()
{
    return m_db.execute(schema);
}

Result<uint64_t> PlantStore::open(std::optional<uint64_t> requested, int64_t now, std::optional<int> delaysPerHeat)
{
    m_delaysPerHeat = delaysPerHeat;
    uint64_t seed = requested.value_or(std::random_device{}() | (uint64_t{std::random_device{}()} << 32));
    auto lock = m_db.lock();
    if (auto created = createSchema(); !created) {
        return created.error();
    }
    Statement stored(m_db, "SELECT value FROM meta WHERE key = 'seed'");
    if (stored.step()) {
        const std::string text = stored.text(0);
        uint64_t storedSeed = 0;
        auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), storedSeed);
        if (ec == std::errc{} && ptr == text.data() + text.size()) {
            if (requested && storedSeed != *requested) {
                log(fmt::format("The database already holds the demo plant of seed {}; keeping it.", storedSeed));
            }
            seed = storedSeed;
        }
    }
    m_plant.emplace(seed, m_delaysPerHeat);
    Statement count(m_db, "SELECT COUNT(*) FROM furnaces");
    if (!count.step()) {
        return count.finished().error();
    }
    if (count.int64(0) == 0) {
        if (auto created = createPlant(); !created) {
            return created.error();
        }
    }
    // A plant without its heats would answer every request with nothing; better not to start.
    if (auto extended = extendLocked(now); !extended) {
        return extended.error();
    }
    return seed;
}

Result<void> PlantStore::reset(int64_t now)
{
    auto lock = m_db.lock();
    if (!m_plant) {
        return Error{service_error::domain, service_error::notOpened, "the plant was never opened"};
    }
    if (auto dropped = m_db.execute(dropPlant); !dropped) {
        return dropped;
    }
    if (auto created = createSchema(); !created) {
        return created;
    }
    m_nextHeatDue = 0;
    if (auto created = createPlant(); !created) {
        return created;
    }
    return extendLocked(now);
}

Result<void> PlantStore::createPlant()
{
    Transaction transaction(m_db);
    Statement seedRow(m_db, "INSERT OR REPLACE INTO meta (key, value) VALUES ('seed', ?)");
    seedRow.bind(1, std::to_string(m_plant->seed()));
    if (auto stored = seedRow.run(); !stored) {
        return stored;
    }
    Statement furnace(m_db, "INSERT INTO furnaces VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    Statement reason(m_db, "INSERT INTO reasons VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    for (const auto& f : m_plant->furnaces()) {
        furnace.reset();
        furnace.bind(1, f.id).bind(2, f.name).bind(3, f.shortName).bind(4, f.productionField).bind(5, f.dayStart);
        furnace.bind(6, f.mapId).bind(7, f.mapCoordX).bind(8, f.mapCoordY).bind(9, f.type);
        if (auto stored = furnace.run(); !stored) {
            return stored;
        }
        int position = 0;
        for (const auto& node : m_plant->reasonTree(f.id)) {
            reason.reset();
            reason.bind(1, f.id).bind(2, node.categoryId).bind(3, node.parentCategoryId).bind(4, node.reasonId);
            reason.bind(5, node.description).bind(6, node.shortDescription).bind(7, node.color).bind(8, position++);
            if (auto stored = reason.run(); !stored) {
                return stored;
            }
        }
    }
    return transaction.commit();
}

void PlantStore::extendTo(int64_t now)
{
    if (now < m_nextHeatDue.load()) {
        return;
    }
    auto lock = m_db.lock();
    (void)extendLocked(now);
}

Result<void> PlantStore::extendLocked(int64_t now)
{
    if (!m_plant) {
        return Error{service_error::domain, service_error::notOpened, "the plant was never opened"};
    }
    Transaction transaction(m_db);
    if (!transaction.began()) {
        return transaction.began();
    }
    int64_t nextDue = std::numeric_limits<int64_t>::max();
    Statement heatRow(m_db, "INSERT INTO heats VALUES (?, ?, ?, ?, ?, ?)");
    Statement delayRow(m_db, "INSERT INTO delays (heat_id, reason_id, start_time, end_time, comment, version, "
                             "original_version) VALUES (?, ?, ?, ?, ?, ?, ?)");
    for (const auto& furnace : m_plant->furnaces()) {
        Statement last(m_db, "SELECT heat_index, end_time FROM heats WHERE furnace_id = ? "
                             "ORDER BY heat_index DESC LIMIT 1");
        last.bind(1, furnace.id);
        int index = 0;
        int64_t start = m_plant->firstHeatStart(furnace.id, now);
        if (last.step()) {
            index = last.integer(0) + 1;
            start = last.int64(1);
        }
        std::vector<int> reasonIds;
        Statement reasons(m_db, "SELECT reason_id FROM reasons WHERE furnace_id = ? AND reason_id IS NOT NULL "
                                "AND reason_id <> 0 ORDER BY position");
        reasons.bind(1, furnace.id);
        while (reasons.step()) {
            reasonIds.push_back(reasons.integer(0));
        }
        // Only heats that have ended exist; the one in progress appears once it ends.
        while (start + m_plant->heatDuration(furnace.id, index) <= now) {
            const DemoHeat heat = m_plant->heat(furnace.id, index, start, reasonIds);
            heatRow.reset();
            heatRow.bind(1, heat.heatId).bind(2, heat.furnaceId).bind(3, heat.heatNumber).bind(4, heat.index);
            heatRow.bind(5, heat.start).bind(6, heat.end);
            if (auto added = heatRow.run(); !added) {
                log("Could not add a demo heat: " + added.error().description);
                return added;
            }
            for (const auto& delay : heat.delays) {
                const int64_t version = nextVersionLocked();
                delayRow.reset();
                delayRow.bind(1, heat.heatId).bind(2, delay.reasonId).bind(3, delay.start).bind(4, delay.end);
                delayRow.bind(5, delay.comment).bind(6, version).bind(7, version);
                if (auto added = delayRow.run(); !added) {
                    log("Could not add a demo delay: " + added.error().description);
                    return added;
                }
            }
            start = heat.end;
            ++index;
        }
        nextDue = std::min(nextDue, start + m_plant->heatDuration(furnace.id, index));
    }
    if (auto committed = transaction.commit(); !committed) {
        log("Could not add the demo heats: " + committed.error().description);
        return committed;
    }
    m_nextHeatDue = nextDue;
    return {};
}

int64_t PlantStore::nextVersionLocked()
{
    Statement next(m_db, "SELECT COALESCE(MAX(CAST(value AS INTEGER)), 0) + 1 FROM meta WHERE key = 'version'");
    const int64_t version = next.step() ? next.int64(0) : 1;
    Statement store(m_db, "INSERT OR REPLACE INTO meta (key, value) VALUES ('version', ?)");
    store.bind(1, std::to_string(version));
    (void)store.run();
    return version;
}

std::vector<Furnace> PlantStore::furnaces()
{
    auto lock = m_db.lock();
    std::vector<Furnace> list;
    Statement rows(m_db, "SELECT furnace_id, name, short_name, production_field, day_start, map_id, map_x, map_y, "
                         "furnace_type FROM furnaces ORDER BY furnace_id");
    while (rows.step()) {
        list.push_back({rows.integer(0), rows.text(1), rows.optionalText(2), rows.optionalText(3), rows.optionalText(4),
                        rows.optionalInteger(5), rows.optionalInteger(6), rows.optionalInteger(7),
                        rows.optionalInteger(8)});
    }
    return list;
}

bool PlantStore::furnaceExists(int furnaceId)
{
    auto lock = m_db.lock();
    Statement row(m_db, "SELECT 1 FROM furnaces WHERE furnace_id = ?");
    row.bind(1, furnaceId);
    return row.step();
}

std::vector<DemoReasonNode> PlantStore::reasonTree(int furnaceId)
{
    auto lock = m_db.lock();
    std::vector<DemoReasonNode> nodes;
    Statement rows(m_db, "SELECT category_id, parent_category_id, reason_id, description, short_description, color "
                         "FROM reasons WHERE furnace_id = ? ORDER BY position");
    rows.bind(1, furnaceId);
    while (rows.step()) {
        nodes.push_back({rows.integer(0), rows.optionalInteger(1), rows.optionalInteger(2), rows.text(3), rows.text(4),
                         rows.optionalText(5)});
    }
    return nodes;
}

std::vector<StoredHeat> PlantStore::heatsEndedBetween(int furnaceId, int64_t from, int64_t to)
{
    auto lock = m_db.lock();
    std::vector<StoredHeat> heats;
    Statement rows(m_db, "SELECT heat_id, furnace_id, heat_number, start_time, end_time FROM heats "
                         "WHERE furnace_id = ? AND end_time > ? AND end_time <= ? ORDER BY start_time");
    rows.bind(1, furnaceId).bind(2, from).bind(3, to);
    while (rows.step()) {
        heats.push_back({rows.integer(0), rows.integer(1), rows.integer(2), rows.int64(3), rows.int64(4), {}});
    }
    for (auto& heat : heats) {
        heat.delays = delaysOfHeatLocked(heat.heatId);
    }
    return heats;
}

std::vector<StoredDelay> PlantStore::delaysOfHeatLocked(int heatId)
{
    std::vector<StoredDelay> delays;
    Statement rows(m_db, std::string(delayColumns) + "WHERE d.heat_id = ? ORDER BY d.start_time, d.delay_id");
    rows.bind(1, heatId);
    while (rows.step()) {
        delays.push_back(readDelay(rows));
    }
    return delays;
}

std::optional<StoredDelay> PlantStore::delay(int delayId)
{
    auto lock = m_db.lock();
    Statement row(m_db, std::string(delayColumns) + "WHERE d.delay_id = ?");
    row.bind(1, delayId);
    if (!row.step()) {
        return std::nullopt;
    }
    return readDelay(row);
}

} // namespace orvendel::delay_service
