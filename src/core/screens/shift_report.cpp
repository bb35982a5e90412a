#include "core/screens/shift_report.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <tuple>

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

// Cuts spans at shift changes. The shift starts are worked out for a few days around the span at hand and
// kept while the following spans fall within them, and the shift the last span ended in is remembered: delays
// come in time order, nearly all within one shift, so a delay costs two comparisons instead of a search and
// the delays are walked once, not first to find the period.
// The shift a span lies in when it lies within one; holds nothing while empty.
struct ShiftWindow {
    Instant from = Instant::max();
    Instant to = Instant::min();
    std::size_t shift = 0;

    bool holds(Instant start, Instant end) const { return from <= start && end <= to; }
};

class ShiftCutter {
public:
    ShiftCutter(const ShiftSchedule& schedule, const ZoneOffsetAt& zone)
        : m_schedule(schedule), m_zone(zone ? zone : fixedZone(TimeZone::utc()))
    {}

    // Calls `piece(shiftIndex, time)` for each shift the span crosses; returns how many there were.
    template <typename Piece>
    std::size_t cut(const Span& span, Piece&& piece)
    {
        if (m_schedule.startMinutes.empty()) {
            return 0;
        }
        if (m_window.holds(span.start, span.end)) {
            piece(m_window.shift, span.end - span.start);
            return 1;
        }
        if (m_starts.empty() || span.start < m_starts.front().start || m_starts.back().start < span.end) {
            // Two days ahead, so that the next day's delays find their shifts here too.
            m_starts = shiftStarts(m_schedule, m_zone, span.start, std::max(span.end, span.start + days{2}));
        }
        // The starts reach from the one in force at the span's start past its end.
        auto at = std::upper_bound(m_starts.begin(), m_starts.end(), span.start,
                                   [](Instant value, const ShiftStart& s) { return value < s.start; });
        if (at != m_starts.begin()) {
            --at;
        }
        Instant from = span.start;
        std::size_t pieces = 0;
        while (at != m_starts.end()) {
            const auto next = at + 1;
            const Instant to = next == m_starts.end() ? span.end : std::min(span.end, next->start);
            if (from < to) {
                piece(at->shift, to - from);
                ++pieces;
            }
            from = to;
            if (!(from < span.end)) {
                break;
            }
            at = next;
        }
        m_window = {};
        if (at != m_starts.end() && at + 1 != m_starts.end()) {
            m_window = {at->start, (at + 1)->start, at->shift};
        }
        return pieces;
    }

    // The shift the last span cut ended in.
    const ShiftWindow& window() const { return m_window; }

private:
    using days = std::chrono::days;

    const ShiftSchedule& m_schedule;
    ZoneOffsetAt m_zone;
    std::vector<ShiftStart> m_starts;
    ShiftWindow m_window;
};

constexpr std::size_t prefetchAhead = 4;

void prefetchDelay(const Delay& delay)
{
#if defined(__GNUC__)
    __builtin_prefetch(&delay.reasonId);
    __builtin_prefetch(&delay.startDate.date);
    __builtin_prefetch(&delay.endDate.date);
    __builtin_prefetch(&delay.isEdited);
#else
    (void)delay;
#endif
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

// What the tally knows of one reason id: its leaf in the tree with the top-level category above it, and
// where the tally counts it once a delay names it.
struct ReasonSlot {
    int id = 0;
    bool used = false;
    std::size_t amountsAt = 0; // where the tally counts it; `unseen` until a delay names the reason
    const ReasonNode* leaf = nullptr;
    std::size_t root = 0; // index of the leaf's top-level category among the tree's roots
};

constexpr std::size_t unseen = static_cast<std::size_t>(-1);

// Reason ids to their slots, in one open-addressed array filled from one walk of the tree: a lookup per
// delay is a multiply and a probe or two, and the set-up one allocation rather than one per reason.
class ReasonSlots {
public:
    explicit ReasonSlots(const ReasonTree* tree)
    {
        m_leaves = tree ? countLeaves(tree->roots()) : 0;
        resize(m_leaves + 8);
        if (tree) {
            for (std::size_t root = 0; root < tree->roots().size(); ++root) {
                add(tree->roots()[root].children, root);
            }
        }
    }

    std::size_t leafCount() const { return m_leaves; }

    ReasonSlot& operator[](int id)
    {
        ReasonSlot* slot = &probe(id);
        if (!slot->used) {
            if (2 * (m_used + 1) > m_slots.size()) {
                resize(m_slots.size());
                slot = &probe(id);
            }
            slot->used = true;
            slot->id = id;
            slot->amountsAt = unseen;
            ++m_used;
        }
        return *slot;
    }

private:
    static std::size_t countLeaves(const std::vector<ReasonNode>& nodes)
    {
        std::size_t count = 0;
        for (const ReasonNode& node : nodes) {
            count += (node.isCategory() ? 0 : 1) + countLeaves(node.children);
        }
        return count;
    }

    void add(const std::vector<ReasonNode>& nodes, std::size_t root)
    {
        for (const ReasonNode& node : nodes) {
            // Id 0 is "no reason" whatever the tree holds; of equal ids the first wins, as the tree's own
            // lookup finds it.
            if (!node.isCategory() && *node.reason.id != 0) {
                ReasonSlot& slot = (*this)[*node.reason.id];
                if (!slot.leaf) {
                    slot.leaf = &node;
                    slot.root = root;
                }
            }
            add(node.children, root);
        }
    }

    ReasonSlot& probe(int id)
    {
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t at = (static_cast<std::uint32_t>(id) * 0x9E3779B1u) & mask;; at = (at + 1) & mask) {
            ReasonSlot& slot = m_slots[at];
            if (!slot.used || slot.id == id) {
                return slot;
            }
        }
    }

    // Room for at least twice `entries`, a power of two.
    void resize(std::size_t entries)
    {
        std::size_t size = 16;
        while (size < 2 * entries + 2) {
            size *= 2;
        }
        std::vector<ReasonSlot> old(size);
        old.swap(m_slots);
        for (const ReasonSlot& slot : old) {
            if (slot.used) {
                probe(slot.id) = slot;
            }
        }
    }

    std::vector<ReasonSlot> m_slots;
    std::size_t m_used = 0;
    std::size_t m_leaves = 0;
};

// The colours of a table's rows: plants give many reasons the same colour, so the last text parsed is kept.
class ColorCache {
public:
    std::optional<Color> operator()(const std::string& text)
    {
        if (text.empty()) {
            return std::nullopt;
        }
        if (!m_parsed || text != m_text) {
            m_text = text;
            m_color = colorFromText(text);
            m_parsed = true;
        }
        return m_color;
    }

private:
    std::string m_text;
    std::optional<Color> m_color;
    bool m_parsed = false;
};

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
    return reasonId == 0 ? std::string(unclassifiedTitle) : fmt::format(texts::reasonNotInTree, reasonId);
}

ReportTally tallyShiftReport(const ShiftReportInput& input)
{
    ReportTally tally;
    tally.furnaceIds = {input.furnaceId};
    tally.schedule = input.schedule;
    const std::size_t scopes = 1 + input.schedule.size();
    tally.amounts.resize(scopes);
    if (!input.heats) {
        return tally;
    }
    ShiftCutter cutter(input.schedule, input.zone);
    ReasonSlots slots(input.tree);
    std::vector<std::size_t> categoryOfRoot(input.tree ? input.tree->roots().size() : 0, unseen);
    // Every scope of one reason side by side, so that a delay touches one place and a new reason costs no
    // growth per scope; laid out as the tally's tables at the end.
    std::vector<ReportAmount> counted;
    // Room for every leaf and a few ids the tree lacks, so that the reasons are not moved while they come in.
    const std::size_t expected = slots.leafCount() + 4;
    tally.reasons.reserve(expected);
    counted.reserve(expected * scopes);

    // Made in place, each text copied once and nothing cleared first.
    const auto newReason = [&](ReasonSlot& slot) {
        slot.amountsAt = tally.reasons.size() * scopes;
        counted.resize(counted.size() + scopes);
        if (!slot.leaf) {
            tally.reasons.push_back(ReportReason{input.furnaceId, slot.id, false, unclassifiedReasonName(slot.id),
                                                 std::string(), std::string(), std::nullopt});
            return;
        }
        const Reason& top = input.tree->roots()[slot.root].reason;
        std::size_t& category = categoryOfRoot[slot.root];
        if (category == unseen) {
            category = tally.categories.size();
            tally.categories.push_back(ReportCategory{input.furnaceId, top.categoryId, top.description,
                                                      top.shortDescription, top.colorString});
        }
        const Reason& leaf = slot.leaf->reason;
        tally.reasons.push_back(ReportReason{input.furnaceId, slot.id, true, leaf.description, leaf.shortDescription,
                                             leaf.colorString, category});
    };

    const Instant now = input.now;
    ShiftWindow window;
    Instant first = Instant::max();
    Instant last = Instant::min();
    for (const HeatPtr& heat : *input.heats) {
        if (!heat) {
            continue;
        }
        ++tally.heatCount;
        if (!heat->delays) {
            continue;
        }
        const Instant heatStart = heat->startDate.date;
        const Instant heatEnd = heat->endDate.date;
        const std::vector<DelayPtr>& delays = *heat->delays;
        for (std::size_t i = 0; i < delays.size(); ++i) {
            // Each delay is its own allocation and the fields read here span several cache lines: asking
            // for the ones a few delays ahead keeps a large report from waiting on memory at every delay.
            if (i + prefetchAhead < delays.size() && delays[i + prefetchAhead]) {
                prefetchDelay(*delays[i + prefetchAhead]);
            }
            if (!delays[i]) [[unlikely]] {
                continue;
            }
            const Delay& delay = *delays[i];
            const Instant start = delay.startDate.date;
            const Instant end = std::min(delay.endDate.date, now);
            if (!(start < end)) [[unlikely]] {
                ++tally.issues.withoutLength;
                continue;
            }
            if (start < heatStart || heatEnd < delay.endDate.date) [[unlikely]] {
                ++tally.issues.outsideTheirHeat;
            }
            first = std::min(first, start);
            last = std::max(last, end);
            ReasonSlot& slot = slots[delay.reasonId];
            if (slot.amountsAt == unseen) [[unlikely]] {
                newReason(slot);
            }
            ReportAmount* amounts = counted.data() + slot.amountsAt;
            const bool pending = delay.isEdited;
            // The whole day is the sum of the shifts, less the extra counts of delays split between shifts:
            // one place to add to per delay instead of two.
            if (window.holds(start, end)) [[likely]] {
                addTo(amounts[1 + window.shift], end - start, pending);
                continue;
            }
            const std::size_t pieces = cutter.cut(
                {start, end}, [&](std::size_t shift, nanoseconds time) { addTo(amounts[1 + shift], time, pending); });
            window = cutter.window();
            if (pieces == 0) {
                addTo(amounts[0], end - start, pending);
            } else if (pieces > 1) {
                const int extra = static_cast<int>(pieces) - 1;
                amounts[0].count -= extra;
                amounts[0].pendingCount -= pending ? extra : 0;
            }
        }
    }
    if (first < last) {
        tally.periodStart = first;
        tally.periodEnd = last;
    }
    for (std::size_t at = 0; at < counted.size(); at += scopes) {
        for (std::size_t shift = 1; shift < scopes; ++shift) {
            counted[at] += counted[at + shift];
        }
    }
    for (std::size_t scope = 0; scope < scopes; ++scope) {
        auto& amounts = tally.amounts[scope];
        amounts.reserve(tally.reasons.size());
        for (std::size_t reason = 0; reason < tally.reasons.size(); ++reason) {
            amounts.push_back(counted[reason * scopes + scope]);
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
    ColorCache colorOf;
    // Rows are made once their order is known: sorting indexes moves no strings.
    std::vector<std::size_t> classifiedReasons;
    std::vector<std::size_t> unclassified;
    std::vector<std::optional<ReportRow>> categoryRows(tally.categories.size());
    for (std::size_t i = 0; i < tally.reasons.size() && i < amounts.size(); ++i) {
        const ReportAmount& amount = amounts[i];
        if (amount.count == 0) {
            continue;
        }
        const ReportReason& reason = tally.reasons[i];
        table.total += amount;
        if (!reason.classified) {
            table.unclassified.amount += amount;
            table.unclassified.reasons.push_back(i);
            unclassified.push_back(i);
        } else if (grouping == ReportGrouping::reason) {
            classifiedReasons.push_back(i);
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
    // Sorted as (time, index) pairs side by side: the names are only read for equal times.
    std::vector<std::pair<nanoseconds, std::size_t>> order;
    const auto reasonBefore = [&](const auto& a, const auto& b) {
        if (a.first != b.first) {
            return b.first < a.first;
        }
        const ReportReason& ra = tally.reasons[a.second];
        const ReportReason& rb = tally.reasons[b.second];
        return std::tie(ra.name, ra.code) < std::tie(rb.name, rb.code);
    };
    const auto reasonRows = [&](const std::vector<std::size_t>& indexes, std::vector<ReportRow>& rows) {
        order.clear();
        for (std::size_t i : indexes) {
            order.emplace_back(amounts[i].time, i);
        }
        std::sort(order.begin(), order.end(), reasonBefore);
        rows.reserve(rows.size() + indexes.size());
        for (const auto& [time, i] : order) {
            (void)time;
            const ReportReason& reason = tally.reasons[i];
            // Made in place: a cleared row first would cost more than the row.
            rows.push_back(ReportRow{reason.name, reason.code, colorOf(reason.colorString), amounts[i], 0.0, 0.0,
                                     std::vector<std::size_t>{i}});
        }
    };
    if (grouping == ReportGrouping::reason) {
        reasonRows(classifiedReasons, table.rows);
    } else {
        for (auto& category : categoryRows) {
            if (category) {
                table.rows.push_back(std::move(*category));
            }
        }
        std::sort(table.rows.begin(), table.rows.end(), before);
    }
    reasonRows(unclassified, table.unclassifiedReasons);

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

std::size_t reportLineCount(const ReportTable& table)
{
    return table.rows.size() + (table.unclassified.amount.count > 0 ? 1 : 0);
}

const ReportRow* reportLine(const ReportTable& table, std::size_t line)
{
    if (line < table.rows.size()) {
        return &table.rows[line];
    }
    return line < reportLineCount(table) ? &table.unclassified : nullptr;
}

std::vector<ReportBar> reportBars(const ReportTable& table)
{
    const std::size_t classified = table.rows.size();
    const bool shared = classified > mostReportBars;
    const std::size_t own = shared ? mostReportBars - 1 : classified;
    std::vector<ReportBar> bars;
    bars.reserve(own + 2);
    const auto add = [&](std::size_t line) {
        const ReportRow& row = *reportLine(table, line);
        bars.push_back(ReportBar{row.code.empty() ? row.name : row.code, row.amount.time, row.cumulativeShare, line});
    };
    for (std::size_t line = 0; line < own; ++line) {
        add(line);
    }
    if (shared) {
        nanoseconds time{0};
        for (std::size_t line = own; line < classified; ++line) {
            time += table.rows[line].amount.time;
        }
        bars.push_back(ReportBar{fmt::format(texts::moreReasons, classified - own), time,
                                 table.rows.back().cumulativeShare, std::nullopt});
    }
    if (reportLineCount(table) > classified) {
        add(classified);
    }
    return bars;
}

std::string minutesText(nanoseconds time)
{
    return fmt::format("{:.1f}", std::chrono::duration<double>(time).count() / 60);
}

std::string percentText(double share)
{
    return fmt::format("{:.1f}", share * 100);
}

namespace {

const char* delaysWord(int count)
{
    return count == 1 ? texts::delay : texts::delays;
}

} // namespace

std::string reportTotalText(const ReportAmount& total)
{
    std::string text = fmt::format(texts::reportTotal, minutesText(total.time), total.count, delaysWord(total.count));
    if (total.pendingCount > 0) {
        text += fmt::format(texts::reportUnsaved, minutesText(total.pendingTime), total.pendingCount,
                            delaysWord(total.pendingCount));
    }
    return text;
}

std::string reportClockText(Instant instant, const ZoneOffsetAt& zone)
{
    using namespace std::chrono;
    const auto local = floor<minutes>(instant) + seconds{zone ? zone(instant) : 0};
    const auto day = floor<days>(local);
    const year_month_day date(day);
    const hh_mm_ss clock(floor<minutes>(local - day));
    return fmt::format("{:02}.{:02}. {:02}:{:02}", static_cast<unsigned>(date.day()),
                       static_cast<unsigned>(date.month()), clock.hours().count(), clock.minutes().count());
}

std::string reportPeriodText(const ReportTally& tally, const ZoneOffsetAt& zone)
{
    if (!tally.periodStart || !tally.periodEnd) {
        return {};
    }
    return fmt::format(texts::reportPeriod, reportClockText(*tally.periodStart, zone),
                       reportClockText(*tally.periodEnd, zone));
}

std::string furnaceListErrorText(const Error& error)
{
    return fmt::format(texts::furnaceListUnread, error.description);
}

std::string furnaceErrorText(std::string_view furnace, const Error& error)
{
    return fmt::format(texts::furnaceNotCounted, furnace, error.description);
}

std::string reportDelayHeading(const ReportDelay& delay, std::string_view furnace)
{
    const std::string heat = delay.heat ? fmt::format(texts::heatTitle, delay.heat->heatNumber) : std::string();
    return furnace.empty() ? heat : fmt::format(texts::furnaceHeat, furnace, heat);
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
    ShiftCutter cutter(input.schedule, input.zone);
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
                cutter.cut(*span, [&](std::size_t shift, nanoseconds piece) {
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
