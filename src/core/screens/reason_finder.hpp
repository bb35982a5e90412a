#pragma once

#include "core/model/texts.hpp"
#include "core/screens/reason_tree.hpp"

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace orvendel::screens {

// The reason finder's state: the tree of the stored rows, which categories are open and which leaf is
// checked. Only a leaf the tree shows can be checked or assigned; a current reason the tree does not hold
// preselects nothing.
// Thread contract: a value used from one thread at a time (the flow's user-interface executor).
class ReasonFinder {
public:
    static constexpr const char* title = texts::findReasonTitle;
    static constexpr const char* closeTitle = "Close";
    static constexpr const char* assignTitle = texts::assignReason;
    static constexpr const char* noDataText = texts::noReasonsMessage;

    explicit ReasonFinder(std::optional<int> selectedReasonId = std::nullopt);
    // The rows point into the tree.
    ReasonFinder(const ReasonFinder&) = delete;
    ReasonFinder& operator=(const ReasonFinder&) = delete;

    // Builds the tree from the store's rows. The chosen reason and the open categories carry over a
    // rebuild; the branch of the chosen reason opens the first time the tree holds it.
    void load(const std::vector<Reason>& rows);

    bool isLoaded() const { return m_loaded; }
    // Loaded, and nothing to show.
    bool showsNoData() const { return m_loaded && m_tree.empty(); }
    const ReasonTree& tree() const { return m_tree; }
    const std::vector<VisibleReasonRow>& rows() const { return m_rows; }
    const std::set<std::string>& expanded() const { return m_expanded; }

    const std::optional<int>& selectedReasonId() const { return m_selectedReasonId; }
    // The checked leaf; none while the chosen reason is not in the tree.
    const ReasonNode* selectedNode() const { return m_selectedNode; }
    bool isAssignEnabled() const { return m_selectedNode != nullptr; }
    bool isChecked(std::size_t row) const;
    // The visible row of the checked leaf, to scroll to.
    std::optional<std::size_t> checkedRow() const;

    enum class Tap {
        ignored,  // beyond the list, or the leaf already checked
        toggled,  // a category opened or closed
        selected, // another leaf is checked now
    };
    Tap tap(std::size_t row);

private:
    void refreshRows();

    std::optional<int> m_selectedReasonId;
    const ReasonNode* m_selectedNode = nullptr;
    bool m_loaded = false;
    bool m_branchOpened = false;
    ReasonTree m_tree;
    std::set<std::string> m_expanded;
    std::vector<VisibleReasonRow> m_rows;
};

} // namespace orvendel::screens
