#include "core/screens/heat_sections.hpp"
#include "core/screens/heats_table.hpp"

#include "screens_fixtures.hpp"

#include <gtest/gtest.h>

#include <numbers>

namespace orvendel::screens {
namespace {

using testing::at;
using testing::delay;
using testing::heat;

TEST(HeatItems, DescriptionIsClockTimeInTheDelaysZoneAndMinutes)
{
    // 08:15:00 in the delay's own zone (UTC-06:00) is 14:15:00 UTC.
    const auto zone = TimeZone{-6 * 3600};
    const auto ninety = delay(1, 6 * 3600 + 900, 6 * 3600 + 990, 5, "rgb(1, 1, 1)", zone);
    EXPECT_EQ(itemDescription(*ninety), "08:15:00 - 1.5 min");
    EXPECT_EQ(itemDescription(*delay(1, 0, 40)), "08:00:00 - 0.7 min");

    auto unknown = delay(1, 0, 40, 0);
    unknown->isEdited = true;
    const Item item = makeItem(*unknown);
    EXPECT_EQ(item.title, "Reason 0");
    EXPECT_EQ(item.delayId, 1000);
    EXPECT_EQ(item.startDate, at(0));
    EXPECT_TRUE(item.isDelayUnknown);
    EXPECT_TRUE(item.isDelayEdited);
    EXPECT_FALSE(makeItem(*delay(1, 0, 40, 3)).isDelayUnknown);
}

TEST(HeatSections, HeadersAndUnknownCounts)
{
    const auto build =
        buildSections({heat(1, 0, 3600, std::vector{delay(1, 0, 60, 0), delay(1, 100, 160, 4), delay(1, 200, 260, 0)}),
                       heat(2, 0, 3600, std::vector{delay(2, 0, 60, 4)}), heat(3, 0, 3600, std::nullopt),
                       heat(4, 0, 3600, std::vector{delay(4, 0, 60, 4), delay(4, 100, 160, 0)})},
                      {}, {});
    ASSERT_EQ(build.sections.size(), 4u);
    const auto& first = build.sections[0];
    EXPECT_EQ(HeatsTable::headerTitle(first), "Heat 101");
    EXPECT_EQ(HeatsTable::headerDescription(first), "3 Delays");
    EXPECT_EQ(HeatsTable::unknownDelayCount(first), 2u);
    EXPECT_EQ(HeatsTable::unknownIndicatorText(first), "2");

    EXPECT_EQ(HeatsTable::headerDescription(build.sections[1]), "1 Delay");
    EXPECT_EQ(HeatsTable::unknownIndicatorText(build.sections[1]), ""); // indicator hidden

    // A heat without a delay list still gets a section, with no rows.
    EXPECT_TRUE(build.sections[2].items.empty());
    EXPECT_EQ(HeatsTable::headerDescription(build.sections[2]), "0 Delays");

    // A single unknown delay still shows the badge.
    EXPECT_EQ(HeatsTable::unknownDelayCount(build.sections[3]), 1u);
    EXPECT_EQ(HeatsTable::unknownIndicatorText(build.sections[3]), "1");
}

TEST(HeatSections, NewHeatsStartCollapsedAndExpandedOnesStayExpanded)
{
    std::vector heats{heat(1, 0, 10, std::nullopt), heat(2, 0, 10, std::nullopt)};
    auto first = buildSections(heats, {}, {});
    EXPECT_TRUE(first.sections[0].collapsed);
    EXPECT_TRUE(first.sections[1].collapsed);

    ASSERT_TRUE(HeatsTable::toggleSection(first.sections, 1));
    EXPECT_FALSE(HeatsTable::toggleSection(first.sections, 2));
    heats.insert(heats.begin(), heat(3, 0, 10, std::nullopt)); // order of the input is kept, never sorted
    const auto second = buildSections(heats, {}, first.sections);
    ASSERT_EQ(second.sections.size(), 3u);
    EXPECT_EQ(second.sections[0].heatId, 3);
    EXPECT_TRUE(second.sections[0].collapsed);
    EXPECT_TRUE(second.sections[1].collapsed);
    EXPECT_FALSE(second.sections[2].collapsed);
}

TEST(HeatSections, UnsavedEditsAreLaidOverTheStoredDelays)
{
    const auto stored = delay(1, 100, 200, 0);
    const auto untouched = delay(1, 0, 50, 4);
    const auto h = heat(1, 0, 3600, std::vector{untouched, stored});

    auto edit = stored->copy();
    edit->reasonId = 8;
    edit->reasonDescription = "Electrode";
    edit->isEdited = true;
    const auto build = buildSections({h}, groupEditsByHeat({edit}), {});

    ASSERT_EQ(build.sections[0].items.size(), 2u);
    EXPECT_EQ(build.sections[0].items[1].title, "Electrode");
    EXPECT_TRUE(build.sections[0].items[1].isDelayEdited);
    EXPECT_FALSE(build.sections[0].items[1].isDelayUnknown);
    EXPECT_FALSE(build.editedDelaysRemoved);

    // The returned heat carries the merged list; the stored record is left alone.
    EXPECT_EQ((*build.heats[0]->delays)[1], edit);
    EXPECT_EQ((*h->delays)[1], stored);
    // Edits of other heats do not touch this one.
    const auto other = buildSections({h}, groupEditsByHeat({delay(2, 100, 200)}), {});
    EXPECT_EQ(other.heats[0], h);
}

TEST(HeatSections, EditOfAnOlderVersionRaisesTheFlagOncePerRebuild)
{
    const auto stored = delay(1, 100, 200);
    stored->timestamp = "t2";
    auto staleOne = stored->copy();
    staleOne->timestamp = "t1";
    staleOne->isEdited = true;
    auto staleTwo = delay(1, 300, 400);
    staleTwo->delayId = stored->delayId;
    staleTwo->isEdited = true;

    const auto build =
        buildSections({heat(1, 0, 3600, std::vector{stored})}, groupEditsByHeat({staleOne, staleTwo}), {});
    EXPECT_TRUE(build.editedDelaysRemoved);
    ASSERT_EQ(build.sections[0].items.size(), 1u);
    EXPECT_FALSE(build.sections[0].items[0].isDelayEdited);
}

TEST(HeatsTable, RowsAndHeights)
{
    using namespace HeatsTable;
    std::optional<std::vector<Section>> data;
    EXPECT_EQ(numberOfRows(data, 0), 1u);
    EXPECT_EQ(rowHeight(data, 0), 0);

    data = std::vector<Section>{Section{1, 101, {}, true}, Section{2, 102, {}, false}};
    (*data)[0].items.resize(3);
    (*data)[1].items.resize(2);
    EXPECT_EQ(numberOfRows(data, 0), 1u); // collapsed: one empty row of height 0
    EXPECT_EQ(rowHeight(data, 0), 0);
    EXPECT_EQ(numberOfRows(data, 1), 2u);
    EXPECT_EQ(rowHeight(data, 1), 70);
    EXPECT_EQ(numberOfRows(data, 5), 1u);
    EXPECT_EQ(rowHeight(data, 5), 70);

    EXPECT_EQ(arrowRotation(true), 0);
    EXPECT_DOUBLE_EQ(arrowRotation(false), std::numbers::pi / 2);
}

} // namespace
} // namespace orvendel::screens
