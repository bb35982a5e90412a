#include "plant_store.hpp"
#include "service_errors.hpp"

#include <algorithm>
#include <map>
#include <set>

namespace orvendel::service {
namespace {

std::string withNumber(std::string_view text, int number)
{
    std::string result(text);
    if (auto at = result.find("%d"); at != std::string::npos) {
        result.replace(at, 2, std::to_string(number));
    }
    return result;
}

StoreOutcome failure(int code, std::string description)
{
    return StoreOutcome{code, std::move(description)};
}

struct Span {
    int64_t start;
    int64_t end;
};

} // namespace

StoreOutcome PlantStore::saveDelays(int furnaceId, int heatId, const std::vector<DelayChange>& changes)
{
    auto lock = m_db.lock();
    Transaction transaction(m_db);
    if (!transaction.began()) {
        return failure(error_code::internalFailure, error_text::internalFailure);
    }
    Statement heatRow(m_db, "SELECT start_time, end_time FROM heats WHERE heat_id = ? AND furnace_id = ?");
    heatRow.bind(1, heatId).bind(2, furnaceId);
    if (!heatRow.step()) {
        return failure(error_code::unknownHeat, withNumber(error_text::unknownHeat, heatId));
    }
    const std::vector<StoredDelay> before = delaysOfHeatLocked(heatId);
    std::map<int, const StoredDelay*> byId;
    for (const auto& delay : before) {
        byId[delay.delayId] = &delay;
    }

    // Every check comes before the first write, so a refused save leaves nothing behind.
    std::set<int> seen;
    Statement reasonRow(m_db, "SELECT 1 FROM reasons WHERE furnace_id = ? AND reason_id = ?");
    for (const auto& change : changes) {
        if (change.delayId) {
            auto stored = byId.find(*change.delayId);
            if (stored == byId.end() || timestampText(stored->second->version) != change.timestamp) {
                return failure(error_code::staleDelay, withNumber(error_text::staleDelay, *change.delayId));
            }
            if (!seen.insert(*change.delayId).second) {
                return failure(error_code::splitDoesNotFit, error_text::splitDoesNotFit);
            }
        }
        reasonRow.reset();
        reasonRow.bind(1, furnaceId).bind(2, change.reasonId);
        if (!reasonRow.step()) {
            return failure(error_code::unknownReason, withNumber(error_text::unknownReason, change.reasonId));
        }
    }

    // The heat as it will be: untouched delays plus every changed or new piece.
    std::vector<Span> after;
    for (const auto& delay : before) {
        if (!seen.contains(delay.delayId)) {
            after.push_back({delay.start, delay.end});
        }
    }
    for (const auto& change : changes) {
        if (change.end <= change.start) {
            return failure(error_code::splitDoesNotFit, error_text::splitDoesNotFit);
        }
        // A piece, new or changed, must come out of a delay that was there before the save: pieces never
        // reach into power-on time.
        const bool inside = std::any_of(before.begin(), before.end(), [&](const StoredDelay& original) {
            return change.start >= original.start && change.end <= original.end;
        });
        if (!inside) {
            return failure(error_code::splitDoesNotFit, error_text::splitDoesNotFit);
        }
        after.push_back({change.start, change.end});
    }
    std::sort(after.begin(), after.end(), [](const Span& a, const Span& b) { return a.start < b.start; });
    for (std::size_t i = 1; i < after.size(); ++i) {
        if (after[i].start < after[i - 1].end) {
            return failure(error_code::splitDoesNotFit, error_text::splitDoesNotFit);
        }
    }

    Statement update(m_db, "UPDATE delays SET reason_id = ?, start_time = ?, end_time = ?, comment = ?, version = ? "
                           "WHERE delay_id = ?");
    Statement insert(m_db, "INSERT INTO delays (heat_id, reason_id, start_time, end_time, comment, version, "
                           "original_version) VALUES (?, ?, ?, ?, ?, ?, ?)");
    for (const auto& change : changes) {
        if (change.delayId) {
            const StoredDelay& stored = *byId.at(*change.delayId);
            const bool changed = stored.reasonId != change.reasonId || stored.start != change.start ||
                                 stored.end != change.end || stored.comment != change.comment;
            if (!changed) {
                continue;
            }
            update.reset();
            update.bind(1, change.reasonId).bind(2, change.start).bind(3, change.end).bind(4, change.comment);
            update.bind(5, nextVersionLocked()).bind(6, *change.delayId);
            if (!update.run()) {
                return failure(error_code::internalFailure, error_text::internalFailure);
            }
        } else {
            const int64_t version = nextVersionLocked();
            insert.reset();
            insert.bind(1, heatId).bind(2, change.reasonId).bind(3, change.start).bind(4, change.end);
            // A piece born in a save has no generated version of its own to compare against.
            insert.bind(5, change.comment).bind(6, version).bind(7, int64_t{0});
            if (!insert.run()) {
                return failure(error_code::internalFailure, error_text::internalFailure);
            }
        }
    }
    if (!transaction.commit()) {
        return failure(error_code::internalFailure, error_text::internalFailure);
    }
    return {};
}

} // namespace orvendel::service
