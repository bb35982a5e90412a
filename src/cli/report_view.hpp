#pragma once

#include "cli/reply.hpp"
#include "core/screens/shift_report.hpp"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace orvendel::cli {

// The lines of one report table for people: a heading with the period, the totals, the rows with the unclassified
// row last, and what was left out. Rows holding unsaved edits are marked with "*".
void renderReportTable(Reply& reply, const std::string& heading, const screens::ReportTable& table,
                       const screens::ReportTally& tally, const std::string& period, bool byCategory);

// One table as data: exact seconds beside the rounded minutes and percentages the text shows.
nlohmann::ordered_json reportTableJson(const screens::ReportTable& table);

// The tables of a tally: the whole day and every shift, or only shift `onlyShift` (0-based).
nlohmann::ordered_json reportTallyJson(const screens::ReportTally& tally, bool byCategory,
                                       std::optional<std::size_t> onlyShift);

} // namespace orvendel::cli
