#include "core/screens/heat_sections.hpp"

#include "core/editing/overlay.hpp"
#include "core/model/utilities.hpp"

#include <fmt/format.h>

namespace orvendel::screens {
namespace {

double durationSeconds(const Delay& delay)
{
    return std::chrono::duration<double>(delay.endDate.date - delay.startDate.date).count();
}

bool oldCollapsedState(const std::vector<Section>& oldSections, int heatId)
{
    for (const Section& section : oldSections) {
        if (section.heatId == heatId) {
            return section.collapsed;
        }
    }
    return true;
}

} // namespace

EditsByHeat groupEditsByHeat(const std::vector<DelayPtr>& editedDelays)
{
    EditsByHeat groups;
    for (const DelayPtr& delay : editedDelays) {
        if (delay) {
            groups[delay->heatId].push_back(delay);
        }
    }
    return groups;
}

std::string itemDescription(const Delay& delay)
{
    const std::string start =
        Utilities::formatDateInZone(delay.startDate.date, delay.startDate.timeZone, Calendar::gregorian(), "HH:mm:ss");
    return fmt::format("{} - {:.1f} min", start, durationSeconds(delay) / 60.0);
}

Item makeItem(const Delay& delay)
{
    return Item{delay.delayId,          delay.startDate.date, delay.reasonDescription,
                itemDescription(delay), delay.reasonId == 0,  delay.isEdited};
}

SectionsBuild buildSections(const std::vector<HeatPtr>& heats, const EditsByHeat& editsByHeat,
                            const std::vector<Section>& oldSections, const std::vector<DelayPtr>& ownSaves)
{
    SectionsBuild build;
    build.heats.reserve(heats.size());
    build.sections.reserve(heats.size());
    for (const HeatPtr& stored : heats) {
        if (!stored) {
            continue;
        }
        HeatPtr heat = stored;
        const auto edits = editsByHeat.find(heat->heatId);
        if (heat->delays && !heat->delays->empty() && edits != editsByHeat.end() && !edits->second.empty()) {
            OverlayResult overlay = overlayEditedDelays(*heat->delays, edits->second, ownSaves);
            auto merged = std::make_shared<Heat>(*heat);
            merged->delays = std::move(overlay.delays);
            heat = std::move(merged);
            build.editedDelaysRemoved = build.editedDelaysRemoved || overlay.editedDelaysRemoved;
            build.staleEdits.insert(build.staleEdits.end(), overlay.staleEdits.begin(), overlay.staleEdits.end());
            build.rebasedEdits.insert(build.rebasedEdits.end(), overlay.rebasedEdits.begin(),
                                      overlay.rebasedEdits.end());
        }

        Section section{heat->heatId, heat->heatNumber, {}, oldCollapsedState(oldSections, heat->heatId)};
        if (heat->delays) {
            section.items.reserve(heat->delays->size());
            for (const DelayPtr& delay : *heat->delays) {
                if (delay) {
                    section.items.push_back(makeItem(*delay));
                }
            }
        }
        build.sections.push_back(std::move(section));
        build.heats.push_back(std::move(heat));
    }
    return build;
}

} // namespace orvendel::screens
