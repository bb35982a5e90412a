#include "core/editing/overlay.hpp"

#include "editing_fixtures.hpp"

#include <gtest/gtest.h>

namespace orvendel {
namespace {

using testing::makeDelay;

struct OverlayTest : ::testing::Test {
    // Stored order is the database's, deliberately not by start.
    DelayPtr late = makeDelay(1, 30, 600, 700, "t30");
    DelayPtr early = makeDelay(1, 10, 0, 100, "t10");
    DelayPtr middle = makeDelay(1, 20, 300, 400, "t20");
    std::vector<DelayPtr> stored{late, early, middle};

    static DelayPtr editOf(const DelayPtr& delay)
    {
        auto edit = delay->copy();
        edit->isEdited = true;
        edit->reasonId = 99;
        edit->reasonDescription = "Scrap delay";
        return edit;
    }
};

TEST_F(OverlayTest, WithoutEditsTheStoredListIsUnchangedAndUnsorted)
{
    const auto result = overlayEditedDelays(stored, {});
    EXPECT_EQ(result.delays, stored);
    EXPECT_FALSE(result.editedDelaysRemoved);
    EXPECT_TRUE(result.staleEdits.empty());
}

TEST_F(OverlayTest, AnEditOfTheCurrentVersionReplacesItsStoredDelayInStartOrder)
{
    auto edit = editOf(middle);
    const auto result = overlayEditedDelays(stored, {edit});
    EXPECT_EQ(result.delays, (std::vector<DelayPtr>{early, edit, late}));
    EXPECT_FALSE(result.editedDelaysRemoved);
}

TEST_F(OverlayTest, BothPiecesOfASplitAreShownInStartOrderAndStayShownWhenEditedAgain)
{
    auto first = makeDelay(1, 20, 300, 350, "t20");
    first->baseDelayId = 20;
    first->isSplitted = true;
    auto second = makeDelay(1, std::nullopt, 350, 400, "t20");
    second->baseDelayId = 20;
    second->isSplitted = true;
    // Store order is the order of editing, not of starts.
    auto result = overlayEditedDelays(stored, {second, first});
    EXPECT_EQ(result.delays, (std::vector<DelayPtr>{early, first, second, late}));
    EXPECT_FALSE(result.editedDelaysRemoved);
    EXPECT_TRUE(result.staleEdits.empty());

    // The edited copy of the second piece keeps neither id nor base; it lies inside the delay it came from.
    auto classifiedSecond = second->copy();
    classifiedSecond->isEdited = true;
    result = overlayEditedDelays(stored, {first, classifiedSecond});
    EXPECT_EQ(result.delays, (std::vector<DelayPtr>{early, first, classifiedSecond, late}));

    // Pieces of pieces all descend from the stored delay.
    auto secondA = makeDelay(1, std::nullopt, 350, 370, "t20");
    secondA->baseDelayId = 20;
    auto secondB = makeDelay(1, std::nullopt, 370, 400, "t20");
    secondB->baseDelayId = 20;
    result = overlayEditedDelays(stored, {first, secondA, secondB});
    EXPECT_EQ(result.delays, (std::vector<DelayPtr>{early, first, secondA, secondB, late}));
}

TEST_F(OverlayTest, EditsOfAnOlderVersionAreHiddenReportedAndRaiseTheFlagOnce)
{
    auto staleEdit = editOf(early);
    staleEdit->timestamp = "t10-old";
    auto stalePiece = makeDelay(1, std::nullopt, 350, 400, "t20-old");
    stalePiece->baseDelayId = 20;
    auto current = editOf(late);
    const auto result = overlayEditedDelays(stored, {staleEdit, current, stalePiece});
    EXPECT_EQ(result.delays, (std::vector<DelayPtr>{early, middle, current}));
    EXPECT_TRUE(result.editedDelaysRemoved);
    EXPECT_EQ(result.staleEdits, (std::vector<DelayPtr>{staleEdit, stalePiece}));

    // An edited piece that kept no id cannot be told stale; it is only hidden.
    auto keylessOld = makeDelay(1, std::nullopt, 350, 400, "t20-old");
    const auto hidden = overlayEditedDelays(stored, {keylessOld});
    EXPECT_EQ(hidden.delays, (std::vector<DelayPtr>{early, middle, late}));
    EXPECT_TRUE(hidden.staleEdits.empty());

    // Found by its id even when the newer version also moved the delay's start.
    auto moved = makeDelay(1, 20, 310, 400, "t20-new");
    EXPECT_EQ(overlayEditedDelays({early, moved, late}, {editOf(middle)}).staleEdits.size(), 1u);
}

// A save that timed out but landed: the service gave the edit a newer version and holds exactly its text.
// The edit is saved; it leaves the store without a word of removal.
TEST_F(OverlayTest, AnEditTheServiceAlreadyHoldsIsSavedNotStale)
{
    auto landed = editOf(middle);
    landed->comment = "checked";
    auto newer = landed->copy();
    newer->timestamp = "t20-new";
    newer->comment = "checked";
    // Both pieces of a split landed too: the second is a delay of its own now.
    auto first = makeDelay(1, 30, 600, 650, "t30");
    auto second = makeDelay(1, std::nullopt, 650, 700, "t30");
    for (const auto& piece : {first, second}) {
        piece->baseDelayId = 30;
        piece->isSplitted = true;
        piece->isEdited = true;
    }
    auto shortened = makeDelay(1, 30, 600, 650, "t30-new");
    auto secondStored = makeDelay(1, 31, 650, 700, "t31");
    const auto result = overlayEditedDelays({early, newer, shortened, secondStored}, {landed, first, second});
    EXPECT_FALSE(result.editedDelaysRemoved);
    EXPECT_EQ(result.staleEdits, (std::vector<DelayPtr>{landed, first, second}));
    EXPECT_EQ(result.delays, (std::vector<DelayPtr>{early, newer, shortened, secondStored}));
}

// The operator edits a delay again while its save is on the way; the save gives the delay a new version.
// That version is the operator's own save, not someone else's change: the re-edit moves onto it and stays.
TEST_F(OverlayTest, AReEditOfTheOperatorsOwnSaveIsRebasedAndKept)
{
    auto sent = editOf(middle);
    sent->comment = "first";
    auto reEdit = std::make_shared<Delay>(*sent);
    reEdit->comment = "second";
    auto saved = sent->copy();
    saved->timestamp = "t20-new";
    const auto result = overlayEditedDelays({early, saved, late}, {reEdit}, {sent});
    EXPECT_FALSE(result.editedDelaysRemoved);
    EXPECT_TRUE(result.staleEdits.empty());
    ASSERT_EQ(result.rebasedEdits.size(), 1u);
    const auto& [entry, rebased] = result.rebasedEdits[0];
    EXPECT_EQ(entry, reEdit);
    EXPECT_EQ(rebased->timestamp, "t20-new");
    EXPECT_EQ(rebased->comment, "second");
    EXPECT_EQ(reEdit->timestamp, "t20") << "the store's record is not changed behind its back";
    EXPECT_EQ(result.delays, (std::vector<DelayPtr>{early, rebased, late}));

    // Someone else saved after the operator: the re-edit is stale after all.
    auto theirs = saved->copy();
    theirs->comment = "theirs";
    const auto overtaken = overlayEditedDelays({early, theirs, late}, {reEdit}, {sent});
    EXPECT_TRUE(overtaken.editedDelaysRemoved);
    EXPECT_EQ(overtaken.staleEdits, (std::vector<DelayPtr>{reEdit}));
}

TEST_F(OverlayTest, EqualStartsKeepTheirRelativeOrder)
{
    auto zeroLengthA = makeDelay(1, 40, 300, 300, "t40");
    auto zeroLengthB = makeDelay(1, 41, 300, 300, "t41");
    const auto result = overlayEditedDelays({zeroLengthB, middle, zeroLengthA}, {editOf(late)});
    ASSERT_EQ(result.delays.size(), 3u);
    EXPECT_EQ(result.delays[0], zeroLengthB);
    EXPECT_EQ(result.delays[1], middle);
    EXPECT_EQ(result.delays[2], zeroLengthA);
}

TEST_F(OverlayTest, TwoDelaysStartingTogetherStayTwoWhenOneIsEdited)
{
    auto a = makeDelay(1, 50, 800, 860, "t50");
    auto b = makeDelay(1, 51, 800, 900, "t51");
    auto editOfB = editOf(b);
    const auto result = overlayEditedDelays({a, b}, {editOfB});
    ASSERT_EQ(result.delays.size(), 2u);
    EXPECT_EQ(result.delays[0], a);
    EXPECT_EQ(result.delays[1], editOfB);
    EXPECT_FALSE(result.editedDelaysRemoved);
}

} // namespace
} // namespace orvendel
