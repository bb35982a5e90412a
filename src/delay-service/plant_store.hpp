#pragma once

#include "demo_data.hpp"
#include "sqlite_db.hpp"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvendel::delay_service {

struct StoredDelay {
    int delayId = 0;
    int heatId = 0;
    int reasonId = 0;
    std::string reasonDescription;
    std::optional<std::string> reasonColor;
    int64_t start = 0; // seconds since the epoch
    int64_t end = 0;
    std::optional<std::string> comment;
    int64_t version = 0;
    int64_t originalVersion = 0; // the version the demo generator gave it
};

struct StoredHeat {
    int heatId = 0;
    int furnaceId = 0;
    int heatNumber = 0;
    int64_t start = 0;
    int64_t end = 0;
    std::vector<StoredDelay> delays; // by start
};

// One delay of a save request, already read from the wire.
struct DelayChange {
    std::optional<int> delayId; // none: a new piece of a split delay
    int reasonId = 0;
    int64_t start = 0;
    int64_t end = 0;
    std::optional<std::string> comment;
    std::string timestamp;
};

// The service's error code and text, or success (code 0).
struct StoreOutcome {
    int errorCode = 0;
    std::string description;
    bool ok() const { return errorCode == 0; }
};

// The plant's data in the service database: demo furnaces, reason trees, heats and delays, extended with new
// heats as time passes. Thread contract: any thread; each call takes the database lock.
class PlantStore {
public:
    explicit PlantStore(Database& db) : m_db(db) {}

    // Creates the tables and, in an empty database, the demo plant for `seed` (else a random one) as of `now`.
    // A database that already holds a plant keeps the seed it was made with; the seed in use is returned.
    Result<uint64_t> open(std::optional<uint64_t> seed, int64_t now, std::optional<int> delaysPerHeat = std::nullopt);
    // Throws the plant away and makes it again from the same seed as of `now`.
    Result<void> reset(int64_t now);
    // Adds every heat that has ended by `now`; a failure is logged and retried on the next call.
    void extendTo(int64_t now);

    std::vector<Furnace> furnaces();
    bool furnaceExists(int furnaceId);
    std::vector<DemoReasonNode> reasonTree(int furnaceId);
    // Heats of the furnace whose end lies in (from, to], oldest first, each with its delays.
    std::vector<StoredHeat> heatsEndedBetween(int furnaceId, int64_t from, int64_t to);
    std::optional<StoredDelay> delay(int delayId);

    // Applies a heat's edited delays in one transaction, all or nothing.
    StoreOutcome saveDelays(int furnaceId, int heatId, const std::vector<DelayChange>& changes);

    static std::string timestampText(int64_t version);

private:
    Result<void> createSchema();
    Result<void> createPlant();
    Result<void> extendLocked(int64_t now);
    std::vector<StoredDelay> delaysOfHeatLocked(int heatId);
    int64_t nextVersionLocked();

    Database& m_db;
    std::optional<DemoPlant> m_plant;
    std::optional<int> m_delaysPerHeat;
    std::atomic<int64_t> m_nextHeatDue{0};
};

} // namespace orvendel::delay_service
