#include "core/screens/reason_tree.hpp"

#include <algorithm>
#include <map>

namespace orvendel::screens {
namespace {

using ChildrenOf = std::map<int, std::vector<const Reason*>>;

std::string identifierOf(const Reason& row)
{
    return row.id ? "r" + std::to_string(*row.id) : "c" + std::to_string(row.categoryId);
}

void sortByDescription(std::vector<ReasonNode>& nodes)
{
    // Byte order of UTF-8 text is code-point order: upper case sorts before lower case.
    std::stable_sort(nodes.begin(), nodes.end(), [](const ReasonNode& left, const ReasonNode& right) {
        return left.reason.description < right.reason.description;
    });
}

// Each category key names one row and each row one parent, so going down from a root never meets a node
// twice: rows caught in a loop of parents are simply never reached.
ReasonNode makeNode(const Reason& row, const ChildrenOf& childrenOf)
{
    ReasonNode node{identifierOf(row), row, {}};
    if (node.isCategory()) {
        if (const auto children = childrenOf.find(row.categoryId); children != childrenOf.end()) {
            for (const Reason* child : children->second) {
                node.children.push_back(makeNode(*child, childrenOf));
            }
        }
        sortByDescription(node.children);
    }
    return node;
}

bool findChain(const std::vector<ReasonNode>& nodes, int reasonId, std::vector<const ReasonNode*>& chain)
{
    for (const auto& node : nodes) {
        if (node.isCategory()) {
            if (findChain(node.children, reasonId, chain)) {
                chain.push_back(&node);
                return true;
            }
        } else if (node.reason.id == reasonId) {
            return true;
        }
    }
    return false;
}

// `expanded` none: every category is open.
void appendVisible(const std::vector<ReasonNode>& nodes, int level, const std::set<std::string>* expanded,
                   std::vector<VisibleReasonRow>& rows)
{
    for (const auto& node : nodes) {
        const bool open = node.isCategory() && (!expanded || expanded->contains(node.identifier));
        rows.push_back({&node, level, node.isCategory(), open});
        if (open) {
            appendVisible(node.children, level + 1, expanded, rows);
        }
    }
}

} // namespace

ReasonTree::ReasonTree(const std::vector<Reason>& rows)
{
    // Leaves are keyed by reason id, categories by category id; a later row takes the earlier one's place.
    std::vector<Reason> leaves;
    std::vector<Reason> categories;
    std::map<int, std::size_t> leafAt;
    std::map<int, std::size_t> categoryAt;
    for (const auto& row : rows) {
        auto& list = row.id ? leaves : categories;
        auto& index = row.id ? leafAt : categoryAt;
        const int key = row.id ? *row.id : row.categoryId;
        if (const auto found = index.find(key); found != index.end()) {
            list[found->second] = row;
        } else {
            index.emplace(key, list.size());
            list.push_back(row);
        }
    }
    ChildrenOf childrenOf;
    for (const auto* list : {&leaves, &categories}) {
        for (const auto& row : *list) {
            if (row.parentCategoryId) {
                childrenOf[*row.parentCategoryId].push_back(&row);
            }
        }
    }
    for (const auto& category : categories) {
        if (!category.parentCategoryId) {
            m_roots.push_back(makeNode(category, childrenOf));
        }
    }
    sortByDescription(m_roots);
}

const ReasonNode* ReasonTree::leaf(int reasonId) const
{
    const auto chain = chainTo(reasonId);
    if (!chain) {
        return nullptr;
    }
    const auto& siblings = chain->empty() ? m_roots : chain->front()->children;
    const auto found = std::find_if(siblings.begin(), siblings.end(),
                                    [&](const ReasonNode& node) { return node.reason.id == reasonId; });
    return found == siblings.end() ? nullptr : &*found;
}

std::optional<std::vector<const ReasonNode*>> ReasonTree::chainTo(int reasonId) const
{
    std::vector<const ReasonNode*> chain;
    if (!findChain(m_roots, reasonId, chain)) {
        return std::nullopt;
    }
    return chain;
}

std::set<std::string> ReasonTree::branchOf(int reasonId) const
{
    std::set<std::string> identifiers;
    if (const auto chain = chainTo(reasonId)) {
        for (const auto* category : *chain) {
            identifiers.insert(category->identifier);
        }
    }
    return identifiers;
}

std::vector<VisibleReasonRow> ReasonTree::visibleRows(const std::set<std::string>& expanded) const
{
    std::vector<VisibleReasonRow> rows;
    appendVisible(m_roots, 0, &expanded, rows);
    return rows;
}

std::vector<VisibleReasonRow> ReasonTree::allRows() const
{
    std::vector<VisibleReasonRow> rows;
    appendVisible(m_roots, 0, nullptr, rows);
    return rows;
}

} // namespace orvendel::screens
