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
                             const std::vector<DelayPtr>& ownSaves, bool& editedDelaysRemoved) const
{
    if (!stored->delays || stored->delays->empty() || edits.empty()) {
        return stored;
    }
    OverlayResult overlay = overlayEditedDelays(*stored->delays, edits, ownSaves);
    editedDelaysRemoved = editedDelaysRemoved || overlay.editedDelaysRemoved;
    if (!overlay.staleEdits.empty()) {
        m_edits->removeStaleEditedDelays(std::move(overlay.staleEdits));
    }
    if (!overlay.rebasedEdits.empty()) {
        // The list shows the copies; the store must send them with the new version, or the service would
        // refuse them as changed by someone else.
        m_edits->rebaseEditedDelays(std::move(overlay.rebasedEdits));
    }
    auto merged = std::make_shared<Heat>(*stored);
    merged->delays = std::move(overlay.delays);
    return merged;
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
            self->m_edits->getEditsAndOwnSaves([self, furnaceId, stored = std::move(*heats),
                                                completion = std::move(completion)](std::vector<DelayPtr> edits,
                                                                                    std::vector<DelayPtr> ownSaves) {
                std::unordered_map<int, std::vector<DelayPtr>> byHeat;
                for (const auto& edit : edits) {
                    byHeat[edit->heatId].push_back(edit);
                }
                Heats read{furnaceId, {}, false};
                read.heats.reserve(stored.size());
                for (const auto& heat : stored) {
                    if (!heat) {
                        continue;
                    }
                    const auto found = byHeat.find(heat->heatId);
                    read.heats.push_back(found == byHeat.end()
                                             ? heat
                                             : self->layOver(heat, found->second, ownSaves, read.editedDelaysRemoved));
                }
                self->m_stored = Stored{furnaceId, std::move(stored)};
                completion(std::move(read));
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
        HeatUpdate update{nullptr, false};
        update.heat = self->layOver(*stored, edits, ownSaves, update.editedDelaysRemoved);
        completion(std::move(update));
    });
}

} // namespace orvendel
