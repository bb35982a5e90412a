#include "core/service/wire_records.hpp"

#include <gtest/gtest.h>

namespace orvendel {
namespace {

wire::JSON_Reason node(int categoryId, std::optional<int> id, std::string name,
                       std::optional<std::vector<wire::JSON_Reason>> children = std::nullopt)
{
    wire::JSON_Reason reason;
    reason.id = id;
    reason.categoryId = categoryId;
    reason.description = name + " description";
    reason.shortDescription = name;
    reason.childReasons = std::move(children);
    return reason;
}

TEST(WireRecordsTest, TheReasonTreeFlattensDepthFirstUnderEachParentsCategory)
{
    // A(B(C), D), E with an empty child list
    const auto rows = wire_records::reasonRows(
        {node(1, std::nullopt, "A", std::vector{node(2, 20, "B", std::vector{node(3, 30, "C")}), node(4, 40, "D")}),
         node(5, 50, "E", std::vector<wire::JSON_Reason>{})});
    ASSERT_EQ(rows.size(), 5u);
    const std::vector<std::string> names{"A", "B", "C", "D", "E"};
    const std::vector<std::optional<int>> parents{std::nullopt, 1, 2, 1, std::nullopt};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].shortDescription, names[i]);
        EXPECT_EQ(rows[i].parentCategoryId, parents[i]) << names[i];
    }
    EXPECT_EQ(rows[0].id, std::nullopt);
    EXPECT_EQ(rows[2].id, 30);
    EXPECT_EQ(rows[2].categoryId, 3);
    EXPECT_EQ(rows[2].description, "C description");
    EXPECT_EQ(rows[2].colorString, wire::defaultReasonColor);
}

TEST(WireRecordsTest, HeatsKeepTheirTextsAndANullDelayListBecomesEmpty)
{
    wire::JSON_Delay delay;
    delay.delayId = 4;
    delay.reasonId = 11;
    delay.reasonDescription = "Crane";
    delay.startDate = "2019-03-07T08:00:00.5+0100";
    delay.endDate = "garbage";
    delay.timestamp = "AAE=";
    delay.comment = "late";
    wire::JSON_Heat withDelays{99, 1, 10, "2019-03-07T07:00:00Z", "2019-03-07T09:00:00-06:00", std::vector{delay}};
    wire::JSON_Heat withoutDelays{99, 2, 20, "a", "b", std::nullopt};

    const auto heats = wire_records::downloadedHeats({withDelays, withoutDelays});
    ASSERT_EQ(heats.size(), 2u);
    EXPECT_EQ(heats[0].heatId, 1);
    EXPECT_EQ(heats[0].heatNumber, 10);
    EXPECT_EQ(heats[0].endDate, "2019-03-07T09:00:00-06:00");
    ASSERT_EQ(heats[0].delays.size(), 1u);
    const DownloadedDelay& stored = heats[0].delays[0];
    EXPECT_EQ(stored.delayId, 4);
    EXPECT_EQ(stored.startDate, "2019-03-07T08:00:00.5+0100");
    EXPECT_EQ(stored.endDate, "garbage");
    EXPECT_EQ(stored.timestamp, "AAE=");
    EXPECT_EQ(stored.comment, "late");
    EXPECT_TRUE(heats[1].delays.empty());
}

} // namespace
} // namespace orvendel
