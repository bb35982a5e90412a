#include "core/screens/shift_report_csv.hpp"

#include <fmt/format.h>

namespace orvendel::screens {

std::string csvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

std::string reportCsv(const std::vector<ReportCsvPart>& parts, ReportGrouping grouping,
                      std::optional<std::size_t> onlyShift)
{
    std::string csv = std::string(reportCsvHeader) + "\r\n";
    for (const auto& part : parts) {
        if (!part.tally) {
            continue;
        }
        for (std::size_t shift = 0; shift < part.tally->schedule.size(); ++shift) {
            if (onlyShift && *onlyShift != shift) {
                continue;
            }
            const ReportTable table = reportTable(*part.tally, shift + 1, grouping);
            const auto write = [&](const ReportRow& row) {
                csv += fmt::format("{},{},{},{},{},{},{},{},{},{}\r\n", csvField(part.furnace), csvField(table.title),
                                   table.hours, csvField(row.name), csvField(row.code), minutesText(row.amount.time),
                                   row.amount.count, percentText(row.share), percentText(row.cumulativeShare),
                                   minutesText(row.amount.pendingTime));
            };
            for (const auto& row : table.rows) {
                write(row);
            }
            for (const auto& row : table.unclassifiedReasons) {
                write(row);
            }
        }
    }
    return csv;
}

} // namespace orvendel::screens
