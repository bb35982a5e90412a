#include "core/screens/reason_finder.hpp"

namespace orvendel::screens {

ReasonFinder::ReasonFinder(std::optional<int> selectedReasonId) : m_selectedReasonId(selectedReasonId) {}

void ReasonFinder::load(const std::vector<Reason>& rows)
{
    m_loaded = true;
    m_tree = ReasonTree(rows);
    m_selectedNode = m_selectedReasonId ? m_tree.leaf(*m_selectedReasonId) : nullptr;
    // Identifiers follow the rows' keys, so the open categories stay open in the rebuilt tree.
    if (m_selectedNode && !m_branchOpened) {
        m_branchOpened = true;
        m_expanded.merge(m_tree.branchOf(*m_selectedReasonId));
    }
    refreshRows();
}

void ReasonFinder::refreshRows()
{
    m_rows = m_tree.visibleRows(m_expanded);
}

bool ReasonFinder::isChecked(std::size_t row) const
{
    return row < m_rows.size() && m_selectedNode && m_rows[row].node == m_selectedNode;
}

std::optional<std::size_t> ReasonFinder::checkedRow() const
{
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        if (isChecked(row)) {
            return row;
        }
    }
    return std::nullopt;
}

ReasonFinder::Tap ReasonFinder::tap(std::size_t row)
{
    if (row >= m_rows.size()) {
        return Tap::ignored;
    }
    const ReasonNode& node = *m_rows[row].node;
    if (node.isCategory()) {
        if (!m_expanded.erase(node.identifier)) {
            m_expanded.insert(node.identifier);
        }
        refreshRows();
        return Tap::toggled;
    }
    if (m_selectedNode == &node) {
        return Tap::ignored;
    }
    m_selectedNode = &node;
    m_selectedReasonId = node.reason.id;
    return Tap::selected;
}

} // namespace orvendel::screens
