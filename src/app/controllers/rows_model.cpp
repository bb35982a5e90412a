#include "app/controllers/rows_model.hpp"

namespace orvendel::app {

RowsModel::RowsModel(QStringList roles, QObject* parent) : QAbstractListModel(parent), m_roles(std::move(roles)) {}

void RowsModel::update(QList<QVariantMap> rows)
{
    // The same rows at both ends stay as they are; between them rows change in place, then come or go there
    // (a split's new segment is one row put in, not every later row changed).
    const qsizetype shorter = std::min(m_rows.size(), rows.size());
    qsizetype first = 0;
    while (first < shorter && m_rows[first] == rows[first]) {
        ++first;
    }
    qsizetype suffix = 0;
    while (first + suffix < shorter && m_rows[m_rows.size() - 1 - suffix] == rows[rows.size() - 1 - suffix]) {
        ++suffix;
    }
    const qsizetype oldSpan = m_rows.size() - first - suffix;
    const qsizetype newSpan = rows.size() - first - suffix;
    const qsizetype inPlace = std::min(oldSpan, newSpan);
    for (qsizetype row = first; row < first + inPlace; ++row) {
        QList<int> changed;
        for (qsizetype role = 0; role < m_roles.size(); ++role) {
            if (m_rows[row].value(m_roles[role]) != rows[row].value(m_roles[role])) {
                changed.push_back(Qt::UserRole + static_cast<int>(role));
            }
        }
        if (changed.isEmpty()) {
            continue;
        }
        m_rows[row] = std::move(rows[row]);
        emit dataChanged(index(static_cast<int>(row)), index(static_cast<int>(row)), changed);
    }
    const qsizetype at = first + inPlace;
    if (oldSpan > newSpan) {
        beginRemoveRows({}, static_cast<int>(at), static_cast<int>(at + oldSpan - newSpan) - 1);
        m_rows.remove(at, oldSpan - newSpan);
        endRemoveRows();
        emit countChanged();
    } else if (newSpan > oldSpan) {
        beginInsertRows({}, static_cast<int>(at), static_cast<int>(at + newSpan - oldSpan) - 1);
        for (qsizetype row = at; row < at + newSpan - oldSpan; ++row) {
            m_rows.insert(row, std::move(rows[row]));
        }
        endInsertRows();
        emit countChanged();
    }
}

int RowsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant RowsModel::data(const QModelIndex& index, int role) const
{
    const int column = role - Qt::UserRole;
    if (!index.isValid() || index.row() >= count() || column < 0 || column >= m_roles.size()) {
        return {};
    }
    return m_rows[index.row()].value(m_roles[column]);
}

QHash<int, QByteArray> RowsModel::roleNames() const
{
    QHash<int, QByteArray> names;
    for (qsizetype role = 0; role < m_roles.size(); ++role) {
        names.insert(Qt::UserRole + static_cast<int>(role), m_roles[role].toUtf8());
    }
    return names;
}

} // namespace orvendel::app
