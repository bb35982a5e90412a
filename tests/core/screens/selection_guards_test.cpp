#include "core/screens/furnace_selection.hpp"
#include "core/screens/guards.hpp"
#include "core/screens/selection.hpp"

#include "screens_fixtures.hpp"

#include <gtest/gtest.h>

namespace orvendel::screens {
namespace {

using testing::at;
using testing::delay;
using testing::heat;

Furnace furnace(int id, std::string name)
{
    Furnace f;
    f.id = id;
    f.name = std::move(name);
    return f;
}

TEST(RepairSelection, MovesToTheNearestStartWithTiesToTheEarlierDelay)
{
    const std::vector heats{heat(1, 0, 3600, std::vector{delay(1, 100, 200), delay(1, 300, 400), delay(1, 500, 600)}),
                            heat(2, 0, 3600, std::vector<DelayPtr>{}), heat(3, 0, 3600, std::nullopt)};

    const HeatDelayIdentifier exact{1, at(300)};
    EXPECT_EQ(repairSelection(exact, heats), exact);
    EXPECT_EQ(repairSelection(HeatDelayIdentifier{1, at(340)}, heats), (HeatDelayIdentifier{1, at(300)}));
    EXPECT_EQ(repairSelection(HeatDelayIdentifier{1, at(460)}, heats), (HeatDelayIdentifier{1, at(500)}));
    EXPECT_EQ(repairSelection(HeatDelayIdentifier{1, at(400)}, heats), (HeatDelayIdentifier{1, at(300)})); // tie
    EXPECT_EQ(repairSelection(HeatDelayIdentifier{1, at(-50)}, heats), (HeatDelayIdentifier{1, at(100)}));

    // Unchanged: nothing selected, the heat gone, or without delays.
    EXPECT_EQ(repairSelection(std::nullopt, heats), std::nullopt);
    for (const int heatId : {2, 3, 9}) {
        const HeatDelayIdentifier selected{heatId, at(42)};
        EXPECT_EQ(repairSelection(selected, heats), selected);
    }
}

TEST(RepairSelection, TieIsDecidedByListOrderNotByTime)
{
    // A list that is not in time order: the later delay comes first and wins the tie.
    const std::vector heats{heat(1, 0, 3600, std::vector{delay(1, 500, 600), delay(1, 300, 400)})};
    EXPECT_EQ(repairSelection(HeatDelayIdentifier{1, at(400)}, heats), (HeatDelayIdentifier{1, at(500)}));
}

TEST(HeatDetailSelection, DelayShownAndRowOfADelay)
{
    const auto h = heat(1, 0, 3600, std::vector{delay(1, 100, 200), delay(1, 300, 400)});
    EXPECT_EQ(delayToShow(*h, at(300)), (*h->delays)[1]);
    EXPECT_EQ(delayToShow(*h, at(999)), (*h->delays)[0]);
    EXPECT_EQ(delayToShow(*heat(2, 0, 1, std::nullopt), at(0)), nullptr);

    std::vector<Section> sections{Section{7, 107, {}, true}, Section{1, 101, {}, false}};
    sections[1].items.push_back(Item{1, at(100), "a", "b", false, false});
    sections[1].items.push_back(Item{2, at(300), "a", "b", false, false});
    EXPECT_EQ(indexPathOfDelay(sections, 1, at(300)), (RowPosition{1, 1}));
    EXPECT_EQ(indexPathOfDelay(sections, 1, at(301)), std::nullopt);
    EXPECT_EQ(indexPathOfDelay(sections, 8, at(300)), std::nullopt);
}

TEST(Guards, RowSelectionAndTheQuestionsAsked)
{
    EXPECT_EQ(rowSelectionAction(std::nullopt, 4), RowSelectionAction::ShowHeat);
    EXPECT_EQ(rowSelectionAction(HeatDelayIdentifier{4, at(0)}, 4), RowSelectionAction::SelectDelayInShownHeat);
    EXPECT_EQ(rowSelectionAction(HeatDelayIdentifier{3, at(0)}, 4), RowSelectionAction::GuardPreviousHeat);

    EXPECT_EQ(guardOutcome(false, false), GuardOutcome::Proceed);
    EXPECT_EQ(guardOutcome(true, true), GuardOutcome::AskSavingInProgress);
    EXPECT_EQ(guardOutcome(false, true), GuardOutcome::AskUnsavedDelays);
    EXPECT_EQ(guardQuestion(GuardOutcome::Proceed), std::nullopt);
    EXPECT_EQ(guardQuestion(GuardOutcome::AskSavingInProgress),
              (AlertText{"There is a saving in progress. Do you want to proceed?",
                         "If you select Yes, you may lose unsaved data."}));
    EXPECT_EQ(guardQuestion(GuardOutcome::AskUnsavedDelays),
              (AlertText{"You have unsaved delays. Do you want to proceed?",
                         "If you select Yes, all changes will be lost."}));
}

TEST(Guards, FurnaceSwitchChecksTheSelectedHeatOnTheShownFurnace)
{
    const std::vector heats{heat(1, 0, 10, std::nullopt, 12), heat(2, 0, 10, std::nullopt, 12)};
    const HeatDelayIdentifier selected{2, at(0)};
    EXPECT_EQ(furnaceSwitchCheck(selected, heats, 7), (FurnaceSwitchCheck{2, 12}));
    EXPECT_EQ(furnaceSwitchCheck(selected, heats, 12), std::nullopt);
    EXPECT_EQ(furnaceSwitchCheck(std::nullopt, heats, 7), std::nullopt);
    EXPECT_EQ(furnaceSwitchCheck(selected, {}, 7), std::nullopt);
}

TEST(FurnaceSelection, FurnaceAfterDownload)
{
    using FurnaceSelection::furnaceAfterDownload;
    const std::vector<Furnace> furnaces{furnace(4, "EAF 1"), furnace(9, "EAF 2")};
    EXPECT_EQ(furnaceAfterDownload({}, 4), std::nullopt);
    EXPECT_EQ(furnaceAfterDownload(furnaces, 0), 4);
    EXPECT_EQ(furnaceAfterDownload(furnaces, -3), 4);
    EXPECT_EQ(furnaceAfterDownload(furnaces, 77), 4); // no longer listed
    EXPECT_EQ(furnaceAfterDownload(furnaces, 9), 9);

    EXPECT_EQ(FurnaceSelection::furnaceTitle(std::nullopt), "No Furnace");
    EXPECT_EQ(FurnaceSelection::furnaceTitle(furnaces[1]), "EAF 2");
}

TEST(FurnaceSelection, CheckMarkAndTaps)
{
    using namespace FurnaceSelection;
    const std::vector<Furnace> furnaces{furnace(4, "EAF 1"), furnace(9, "EAF 2")};

    EXPECT_FALSE(row(furnaces, 0, 0).checked); // nothing chosen yet: no check mark, list at the top
    EXPECT_EQ(initialRow(furnaces, 0), std::nullopt);
    EXPECT_TRUE(row(furnaces, 9, 1).checked);
    EXPECT_EQ(row(furnaces, 9, 1).text, "EAF 2");
    EXPECT_EQ(row(furnaces, 9, 5).text, "");
    EXPECT_EQ(initialRow(furnaces, 9), 1u);

    EXPECT_EQ(choose(furnaces, 9, 1).kind, Choice::Kind::Unchanged);
    EXPECT_EQ(choose(furnaces, 9, 2).kind, Choice::Kind::Ignored);
    const Choice picked = choose(furnaces, 9, 0);
    EXPECT_EQ(picked.kind, Choice::Kind::Selected);
    EXPECT_EQ(picked.uncheckedRow, 1u);
    ASSERT_TRUE(picked.furnace);
    EXPECT_EQ(picked.furnace->id, 4);
    EXPECT_EQ(choose(furnaces, 0, 1).uncheckedRow, std::nullopt);
}

} // namespace
} // namespace orvendel::screens
