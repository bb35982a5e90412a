#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QVariant>

#include <algorithm>
#include <vector>

namespace orvendel::app {

// Rows for a Repeater: a new list replaces the old one row by row, so that the delegates of rows that stay
// keep themselves and re-read only the values that changed; rows come and go only where the two lists differ.
// A bar chart of a dozen reasons then costs a handful of bindings per edit instead of a dozen new delegates.
// QML sees this base; the rows themselves are typed (`TypedRows`). Thread contract: the GUI thread only.
class RowsModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    using QAbstractListModel::QAbstractListModel;

    int count() const { return size(); }
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : size(); }

signals:
    void countChanged();

protected:
    virtual int size() const = 0;

    // Replaces `held` by `rows`: the same rows at both ends stay, rows between them change in place (signalled
    // with the roles that changed), then come or go there — a new row in the middle is one row put in, not
    // every later row changed.
    template <typename Row>
    void replace(std::vector<Row>& held, std::vector<Row> rows)
    {
        const std::size_t shorter = std::min(held.size(), rows.size());
        std::size_t first = 0;
        while (first < shorter && held[first] == rows[first]) {
            ++first;
        }
        std::size_t suffix = 0;
        while (first + suffix < shorter && held[held.size() - 1 - suffix] == rows[rows.size() - 1 - suffix]) {
            ++suffix;
        }
        const std::size_t oldSpan = held.size() - first - suffix;
        const std::size_t newSpan = rows.size() - first - suffix;
        const std::size_t inPlace = std::min(oldSpan, newSpan);
        for (std::size_t row = first; row < first + inPlace; ++row) {
            QList<int> changed;
            for (int role = 0; role < static_cast<int>(Row::roles.size()); ++role) {
                if (held[row].value(role) != rows[row].value(role)) {
                    changed.push_back(Qt::UserRole + role);
                }
            }
            if (changed.isEmpty()) {
                continue;
            }
            held[row] = std::move(rows[row]);
            emit dataChanged(index(static_cast<int>(row)), index(static_cast<int>(row)), changed);
        }
        const std::size_t at = first + inPlace;
        const auto offset = [](std::size_t i) { return static_cast<std::ptrdiff_t>(i); };
        if (oldSpan > newSpan) {
            beginRemoveRows({}, static_cast<int>(at), static_cast<int>(at + oldSpan - newSpan) - 1);
            held.erase(held.begin() + offset(at), held.begin() + offset(at + oldSpan - newSpan));
            endRemoveRows();
            emit countChanged();
        } else if (newSpan > oldSpan) {
            beginInsertRows({}, static_cast<int>(at), static_cast<int>(at + newSpan - oldSpan) - 1);
            held.insert(held.begin() + offset(at), std::make_move_iterator(rows.begin() + offset(at)),
                        std::make_move_iterator(rows.begin() + offset(at + newSpan - oldSpan)));
            endInsertRows();
            emit countChanged();
        }
    }
};

// Rows of one type. A `Row` has `static constexpr std::array<const char*, N> roles` (the names its values go
// by, also the delegates' required properties), `QVariant value(int role) const` in that order, and `==`.
template <typename Row>
class TypedRows final : public RowsModel {
public:
    using RowsModel::RowsModel;

    void update(std::vector<Row> rows) { replace(m_rows, std::move(rows)); }
    const std::vector<Row>& rows() const { return m_rows; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        const int column = role - Qt::UserRole;
        if (!index.isValid() || index.row() >= size() || column < 0 || column >= static_cast<int>(Row::roles.size())) {
            return {};
        }
        return m_rows[static_cast<std::size_t>(index.row())].value(column);
    }

    QHash<int, QByteArray> roleNames() const override
    {
        QHash<int, QByteArray> names;
        for (int role = 0; role < static_cast<int>(Row::roles.size()); ++role) {
            names.insert(Qt::UserRole + role, QByteArray(Row::roles[static_cast<std::size_t>(role)]));
        }
        return names;
    }

protected:
    int size() const override { return static_cast<int>(m_rows.size()); }

private:
    std::vector<Row> m_rows;
};

} // namespace orvendel::app
