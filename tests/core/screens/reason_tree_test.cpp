#include "core/screens/reason_finder.hpp"
#include "core/screens/reason_tree.hpp"

#include <gtest/gtest.h>

namespace orvendel::screens {
namespace {

Reason category(int categoryId, std::optional<int> parent, std::string description)
{
    return Reason{std::nullopt, categoryId, parent, std::move(description), "", "rgb(1, 2, 3)"};
}

Reason leaf(int id, std::optional<int> parent, std::string description)
{
    return Reason{id, 100 + id, parent, std::move(description), "", "rgb(1, 2, 3)"};
}

// C1 holds C2 and R8; C2 holds R7.
std::vector<Reason> plant()
{
    return {category(1, std::nullopt, "C1"), category(2, 1, "C2"), leaf(7, 2, "R7"), leaf(8, 1, "R8")};
}

std::vector<std::string> described(const std::vector<VisibleReasonRow>& rows)
{
    std::vector<std::string> texts;
    for (const auto& row : rows) {
        texts.push_back(std::string(static_cast<std::size_t>(row.indentationLevel), ' ') +
                        row.node->reason.description);
    }
    return texts;
}

std::vector<std::string> descriptions(const std::vector<ReasonNode>& nodes)
{
    std::vector<std::string> texts;
    for (const auto& node : nodes) {
        texts.push_back(node.reason.description);
    }
    return texts;
}

TEST(ReasonTree, LinksRowsToTheirCategoriesAndSortsSiblings)
{
    const ReasonTree tree(plant());
    ASSERT_EQ(tree.roots().size(), 1u);
    const auto& c1 = tree.roots()[0];
    EXPECT_EQ(c1.identifier, "c1");
    EXPECT_EQ(descriptions(c1.children), (std::vector<std::string>{"C2", "R8"}));
    EXPECT_EQ(descriptions(c1.children[0].children), std::vector<std::string>{"R7"});
    EXPECT_EQ(c1.children[0].children[0].identifier, "r7");

    // Plain code-point order at every level, the roots too.
    const ReasonTree sorted({category(5, std::nullopt, "b"), category(6, std::nullopt, "A"),
                             category(7, std::nullopt, "a"), leaf(1, 5, "b"), leaf(2, 5, "A"), leaf(3, 5, "a")});
    EXPECT_EQ(descriptions(sorted.roots()), (std::vector<std::string>{"A", "a", "b"}));
    EXPECT_EQ(descriptions(sorted.roots()[2].children), (std::vector<std::string>{"A", "a", "b"}));
}

TEST(ReasonTree, ShowsOnlyWhatHangsFromATopLevelCategory)
{
    auto rows = plant();
    rows.push_back(leaf(9, std::nullopt, "top-level leaf"));
    rows.push_back(leaf(10, 42, "orphan"));
    rows.push_back(category(30, 31, "loop A"));
    rows.push_back(category(31, 30, "loop B"));
    rows.push_back(leaf(11, 30, "in the loop"));
    // A leaf is never a parent, even when its category id is the one named.
    rows.push_back(leaf(12, 107, "under a leaf"));
    const ReasonTree tree(rows);
    EXPECT_EQ(described(tree.allRows()), (std::vector<std::string>{"C1", " C2", "  R7", " R8"}));
    for (int hidden : {9, 10, 11, 12}) {
        EXPECT_FALSE(tree.chainTo(hidden)) << hidden;
        EXPECT_EQ(tree.leaf(hidden), nullptr) << hidden;
    }
}

TEST(ReasonTree, ALaterRowReplacesTheEarlierOneOfTheSameKey)
{
    auto rows = plant();
    rows.push_back(leaf(7, 1, "R7 moved"));
    rows.push_back(category(2, 1, "C2 renamed"));
    const ReasonTree tree(rows);
    EXPECT_EQ(described(tree.visibleRows({"c1", "c2"})),
              (std::vector<std::string>{"C1", " C2 renamed", " R7 moved", " R8"}));
}

TEST(ReasonTree, ChainRunsFromTheDirectParentUpAndOpensTheBranch)
{
    const ReasonTree tree(plant());
    const auto chain = tree.chainTo(7);
    ASSERT_TRUE(chain);
    ASSERT_EQ(chain->size(), 2u);
    EXPECT_EQ((*chain)[0]->reason.description, "C2");
    EXPECT_EQ((*chain)[1]->reason.description, "C1");
    EXPECT_EQ(tree.branchOf(7), (std::set<std::string>{"c1", "c2"}));
    EXPECT_TRUE(tree.branchOf(99).empty());

    const auto rows = tree.visibleRows(tree.branchOf(8));
    ASSERT_EQ(rows.size(), 3u); // C1 open, C2 closed
    EXPECT_TRUE(rows[0].isExpandable && rows[0].isExpanded);
    EXPECT_TRUE(rows[1].isExpandable && !rows[1].isExpanded);
    EXPECT_FALSE(rows[2].isExpandable);
    EXPECT_EQ(rows[2].indentationLevel, 1);
}

TEST(ReasonFinder, OpensOnTheCurrentReasonAndTapsFollowTheRules)
{
    ReasonFinder finder(7);
    EXPECT_FALSE(finder.isAssignEnabled());
    finder.load(plant());
    EXPECT_EQ(described(finder.rows()), (std::vector<std::string>{"C1", " C2", "  R7", " R8"}));
    EXPECT_TRUE(finder.isAssignEnabled());
    EXPECT_EQ(finder.checkedRow(), 2u);

    // Tapping the checked reason again changes nothing; a category opens and closes only.
    EXPECT_EQ(finder.tap(2), ReasonFinder::Tap::ignored);
    EXPECT_EQ(finder.tap(1), ReasonFinder::Tap::toggled);
    EXPECT_EQ(described(finder.rows()), (std::vector<std::string>{"C1", " C2", " R8"}));
    EXPECT_EQ(finder.selectedReasonId(), 7);
    EXPECT_FALSE(finder.checkedRow()); // checked but hidden
    EXPECT_TRUE(finder.isAssignEnabled());

    EXPECT_EQ(finder.tap(2), ReasonFinder::Tap::selected);
    EXPECT_EQ(finder.selectedReasonId(), 8);
    EXPECT_EQ(finder.selectedNode()->reason.description, "R8");
    EXPECT_EQ(finder.tap(9), ReasonFinder::Tap::ignored);
}

TEST(ReasonFinder, AReasonTheTreeDoesNotShowIsNotPreselected)
{
    auto rows = plant();
    rows.push_back(leaf(9, std::nullopt, "top-level leaf"));
    rows.push_back(leaf(10, 42, "orphan"));
    for (int current : {9, 10, 99}) {
        ReasonFinder finder(current);
        finder.load(rows);
        EXPECT_FALSE(finder.selectedNode()) << current;
        EXPECT_FALSE(finder.isAssignEnabled()) << current;
        EXPECT_FALSE(finder.checkedRow()) << current;
        EXPECT_EQ(finder.rows().size(), 1u) << current; // everything closed
    }
}

TEST(ReasonFinder, NoDataUntilRowsArriveThenARebuildKeepsWhatTheUserDid)
{
    ReasonFinder finder(7);
    finder.load({});
    EXPECT_TRUE(finder.showsNoData());
    EXPECT_FALSE(finder.isAssignEnabled());

    // Fresh rows: the branch of the current reason opens the first time it is found.
    finder.load(plant());
    EXPECT_FALSE(finder.showsNoData());
    EXPECT_EQ(finder.checkedRow(), 2u);

    finder.tap(3); // R8 checked
    finder.tap(1); // C2 closed
    auto rows = plant();
    rows.push_back(leaf(5, 1, "R5"));
    finder.load(rows);
    EXPECT_EQ(described(finder.rows()), (std::vector<std::string>{"C1", " C2", " R5", " R8"}));
    EXPECT_EQ(finder.selectedReasonId(), 8);
    EXPECT_EQ(finder.checkedRow(), 3u);

    // The checked reason gone from the rows: nothing can be assigned.
    finder.load({category(1, std::nullopt, "C1")});
    EXPECT_FALSE(finder.isAssignEnabled());
}

} // namespace
} // namespace orvendel::screens
