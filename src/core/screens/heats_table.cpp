#include "core/screens/heats_table.hpp"

#include "core/model/texts.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <numbers>

namespace orvendel::screens::HeatsTable {

std::string heatTitle(int heatNumber)
{
    return fmt::format(texts::heatTitle, heatNumber);
}

std::string headerTitle(const Section& section)
{
    return heatTitle(section.heatNumber);
}

std::string headerDescription(const Section& section)
{
    return section.items.size() == 1 ? std::string("1 Delay") : fmt::format("{} Delays", section.items.size());
}

std::size_t unknownDelayCount(const Section& section)
{
    return static_cast<std::size_t>(std::count_if(section.items.begin(), section.items.end(),
                                                  [](const Item& item) { return item.isDelayUnknown; }));
}

std::string unknownIndicatorText(const Section& section)
{
    const std::size_t count = unknownDelayCount(section);
    return count >= 1 ? fmt::format("{}", count) : std::string();
}

double arrowRotation(bool collapsed)
{
    return collapsed ? 0.0 : std::numbers::pi / 2;
}

std::size_t numberOfRows(const std::optional<std::vector<Section>>& tableData, std::size_t section)
{
    if (!tableData || section >= tableData->size() || (*tableData)[section].collapsed) {
        return 1;
    }
    return (*tableData)[section].items.size();
}

double rowHeight(const std::optional<std::vector<Section>>& tableData, std::size_t section)
{
    if (!tableData) {
        return 0;
    }
    if (section >= tableData->size()) {
        return standardRowHeight;
    }
    return (*tableData)[section].collapsed ? 0 : standardRowHeight;
}

bool toggleSection(std::vector<Section>& sections, std::size_t section)
{
    if (section >= sections.size()) {
        return false;
    }
    sections[section].collapsed = !sections[section].collapsed;
    return true;
}

RowsChange diffRows(const Section& before, const Section& after)
{
    const auto& old = before.items;
    const auto& now = after.items;
    const std::size_t shorter = std::min(old.size(), now.size());
    std::size_t prefix = 0;
    while (prefix < shorter && old[prefix] == now[prefix]) {
        ++prefix;
    }
    std::size_t suffix = 0;
    while (prefix + suffix < shorter && old[old.size() - 1 - suffix] == now[now.size() - 1 - suffix]) {
        ++suffix;
    }
    RowsChange change;
    change.first = prefix;
    const std::size_t oldSpan = old.size() - prefix - suffix;
    const std::size_t newSpan = now.size() - prefix - suffix;
    change.changed = std::min(oldSpan, newSpan);
    change.removed = oldSpan - change.changed;
    change.inserted = newSpan - change.changed;
    change.headerChanged = headerTitle(before) != headerTitle(after) ||
                           headerDescription(before) != headerDescription(after) ||
                           unknownIndicatorText(before) != unknownIndicatorText(after);
    return change;
}

} // namespace orvendel::screens::HeatsTable
