#include "core/editing/edit_journal.hpp"
#include "core/editing/edited_delays_manager.hpp"

#include "editing_fixtures.hpp"
#include "support/full_disk_vfs.hpp"
#include "support/notification_recorder.hpp"
#include "support/temp_folder.hpp"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <any>

namespace orvendel {
namespace {

using testing::makeDelay;
using testing::snapshot;
namespace en = editing_notifications;

// Another process of the same user adding a row of its own to the journal.
void writeRowAsAnotherProcess(const std::filesystem::path& file, int heatId)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    sqlite3_busy_timeout(db, 5000);
    const std::string sql =
        "INSERT INTO editedDelays (heatId, delayId, reasonId, reasonDescription, reasonShortDescription, "
        "startNanoseconds, startOffsetSeconds, endNanoseconds, endOffsetSeconds, colorString, timestamp, comment, "
        "isEdited, isSplitted, baseDelayId) SELECT " +
        std::to_string(heatId) +
        ", delayId, reasonId, reasonDescription, reasonShortDescription, startNanoseconds, startOffsetSeconds, "
        "endNanoseconds, endOffsetSeconds, colorString, timestamp, comment, isEdited, isSplitted, baseDelayId "
        "FROM editedDelays LIMIT 1";
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

std::vector<int> heatsIn(const std::vector<DelayPtr>& entries)
{
    std::vector<int> heats;
    for (const auto& entry : entries) {
        heats.push_back(entry->heatId);
    }
    return heats;
}

TEST(FullDiskJournal, AFailedWriteIsReportedRetriedWhenSpaceReturnsAndNeverDeletesRowsOfOthers)
{
    test::TempFolder folder;
    const auto file = folder.path() / EditJournal::fileName;
    test::FullDiskVfs disk;
    NotificationCenter center;
    test::NotificationRecorder<en::JournalWriteFailed> recorder(center);
    {
        EditedDelaysManager store(center);
        store.openJournal(file);
        auto first = makeDelay(1, 10, 0, 60);
        store.addEditedDelay(first);
        EXPECT_EQ(store.diskState().onDisk, 1u);
        EXPECT_FALSE(store.diskState().error);

        disk.setFull(true);
        store.addEditedDelay(makeDelay(2, 20, 0, 60));
        store.removeEditedDelay(*first);
        store.addEditedDelay(makeDelay(3, 30, 0, 60));
        auto state = store.diskState();
        EXPECT_EQ(state.onDisk, 0u);
        EXPECT_EQ(state.notOnDisk, 2u) << "the store keeps every edit in memory";
        ASSERT_TRUE(state.error);
        EXPECT_NE(state.error->description.find("full"), std::string::npos) << state.error->description;
        EXPECT_GT(disk.refusals(), 0);
        // Changes queued back to back share a write: one to three writes failed, each of them told.
        ASSERT_GE(recorder.count<en::JournalWriteFailed>(), 1u) << "a failed write is told";
        ASSERT_LE(recorder.count<en::JournalWriteFailed>(), 3u);

        // Space returns; meanwhile another process of the user wrote a row of its own.
        disk.setFull(false);
        writeRowAsAnotherProcess(file, 9);
        store.addEditedDelay(makeDelay(4, 40, 0, 60));
        state = store.diskState();
        EXPECT_EQ(state.onDisk, 3u);
        EXPECT_EQ(state.notOnDisk, 0u);
        EXPECT_FALSE(state.error);
    }
    EditedDelaysManager next(center);
    EXPECT_EQ(next.openJournal(file), 4u);
    auto heats = heatsIn(snapshot(next));
    std::sort(heats.begin(), heats.end());
    EXPECT_EQ(heats, (std::vector<int>{2, 3, 4, 9})) << "the removal was retried, the other process's row kept";
}

TEST(FullDiskJournal, AJournalThatCannotBeOpenedLeavesEveryEntryMarkedNotOnDisk)
{
    test::TempFolder folder;
    NotificationCenter center;
    EditedDelaysManager store(center);
    EXPECT_EQ(store.diskState().notOnDisk, 0u);
    store.openJournal(folder.path() / "missing" / EditJournal::fileName);
    store.addEditedDelay(makeDelay(1, 10, 0, 60));
    const auto state = store.diskState();
    EXPECT_EQ(state.onDisk, 0u);
    EXPECT_EQ(state.notOnDisk, 1u);
    EXPECT_TRUE(state.error);
}

} // namespace
} // namespace orvendel
