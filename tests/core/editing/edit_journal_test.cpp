#include "core/editing/edit_journal.hpp"
#include "core/editing/edited_delays_manager.hpp"
#include "core/support/log.hpp"

#include "editing_fixtures.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sqlite3.h>

namespace orvendel {
namespace {

namespace fs = std::filesystem;
using testing::makeDelay;
using testing::OperationCounter;
using testing::snapshot;

std::vector<DelayPtr> restored(EditedDelaysManager& store)
{
    std::vector<DelayPtr> result;
    store.getRestoredEditedDelays([&](std::vector<DelayPtr> list) { result = std::move(list); });
    store.drain();
    return result;
}

void expectSameRecord(const Delay& actual, const Delay& expected)
{
    EXPECT_EQ(actual.heatId, expected.heatId);
    EXPECT_EQ(actual.delayId, expected.delayId);
    EXPECT_EQ(actual.reasonId, expected.reasonId);
    EXPECT_EQ(actual.reasonDescription, expected.reasonDescription);
    EXPECT_EQ(actual.reasonShortDescription, expected.reasonShortDescription);
    EXPECT_EQ(actual.startDate.date, expected.startDate.date);
    EXPECT_EQ(actual.startDate.timeZone, expected.startDate.timeZone);
    EXPECT_EQ(actual.endDate.date, expected.endDate.date);
    EXPECT_EQ(actual.endDate.timeZone, expected.endDate.timeZone);
    EXPECT_EQ(actual.colorString, expected.colorString);
    EXPECT_EQ(actual.timestamp, expected.timestamp);
    EXPECT_EQ(actual.comment, expected.comment);
    EXPECT_EQ(actual.isEdited, expected.isEdited);
    EXPECT_EQ(actual.isSplitted, expected.isSplitted);
    EXPECT_EQ(actual.baseDelayId, expected.baseDelayId);
}

std::vector<fs::path> asideFiles(const fs::path& folder)
{
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().starts_with(std::string(EditJournal::fileName) + ".unreadable-")) {
            found.push_back(entry.path());
        }
    }
    return found;
}

class EditJournalTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::temp_directory_path() / (std::string("orvendel-journal-") + info->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        file = folder / EditJournal::fileName;
    }
    void TearDown() override { fs::remove_all(folder); }

    // A store as a new process would have it: empty, then given the user's journal.
    std::unique_ptr<EditedDelaysManager> restart(std::size_t* restoredCount = nullptr)
    {
        auto store = std::make_unique<EditedDelaysManager>(center);
        const auto count = store->openJournal(file);
        if (restoredCount) {
            *restoredCount = count;
        }
        return store;
    }

    fs::path folder;
    fs::path file;
    NotificationCenter center;
};

TEST_F(EditJournalTest, EveryChangeIsOnDiskAndANewProcessGetsTheSameEntriesBack)
{
    std::vector<DelayPtr> expected;
    {
        EditedDelaysManager store(center);
        EXPECT_EQ(store.openJournal(file), 0u);
        auto classified = makeDelay(1, 10, 0, 60, "v1", "Zündung ✓ — 電極");
        classified->isEdited = true;
        classified->startDate.date += std::chrono::nanoseconds(123456789); // sub-second starts must match exactly
        auto piece = makeDelay(1, std::nullopt, 90, 120);
        piece->isEdited = true;
        piece->isSplitted = true;
        piece->baseDelayId = 11;
        piece->endDate.timeZone = TimeZone{5 * 3600 + 1800};
        auto undone = makeDelay(2, 20, 0, 30);
        auto saved = makeDelay(3, 30, 0, 30);
        auto replaced = makeDelay(4, 40, 0, 30, "v1", "first");
        auto replacement = makeDelay(4, 40, 0, 30, "v1", "second");

        store.addEditedDelay(replaced);
        store.addEditedDelay(classified);
        store.addEditedDelay(undone);
        store.addEditedDelay(saved);
        store.addEditedDelay(piece);
        store.addEditedDelay(replacement);
        store.removeEditedDelaysWithDelayId(20, 2);
        store.removeEditedDelays({saved}, 3, {});
        store.drain();
        expected = snapshot(store);
        ASSERT_EQ(expected.size(), 3u);
        EXPECT_TRUE(fs::exists(file.string() + "-wal")) << "commits go through a write-ahead log, one sync each";
        // No logout: the store goes as a killed process's would.
    }
    OperationCounter operations{center};
    std::size_t count = 0;
    auto store = restart(&count);
    EXPECT_EQ(count, 3u);
    const auto entries = snapshot(*store);
    ASSERT_EQ(entries.size(), expected.size());
    for (std::size_t index = 0; index < entries.size(); ++index) {
        SCOPED_TRACE(index);
        expectSameRecord(*entries[index], *expected[index]);
    }
    EXPECT_EQ(restored(*store).size(), 3u) << "every entry taken back is marked";
    EXPECT_GE(operations.count, 1) << "screens showing edit markers refresh";

    // Changed after the restart: no longer a restored edit, and the change is journalled too.
    entries[0]->comment = "checked again";
    store->addEditedDelay(entries[0]);
    store->removeAllEditedDelays(4, {});
    store->drain();
    const auto stillRestored = restored(*store);
    ASSERT_EQ(stillRestored.size(), 1u);
    EXPECT_TRUE(stillRestored[0]->isSplitted);
    store.reset();

    auto third = restart(&count);
    ASSERT_EQ(count, 2u);
    const auto again = snapshot(*third);
    EXPECT_TRUE(again[0]->isSplitted);
    EXPECT_EQ(again[1]->comment, "checked again");
}

TEST_F(EditJournalTest, ClearingEmptiesTheFileAndClosingKeepsIt)
{
    {
        EditedDelaysManager store(center);
        store.openJournal(file);
        store.addEditedDelay(makeDelay(1, 10, 0, 60));
        store.closeJournal(); // a sign-out the user did not ask for
        store.clearEditedDelays();
        EXPECT_FALSE(store.hasOpenJournal());
    }
    std::size_t count = 0;
    auto store = restart(&count);
    EXPECT_EQ(count, 1u) << "closing leaves the edits for the next sign-in";
    EXPECT_EQ(store->openJournal(file), 0u) << "the same journal again changes nothing";
    EXPECT_EQ(snapshot(*store).size(), 1u);

    store->clearEditedDelays(); // a sign-out the user asked for
    store.reset();
    restart(&count);
    EXPECT_EQ(count, 0u);
}

// Two processes in one folder (a lock defeated, a folder shared by hand): a sign-out in one must not take the
// other's edits with it.
TEST_F(EditJournalTest, ClearingDeletesOnlyTheRowsThisStoreKnows)
{
    EditedDelaysManager first(center);
    EditedDelaysManager second(center);
    ASSERT_EQ(first.openJournal(file), 0u);
    ASSERT_EQ(second.openJournal(file), 0u);
    first.addEditedDelay(makeDelay(1, 10, 0, 60));
    second.addEditedDelay(makeDelay(2, 20, 0, 60));
    second.drain();
    first.clearEditedDelays();
    EXPECT_EQ(second.diskState().onDisk, 1u);

    std::size_t count = 0;
    auto next = restart(&count);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(snapshot(*next)[0]->heatId, 2);
}

TEST_F(EditJournalTest, AStoreWithEntriesWritesThemOverAnotherJournal)
{
    {
        EditedDelaysManager store(center);
        store.openJournal(file);
        store.addEditedDelay(makeDelay(1, 10, 0, 60));
        store.addEditedDelay(makeDelay(1, 11, 100, 160));
    }
    EditedDelaysManager store(center);
    store.addEditedDelay(makeDelay(5, 50, 0, 60)); // edited before the journal could be opened
    EXPECT_EQ(store.openJournal(file), 0u);
    EXPECT_EQ(snapshot(store).size(), 1u);
    EXPECT_TRUE(restored(store).empty());
    store.closeJournal();

    std::size_t count = 0;
    auto next = restart(&count);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(snapshot(*next)[0]->heatId, 5);
}

TEST_F(EditJournalTest, AnUnreadableJournalIsSetAsideWithOneLineAndAFreshOneTakesItsPlace)
{
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> spoil;
    };
    const std::vector<Case> cases{
        {"not SQLite at all",
         [](const fs::path& path) {
             std::ofstream out(path, std::ios::binary);
             out << std::string(4096, '\x5a');
         }},
        {"another program's database",
         [](const fs::path& path) {
             sqlite3* db = nullptr;
             ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
             sqlite3_exec(db, "CREATE TABLE t(x); PRAGMA application_id=1234;", nullptr, nullptr, nullptr);
             sqlite3_close(db);
         }},
        {"a row that does not decode",
         [](const fs::path& path) {
             {
                 NotificationCenter ownCenter;
                 EditedDelaysManager store(ownCenter);
                 store.openJournal(path);
                 store.addEditedDelay(makeDelay(1, 10, 0, 60));
             }
             sqlite3* db = nullptr;
             ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
             sqlite3_exec(db, "UPDATE editedDelays SET startOffsetSeconds = 999999", nullptr, nullptr, nullptr);
             sqlite3_close(db);
         }},
    };
    for (const auto& spoiled : cases) {
        SCOPED_TRACE(spoiled.name);
        fs::remove_all(folder);
        fs::create_directories(folder);
        spoiled.spoil(file);

        ScopedLogCapture capture;
        std::size_t count = 99;
        auto store = restart(&count);
        EXPECT_EQ(count, 0u);
        EXPECT_TRUE(store->hasOpenJournal());
        const auto lines = capture.lines();
        const auto mentions = std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
            return line.find("set aside") != std::string::npos;
        });
        EXPECT_EQ(mentions, 1);
        EXPECT_EQ(asideFiles(folder).size(), 1u);

        store->addEditedDelay(makeDelay(2, 20, 0, 60));
        store.reset();
        auto next = restart(&count);
        EXPECT_EQ(count, 1u) << "the fresh journal works";
    }
}

TEST_F(EditJournalTest, ALinkInPlaceOfTheJournalIsRefusedAndItsTargetLeftAlone)
{
    const auto target = folder / "elsewhere.sqlite";
    {
        std::ofstream out(target, std::ios::binary);
        out << "precious";
    }
    fs::create_symlink(target, file);

    ScopedLogCapture capture;
    EditedDelaysManager store(center);
    EXPECT_EQ(store.openJournal(file), 0u);
    EXPECT_FALSE(store.hasOpenJournal());
    store.addEditedDelay(makeDelay(1, 10, 0, 60));
    EXPECT_EQ(snapshot(store).size(), 1u) << "the store goes on in memory";

    const auto lines = capture.lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.find("symbolic link") != std::string::npos; }));
    std::ifstream in(target, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "precious");
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_TRUE(asideFiles(folder).empty());
}

} // namespace
} // namespace orvendel
