#pragma once

#include "core/model/reason.hpp"

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace orvendel::screens {

// One node of a furnace's reason tree. A row without `id` is a category and may have children; a row with
// one is a leaf reason. The identifier is derived from the row's key ("c" + category id, "r" + reason id),
// so it is unique in the tree and the same node keeps it when the tree is rebuilt from fresh rows.
struct ReasonNode {
    std::string identifier;
    Reason reason;
    std::vector<ReasonNode> children;

    bool isCategory() const { return !reason.id; }
};

// A node as the list shows it: the rows of the open categories' children follow their category.
struct VisibleReasonRow {
    const ReasonNode* node = nullptr;
    int indentationLevel = 0;
    bool isExpandable = false;
    bool isExpanded = false;
};

// The tree rebuilt from the flat rows the store keeps, and what the reason finder asks of it.
// Thread contract: a value; its functions are pure and may run on any thread.
class ReasonTree {
public:
    ReasonTree() = default;
    // Rows attach to the category whose category id their parent names; a later row with the same key
    // (reason id for leaves, category id for categories) replaces the earlier. Only categories without a
    // parent are roots: top-level leaves and nodes whose parent is missing are not part of the tree.
    // Siblings are sorted by description in code-point order.
    explicit ReasonTree(const std::vector<Reason>& rows);

    const std::vector<ReasonNode>& roots() const { return m_roots; }
    bool empty() const { return m_roots.empty(); }

    // The leaf of that reason id, when the tree holds it.
    const ReasonNode* leaf(int reasonId) const;
    // The categories leading to the leaf of `reasonId`, from its direct parent up to the top level; none
    // when the tree does not hold that leaf.
    std::optional<std::vector<const ReasonNode*>> chainTo(int reasonId) const;
    // The identifiers of the categories to open so that the leaf shows (empty when it is not in the tree).
    std::set<std::string> branchOf(int reasonId) const;

    // The rows shown when the categories named in `expanded` are open, depth first.
    std::vector<VisibleReasonRow> visibleRows(const std::set<std::string>& expanded) const;
    // The rows with every category open.
    std::vector<VisibleReasonRow> allRows() const;

private:
    std::vector<ReasonNode> m_roots;
};

} // namespace orvendel::screens
