#include "core/screens/selection.hpp"

#include <algorithm>

namespace orvendel::screens {

HeatPtr findHeat(const std::vector<HeatPtr>& heats, int heatId)
{
    const auto it =
        std::find_if(heats.begin(), heats.end(), [&](const HeatPtr& h) { return h && h->heatId == heatId; });
    return it == heats.end() ? nullptr : *it;
}

std::optional<HeatDelayIdentifier> repairSelection(const std::optional<HeatDelayIdentifier>& selected,
                                                   const std::vector<HeatPtr>& heats)
{
    if (!selected) {
        return selected;
    }
    const HeatPtr heat = findHeat(heats, selected->heatId);
    if (!heat || !heat->delays) {
        return selected;
    }
    const Instant target = selected->delayStartDate;
    DelayPtr nearest;
    Instant::duration nearestDistance{};
    for (const DelayPtr& delay : *heat->delays) {
        if (!delay) {
            continue;
        }
        const Instant start = delay->startDate.date;
        if (start == target) {
            return selected;
        }
        const auto distance = start > target ? start - target : target - start;
        // Strictly nearer only, so the earlier delay keeps a tie.
        if (!nearest || distance < nearestDistance) {
            nearest = delay;
            nearestDistance = distance;
        }
    }
    if (!nearest) {
        return selected;
    }
    return HeatDelayIdentifier{selected->heatId, nearest->startDate.date};
}

DelayPtr delayToShow(const Heat& heat, Instant selectedStart)
{
    if (!heat.delays) {
        return nullptr;
    }
    DelayPtr first;
    for (const DelayPtr& delay : *heat.delays) {
        if (!delay) {
            continue;
        }
        if (delay->startDate.date == selectedStart) {
            return delay;
        }
        if (!first) {
            first = delay;
        }
    }
    return first;
}

std::optional<RowPosition> indexPathOfDelay(const std::vector<Section>& sections, int heatId, Instant startDate)
{
    for (std::size_t s = 0; s < sections.size(); ++s) {
        if (sections[s].heatId != heatId) {
            continue;
        }
        const auto& items = sections[s].items;
        for (std::size_t r = 0; r < items.size(); ++r) {
            if (items[r].startDate == startDate) {
                return RowPosition{s, r};
            }
        }
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace orvendel::screens
