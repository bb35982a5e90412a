#include "app/controllers/rows_model.hpp"

namespace orvendel::app {

RowsModel::RowsModel(QStringList roles, QObject* parent) : QAbstractListModel(parent), m_roles(std::move(roles)) {}

void RowsModel::update(QList<QVariantMap> rows)
{
    const qsizetype common = std::min(m_rows.size(), rows.size());
    for (qsizetype row = 0; row < common; ++row) {
        if (m_rows[row] == rows[row]) {
            continue;
        }
        QList<int> changed;
        for (qsizetype role = 0; role < m_roles.size(); ++role) {
            if (m_rows[row].value(m_roles[role]) != rows[row].value(m_roles[role])) {
                changed.push_back(Qt::UserRole + static_cast<int>(role));
            }
        }
        m_rows[row] = std::move(rows[row]);
        emit dataChanged(index(static_cast<int>(row)), index(static_cast<int>(row)), changed);
    }
    if (rows.size() < m_rows.size()) {
        beginRemoveRows({}, static_cast<int>(rows.size()), static_cast<int>(m_rows.size()) - 1);
        m_rows.resize(rows.size());
        endRemoveRows();
        emit countChanged();
    } else if (rows.size() > m_rows.size()) {
        beginInsertRows({}, static_cast<int>(m_rows.size()), static_cast<int>(rows.size()) - 1);
        for (qsizetype row = m_rows.size(); row < rows.size(); ++row) {
            m_rows.push_back(std::move(rows[row]));
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
