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
    const auto sections =
        buildSections({heat(1, 0, 3600, std::vector{delay(1, 0, 60, 0), delay(1, 100, 160, 4), delay(1, 200, 260, 0)}),
                       heat(2, 0, 3600, std::vector{delay(2, 0, 60, 4)}), heat(3, 0, 3600, std::nullopt),
                       heat(4, 0, 3600, std::vector{delay(4, 0, 60, 4), delay(4, 100, 160, 0)})},
                      {});
    ASSERT_EQ(sections.size(), 4u);
    const auto& first = sections[0];
    EXPECT_EQ(HeatsTable::headerTitle(first), "Heat 101");
    EXPECT_EQ(HeatsTable::headerDescription(first), "3 Delays");
    EXPECT_EQ(HeatsTable::unknownDelayCount(first), 2u);
    EXPECT_EQ(HeatsTable::unknownIndicatorText(first), "2");

    EXPECT_EQ(HeatsTable::headerDescription(sections[1]), "1 Delay");
    EXPECT_EQ(HeatsTable::unknownIndicatorText(sections[1]), ""); // indicator hidden

    // A heat without a delay list still gets a section, with no rows.
    EXPECT_TRUE(sections[2].items.empty());
    EXPECT_EQ(HeatsTable::headerDescription(sections[2]), "0 Delays");

    // A single unknown delay still shows the badge.
    EXPECT_EQ(HeatsTable::unknownDelayCount(sections[3]), 1u);
    EXPECT_EQ(HeatsTable::unknownIndicatorText(sections[3]), "1");
}

TEST(HeatSections, NewHeatsStartCollapsedAndExpandedOnesStayExpanded)
{
    std::vector heats{heat(1, 0, 10, std::nullopt), heat(2, 0, 10, std::nullopt)};
    auto first = buildSections(heats, {});
    EXPECT_TRUE(first[0].collapsed);
    EXPECT_TRUE(first[1].collapsed);

    ASSERT_TRUE(HeatsTable::toggleSection(first, 1));
    EXPECT_FALSE(HeatsTable::toggleSection(first, 2));
    heats.insert(heats.begin(), heat(3, 0, 10, std::nullopt)); // order of the input is kept, never sorted
    const auto second = buildSections(heats, first);
    ASSERT_EQ(second.size(), 3u);
    EXPECT_EQ(second[0].heatId, 3);
    EXPECT_TRUE(second[0].collapsed);
    EXPECT_TRUE(second[1].collapsed);
    EXPECT_FALSE(second[2].collapsed);
}

TEST(HeatsTable, AnEditChangesOnlyTheRowsItTouched)
{
    using HeatsTable::diffRows;
    const auto stored = heat(1, 0, 3600, std::vector{delay(1, 0, 60, 0), delay(1, 100, 200, 0), delay(1, 300, 360, 4)});
    const Section before = makeSection(*stored, false);

    // A reason assigned: that row, and the header because the unknown count went down.
    auto classified = *stored;
    classified.delays = std::vector{(*stored->delays)[0], delay(1, 100, 200, 5), (*stored->delays)[2]};
    auto change = diffRows(before, makeSection(classified, false));
    EXPECT_EQ(change.first, 1u);
    EXPECT_EQ(change.changed, 1u);
    EXPECT_EQ(change.removed + change.inserted, 0u);
    EXPECT_TRUE(change.headerChanged);

    // A split: the first piece changed in place, the second put in after it; "3 Delays" became "4 Delays".
    auto split = *stored;
    split.delays =
        std::vector{(*stored->delays)[0], delay(1, 100, 150, 0), delay(1, 150, 200, 0), (*stored->delays)[2]};
    change = diffRows(before, makeSection(split, false));
    EXPECT_EQ(change.first, 1u);
    EXPECT_EQ(change.changed, 1u);
    EXPECT_EQ(change.inserted, 1u);
    EXPECT_TRUE(change.headerChanged);

    // Undone: the other way round.
    change = diffRows(makeSection(split, false), before);
    EXPECT_EQ(change.changed, 1u);
    EXPECT_EQ(change.removed, 1u);

    // A comment changes no text the list shows: nothing to redraw.
    EXPECT_TRUE(diffRows(before, makeSection(*stored, false)).none());
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
