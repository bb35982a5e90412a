#pragma once

#include "core/model/texts.hpp"
#include "core/screens/heat_sections.hpp"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace orvendel::screens {

// How the heats list presents its sections: header texts, row counts and heights. Thread contract: pure
// functions, any thread.
namespace HeatsTable {

inline constexpr double standardRowHeight = 70;
inline constexpr double headerHeight = 70;
inline constexpr double footerHeight = 1;

// The empty list, and what the heat detail shows without a heat or without delays.
inline constexpr const char* emptyStateTitle = "NO HEATS";
inline constexpr const char* emptyStateMessage = texts::emptyListMessage;
inline constexpr const char* selectItemMessage = texts::selectItemMessage;
inline constexpr const char* noDelaysMessage = texts::noDelaysMessage;

// "Heat %d", also the heat detail's title.
std::string heatTitle(int heatNumber);
std::string headerTitle(const Section& section);
// "1 Delay" for one row, "%d Delays" otherwise (also for none).
std::string headerDescription(const Section& section);

std::size_t unknownDelayCount(const Section& section);
// "%d" with the unknown count; empty (the indicator hidden) when there is none.
std::string unknownIndicatorText(const Section& section);

// The header arrow points right when collapsed and down when expanded.
double arrowRotation(bool collapsed);

// A collapsed section, a missing list or a section out of range still has one (empty) row.
std::size_t numberOfRows(const std::optional<std::vector<Section>>& tableData, std::size_t section);
double rowHeight(const std::optional<std::vector<Section>>& tableData, std::size_t section);

// How one section's rows changed between two builds of it: the rows before `first` and the rows after the
// changed span are the same; from `first` on, `changed` rows changed in place, then `removed` old rows went
// or `inserted` new rows came. An edit of one delay is one changed row; a split a changed row and an
// inserted one.
struct RowsChange {
    std::size_t first = 0;
    std::size_t changed = 0;
    std::size_t removed = 0;
    std::size_t inserted = 0;
    // The header's texts (the row count, the unknown count) differ.
    bool headerChanged = false;
    bool none() const { return changed == 0 && removed == 0 && inserted == 0 && !headerChanged; }
};
RowsChange diffRows(const Section& before, const Section& after);

// Flips the section's collapsed state; false when there is no such section.
bool toggleSection(std::vector<Section>& sections, std::size_t section);

} // namespace HeatsTable

} // namespace orvendel::screens
