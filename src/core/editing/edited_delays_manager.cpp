#include "core/editing/edited_delays_manager.hpp"

#include "core/editing/edit_journal.hpp"

#include "core/model/utilities.hpp"
#include "core/support/log.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <iterator>
#include <mutex>
#include <string>

namespace orvendel {
namespace {

bool sameHeatAndStart(const Delay& entry, int heatId, Instant start)
{
    return entry.heatId == heatId && entry.startDate.date == start;
}

// Two records of the same delay: the same service id, or, for pieces without one, the same start.
bool sameDelay(const Delay& entry, const Delay& other)
{
    if (entry.heatId != other.heatId) {
        return false;
    }
    if (entry.delayId || other.delayId) {
        return entry.delayId == other.delayId;
    }
    return entry.startDate.date == other.startDate.date;
}

bool sameHeatAndServiceDelay(const Delay& entry, int heatId, int delayId)
{
    return entry.heatId == heatId && (entry.delayId == delayId || entry.baseDelayId == delayId);
}

} // namespace

EditedDelaysManager::EditedDelaysManager(NotificationCenter& center) : m_center(center) {}

EditedDelaysManager::~EditedDelaysManager() = default;

void EditedDelaysManager::addEditedDelay(DelayPtr delay)
{
    if (!delay) {
        return;
    }
    m_queue.async([this, delay = std::move(delay)] {
        const auto existing = std::find_if(m_editedDelays.begin(), m_editedDelays.end(),
                                           [&](const DelayPtr& entry) { return sameDelay(*entry, *delay); });
        if (existing != m_editedDelays.end()) {
            eraseAt(static_cast<std::size_t>(existing - m_editedDelays.begin()));
        }
        append(delay);
        postOperation();
        scheduleJournalWrite();
        log("\nAfter Adding EditedDelay");
        printEditedDelays();
    });
}

void EditedDelaysManager::removeEditedDelay(Instant startDate, int heatId)
{
    m_queue.async([this, startDate, heatId] {
        const auto found = std::find_if(m_editedDelays.begin(), m_editedDelays.end(), [&](const DelayPtr& entry) {
            return sameHeatAndStart(*entry, heatId, startDate);
        });
        if (found != m_editedDelays.end()) {
            eraseAt(static_cast<std::size_t>(found - m_editedDelays.begin()));
        }
        scheduleJournalWrite();
        log("\nAfter Removing EditedDelay with StartDate");
        printEditedDelays();
    });
}

void EditedDelaysManager::removeEditedDelay(const Delay& delay)
{
    m_queue.async([this, delay = delay] {
        const auto found = std::find_if(m_editedDelays.begin(), m_editedDelays.end(),
                                        [&](const DelayPtr& entry) { return sameDelay(*entry, delay); });
        if (found != m_editedDelays.end()) {
            eraseAt(static_cast<std::size_t>(found - m_editedDelays.begin()));
        }
        scheduleJournalWrite();
    });
}

void EditedDelaysManager::removeEditedDelaysWithDelayId(int delayId, int heatId)
{
    m_queue.async([this, delayId, heatId] {
        // Walking backwards removes from the highest position down, so earlier positions stay valid.
        for (std::size_t position = m_editedDelays.size(); position-- > 0;) {
            if (sameHeatAndServiceDelay(*m_editedDelays[position], heatId, delayId)) {
                eraseAt(position);
            }
        }
        pruneOwnSaves();
        scheduleJournalWrite();
    });
}

void EditedDelaysManager::removeEditedDelays(std::vector<DelayPtr> delays, int heatId, Completion completion)
{
    m_queue.async([this, delays = std::move(delays), heatId, completion = std::move(completion)] {
        for (const auto& delay : delays) {
            if (!delay) {
                continue;
            }
            // The very record that was sent: a re-edit made while it was on its way is a newer record that
            // took its place, and it must stay until its own save.
            const auto found = std::find_if(m_editedDelays.begin(), m_editedDelays.end(), [&](const DelayPtr& entry) {
                return entry == delay && entry->heatId == heatId;
            });
            if (found != m_editedDelays.end()) {
                eraseAt(static_cast<std::size_t>(found - m_editedDelays.begin()));
            } else if (delay->heatId == heatId && isOwnSaveOfAnEntry(*delay)) {
                m_ownSaves.push_back(delay);
            }
        }
        pruneOwnSaves();
        scheduleJournalWrite();
        log("\nAfter Removing EditedDelays");
        printEditedDelays();
        if (completion) {
            completion();
        }
    });
}

void EditedDelaysManager::removeAllEditedDelays(int heatId, Completion completion)
{
    m_queue.async([this, heatId, completion = std::move(completion)] {
        eraseAllOf(heatId);
        pruneOwnSaves();
        postOperation();
        scheduleJournalWrite();
        log("\nAfter Removing EditedDelay WithheatId");
        printEditedDelays();
        if (completion) {
            completion();
        }
    });
}

void EditedDelaysManager::removeStaleEditedDelays(std::vector<DelayPtr> entries, Completion completion)
{
    m_queue.async([this, entries = std::move(entries), completion = std::move(completion)] {
        for (const auto& stale : entries) {
            const auto found = std::find(m_editedDelays.begin(), m_editedDelays.end(), stale);
            if (found != m_editedDelays.end()) {
                eraseAt(static_cast<std::size_t>(found - m_editedDelays.begin()));
            }
        }
        pruneOwnSaves();
        scheduleJournalWrite();
        if (completion) {
            completion();
        }
    });
}

void EditedDelaysManager::rebaseEditedDelays(std::vector<std::pair<DelayPtr, DelayPtr>> rebased)
{
    m_queue.async([this, rebased = std::move(rebased)] {
        for (const auto& [entry, copy] : rebased) {
            const auto found = std::find(m_editedDelays.begin(), m_editedDelays.end(), entry);
            if (found == m_editedDelays.end() || !copy) {
                continue;
            }
            const auto position = static_cast<std::size_t>(found - m_editedDelays.begin());
            if (const auto row = m_entryStates[position].journalRow) {
                m_journalRowsRemoved.push_back(row);
            }
            *found = copy;
            m_entryStates[position] = EntryState{};
            postOperation();
        }
        scheduleJournalWrite();
    });
}

void EditedDelaysManager::getEditsAndOwnSaves(
    std::function<void(std::vector<DelayPtr> edits, std::vector<DelayPtr> ownSaves)> completion)
{
    m_queue.async([this, completion = std::move(completion)] {
        if (completion) {
            completion(m_editedDelays, m_ownSaves);
        }
    });
}

void EditedDelaysManager::getAllEditedDelays(ListCompletion completion)
{
    m_queue.async([this, completion = std::move(completion)] {
        if (completion) {
            completion(m_editedDelays);
        }
    });
}

void EditedDelaysManager::getEditedDelays(int heatId, ListCompletion completion)
{
    m_queue.async([this, heatId, completion = std::move(completion)] {
        std::vector<DelayPtr> ofHeat;
        std::copy_if(m_editedDelays.begin(), m_editedDelays.end(), std::back_inserter(ofHeat),
                     [heatId](const DelayPtr& entry) { return entry->heatId == heatId; });
        if (completion) {
            completion(std::move(ofHeat));
        }
    });
}

bool EditedDelaysManager::hasEditedDelays(int heatId)
{
    return m_queue.sync([this, heatId] { return holdsEntryOf(heatId); });
}

void EditedDelaysManager::hasEditedDelays(int heatId, std::function<void(bool)> completion)
{
    m_queue.async([this, heatId, completion = std::move(completion)] { completion(holdsEntryOf(heatId)); });
}

bool EditedDelaysManager::holdsEntryOf(int heatId) const
{
    return std::any_of(m_editedDelays.begin(), m_editedDelays.end(),
                       [heatId](const DelayPtr& entry) { return entry->heatId == heatId; });
}

void EditedDelaysManager::clearEditedDelays()
{
    m_queue.sync([this] {
        eraseAll();
        postOperation();
        // The caller waits for the clearing (a sign-out goes on after it): on disk before this returns.
        scheduleJournalWrite();
        flushJournal();
    });
}

std::size_t EditedDelaysManager::openJournal(const std::filesystem::path& file)
{
    return m_queue.sync([this, file]() -> std::size_t {
        flushJournal();
        if (m_journal && m_journal->path() == file) {
            return 0;
        }
        m_journal.reset();
        m_journalRowsRemoved.clear();
        // Rows of another journal, if any, are nothing in this one: every entry is to be written anew.
        for (auto& state : m_entryStates) {
            state.journalRow = 0;
        }
        auto opened = EditJournal::open(file);
        if (!opened) {
            // Logged by the journal; the store goes on in memory.
            m_journalError = opened.error();
            return 0;
        }
        m_journal = std::move(*opened);
        m_journalError.reset();
        auto rows = m_journal->takeRows();
        if (!m_editedDelays.empty() || rows.empty()) {
            // The store's entries take the place of exactly the rows found.
            for (const auto& row : rows) {
                m_journalRowsRemoved.push_back(row.id);
            }
            writeJournal();
            return 0;
        }
        for (auto& row : rows) {
            append(std::move(row.delay), true);
            m_entryStates.back().journalRow = row.id;
        }
        postOperation();
        log(fmt::format("Restored {} unsaved edit{} from {}", rows.size(), rows.size() == 1 ? "" : "s", file.string()));
        return rows.size();
    });
}

void EditedDelaysManager::closeJournal()
{
    m_queue.sync([this] {
        flushJournal();
        m_journal.reset();
        m_journalRowsRemoved.clear();
        m_journalError.reset();
        for (auto& state : m_entryStates) {
            state.journalRow = 0;
        }
    });
}

bool EditedDelaysManager::hasOpenJournal()
{
    return m_queue.sync([this] { return m_journal != nullptr; });
}

EditedDelaysManager::DiskState EditedDelaysManager::diskState()
{
    return m_queue.sync([this] {
        flushJournal();
        DiskState state;
        for (const auto& entry : m_entryStates) {
            ++(entry.journalRow != 0 ? state.onDisk : state.notOnDisk);
        }
        if (state.notOnDisk > 0) {
            state.error = m_journalError;
        }
        return state;
    });
}

void EditedDelaysManager::getRestoredEditedDelays(ListCompletion completion)
{
    m_queue.async([this, completion = std::move(completion)] {
        std::vector<DelayPtr> restored;
        for (std::size_t position = 0; position < m_editedDelays.size(); ++position) {
            if (m_entryStates[position].restored) {
                restored.push_back(m_editedDelays[position]);
            }
        }
        if (completion) {
            completion(std::move(restored));
        }
    });
}

void EditedDelaysManager::drain()
{
    m_queue.drain();
    m_queue.sync([this] { flushJournal(); });
}

void EditedDelaysManager::append(DelayPtr delay, bool restored)
{
    m_editedDelays.push_back(std::move(delay));
    m_entryStates.push_back(EntryState{0, restored});
}

void EditedDelaysManager::eraseAt(std::size_t position)
{
    const auto offset = static_cast<std::ptrdiff_t>(position);
    if (const auto row = m_entryStates[position].journalRow) {
        m_journalRowsRemoved.push_back(row);
    }
    m_editedDelays.erase(m_editedDelays.begin() + offset);
    m_entryStates.erase(m_entryStates.begin() + offset);
    postOperation();
}

void EditedDelaysManager::eraseAllOf(int heatId)
{
    std::size_t kept = 0;
    for (std::size_t position = 0; position < m_editedDelays.size(); ++position) {
        if (m_editedDelays[position]->heatId == heatId) {
            if (const auto row = m_entryStates[position].journalRow) {
                m_journalRowsRemoved.push_back(row);
            }
            continue;
        }
        m_editedDelays[kept] = std::move(m_editedDelays[position]);
        m_entryStates[kept] = m_entryStates[position];
        ++kept;
    }
    m_editedDelays.resize(kept);
    m_entryStates.resize(kept);
}

bool EditedDelaysManager::isOwnSaveOfAnEntry(const Delay& sent) const
{
    // An entry of the same delay made against the same version as the sent record: edited again while the
    // save was on its way.
    return sent.delayId && std::any_of(m_editedDelays.begin(), m_editedDelays.end(), [&](const DelayPtr& entry) {
               return entry->heatId == sent.heatId && entry->delayId == sent.delayId &&
                      entry->timestamp == sent.timestamp;
           });
}

void EditedDelaysManager::pruneOwnSaves()
{
    std::erase_if(m_ownSaves, [this](const DelayPtr& sent) {
        return std::none_of(m_editedDelays.begin(), m_editedDelays.end(), [&](const DelayPtr& entry) {
            return entry->heatId == sent->heatId && entry->delayId == sent->delayId;
        });
    });
}

void EditedDelaysManager::eraseAll()
{
    m_ownSaves.clear();
    // This store's rows go, with those whose removal is still to be written; rows another process wrote in the
    // same journal are not this store's to delete.
    for (const auto& state : m_entryStates) {
        if (state.journalRow != 0) {
            m_journalRowsRemoved.push_back(state.journalRow);
        }
    }
    m_editedDelays.clear();
    m_entryStates.clear();
}

void EditedDelaysManager::writeJournal()
{
    if (!m_journal) {
        m_journalRowsRemoved.clear();
        return;
    }
    std::vector<DelayPtr> appended;
    std::vector<std::size_t> positions;
    for (std::size_t position = 0; position < m_editedDelays.size(); ++position) {
        if (m_entryStates[position].journalRow == 0) {
            appended.push_back(m_editedDelays[position]);
            positions.push_back(position);
        }
    }
    if (appended.empty() && m_journalRowsRemoved.empty()) {
        return;
    }
    auto written = m_journal->apply(m_journalRowsRemoved, appended);
    if (!written) {
        // The transaction rolled back: the rows to remove are still there and the new entries stay marked as
        // not on disk, so the next change retries exactly this. Never a delete of every row: that would take
        // rows another process wrote meanwhile.
        if (!m_journalError) {
            log("Unable to write the unsaved edits to disk: " + written.error().description);
        }
        m_journalError = written.error();
        m_center.post(editing_notifications::JournalWriteFailed{written.error()});
        return;
    }
    for (std::size_t index = 0; index < positions.size(); ++index) {
        m_entryStates[positions[index]].journalRow = (*written)[index];
    }
    m_journalRowsRemoved.clear();
    m_journalError.reset();
}

void EditedDelaysManager::scheduleJournalWrite()
{
    if (!m_journal || std::exchange(m_journalWriteScheduled, true)) {
        if (!m_journal) {
            m_journalRowsRemoved.clear();
        }
        return;
    }
    m_queue.async([this] { flushJournal(); });
}

void EditedDelaysManager::flushJournal()
{
    if (std::exchange(m_journalWriteScheduled, false)) {
        writeJournal();
    }
}

void EditedDelaysManager::postOperation() const
{
    m_center.post(editing_notifications::OperationHasBeenMade{});
}

void EditedDelaysManager::printEditedDelays() const
{
    log("-----------------------  EDITED DELAYS -------------------------");
    for (const auto& entry : m_editedDelays) {
        const auto start = Utilities::formatDate(entry->startDate.date, "HH:mm:ss");
        log(fmt::format("HeatId: {} - StartDate: {}", entry->heatId, start.value_or("NONE")));
    }
    log(std::string(64, '-'));
}

} // namespace orvendel
