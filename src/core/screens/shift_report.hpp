#pragma once

#include "core/model/heat.hpp"
#include "core/model/texts.hpp"
#include "core/screens/colors.hpp"
#include "core/screens/reason_tree.hpp"
#include "core/screens/shift_schedule.hpp"
#include "core/support/error.hpp"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvendel::screens {

// Where the power-off time went: one furnace's heats (with the unsaved edits laid over them) summed per
// reason, per top-level category and per shift. Everything here is a value computed by pure functions;
// thread contract: any thread.

// Time and count of one line. Unsaved edits are counted where they put the delay and said apart.
struct ReportAmount {
    std::chrono::nanoseconds time{0};
    int count = 0;
    std::chrono::nanoseconds pendingTime{0}; // of `time`, from delays with unsaved edits
    int pendingCount = 0;

    double seconds() const { return std::chrono::duration<double>(time).count(); }
    double pendingSeconds() const { return std::chrono::duration<double>(pendingTime).count(); }
    ReportAmount& operator+=(const ReportAmount& other);
};

// One reason the delays were filed under, as the furnace's tree names it; a reason id the tree does not hold
// (or none, id 0) is unclassified and named by its id.
struct ReportReason {
    ReportReason() = default;
    // Made in place by the tally (see ReportRow).
    ReportReason(int furnace, int reason, bool isClassified, std::string_view reasonName, std::string_view reasonCode,
                 const std::optional<Color>& reasonColor, std::optional<std::size_t> categoryIndex)
        : furnaceId(furnace), reasonId(reason), classified(isClassified), name(reasonName), code(reasonCode),
          color(reasonColor), category(categoryIndex)
    {}

    int furnaceId = 0;
    int reasonId = 0;
    bool classified = false;
    std::string_view name; // in the tally's `texts`
    std::string_view code;
    std::optional<Color> color;          // read once here, not at every table
    std::optional<std::size_t> category; // index into ReportTally::categories when classified
};

// A top-level category of a furnace's tree.
struct ReportCategory {
    int furnaceId = 0;
    int categoryId = 0;
    std::string_view name; // in the tally's `texts`
    std::string_view code;
    std::optional<Color> color;
};

// Delays the report could not count, and those it counted though they look wrong.
struct ReportIssues {
    int withoutLength = 0;    // zero or negative length, or not started yet: not counted
    int outsideTheirHeat = 0; // counted in full: the furnace was off whatever heat the delay was filed under
};

// Everything one pass over the delays gives; the tables below are drawn from it.
// Scope 0 is the whole day, scope k the shift with index k - 1.
struct ReportTally {
    std::vector<int> furnaceIds;
    ShiftSchedule schedule;
    std::vector<ReportReason> reasons;
    std::vector<ReportCategory> categories;
    std::size_t scopes = 0;
    std::vector<ReportAmount> amounts; // every scope of a reason side by side: see `amount`
    int heatCount = 0;
    std::optional<Instant> periodStart; // the first delay's start, none without delays
    std::optional<Instant> periodEnd;   // the last counted moment
    ReportIssues issues;
    // The names and codes of the reasons and categories, one block per tally counted into this one: the
    // texts are copied once, into one allocation, and a copy of the tally (or a merge) shares them.
    std::vector<std::shared_ptr<const std::string>> texts;

    std::size_t scopeCount() const { return scopes; }
    const ReportAmount& amount(std::size_t scope, std::size_t reason) const { return amounts[reason * scopes + scope]; }
};

struct ShiftReportInput {
    int furnaceId = 0;
    const std::vector<HeatPtr>* heats = nullptr; // the furnace's last 24 hours, edits laid over
    const ReasonTree* tree = nullptr;
    ShiftSchedule schedule = ShiftSchedule::standard();
    ZoneOffsetAt zone; // the plant's zone
    Instant now{};     // a delay still running counts up to here
};

// One pass over the delays. A delay crossing a shift change is split between the shifts by time.
ReportTally tallyShiftReport(const ShiftReportInput& input);

// The tallies of several furnaces as one: reasons and categories of the same name and code are added up.
// The shift schedule is the first tally's (every furnace of a report shares the user's).
ReportTally mergeTallies(const std::vector<ReportTally>& tallies);

enum class ReportGrouping { reason, category };

// One row of a report table. Shares are fractions of the scope's total power-off time.
// A row's name and code are the tally's own (its reasons' and categories'), not copies: a table is read
// while the tally it was made from is kept, and copying every name into every table cost more than the
// rest of a table (a plant's reason names are longer than a string keeps without an allocation).
struct ReportRow {
    ReportRow() = default;
    // Tables make their rows in place with this: a row built as an aggregate was cleared as a whole first,
    // which cost more than filling it.
    ReportRow(std::string_view rowName, std::string_view rowCode, const std::optional<Color>& rowColor,
              const ReportAmount& rowAmount, std::uint32_t first, std::uint32_t count)
        : name(rowName), code(rowCode), color(rowColor), amount(rowAmount), firstReason(first), reasonCount(count)
    {}

    std::string_view name;
    std::string_view code;
    std::optional<Color> color;
    ReportAmount amount;
    double share = 0;
    double cumulativeShare = 0;
    // The reasons this row adds up (one for a reason row), to list its delays: `ReportTable::reasonsOf`.
    // Kept in one array per table, as a row's own list would cost an allocation per row.
    std::uint32_t firstReason = 0;
    std::uint32_t reasonCount = 0;
};

// What one tab of the report shows.
struct ReportTable {
    std::string title; // "Whole day" or "Shift 2"
    std::string hours; // "14:00-22:00" for a shift
    ReportAmount total;
    // Classified rows, largest first, equal times by name in code point order. Their cumulative share runs
    // on to the unclassified row, which stands last.
    std::vector<ReportRow> rows;
    ReportRow unclassified;
    // The unclassified row by reason id.
    std::vector<ReportRow> unclassifiedReasons;
    // The reasons of every row above side by side, indexes into ReportTally::reasons.
    std::vector<std::size_t> reasons;

    // The reasons `row` (one of this table's) adds up; empty for a row of another table that reaches past.
    std::span<const std::size_t> reasonsOf(const ReportRow& row) const;
};

inline constexpr const char* wholeDayTitle = texts::wholeDay;
inline constexpr const char* unclassifiedTitle = texts::unclassified;

// The table of one scope (0: whole day, k: shift k - 1), by reason or by top-level category.
ReportTable reportTable(const ReportTally& tally, std::size_t scope, ReportGrouping grouping);
// A table names its rows by the tally's strings: none is made from a tally that goes first.
ReportTable reportTable(ReportTally&& tally, std::size_t scope, ReportGrouping grouping) = delete;

// The lines a table shows, in order: its classified rows, then the unclassified row when a delay was counted
// there. `reportLine` is null past the last.
std::size_t reportLineCount(const ReportTable& table);
const ReportRow* reportLine(const ReportTable& table, std::size_t line);

// A bar of the report's chart, largest first like the lines.
struct ReportBar {
    std::string label; // the line's code, else its name; "12 more" for the shared bar
    std::chrono::nanoseconds time{0};
    double cumulativeShare = 0;
    std::optional<std::size_t> line; // the table line it stands for; none for the shared bar
};
// Past this many classified lines the smallest share one bar, so that the others stay wide enough to read and
// tap; the table keeps every line, and the unclassified line keeps its own bar.
inline constexpr std::size_t mostReportBars = 20;
std::vector<ReportBar> reportBars(const ReportTable& table);

// The name an unclassified reason id is shown under: "Unclassified" for none, else "Reason 1234 (not in the tree)".
std::string unclassifiedReasonName(int reasonId);

// Texts as every front end shows them: minutes with one decimal and a dot, percent with one decimal.
std::string minutesText(std::chrono::nanoseconds time);
std::string percentText(double share);

// "95.3 min power off in 40 delays", with ", 12.0 min in 2 delays unsaved" when edits are not saved yet.
std::string reportTotalText(const ReportAmount& total);
// "07.03. 14:05" in the plant's zone.
std::string reportClockText(Instant instant, const ZoneOffsetAt& zone);
// From the first delay's start to the last counted moment; empty without delays.
std::string reportPeriodText(const ReportTally& tally, const ZoneOffsetAt& zone);
// Why the report leaves out every furnace, or one.
std::string furnaceListErrorText(const Error& error);
std::string furnaceErrorText(std::string_view furnace, const Error& error);

// A delay of a row, for the list behind a tapped row: the part of it within the scope.
struct ReportDelay {
    HeatPtr heat;
    DelayPtr delay;
    std::chrono::nanoseconds time{0};
};
// "Heat 12", or "EAF 1 · Heat 12" when the list holds several furnaces' delays (`furnace` not empty).
std::string reportDelayHeading(const ReportDelay& delay, std::string_view furnace);
// The delays of a row's reasons (`ReportTable::reasonsOf`) within `scope`, in the heats' order.
std::vector<ReportDelay> reportRowDelays(const ShiftReportInput& input, const ReportTally& tally,
                                         std::span<const std::size_t> reasons, std::size_t scope);

} // namespace orvendel::screens
