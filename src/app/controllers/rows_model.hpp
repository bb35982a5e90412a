#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QStringList>
#include <QVariantMap>

namespace orvendel::app {

// Rows of named values for a Repeater: a new list replaces the old one row by row, so that the delegates of
// rows that stay keep themselves and re-read only the values that changed; rows come and go only where the two
// lists differ.
// A chart of sixty segments then costs a handful of bindings per edit instead of sixty new delegates.
// Thread contract: the GUI thread only.
class RowsModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    // `roles`: the names a row's values go by (also the delegates' required properties).
    explicit RowsModel(QStringList roles, QObject* parent = nullptr);

    void update(QList<QVariantMap> rows);
    const QList<QVariantMap>& rows() const { return m_rows; }
    int count() const { return static_cast<int>(m_rows.size()); }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void countChanged();

private:
    QStringList m_roles;
    QList<QVariantMap> m_rows;
};

} // namespace orvendel::app
