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
    if (!overtaken.rebased.empty()) {
        m_edits->rebaseEditedDelays(std::move(overtaken.rebased));
    }
    m_edits->removeStaleEditedDelays(std::move(overtaken.stale), std::move(then));
}

void HeatsSource::read(int furnaceId, ReadCompletion completion)
{
    m_database->fetchLast24HoursHeats(
        furnaceId, [self = shared_from_this(), furnaceId,
                    completion = std::move(completion)](Result<std::vector<HeatPtr>> heats) mutable {
            if (!heats) {
                completion(heats.error());
                return;
            }
            self->m_edits->getEditsAndOwnSaves(
                [self, furnaceId, stored = std::move(*heats),
                 completion = std::move(completion)](std::vector<DelayPtr> edits, std::vector<DelayPtr> ownSaves) {
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
                        read.heats.push_back(
                            found == byHeat.end() ? heat : self->layOver(heat, found->second, ownSaves, overtaken));
                    }
                    read.editedDelaysRemoved = overtaken.editedDelaysRemoved;
                    self->m_stored = Stored{furnaceId, std::move(stored)};
                    self->handBack(std::move(overtaken),
                                   [completion, read = std::move(read)]() mutable { completion(std::move(read)); });
                });
        });
}

void HeatsSource::editsChanged(int furnaceId, int heatId, UpdateCompletion completion)
{
    m_edits->getEditsAndOwnSaves([self = shared_from_this(), furnaceId, heatId, completion = std::move(completion)](
                                     std::vector<DelayPtr> edits, std::vector<DelayPtr> ownSaves) {
        if (!self->m_stored || self->m_stored->furnaceId != furnaceId) {
            completion(std::nullopt);
            return;
        }
        const auto& heats = self->m_stored->heats;
        const auto stored = std::find_if(heats.begin(), heats.end(),
                                         [heatId](const HeatPtr& heat) { return heat && heat->heatId == heatId; });
        if (stored == heats.end()) {
            completion(std::nullopt);
            return;
        }
        std::erase_if(edits, [heatId](const DelayPtr& edit) { return !edit || edit->heatId != heatId; });
        Overtaken overtaken;
        HeatUpdate update{self->layOver(*stored, edits, ownSaves, overtaken), false};
        update.editedDelaysRemoved = overtaken.editedDelaysRemoved;
        self->handBack(std::move(overtaken),
                       [completion, update = std::move(update)]() mutable { completion(std::move(update)); });
    });
}

} // namespace orvendel
