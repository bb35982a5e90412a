#include "app/controllers/reason_finder_controller.hpp"

#include "app/controllers/display_text.hpp"

namespace orvendel::app {

void ReasonRowsModel::update(const screens::ReasonFinder& finder)
{
    QVector<Row> rows;
    rows.reserve(static_cast<qsizetype>(finder.rows().size()));
    for (std::size_t i = 0; i < finder.rows().size(); ++i) {
        const auto& row = finder.rows()[i];
        rows.push_back({QString::fromStdString(row.node->identifier), displayText(row.node->reason.description),
                        row.indentationLevel, row.isExpandable, row.isExpanded, finder.isChecked(i)});
    }
    // A category opening or closing changes one run of rows; anything else, the first rows among them, is a
    // new list (which the view shows at once rather than fading in).
    qsizetype head = 0;
    while (head < m_rows.size() && head < rows.size() && m_rows[head].identifier == rows[head].identifier) {
        ++head;
    }
    qsizetype tail = 0;
    while (tail < m_rows.size() - head && tail < rows.size() - head &&
           m_rows[m_rows.size() - 1 - tail].identifier == rows[rows.size() - 1 - tail].identifier) {
        ++tail;
    }
    const qsizetype removed = m_rows.size() - head - tail;
    const qsizetype inserted = rows.size() - head - tail;
    if (m_rows.isEmpty() || (removed > 0 && inserted > 0)) {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
        return;
    }
    if (removed > 0) {
        beginRemoveRows({}, static_cast<int>(head), static_cast<int>(head + removed - 1));
        m_rows.remove(head, removed);
        endRemoveRows();
    } else if (inserted > 0) {
        beginInsertRows({}, static_cast<int>(head), static_cast<int>(head + inserted - 1));
        m_rows.insert(head, inserted, Row{});
        std::copy(rows.begin() + head, rows.begin() + head + inserted, m_rows.begin() + head);
        endInsertRows();
    }
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        if (!(m_rows[i] == rows[i])) {
            m_rows[i] = rows[i];
            emit dataChanged(index(static_cast<int>(i)), index(static_cast<int>(i)));
        }
    }
}

int ReasonRowsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant ReasonRowsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= m_rows.size()) {
        return {};
    }
    const Row& row = m_rows[index.row()];
    switch (role) {
    case DescriptionRole:
        return row.description;
    case IndentationLevelRole:
        return row.indentationLevel;
    case IsExpandableRole:
    case IsCategoryRole:
        return row.isExpandable;
    case IsExpandedRole:
        return row.isExpanded;
    case IsCheckedRole:
        return row.isChecked;
    case IdentifierRole:
        return row.identifier;
    default:
        return {};
    }
}

QHash<int, QByteArray> ReasonRowsModel::roleNames() const
{
    return {{DescriptionRole, "description"},   {IndentationLevelRole, "indentationLevel"},
            {IsExpandableRole, "isExpandable"}, {IsExpandedRole, "isExpanded"},
            {IsCheckedRole, "isChecked"},       {IsCategoryRole, "isCategory"},
            {IdentifierRole, "identifier"}};
}

ReasonFinderController::ReasonFinderController(std::shared_ptr<flows::ReasonFinderFlow> flow, QObject* parent)
    : QObject(parent), m_flow(std::move(flow)), m_rows(this)
{
    m_flowChanges = m_flow->setChangeHandler([this] {
        m_rows.update(m_flow->finder());
        emit changed();
        if (!m_tapping) {
            emit loaded();
        }
    });
    // The store may have answered before this controller existed.
    if (m_flow->finder().isLoaded()) {
        m_rows.update(m_flow->finder());
    }
}

QString ReasonFinderController::title() const
{
    return QString::fromUtf8(screens::ReasonFinder::title);
}

QString ReasonFinderController::closeTitle() const
{
    return QString::fromUtf8(screens::ReasonFinder::closeTitle);
}

QString ReasonFinderController::assignTitle() const
{
    return QString::fromUtf8(screens::ReasonFinder::assignTitle);
}

QString ReasonFinderController::noDataText() const
{
    return QString::fromUtf8(screens::ReasonFinder::noDataText);
}

bool ReasonFinderController::assignEnabled() const
{
    return m_flow->finder().isAssignEnabled();
}

bool ReasonFinderController::showsNoData() const
{
    return m_flow->finder().showsNoData();
}

int ReasonFinderController::checkedRow() const
{
    const auto row = m_flow->finder().checkedRow();
    return row ? static_cast<int>(*row) : -1;
}

void ReasonFinderController::tapRow(int row)
{
    if (row < 0) {
        return;
    }
    m_tapping = true;
    m_flow->tapRow(static_cast<std::size_t>(row));
    m_tapping = false;
}

void ReasonFinderController::assign()
{
    if (m_flow->assign()) {
        emit finished();
    }
}

void ReasonFinderController::close()
{
    m_flow->close();
    emit finished();
}

} // namespace orvendel::app
