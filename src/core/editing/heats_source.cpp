#include "core/editing/heats_source.hpp"

#include "core/editing/overlay.hpp"
#include "core/storage/database_manager.hpp"

#include <algorithm>
#include <unordered_map>

namespace orvendel {

std::shared_ptr<HeatsSource> HeatsSource::create(std::shared_ptr<DatabaseManager> database,
                                                 std::shared_ptr<EditedDelaysManager> edits)
{
    return std::shared_ptr<HeatsSource>(new HeatsSource(std::move(database), std::move(edits)));
}

HeatsSource::HeatsSource(std::shared_ptr<DatabaseManager> database, std::shared_ptr<EditedDelaysManager> edits)
    : m_database(std::move(database)), m_edits(std::move(edits))
{}

HeatPtr HeatsSource::layOver(const HeatPtr& stored, const std::vector<DelayPtr>& edits,
                             const std::vector<DelayPtr>& ownSaves, Overtaken& overtaken) const
{
    if (!stored->delays || stored->delays->empty() || edits.empty()) {
        return stored;
    }
    OverlayResult overlay = overlayEditedDelays(*stored->delays, edits, ownSaves);
    overtaken.editedDelaysRemoved = overtaken.editedDelaysRemoved || overlay.editedDelaysRemoved;
    overtaken.stale.insert(overtaken.stale.end(), overlay.staleEdits.begin(), overlay.staleEdits.end());
    overtaken.rebased.insert(overtaken.rebased.end(), overlay.rebasedEdits.begin(), overlay.rebasedEdits.end());
    auto merged = std::make_shared<Heat>(*stored);
    merged->delays = std::move(overlay.delays);
    return merged;
}

void HeatsSource::handBack(Overtaken overtaken, std::function<void()> then) const
{
    if (overtaken.stale.empty() && overtaken.rebased.empty()) {
        then();
        return;
    }
    // The list shows the copies; the store must send them with the new version, or the service would refuse
    // them as changed by someone else. Whoever hears of the heats next finds the store as the list shows it:
    // work queued from the store's own thread runs only after the task in hand, so `then` waits for it.
    const auto edits = m_edits.lock();
    if (!edits) {
        return; // the session ended: nobody is waiting
    }
    if (!overtaken.rebased.empty()) {
        edits->rebaseEditedDelays(std::move(overtaken.rebased));
    }
    edits->removeStaleEditedDelays(std::move(overtaken.stale), std::move(then));
}

void HeatsSource::read(int furnaceId, ReadCompletion completion)
{
    const auto database = m_database.lock();
    if (!database) {
        return; // the session ended: nobody is waiting
    }
    database->fetchLast24HoursHeats(furnaceId, [self = weak_from_this(), furnaceId, completion = std::move(completion)](
                                                   Result<std::vector<HeatPtr>> heats) mutable {
        if (!heats) {
            completion(heats.error());
            return;
        }
        const auto source = self.lock();
        const auto edits = source ? source->m_edits.lock() : nullptr;
        if (!edits) {
            return;
        }
        edits->getEditsAndOwnSaves([self, furnaceId, stored = std::move(*heats), completion = std::move(completion)](
                                       std::vector<DelayPtr> edits, std::vector<DelayPtr> ownSaves) {
            const auto source = self.lock();
            if (!source) {
                return;
            }
            std::unordered_map<int, std::vector<DelayPtr>> byHeat;
            for (const auto& edit : edits) {
                byHeat[edit->heatId].push_back(edit);
            }
            Heats read{furnaceId, {}, false};
            Overtaken overtaken;
            read.heats.reserve(stored.size());
            for (const auto& heat : stored) {
                if (!heat) {
                    continue;
                }
                const auto found = byHeat.find(heat->heatId);
                read.heats.push_back(found == byHeat.end() ? heat
                                                           : source->layOver(heat, found->second, ownSaves, overtaken));
            }
            read.editedDelaysRemoved = overtaken.editedDelaysRemoved;
            source->m_stored = Stored{furnaceId, std::move(stored)};
            source->handBack(std::move(overtaken),
                             [completion, read = std::move(read)]() mutable { completion(std::move(read)); });
        });
    });
}

void HeatsSource::editsChanged(int furnaceId, int heatId, UpdateCompletion completion)
{
    const auto edits = m_edits.lock();
    if (!edits) {
        return; // the session ended: nobody is waiting
    }
    edits->getEditsAndOwnSaves([self = weak_from_this(), furnaceId, heatId, completion = std::move(completion)](
                                   std::vector<DelayPtr> edits, std::vector<DelayPtr> ownSaves) {
        const auto source = self.lock();
        if (!source) {
            return;
        }
        if (!source->m_stored || source->m_stored->furnaceId != furnaceId) {
            completion(std::nullopt);
            return;
        }
        const auto& heats = source->m_stored->heats;
        const auto stored = std::find_if(heats.begin(), heats.end(),
                                         [heatId](const HeatPtr& heat) { return heat && heat->heatId == heatId; });
        if (stored == heats.end()) {
            completion(std::nullopt);
            return;
        }
        std::erase_if(edits, [heatId](const DelayPtr& edit) { return !edit || edit->heatId != heatId; });
        Overtaken overtaken;
        HeatUpdate update{source->layOver(*stored, edits, ownSaves, overtaken), false};
        update.editedDelaysRemoved = overtaken.editedDelaysRemoved;
        source->handBack(std::move(overtaken),
                         [completion, update = std::move(update)]() mutable { completion(std::move(update)); });
    });
}

} // namespace orvendel
