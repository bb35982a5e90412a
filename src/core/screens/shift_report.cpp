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

// Reason ids to their slots, filled from one walk of the tree: the ids of a tree's usual small range (no reason,
// 0, included) by id, others in an open-addressed array; and where the first are counted once more in a plain
// array of ids, so that a delay costs one load without a branch that mispredicts on a collision.
class ReasonSlots {
public:
    explicit ReasonSlots(const ReasonTree* tree)
    {
        if (tree) {
            measure(tree->roots());
        }
        // Ids are numbered from 1 in practice: 0 (no reason) to the tree's largest have their slots by id, and
        // only a tree of scattered large ids, or ids it lacks, are hashed.
        if (static_cast<std::size_t>(m_largestId) < 4 * m_leaves + 1024) {
            m_direct.resize(static_cast<std::size_t>(m_largestId) + 1);
            m_countedAt.assign(static_cast<std::size_t>(m_largestId) + 1, unseenAt);
        }
        resize(m_direct.empty() ? m_leaves + 8 : 8);
        if (tree) {
            for (std::size_t root = 0; root < tree->roots().size(); ++root) {
                add(tree->roots()[root].children, root);
            }
        }
    }

    std::size_t leafCount() const { return m_leaves; }

    static constexpr std::uint32_t unseenAt = static_cast<std::uint32_t>(-1);

    // Where the tally counts reason `id`, `unseenAt` before a delay named it.
    std::uint32_t countedAt(int id)
    {
        const auto at = static_cast<std::uint32_t>(id);
        if (at < m_countedAt.size()) [[likely]] {
            return m_countedAt[at];
        }
        const ReasonSlot& slot = probe(id);
        return slot.used && slot.amountsAt != unseen ? static_cast<std::uint32_t>(slot.amountsAt) : unseenAt;
    }

    // The same for the ids of the usual range, by id; its place does not change.
    std::span<const std::uint32_t> countedAtById() const { return m_countedAt; }

    void setCountedAt(ReasonSlot& slot, std::size_t amountsAt)
    {
        slot.amountsAt = amountsAt;
        const auto at = static_cast<std::uint32_t>(slot.id);
        if (at < m_countedAt.size()) {
            m_countedAt[at] = static_cast<std::uint32_t>(amountsAt);
        }
    }

    ReasonSlot& operator[](int id)
    {
        if (static_cast<std::uint32_t>(id) < m_direct.size()) {
            ReasonSlot& direct = m_direct[static_cast<std::uint32_t>(id)];
            if (!direct.used) {
                direct.used = true;
                direct.id = id;
                direct.amountsAt = unseen;
            }
            return direct;
        }
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
    // The number of leaves and their largest id.
    void measure(const std::vector<ReasonNode>& nodes)
    {
        for (const ReasonNode& node : nodes) {
            if (!node.isCategory()) {
                ++m_leaves;
                m_largestId = std::max(m_largestId, *node.reason.id);
            }
            measure(node.children);
        }
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

    std::vector<ReasonSlot> m_slots;        // hashed
    std::vector<ReasonSlot> m_direct;       // by id, for ids 0 to the tree's largest
    std::vector<std::uint32_t> m_countedAt; // the same ids' amountsAt, read at every delay
    std::size_t m_used = 0;
    std::size_t m_leaves = 0;
    int m_largestId = 0;
};

// What the common delay needs: a reason counted before, wholly within the shift the last delay lay in, within
// its heat and over by now.
struct CommonLane {
    std::span<const std::uint32_t> countedAt; // ReasonSlots::countedAtById
    ReportAmount* counts = nullptr;           // the tally's amounts, a reason's scopes side by side
    std::size_t scope = 0;                    // the shift's scope
    Instant from;                             // the latest start and the earliest end allowed
    Instant to;
};

// Counts the common delays from `i` on and returns the first it left to the general path. Its own function so
// that the loop's state stays in registers: within the general loop it was kept in memory and reloaded at every
// delay, which cost as much as the counting.
std::size_t countCommonDelays(const std::vector<DelayPtr>& delays, std::size_t i, const CommonLane& lane,
                              Instant& first, Instant& last)
{
    const DelayPtr* const data = delays.data();
    const std::size_t count = delays.size();
    const std::uint32_t* const countedAt = lane.countedAt.data();
    const std::size_t ids = lane.countedAt.size();
    Instant lowest = first;
    Instant highest = last;
    for (; i < count; ++i) {
        // Each delay is its own allocation and the fields read here span several cache lines: asking for the
        // ones a few delays ahead keeps a large report from waiting on memory at every delay.
        if (i + prefetchAhead < count && data[i + prefetchAhead]) {
            prefetchDelay(*data[i + prefetchAhead]);
        }
        const Delay* delay = data[i].get();
        if (!delay) [[unlikely]] {
            break;
        }
        const Instant start = delay->startDate.date;
        const Instant end = delay->endDate.date;
        const auto id = static_cast<std::uint32_t>(delay->reasonId);
        if (!(lane.from <= start && start < end && end <= lane.to) || id >= ids) [[unlikely]] {
            break;
        }
        const std::uint32_t at = countedAt[id];
        if (at == static_cast<std::uint32_t>(-1)) [[unlikely]] {
            break;
        }
        addTo(lane.counts[at + lane.scope], end - start, delay->isEdited);
        lowest = std::min(lowest, start);
        highest = std::max(highest, end);
    }
    first = lowest;
    last = highest;
    return i;
}

// The reasons' colours: plants give many reasons the same colour, so the last text parsed is kept.
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
    tally.scopes = scopes;
    if (!input.heats) {
        return tally;
    }
    ShiftCutter cutter(input.schedule, input.zone);
    ReasonSlots slots(input.tree);
    std::vector<std::size_t> categoryOfRoot(input.tree ? input.tree->roots().size() : 0, unseen);
    // Every scope of one reason side by side, so that a delay touches one place and a new reason one growth.
    std::vector<ReportAmount>& counted = tally.amounts;
    // Room for every leaf and a few ids the tree lacks, so that the reasons are not moved while they come in.
    const std::size_t expected = slots.leafCount() + 4;
    tally.reasons.reserve(expected);
    counted.reserve(expected * scopes);

    ColorCache colorOf;
    // The names and codes go into one block, as places in it while it grows; the views are made at the end.
    std::string texts;
    texts.reserve(expected * 40);
    struct Placed {
        std::size_t nameAt, nameSize, codeAt, codeSize;
    };
    std::vector<Placed> reasonTexts;
    std::vector<Placed> categoryTexts;
    reasonTexts.reserve(expected);
    const auto place = [&texts](std::string_view name, std::string_view code) {
        const Placed placed{texts.size(), name.size(), texts.size() + name.size(), code.size()};
        texts.append(name);
        texts.append(code);
        return placed;
    };
    // Made in place, nothing cleared first.
    const auto newReason = [&](ReasonSlot& slot) {
        slots.setCountedAt(slot, tally.reasons.size() * scopes);
        counted.resize(counted.size() + scopes);
        if (!slot.leaf) {
            reasonTexts.push_back(place(unclassifiedReasonName(slot.id), {}));
            tally.reasons.emplace_back(input.furnaceId, slot.id, false, std::string_view(), std::string_view(),
                                       std::nullopt, std::nullopt);
            return;
        }
        const Reason& top = input.tree->roots()[slot.root].reason;
        std::size_t& category = categoryOfRoot[slot.root];
        if (category == unseen) {
            category = tally.categories.size();
            categoryTexts.push_back(place(top.description, top.shortDescription));
            tally.categories.push_back(
                ReportCategory{input.furnaceId, top.categoryId, {}, {}, colorOf(top.colorString)});
        }
        const Reason& leaf = slot.leaf->reason;
        reasonTexts.push_back(place(leaf.description, leaf.shortDescription));
        tally.reasons.emplace_back(input.furnaceId, slot.id, true, std::string_view(), std::string_view(),
                                   colorOf(leaf.colorString), category);
    };

    const Instant now = input.now;
    // What the loop reads at every delay is held in locals, refreshed after the rare steps that change it (a
    // new reason, a delay outside the last one's shift): through the objects it was reloaded at every delay.
    const std::span<const std::uint32_t> countedAt = slots.countedAtById();
    ReportAmount* counts = counted.data();
    ShiftWindow window;
    Instant first = Instant::max();
    Instant last = Instant::min();
    int withoutLength = 0;
    int outsideTheirHeat = 0;
    CommonLane lane{countedAt, counts, 0, Instant::max(), Instant::min()};
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
            lane.counts = counts;
            lane.scope = 1 + window.shift;
            lane.from = std::max(window.from, heatStart);
            lane.to = std::min({window.to, heatEnd, now});
            i = countCommonDelays(delays, i, lane, first, last);
            if (i == delays.size()) {
                break;
            }
            if (!delays[i]) [[unlikely]] {
                continue;
            }
            const Delay& delay = *delays[i];
            const Instant start = delay.startDate.date;
            const Instant end = std::min(delay.endDate.date, now);
            if (!(start < end)) [[unlikely]] {
                ++withoutLength;
                continue;
            }
            if (start < heatStart || heatEnd < delay.endDate.date) [[unlikely]] {
                ++outsideTheirHeat;
            }
            first = std::min(first, start);
            last = std::max(last, end);
            const auto id = static_cast<std::uint32_t>(delay.reasonId);
            std::uint32_t at = id < countedAt.size() ? countedAt[id] : ReasonSlots::unseenAt;
            if (at == ReasonSlots::unseenAt) [[unlikely]] {
                at = slots.countedAt(delay.reasonId);
                if (at == ReasonSlots::unseenAt) {
                    ReasonSlot& slot = slots[delay.reasonId];
                    newReason(slot);
                    at = static_cast<std::uint32_t>(slot.amountsAt);
                    counts = counted.data();
                }
            }
            ReportAmount* amounts = counts + at;
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
    tally.issues.withoutLength = withoutLength;
    tally.issues.outsideTheirHeat = outsideTheirHeat;
    if (first < last) {
        tally.periodStart = first;
        tally.periodEnd = last;
    }
    for (std::size_t at = 0; at < counted.size(); at += scopes) {
        for (std::size_t shift = 1; shift < scopes; ++shift) {
            counted[at] += counted[at + shift];
        }
    }
    auto block = std::make_shared<const std::string>(std::move(texts));
    const std::string_view all(*block);
    const auto setTexts = [&all](auto& item, const Placed& placed) {
        item.name = all.substr(placed.nameAt, placed.nameSize);
        item.code = all.substr(placed.codeAt, placed.codeSize);
    };
    for (std::size_t i = 0; i < tally.reasons.size(); ++i) {
        setTexts(tally.reasons[i], reasonTexts[i]);
    }
    for (std::size_t i = 0; i < tally.categories.size(); ++i) {
        setTexts(tally.categories[i], categoryTexts[i]);
    }
    tally.texts.push_back(std::move(block));
    return tally;
}

ReportTally mergeTallies(const std::vector<ReportTally>& tallies)
{
    ReportTally merged;
    if (tallies.empty()) {
        return merged;
    }
    merged.schedule = tallies.front().schedule;
    merged.scopes = tallies.front().scopeCount();
    std::map<std::tuple<bool, std::string_view, std::string_view>, std::size_t> reasonAt;
    std::map<std::pair<std::string_view, std::string_view>, std::size_t> categoryAt;
    for (const ReportTally& tally : tallies) {
        merged.texts.insert(merged.texts.end(), tally.texts.begin(), tally.texts.end());
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
                merged.amounts.resize(merged.amounts.size() + merged.scopes);
            }
            for (std::size_t scope = 0; scope < merged.scopes && scope < tally.scopeCount(); ++scope) {
                merged.amounts[at->second * merged.scopes + scope] += tally.amount(scope, i);
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
    if (scope >= tally.scopeCount()) {
        return table;
    }
    const std::size_t reasonCount = std::min(tally.reasons.size(), tally.amounts.size() / tally.scopes);
    const auto amountOf = [&](std::size_t reason) -> const ReportAmount& { return tally.amount(scope, reason); };
    // The counted reasons as (time, index) pairs, classified first, each part sorted: rows are made once
    // their order is known, and the names are only read for equal times.
    std::vector<std::pair<nanoseconds, std::size_t>> order;
    order.reserve(reasonCount);
    for (std::size_t i = 0; i < reasonCount; ++i) {
        const ReportAmount& amount = amountOf(i);
        if (amount.count > 0) {
            table.total += amount;
            order.emplace_back(amount.time, i);
        }
    }
    const auto reasonBefore = [&](const auto& a, const auto& b) {
        if (a.first != b.first) {
            return b.first < a.first;
        }
        const ReportReason& ra = tally.reasons[a.second];
        const ReportReason& rb = tally.reasons[b.second];
        return std::tie(ra.name, ra.code) < std::tie(rb.name, rb.code);
    };
    const auto unclassifiedFrom = std::partition(
        order.begin(), order.end(), [&](const auto& entry) { return tally.reasons[entry.second].classified; });
    std::sort(order.begin(), unclassifiedFrom, reasonBefore);
    std::sort(unclassifiedFrom, order.end(), reasonBefore);
    const auto classified = static_cast<std::size_t>(unclassifiedFrom - order.begin());

    table.reasons.reserve(order.size());
    const auto addReasonRow = [&](std::vector<ReportRow>& rows, std::size_t i) {
        const ReportReason& reason = tally.reasons[i];
        const auto at = static_cast<std::uint32_t>(table.reasons.size());
        table.reasons.push_back(i);
        rows.emplace_back(reason.name, reason.code, reason.color, amountOf(i), at, 1);
    };
    if (grouping == ReportGrouping::reason) {
        table.rows.reserve(classified);
        for (std::size_t k = 0; k < classified; ++k) {
            addReasonRow(table.rows, order[k].second);
        }
    } else {
        // A row per category in the order its largest reason comes, then each row's reasons laid side by side.
        constexpr auto none = static_cast<std::uint32_t>(-1);
        std::vector<std::uint32_t> rowOf(tally.categories.size(), none);
        for (std::size_t k = 0; k < classified; ++k) {
            const std::size_t i = order[k].second;
            const std::size_t category = *tally.reasons[i].category;
            if (rowOf[category] == none) {
                rowOf[category] = static_cast<std::uint32_t>(table.rows.size());
                const ReportCategory& c = tally.categories[category];
                table.rows.emplace_back(c.name, c.code, c.color, ReportAmount{}, 0, 0);
            }
            ReportRow& row = table.rows[rowOf[category]];
            row.amount += amountOf(i);
            ++row.reasonCount;
        }
        std::uint32_t next = 0;
        for (ReportRow& row : table.rows) {
            row.firstReason = next;
            next += row.reasonCount;
            row.reasonCount = 0;
        }
        table.reasons.resize(classified);
        for (std::size_t k = 0; k < classified; ++k) {
            ReportRow& row = table.rows[rowOf[*tally.reasons[order[k].second].category]];
            table.reasons[row.firstReason + row.reasonCount++] = order[k].second;
        }
        std::sort(table.rows.begin(), table.rows.end(), before);
    }
    table.unclassified.firstReason = static_cast<std::uint32_t>(table.reasons.size());
    table.unclassified.reasonCount = static_cast<std::uint32_t>(order.size() - classified);
    table.unclassifiedReasons.reserve(order.size() - classified);
    for (std::size_t k = classified; k < order.size(); ++k) {
        addReasonRow(table.unclassifiedReasons, order[k].second);
        table.unclassified.amount += table.unclassifiedReasons.back().amount;
    }

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
    const nanoseconds classifiedTime = running;
    for (auto& row : table.unclassifiedReasons) {
        place(row);
    }
    running = classifiedTime;
    place(table.unclassified);
    return table;
}

std::span<const std::size_t> ReportTable::reasonsOf(const ReportRow& row) const
{
    if (row.firstReason > reasons.size() || row.reasonCount > reasons.size() - row.firstReason) {
        return {};
    }
    return std::span<const std::size_t>(reasons).subspan(row.firstReason, row.reasonCount);
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
        bars.push_back(
            ReportBar{std::string(row.code.empty() ? row.name : row.code), row.amount.time, row.cumulativeShare, line});
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

std::vector<ReportDelay> reportRowDelays(const ShiftReportInput& input, const ReportTally& tally,
                                         std::span<const std::size_t> reasons, std::size_t scope)
{
    std::vector<ReportDelay> delays;
    if (!input.heats) {
        return delays;
    }
    std::vector<int> reasonIds;
    for (std::size_t index : reasons) {
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
