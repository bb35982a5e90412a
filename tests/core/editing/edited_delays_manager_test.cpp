#include "core/editing/edited_delays_manager.hpp"
#include "core/editing/overlay.hpp"
#include "core/support/log.hpp"

#include "editing_fixtures.hpp"

#include <gtest/gtest.h>

#include <future>

namespace orvendel {
namespace {

using testing::at;
using testing::makeDelay;
using testing::OperationCounter;
using testing::snapshot;

const std::string kHeader = "-----------------------  EDITED DELAYS -------------------------";

class EditedDelaysManagerTest : public ::testing::Test {
protected:
    NotificationCenter center;
    OperationCounter operations{center};
    EditedDelaysManager store{center};
};

TEST_F(EditedDelaysManagerTest, AddingTheSameHeatAndStartReplacesAndMovesTheEntryLast)
{
    auto first = makeDelay(1, 10, 0, 60);
    auto other = makeDelay(1, 11, 100, 160);
    store.addEditedDelay(first);
    store.addEditedDelay(other);
    store.drain();
    operations.count = 0;

    auto replacement = makeDelay(1, 10, 0, 60);
    replacement->comment = "again";
    store.addEditedDelay(replacement);

    const auto entries = snapshot(store);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], other);
    EXPECT_EQ(entries[1], replacement) << "the store keeps the caller's record, not a copy";
    EXPECT_EQ(operations.count, 2) << "one post for the removal, one for the append";
}

TEST_F(EditedDelaysManagerTest, StartsAFractionOfASecondApartAreDifferentEntries)
{
    store.addEditedDelay(makeDelay(1, 10, 0, 60));
    store.addEditedDelay(makeDelay(1, std::nullopt, 0.25, 60));
    EXPECT_EQ(snapshot(store).size(), 2u);
    EXPECT_EQ(operations.count, 2);
}

TEST_F(EditedDelaysManagerTest, RemoveByStartTakesOnlyTheMatchingEntryAndAlwaysTraces)
{
    store.addEditedDelay(makeDelay(1, 10, 0, 60));
    store.addEditedDelay(makeDelay(2, 20, 0, 60));
    store.drain();
    operations.count = 0;
    {
        ScopedLogCapture capture;
        store.removeEditedDelay(at(30), 1);
        store.drain();
        EXPECT_EQ(operations.count, 0);
        const auto lines = capture.lines();
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[0], "\nAfter Removing EditedDelay with StartDate");
        EXPECT_EQ(lines[1], kHeader);
    }
    store.removeEditedDelay(at(0), 1);
    const auto entries = snapshot(store);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0]->heatId, 2);
    EXPECT_EQ(operations.count, 1);
}

TEST_F(EditedDelaysManagerTest, RemoveByDelayIdTakesOwnAndBaseIdsOfThatHeatOnly)
{
    auto own = makeDelay(1, 42, 0, 60);
    auto piece = makeDelay(1, std::nullopt, 60, 120);
    piece->baseDelayId = 42;
    auto unrelated = makeDelay(1, 43, 200, 260);
    auto otherHeat = makeDelay(2, 42, 0, 60);
    for (const auto& delay : {own, unrelated, piece, otherHeat}) {
        store.addEditedDelay(delay);
    }
    store.drain();
    operations.count = 0;

    store.removeEditedDelaysWithDelayId(42, 1);
    const auto entries = snapshot(store);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], unrelated);
    EXPECT_EQ(entries[1], otherHeat);
    EXPECT_EQ(operations.count, 2) << "one post per removed entry";

    store.removeEditedDelaysWithDelayId(99, 1);
    store.drain();
    EXPECT_EQ(operations.count, 2) << "no post when nothing matches";
}

TEST_F(EditedDelaysManagerTest, EditsOfTwoDelaysStartingTogetherAreTwoEntries)
{
    auto a = makeDelay(1, 50, 0, 60);
    auto b = makeDelay(1, 51, 0, 90);
    store.addEditedDelay(a);
    store.addEditedDelay(b);
    auto bAgain = makeDelay(1, 51, 0, 90, "v1", "second edit");
    store.addEditedDelay(bAgain);
    store.removeEditedDelay(*a);
    store.drain();
    const auto entries = snapshot(store);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0], bAgain);
}

TEST_F(EditedDelaysManagerTest, AFinishedSaveRemovesExactlyTheRecordsItSent)
{
    auto saved = makeDelay(1, 10, 0, 60);
    auto sentPiece = makeDelay(1, 11, 100, 160);
    auto otherHeat = makeDelay(2, 10, 0, 60);
    store.addEditedDelay(saved);
    store.addEditedDelay(sentPiece);
    store.addEditedDelay(otherHeat);
    // While the save is on its way the piece is edited again: a newer record of the same span replaces it.
    auto reEdited = std::make_shared<Delay>(*sentPiece);
    reEdited->comment = "changed during the save";
    store.addEditedDelay(reEdited);
    store.drain();
    operations.count = 0;

    std::promise<bool> calledOnQueue;
    // An equal copy of a record is not the record: only what was sent goes.
    store.removeEditedDelays({saved, sentPiece, makeDelay(1, 12, 500, 560), makeDelay(2, 10, 0, 60)}, 1,
                             [&] { calledOnQueue.set_value(SerialQueue::current() != nullptr); });
    EXPECT_TRUE(calledOnQueue.get_future().get());
    const auto entries = snapshot(store);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], otherHeat);
    EXPECT_EQ(entries[1], reEdited);
    EXPECT_EQ(operations.count, 1);
}

// The save gives the delay a new version on the service. The re-edit made while it was on its way was made
// against the old one, yet it is no one else's change: it moves onto the new version and is kept.
TEST_F(EditedDelaysManagerTest, AReEditMadeDuringItsSaveMovesOntoTheSavedVersion)
{
    auto sent = makeDelay(1, 10, 0, 60, "v1", "first");
    store.addEditedDelay(sent);
    auto reEdited = std::make_shared<Delay>(*sent);
    reEdited->comment = "second";
    store.addEditedDelay(reEdited);
    store.removeEditedDelays({sent}, 1, {});

    auto read = [&] {
        std::pair<std::vector<DelayPtr>, std::vector<DelayPtr>> result;
        store.getEditsAndOwnSaves([&](std::vector<DelayPtr> edits, std::vector<DelayPtr> ownSaves) {
            result = {std::move(edits), std::move(ownSaves)};
        });
        store.drain();
        return result;
    };
    const auto [edits, ownSaves] = read();
    const auto overlay = overlayEditedDelays({makeDelay(1, 10, 0, 60, "v2", "first")}, edits, ownSaves);
    EXPECT_FALSE(overlay.editedDelaysRemoved);
    EXPECT_TRUE(overlay.staleEdits.empty());
    store.rebaseEditedDelays(overlay.rebasedEdits);
    const auto entries = snapshot(store);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0]->timestamp, "v2");
    EXPECT_EQ(entries[0]->comment, "second");

    // Once the re-edit is saved as well, nothing of the first save is kept.
    store.removeEditedDelays(entries, 1, {});
    EXPECT_TRUE(read().second.empty());
}

TEST_F(EditedDelaysManagerTest, RemoveAllOfAHeatKeepsOthersInOrderAndPostsOnceEvenWhenEmpty)
{
    auto a = makeDelay(2, 1, 0, 60);
    auto b = makeDelay(1, 2, 0, 60);
    auto c = makeDelay(3, 3, 0, 60);
    auto d = makeDelay(1, 4, 100, 160);
    for (const auto& delay : {a, b, c, d}) {
        store.addEditedDelay(delay);
    }
    store.drain();
    operations.count = 0;

    int completions = 0;
    store.removeAllEditedDelays(1, [&] { ++completions; });
    store.removeAllEditedDelays(9, [&] { ++completions; });
    const auto entries = snapshot(store);
    EXPECT_EQ(entries, (std::vector<DelayPtr>{a, c}));
    EXPECT_EQ(operations.count, 2);
    EXPECT_EQ(completions, 2);
}

TEST_F(EditedDelaysManagerTest, RemoveStaleEntriesByIdentityOnly)
{
    auto stale = makeDelay(1, 10, 0, 60);
    auto kept = makeDelay(1, 11, 100, 160);
    store.addEditedDelay(stale);
    store.addEditedDelay(kept);
    store.removeStaleEditedDelays({stale});
    // A newer edit of the same start replaced `stale` before its removal arrived: it must survive.
    auto newer = makeDelay(1, 11, 100, 160, "v2");
    store.addEditedDelay(newer);
    store.removeStaleEditedDelays({kept});
    EXPECT_EQ(snapshot(store), (std::vector<DelayPtr>{newer}));
}

TEST_F(EditedDelaysManagerTest, SynchronousCallsWorkFromTheStoresOwnCallbacks)
{
    store.addEditedDelay(makeDelay(1, 1, 0, 60));
    std::promise<std::pair<bool, bool>> result;
    store.getAllEditedDelays([&](std::vector<DelayPtr>) {
        const bool before = store.hasEditedDelays(1);
        store.clearEditedDelays();
        result.set_value({before, store.hasEditedDelays(1)});
    });
    const auto [before, after] = result.get_future().get();
    EXPECT_TRUE(before);
    EXPECT_FALSE(after);
    EXPECT_EQ(operations.count, 2);
}

TEST_F(EditedDelaysManagerTest, TraceAndDumpAfterAdding)
{
    ScopedLogCapture capture;
    store.addEditedDelay(makeDelay(7, 1, 3725.6, 3800)); // 15:02:05.6 UTC
    store.addEditedDelay(makeDelay(12, 2, 0, 60));
    store.drain();
    const auto lines = capture.lines();
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[4], "\nAfter Adding EditedDelay");
    EXPECT_EQ(lines[5], kHeader);
    EXPECT_EQ(lines[6], "HeatId: 7 - StartDate: 15:02:05");
    EXPECT_EQ(lines[7], "HeatId: 12 - StartDate: 14:00:00");
    EXPECT_EQ(lines[8], std::string(64, '-'));
    EXPECT_EQ(kHeader.size(), 64u);
}

TEST_F(EditedDelaysManagerTest, DumpOfAnEmptyStoreIsHeaderThenFooter)
{
    ScopedLogCapture capture;
    int completions = 0;
    store.removeEditedDelays({}, 1, [&] { ++completions; });
    store.drain();
    EXPECT_EQ(capture.lines(),
              (std::vector<std::string>{"\nAfter Removing EditedDelays", kHeader, std::string(64, '-')}));
    EXPECT_EQ(completions, 1);
}

} // namespace
} // namespace orvendel
