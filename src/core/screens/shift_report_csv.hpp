#pragma once

#include "core/screens/shift_report.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvendel::screens {

// The shift report as a spreadsheet reads it: RFC 4180 (CRLF, fields quoted when they must be), UTF-8, a
// header row, then one row per reason (or category) per shift; minutes and percentages with a dot.
// Thread contract: pure, any thread.

inline constexpr const char* reportCsvHeader =
    "Furnace,Shift,Hours,Reason,Code,Minutes,Count,Share %,Cumulative %,Unsaved minutes";

struct ReportCsvPart {
    std::string furnace; // "EAF 1" or "All furnaces"
    const ReportTally* tally = nullptr;
};

// Every shift of every part, or only shift `onlyShift` (0-based). Unclassified rows follow the classified
// ones of their shift, by reason id.
std::string reportCsv(const std::vector<ReportCsvPart>& parts, ReportGrouping grouping,
                      std::optional<std::size_t> onlyShift = std::nullopt);

// One field, quoted when it holds a comma, a quote or a line break.
std::string csvField(std::string_view text);

} // namespace orvendel::screens
