#include "app/controllers/heats_list_model.hpp"

#include "app/controllers/display_text.hpp"
#include "core/screens/heats_table.hpp"

#include <algorithm>
#include <numbers>
#include <utility>

namespace orvendel::app {

HeatsListModel::HeatsListModel(QObject* parent) : QAbstractListModel(parent) {}

void HeatsListModel::layOut()
{
    m_entries.clear();
    for (std::size_t s = 0; s < m_sections.size(); ++s) {
        const auto& section = m_sections[s];
        m_entries.push_back({s, 0, true});
        if (!section.collapsed) {
            for (std::size_t r = 0; r < section.items.size(); ++r) {
                m_entries.push_back({s, r, false});
            }
        }
    }
}

void HeatsListModel::reset(std::vector<screens::Section> sections, std::optional<screens::RowPosition> highlighted)
{
    beginResetModel();
    m_sections = std::move(sections);
    m_highlighted = highlighted;
    layOut();
    endResetModel();
}

int HeatsListModel::headerIndex(std::size_t section) const
{
    const auto header = std::find_if(m_entries.begin(), m_entries.end(),
                                     [section](const Entry& e) { return e.header && e.section == section; });
    return header == m_entries.end() ? -1 : static_cast<int>(header - m_entries.begin());
}

void HeatsListModel::sectionEdited(std::size_t section, screens::Section edited,
                                   const screens::HeatsTable::RowsChange& rows,
                                   std::optional<screens::RowPosition> highlighted)
{
    const int header = headerIndex(section);
    if (header < 0) {
        return;
    }
    const auto oldHighlighted = std::exchange(m_highlighted, highlighted);
    const bool shown = !m_sections[section].collapsed;
    m_sections[section] = std::move(edited);
    m_sections[section].collapsed = !shown;
    if (shown) {
        const int first = header + 1 + static_cast<int>(rows.first);
        const int changedEnd = first + static_cast<int>(rows.changed); // one past the rows changed in place
        if (rows.removed > 0) {
            beginRemoveRows({}, changedEnd, changedEnd + static_cast<int>(rows.removed) - 1);
            m_entries.erase(m_entries.begin() + changedEnd,
                            m_entries.begin() + changedEnd + static_cast<int>(rows.removed));
            endRemoveRows();
        }
        if (rows.inserted > 0) {
            beginInsertRows({}, changedEnd, changedEnd + static_cast<int>(rows.inserted) - 1);
            m_entries.insert(m_entries.begin() + changedEnd, rows.inserted, Entry{section, 0, false});
            endInsertRows();
        }
        // Rows after a row that came or went moved: their row numbers are renumbered in place.
        int end = changedEnd + static_cast<int>(rows.inserted);
        std::size_t row = rows.first;
        for (int i = first; i < static_cast<int>(m_entries.size()) && !m_entries[static_cast<std::size_t>(i)].header;
             ++i, ++row) {
            m_entries[static_cast<std::size_t>(i)].row = row;
            if (rows.removed > 0 || rows.inserted > 0) {
                end = i + 1;
            }
        }
        if (rows.changed > 0) {
            emit dataChanged(index(first), index(changedEnd - 1));
        }
        if (end > changedEnd + static_cast<int>(rows.inserted)) {
            emit dataChanged(index(changedEnd + static_cast<int>(rows.inserted)), index(end - 1),
                             {RowRole, SelectedRole});
        }
    }
    if (rows.headerChanged) {
        emit dataChanged(index(header), index(header), {TitleRole, DescriptionRole, IndicatorTextRole});
    }
    if (oldHighlighted != m_highlighted) {
        emitRowChanged(oldHighlighted);
        emitRowChanged(m_highlighted);
    }
}

void HeatsListModel::sectionToggled(std::size_t section, bool collapsed)
{
    if (section >= m_sections.size()) {
        return;
    }
    const auto header = std::find_if(m_entries.begin(), m_entries.end(),
                                     [section](const Entry& e) { return e.header && e.section == section; });
    if (header == m_entries.end()) {
        return;
    }
    const int headerIndex = static_cast<int>(header - m_entries.begin());
    const auto& items = m_sections[section].items;
    const bool shownNow = !collapsed;
    const auto next = header + 1;
    const bool shownBefore = next != m_entries.end() && !next->header;
    if (!items.empty() && shownNow != shownBefore) {
        const int first = headerIndex + 1;
        if (shownNow) {
            beginInsertRows({}, first, first + static_cast<int>(items.size()) - 1);
            std::vector<Entry> rows;
            for (std::size_t r = 0; r < items.size(); ++r) {
                rows.push_back({section, r, false});
            }
            m_entries.insert(m_entries.begin() + first, rows.begin(), rows.end());
            endInsertRows();
        } else {
            auto end = m_entries.begin() + first;
            while (end != m_entries.end() && !end->header) {
                ++end;
            }
            const int last = static_cast<int>(end - m_entries.begin()) - 1;
            beginRemoveRows({}, first, last);
            m_entries.erase(m_entries.begin() + first, end);
            endRemoveRows();
        }
    }
    // The header's own state changes once the rows beneath it have: dataChanged says so.
    m_sections[section].collapsed = collapsed;
    const auto at = index(headerIndex);
    emit dataChanged(at, at, {CollapsedRole, ArrowRotationRole});
}

void HeatsListModel::emitRowChanged(const std::optional<screens::RowPosition>& position)
{
    if (!position) {
        return;
    }
    const int row = indexOf(*position);
    if (row >= 0) {
        emit dataChanged(index(row), index(row), {SelectedRole});
    }
}

void HeatsListModel::setHighlighted(std::optional<screens::RowPosition> highlighted)
{
    const auto old = std::exchange(m_highlighted, highlighted);
    emitRowChanged(old);
    emitRowChanged(m_highlighted);
}

int HeatsListModel::indexOf(const screens::RowPosition& position) const
{
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const auto& e = m_entries[i];
        if (!e.header && e.section == position.section && e.row == position.row) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int HeatsListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_entries.size());
}

QVariant HeatsListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= m_entries.size()) {
        return {};
    }
    const Entry& e = m_entries[static_cast<std::size_t>(index.row())];
    const auto& section = m_sections[e.section];
    switch (role) {
    case IsHeaderRole:
        return e.header;
    case SectionRole:
        return static_cast<int>(e.section);
    case RowRole:
        return static_cast<int>(e.row);
    case CollapsedRole:
        return section.collapsed;
    case ArrowRotationRole:
        return screens::HeatsTable::arrowRotation(section.collapsed) * 180.0 / std::numbers::pi;
    default:
        break;
    }
    if (e.header) {
        switch (role) {
        case TitleRole:
            return QString::fromStdString(screens::HeatsTable::headerTitle(section));
        case DescriptionRole:
            return QString::fromStdString(screens::HeatsTable::headerDescription(section));
        case IndicatorTextRole:
            return QString::fromStdString(screens::HeatsTable::unknownIndicatorText(section));
        default:
            return {};
        }
    }
    const auto& item = section.items[e.row];
    switch (role) {
    case TitleRole:
        return displayText(item.title);
    case DescriptionRole:
        return displayText(item.description);
    case UnknownRole:
        return item.isDelayUnknown;
    case EditedRole:
        return item.isDelayEdited;
    case SelectedRole:
        return m_highlighted && m_highlighted->section == e.section && m_highlighted->row == e.row;
    default:
        return {};
    }
}

QHash<int, QByteArray> HeatsListModel::roleNames() const
{
    return {{IsHeaderRole, "isHeader"},
            {SectionRole, "section"},
            {RowRole, "row"},
            {TitleRole, "title"},
            {DescriptionRole, "description"},
            {IndicatorTextRole, "indicatorText"},
            {UnknownRole, "unknown"},
            {EditedRole, "edited"},
            {SelectedRole, "selected"},
            {CollapsedRole, "collapsed"},
            {ArrowRotationRole, "arrowRotation"}};
}

} // namespace orvendel::app
