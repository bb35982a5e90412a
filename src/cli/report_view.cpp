#include "cli/report_view.hpp"

#include "cli/text_table.hpp"

#include <fmt/format.h>

#include <string>

namespace orvendel::cli {
namespace {

// The rounded figures are read back from the texts, so that the data and the table never disagree.
double rounded(const std::string& text)
{
    return std::stod(text);
}

nlohmann::ordered_json amountJson(const screens::ReportAmount& amount)
{
    return {{"seconds", amount.seconds()},
            {"minutes", rounded(screens::minutesText(amount.time))},
            {"count", amount.count},
            {"unsavedSeconds", amount.pendingSeconds()},
            {"unsavedMinutes", rounded(screens::minutesText(amount.pendingTime))},
            {"unsavedCount", amount.pendingCount}};
}

nlohmann::ordered_json rowJson(const screens::ReportRow& row)
{
    nlohmann::ordered_json json{{"name", row.name}, {"code", row.code}};
    json.update(amountJson(row.amount));
    json["share"] = row.share;
    json["sharePercent"] = rounded(screens::percentText(row.share));
    json["cumulativeShare"] = row.cumulativeShare;
    json["cumulativePercent"] = rounded(screens::percentText(row.cumulativeShare));
    return json;
}

std::string plural(int count, const char* word)
{
    return fmt::format("{} {}{}", count, word, count == 1 ? "" : "s");
}

} // namespace

void renderReportTable(Reply& reply, const std::string& heading, const screens::ReportTable& table,
                       const screens::ReportTally& tally, const std::string& period, bool byCategory)
{
    reply.lines.push_back(fmt::format("{} - {}{}, by {}{}", heading, table.title,
                                      table.hours.empty() ? "" : " (" + table.hours + ")",
                                      byCategory ? "category" : "reason", period.empty() ? "" : ", " + period));
    reply.lines.push_back(fmt::format("{}; unclassified {} min ({} %)", screens::reportTotalText(table.total),
                                      screens::minutesText(table.unclassified.amount.time),
                                      screens::percentText(table.unclassified.share)));
    if (table.total.pendingCount > 0) {
        reply.lines.push_back("Lines marked * hold unsaved edits.");
    }
    TextTable rows({2, 3, 4, 5});
    rows.addRow({byCategory ? "Category" : "Reason", "Code", "Minutes", "Count", "Share %", "Cumulative %"});
    for (std::size_t line = 0; line < screens::reportLineCount(table); ++line) {
        const auto& row = *screens::reportLine(table, line);
        rows.addRow({std::string(row.name) + (row.amount.pendingCount > 0 ? " *" : ""), std::string(row.code),
                     screens::minutesText(row.amount.time), std::to_string(row.amount.count),
                     screens::percentText(row.share), screens::percentText(row.cumulativeShare)});
    }
    for (auto& line : rows.lines("  ")) {
        reply.lines.push_back(std::move(line));
    }
    if (tally.issues.withoutLength > 0) {
        reply.lines.push_back(
            fmt::format("{} without length (or not started) left out.", plural(tally.issues.withoutLength, "delay")));
    }
    if (tally.issues.outsideTheirHeat > 0) {
        reply.lines.push_back(fmt::format("{} outside {} heat, counted in full.",
                                          plural(tally.issues.outsideTheirHeat, "delay"),
                                          tally.issues.outsideTheirHeat == 1 ? "its" : "their"));
    }
}

nlohmann::ordered_json reportTableJson(const screens::ReportTable& table)
{
    nlohmann::ordered_json json{{"title", table.title}, {"hours", table.hours}, {"total", amountJson(table.total)}};
    auto rows = nlohmann::ordered_json::array();
    for (const auto& row : table.rows) {
        rows.push_back(rowJson(row));
    }
    json["rows"] = std::move(rows);
    json["unclassified"] = rowJson(table.unclassified);
    auto unclassified = nlohmann::ordered_json::array();
    for (const auto& row : table.unclassifiedReasons) {
        unclassified.push_back(rowJson(row));
    }
    json["unclassifiedReasons"] = std::move(unclassified);
    return json;
}

nlohmann::ordered_json reportTallyJson(const screens::ReportTally& tally, bool byCategory,
                                       std::optional<std::size_t> onlyShift)
{
    const auto grouping = byCategory ? screens::ReportGrouping::category : screens::ReportGrouping::reason;
    auto views = nlohmann::ordered_json::array();
    for (std::size_t scope = 0; scope < tally.scopeCount(); ++scope) {
        if (!onlyShift || *onlyShift + 1 == scope) {
            views.push_back(reportTableJson(screens::reportTable(tally, scope, grouping)));
        }
    }
    return {{"heats", tally.heatCount},
            {"leftOutWithoutLength", tally.issues.withoutLength},
            {"outsideTheirHeat", tally.issues.outsideTheirHeat},
            {"views", std::move(views)}};
}

} // namespace orvendel::cli
