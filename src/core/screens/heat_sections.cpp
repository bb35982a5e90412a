#include "core/screens/heat_sections.hpp"

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

Section makeSection(const Heat& heat, bool collapsed)
{
    Section section{heat.heatId, heat.heatNumber, {}, collapsed};
    if (heat.delays) {
        section.items.reserve(heat.delays->size());
        for (const DelayPtr& delay : *heat.delays) {
            if (delay) {
                section.items.push_back(makeItem(*delay));
            }
        }
    }
    return section;
}

std::vector<Section> buildSections(const std::vector<HeatPtr>& heats, const std::vector<Section>& oldSections)
{
    std::vector<Section> sections;
    sections.reserve(heats.size());
    for (const HeatPtr& heat : heats) {
        if (heat) {
            sections.push_back(makeSection(*heat, oldCollapsedState(oldSections, heat->heatId)));
        }
    }
    return sections;
}

} // namespace orvendel::screens
