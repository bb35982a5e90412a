#pragma once

#include "core/model/delay.hpp"
#include "core/model/result_information.hpp"
#include "core/model/zoned_date_time.hpp"
#include "core/support/notification_center.hpp"
#include "core/support/serial_queue.hpp"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace orvendel {

class EditJournal;

namespace editing_notifications {
struct OperationHasBeenMade {
    static constexpr const char* name = "EditedDelaysManagerOperationHasBeenMade";
};
// A change could not be written to the journal: its entries are in memory only. Posted for every failed
// write, on the store's queue.
struct JournalWriteFailed {
    static constexpr const char* name = "EditedDelaysManagerJournalWriteFailed";
    Error error; // the write's
};
} // namespace editing_notifications

// The user's unsaved edits of every heat, in the order they were (re)added. Entries are the editor's own
// records, shared, never copied. Every change posts "EditedDelaysManagerOperationHasBeenMade" (no sender, no
// user info). While a journal is open, every change is also written to it in one transaction right after the
// operation (with the changes queued behind it), so that edits survive a crash; without one the store lives in memory
// only. A write that fails (a full disk) leaves the entries it carried marked as not on disk and posts
// "EditedDelaysManagerJournalWriteFailed"; the next change tries them again. The store only ever removes rows
// it wrote or took over at opening: a clearing (a requested sign-out) leaves the rows of another process
// working in the same journal.
// Thread contract: any thread. Work runs in call order on the serial queue "EditedDelaysQueue"; callbacks
// and notifications run there too. `hasEditedDelays` and `clearEditedDelays` wait for their result and may
// be called from the queue itself (from a callback).
class EditedDelaysManager {
public:
    using Completion = std::function<void()>;
    using ListCompletion = std::function<void(std::vector<DelayPtr>)>;

    explicit EditedDelaysManager(NotificationCenter& center);
    ~EditedDelaysManager();
    EditedDelaysManager(const EditedDelaysManager&) = delete;
    EditedDelaysManager& operator=(const EditedDelaysManager&) = delete;

    // Replaces the entry of the same delay (moving it last), else appends. Entries are the same delay when
    // they carry the same service id, or, for split pieces without one, start at the same instant.
    void addEditedDelay(DelayPtr delay);
    // Removes the first entry of the heat starting at `startDate`.
    void removeEditedDelay(Instant startDate, int heatId);
    // Removes the entry of the same delay (see `addEditedDelay`).
    void removeEditedDelay(const Delay& delay);
    // Removes every entry of the heat carrying `delayId` as its own or as its base delay's id.
    void removeEditedDelaysWithDelayId(int delayId, int heatId);
    // Removes exactly these records of the heat (the ones a save sent); a record that replaced one of them
    // meanwhile (a re-edit during the save) stays, and the sent record is kept as an own save for it, so
    // that the new version the save brings is not taken for someone else's change.
    void removeEditedDelays(std::vector<DelayPtr> delays, int heatId, Completion completion);
    // Removes every entry of the heat.
    void removeAllEditedDelays(int heatId, Completion completion);
    // Removes exactly these records (by identity); an entry replaced meanwhile by a newer record stays.
    void removeStaleEditedDelays(std::vector<DelayPtr> entries, Completion completion = {});
    // Puts each copy in the place of its entry (by identity; an entry replaced meanwhile stays as it is).
    // The copies carry the version of the operator's own save (`OverlayResult::rebasedEdits`).
    void rebaseEditedDelays(std::vector<std::pair<DelayPtr, DelayPtr>> rebased);

    void getAllEditedDelays(ListCompletion completion);
    // The entries, and the records of own saves that entries were edited again during (see
    // `removeEditedDelays`), read together.
    void getEditsAndOwnSaves(std::function<void(std::vector<DelayPtr> edits, std::vector<DelayPtr> ownSaves)>);
    void getEditedDelays(int heatId, ListCompletion completion);

    bool hasEditedDelays(int heatId);
    // The same answer without waiting: `completion` runs on the store's queue.
    void hasEditedDelays(int heatId, std::function<void(bool)> completion);
    void clearEditedDelays();

    // Keeps the store on disk in the journal at `file` from now on (synchronous). When the store is empty,
    // the journal's entries — edits a process that ended without a logout left behind — become the store's,
    // marked as restored, and the count of them is returned; otherwise the store's entries take the place
    // of the rows found. A journal that cannot be opened is logged and the store goes on in memory.
    std::size_t openJournal(const std::filesystem::path& file);
    // Stops writing to disk (synchronous); the file keeps what it holds for the user's next sign-in.
    void closeJournal();
    bool hasOpenJournal();
    // The entries written to the journal (they survive the process), and the error of the last journal
    // write or opening when some entries are not on disk (none when every entry is).
    struct DiskState {
        std::size_t onDisk = 0;
        std::size_t notOnDisk = 0;
        std::optional<Error> error;
    };
    DiskState diskState();
    // The entries taken back from a journal and not changed since, in store order.
    void getRestoredEditedDelays(ListCompletion completion);

    // Waits until everything queued before this call has run (tests, shutdown).
    void drain();

private:
    // Runs on the queue only.
    void printEditedDelays() const;
    bool holdsEntryOf(int heatId) const;
    void postOperation() const;
    void append(DelayPtr delay, bool restored = false);
    void eraseAt(std::size_t position);
    void eraseAllOf(int heatId);
    void eraseAll();
    bool isOwnSaveOfAnEntry(const Delay& sent) const;
    // Forgets the own saves no entry of the same delay is left for.
    void pruneOwnSaves();
    // Writes what changed since the last call to the journal, in one transaction.
    void writeJournal();
    // The write follows the operation as the next task of the queue, after whatever was queued meanwhile: the
    // readers an edit wakes (the heats list) are served from memory without waiting for the disk, and the
    // changes of a split go to disk in one transaction. `flushJournal` writes a scheduled write now.
    void scheduleJournalWrite();
    void flushJournal();

    struct EntryState {
        std::int64_t journalRow = 0; // 0: not (yet) in the journal
        bool restored = false;
    };

    NotificationCenter& m_center;
    std::vector<DelayPtr> m_editedDelays;
    std::vector<EntryState> m_entryStates; // beside m_editedDelays, position for position
    // Records sent by saves that succeeded while their delay was edited again; kept while such an edit is.
    std::vector<DelayPtr> m_ownSaves;
    std::unique_ptr<EditJournal> m_journal;
    std::vector<std::int64_t> m_journalRowsRemoved;
    std::optional<Error> m_journalError; // the last failed write (or opening); none after a good write
    bool m_journalWriteScheduled = false;
    // Last member: destroyed first, so queued work finishes while the list still exists.
    SerialQueue m_queue{"EditedDelaysQueue"};
};

} // namespace orvendel
