#include "core/screens/shift_report.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <map>
#include <tuple>
#include <unordered_map>

namespace orvendel::screens {
namespace {

using std::chrono::nanoseconds;

// The delay's counted span: its own start to its end, or to now while it runs. None without length.
struct Span {
    Instant start;
    Instant end;
};

std::optional<Span> countedSpan(const Delay& delay, Instant now)
{
    const Instant end = std::min(delay.endDate.date, now);
    if (!(delay.startDate.date < end)) {
        return std::nullopt;
    }
    return Span{delay.startDate.date, end};
}

// Calls `piece(shiftIndex, time)` for each shift the span crosses, the span cut at every shift start.
template <typename Piece>
void splitByShift(const Span& span, const std::vector<ShiftStart>& starts, Piece&& piece)
{
    if (starts.empty()) {
        return;
    }
    auto at = std::upper_bound(starts.begin(), starts.end(), span.start,
                               [](Instant value, const ShiftStart& s) { return value < s.start; });
    // The starts reach back past every span, so `at` is never the first; guard anyway.
    if (at != starts.begin()) {
        --at;
    }
    Instant from = span.start;
    while (from < span.end && at != starts.end()) {
        const auto next = at + 1;
        const Instant to = next == starts.end() ? span.end : std::min(span.end, next->start);
        if (from < to) {
            piece(at->shift, to - from);
        }
        from = to;
        at = next;
    }
}

std::vector<ShiftStart> startsFor(const ShiftReportInput& input)
{
    std::optional<Instant> first;
    std::optional<Instant> last;
    for (const HeatPtr& heat : *input.heats) {
        if (!heat || !heat->delays) {
            continue;
        }
        for (const DelayPtr& delay : *heat->delays) {
            if (const auto span = delay ? countedSpan(*delay, input.now) : std::nullopt) {
                first = first ? std::min(*first, span->start) : span->start;
                last = last ? std::max(*last, span->end) : span->end;
            }
        }
    }
    if (!first) {
        return {};
    }
    const ZoneOffsetAt zone = input.zone ? input.zone : fixedZone(TimeZone::utc());
    return shiftStarts(input.schedule, zone, *first, *last);
}

std::optional<Color> colorOf(const std::string& text)
{
    return text.empty() ? std::nullopt : colorFromComponents(rgbComponents(text));
}

void addTo(ReportAmount& amount, nanoseconds time, bool pending)
{
    amount.time += time;
    ++amount.count;
    if (pending) {
        amount.pendingTime += time;
        ++amount.pendingCount;
    }
}

// Largest first; equal times by name in code point order (UTF-8 bytes compare in that order), then code.
bool before(const ReportRow& a, const ReportRow& b)
{
    return std::tie(b.amount.time, a.name, a.code) < std::tie(a.amount.time, b.name, b.code);
}

// Every leaf of the tree with its top-level category, from one walk: looking each reason up on its own
// would walk the tree twice per reason.
using LeafIndex = std::unordered_map<int, std::pair<const ReasonNode*, const ReasonNode*>>;

void indexLeaves(const std::vector<ReasonNode>& nodes, const ReasonNode* top, LeafIndex& index)
{
    for (const ReasonNode& node : nodes) {
        if (!node.isCategory()) {
            // The first of equal ids wins, as the tree's own lookup finds it.
            index.try_emplace(*node.reason.id, &node, top);
        }
        indexLeaves(node.children, top ? top : &node, index);
    }
}

} // namespace

ReportAmount& ReportAmount::operator+=(const ReportAmount& other)
{
    time += other.time;
    count += other.count;
    pendingTime += other.pendingTime;
    pendingCount += other.pendingCount;
    return *this;
}

std::string unclassifiedReasonName(int reasonId)
{
    return reasonId == 0 ? std::string(unclassifiedTitle) : fmt::format("Reason {} (not in the tree)", reasonId);
}

ReportTally tallyShiftReport(const ShiftReportInput& input)
{
    ReportTally tally;
    tally.furnaceIds = {input.furnaceId};
    tally.schedule = input.schedule;
    tally.amounts.resize(1 + input.schedule.size());
    if (!input.heats) {
        return tally;
    }
    const std::vector<ShiftStart> starts = startsFor(input);
    std::unordered_map<int, std::size_t> reasonAt;
    std::unordered_map<int, std::size_t> categoryAt;
    LeafIndex leaves;
    if (input.tree) {
        indexLeaves(input.tree->roots(), nullptr, leaves);
    }
    const auto reasonIndex = [&](const Delay& delay) {
        // Looked up first: nearly every delay's reason was seen before.
        if (const auto seen = reasonAt.find(delay.reasonId); seen != reasonAt.end()) {
            return seen->second;
        }
        const auto found = reasonAt.emplace(delay.reasonId, tally.reasons.size()).first;
        ReportReason reason{input.furnaceId, delay.reasonId, false, unclassifiedReasonName(delay.reasonId), "", "", {}};
        // Id 0 is "no reason" whatever the tree holds.
        const auto leafAt = delay.reasonId != 0 ? leaves.find(delay.reasonId) : leaves.end();
        if (leafAt != leaves.end() && leafAt->second.second) {
            const ReasonNode* leaf = leafAt->second.first;
            const Reason& top = leafAt->second.second->reason;
            const auto [category, newCategory] = categoryAt.try_emplace(top.categoryId, tally.categories.size());
            if (newCategory) {
                tally.categories.push_back(
                    {input.furnaceId, top.categoryId, top.description, top.shortDescription, top.colorString});
            }
            reason.classified = true;
            reason.name = leaf->reason.description;
            reason.code = leaf->reason.shortDescription;
            reason.colorString = leaf->reason.colorString;
            reason.category = category->second;
        }
        tally.reasons.push_back(std::move(reason));
        for (auto& scope : tally.amounts) {
            scope.emplace_back();
        }
        return found->second;
    };

    for (const HeatPtr& heat : *input.heats) {
        if (!heat) {
            continue;
        }
        ++tally.heatCount;
        if (!heat->delays) {
            continue;
        }
        for (const DelayPtr& delay : *heat->delays) {
            if (!delay) {
                continue;
            }
            const auto span = countedSpan(*delay, input.now);
            if (!span) {
                ++tally.issues.withoutLength;
                continue;
            }
            if (delay->startDate.date < heat->startDate.date || heat->endDate.date < delay->endDate.date) {
                ++tally.issues.outsideTheirHeat;
            }
            tally.periodStart = tally.periodStart ? std::min(*tally.periodStart, span->start) : span->start;
            tally.periodEnd = tally.periodEnd ? std::max(*tally.periodEnd, span->end) : span->end;
            const std::size_t reason = reasonIndex(*delay);
            const bool pending = delay->isEdited;
            addTo(tally.amounts[0][reason], span->end - span->start, pending);
            splitByShift(*span, starts, [&](std::size_t shift, nanoseconds time) {
                addTo(tally.amounts[1 + shift][reason], time, pending);
            });
        }
    }
    return tally;
}

ReportTally mergeTallies(const std::vector<ReportTally>& tallies)
{
    ReportTally merged;
    if (tallies.empty()) {
        return merged;
    }
    merged.schedule = tallies.front().schedule;
    merged.amounts.resize(tallies.front().scopeCount());
    std::map<std::tuple<bool, std::string, std::string>, std::size_t> reasonAt;
    std::map<std::pair<std::string, std::string>, std::size_t> categoryAt;
    for (const ReportTally& tally : tallies) {
        merged.furnaceIds.insert(merged.furnaceIds.end(), tally.furnaceIds.begin(), tally.furnaceIds.end());
        merged.heatCount += tally.heatCount;
        merged.issues.withoutLength += tally.issues.withoutLength;
        merged.issues.outsideTheirHeat += tally.issues.outsideTheirHeat;
        if (tally.periodStart) {
            merged.periodStart =
                merged.periodStart ? std::min(*merged.periodStart, *tally.periodStart) : tally.periodStart;
        }
        if (tally.periodEnd) {
            merged.periodEnd = merged.periodEnd ? std::max(*merged.periodEnd, *tally.periodEnd) : tally.periodEnd;
        }
        for (std::size_t i = 0; i < tally.reasons.size(); ++i) {
            ReportReason reason = tally.reasons[i];
            if (reason.category) {
                const ReportCategory& category = tally.categories[*reason.category];
                const auto [at, added] =
                    categoryAt.try_emplace({category.name, category.code}, merged.categories.size());
                if (added) {
                    merged.categories.push_back(category);
                }
                reason.category = at->second;
            }
            const auto [at, added] =
                reasonAt.try_emplace({reason.classified, reason.name, reason.code}, merged.reasons.size());
            if (added) {
                merged.reasons.push_back(reason);
                for (auto& scope : merged.amounts) {
                    scope.emplace_back();
                }
            }
            for (std::size_t scope = 0; scope < merged.amounts.size() && scope < tally.amounts.size(); ++scope) {
                merged.amounts[scope][at->second] += tally.amounts[scope][i];
            }
        }
    }
    return merged;
}

ReportTable reportTable(const ReportTally& tally, std::size_t scope, ReportGrouping grouping)
{
    ReportTable table;
    table.title = scope == 0 ? std::string(wholeDayTitle) : shiftName(scope - 1);
    if (scope > 0 && scope - 1 < tally.schedule.size()) {
        table.hours = shiftHoursText(tally.schedule, scope - 1);
    }
    table.unclassified.name = unclassifiedTitle;
    if (scope >= tally.amounts.size()) {
        return table;
    }
    const auto& amounts = tally.amounts[scope];
    std::vector<std::optional<ReportRow>> categoryRows(tally.categories.size());
    for (std::size_t i = 0; i < tally.reasons.size(); ++i) {
        const ReportAmount& amount = amounts[i];
        if (amount.count == 0) {
            continue;
        }
        const ReportReason& reason = tally.reasons[i];
        table.total += amount;
        ReportRow row{reason.name, reason.code, colorOf(reason.colorString), amount, 0, 0, {i}};
        if (!reason.classified) {
            table.unclassified.amount += amount;
            table.unclassified.reasons.push_back(i);
            table.unclassifiedReasons.push_back(std::move(row));
        } else if (grouping == ReportGrouping::reason) {
            table.rows.push_back(std::move(row));
        } else {
            auto& category = categoryRows[*reason.category];
            if (!category) {
                const ReportCategory& c = tally.categories[*reason.category];
                category = ReportRow{c.name, c.code, colorOf(c.colorString), {}, 0, 0, {}};
            }
            category->amount += amount;
            category->reasons.push_back(i);
        }
    }
    for (auto& category : categoryRows) {
        if (category) {
            table.rows.push_back(std::move(*category));
        }
    }
    std::sort(table.rows.begin(), table.rows.end(), before);
    std::sort(table.unclassifiedReasons.begin(), table.unclassifiedReasons.end(), before);

    const double total = std::chrono::duration<double>(table.total.time).count();
    const auto shareOf = [&](const ReportAmount& amount) {
        return total > 0 ? std::chrono::duration<double>(amount.time).count() / total : 0.0;
    };
    // Summed in nanoseconds so that the last row's cumulative share is exactly the whole.
    nanoseconds running{0};
    const auto place = [&](ReportRow& row) {
        row.share = shareOf(row.amount);
        running += row.amount.time;
        row.cumulativeShare = total > 0 ? std::chrono::duration<double>(running).count() / total : 0.0;
    };
    for (auto& row : table.rows) {
        place(row);
    }
    const nanoseconds classified = running;
    for (auto& row : table.unclassifiedReasons) {
        place(row);
    }
    running = classified;
    place(table.unclassified);
    return table;
}

std::string minutesText(nanoseconds time)
{
    return fmt::format("{:.1f}", std::chrono::duration<double>(time).count() / 60);
}

std::string percentText(double share)
{
    return fmt::format("{:.1f}", share * 100);
}

std::vector<ReportDelay> reportRowDelays(const ShiftReportInput& input, const ReportTally& tally, const ReportRow& row,
                                         std::size_t scope)
{
    std::vector<ReportDelay> delays;
    if (!input.heats) {
        return delays;
    }
    std::vector<int> reasonIds;
    for (std::size_t index : row.reasons) {
        if (index < tally.reasons.size() && tally.reasons[index].furnaceId == input.furnaceId) {
            reasonIds.push_back(tally.reasons[index].reasonId);
        }
    }
    const std::vector<ShiftStart> starts = scope > 0 ? startsFor(input) : std::vector<ShiftStart>{};
    for (const HeatPtr& heat : *input.heats) {
        if (!heat || !heat->delays) {
            continue;
        }
        for (const DelayPtr& delay : *heat->delays) {
            if (!delay || std::find(reasonIds.begin(), reasonIds.end(), delay->reasonId) == reasonIds.end()) {
                continue;
            }
            const auto span = countedSpan(*delay, input.now);
            if (!span) {
                continue;
            }
            nanoseconds time = scope == 0 ? span->end - span->start : nanoseconds{0};
            if (scope > 0) {
                splitByShift(*span, starts, [&](std::size_t shift, nanoseconds piece) {
                    if (shift + 1 == scope) {
                        time += piece;
                    }
                });
            }
            if (time > nanoseconds{0}) {
                delays.push_back({heat, delay, time});
            }
        }
    }
    return delays;
}

} // namespace orvendel::screens
