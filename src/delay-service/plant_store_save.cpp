#include "plant_store.hpp"
#include "service_errors.hpp"

#include "core/support/log.hpp"

#include <algorithm>
#include <map>
#include <set>

namespace orvendel::delay_service {
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

// The client splits only more than 9 seconds from either end of a delay.
constexpr int64_t minimumPieceSeconds = 9;

struct Span {
    int64_t start;
    int64_t end;
};

} // namespace

StoreOutcome PlantStore::saveDelays(int furnaceId, int heatId, const std::vector<DelayChange>& changes)
{
    auto lock = m_db.lock();
    // A deleted file still takes writes through the open handle, and they vanish with the process.
    if (m_db.fileMoved()) {
        log("Delay service: the database file " + m_db.path() +
            " was deleted or replaced while the service runs; refusing to save delays");
        return failure(error_code::internalFailure, error_text::internalFailure);
    }
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

    // Each stored delay a save touches is cut into pieces that must cover exactly its span, so the plant's
    // delay time neither grows, shrinks nor moves: the piece that keeps the delay's identifier starts where
    // the delay starts, every new piece lies inside the delay it comes from, neighbours meet at the split
    // instant, and a split leaves no piece of 9 seconds or less.
    std::map<int, std::vector<Span>> pieces; // by the stored delay they come from
    for (const auto& change : changes) {
        if (change.end <= change.start) {
            return failure(error_code::splitDoesNotFit, error_text::splitDoesNotFit);
        }
        if (change.delayId) {
            if (change.start != byId.at(*change.delayId)->start) {
                return failure(error_code::splitDoesNotFit, error_text::splitDoesNotFit);
            }
            pieces[*change.delayId].push_back({change.start, change.end});
            continue;
        }
        const auto origin = std::find_if(before.begin(), before.end(), [&](const StoredDelay& original) {
            return change.start >= original.start && change.end <= original.end;
        });
        // A new piece out of no delay, or out of one the save leaves as it is, would add delay time.
        if (origin == before.end() || !seen.contains(origin->delayId)) {
            return failure(error_code::splitDoesNotFit, error_text::splitDoesNotFit);
        }
        pieces[origin->delayId].push_back({change.start, change.end});
    }
    for (auto& [delayId, spans] : pieces) {
        const StoredDelay& original = *byId.at(delayId);
        std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.start < b.start; });
        int64_t reached = original.start;
        for (const auto& span : spans) {
            if (span.start != reached || (spans.size() > 1 && span.end - span.start <= minimumPieceSeconds)) {
                return failure(error_code::splitDoesNotFit, error_text::splitDoesNotFit);
            }
            reached = span.end;
        }
        if (reached != original.end) {
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

} // namespace orvendel::delay_service
