#pragma once

#include "core/flows/reason_finder_flow.hpp"

#include <QAbstractListModel>
#include <QObject>
#include <QString>
#include <QVector>
#include <QtQml/qqmlregistration.h>

#include <memory>

namespace orvendel::app {

// The visible rows of the reason tree. Opening or closing a category inserts or removes the rows of its
// children rather than resetting the list, so the view keeps its place and can animate them.
// Thread contract: the GUI thread only.
class ReasonRowsModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role {
        DescriptionRole = Qt::UserRole + 1,
        IndentationLevelRole,
        IsExpandableRole,
        IsExpandedRole,
        IsCheckedRole,
        IsCategoryRole,
        IdentifierRole,
    };

    struct Row {
        QString identifier;
        QString description;
        int indentationLevel = 0;
        bool isExpandable = false;
        bool isExpanded = false;
        bool isChecked = false;
        bool operator==(const Row&) const = default;
    };

    using QAbstractListModel::QAbstractListModel;
    // Takes the finder's rows as they are now.
    void update(const screens::ReasonFinder& finder);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    QVector<Row> m_rows;
};

// The reason finder over its flow: "Close", "Find Reason", "Assign Reason" and the tree. Made anew each time
// the finder opens; `finished` tells the view to close it.
// Thread contract: the GUI thread only; the flow's executor must run there too.
class ReasonFinderController : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the screen that opens the finder")
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(QString closeTitle READ closeTitle CONSTANT)
    Q_PROPERTY(QString assignTitle READ assignTitle CONSTANT)
    Q_PROPERTY(QString noDataText READ noDataText CONSTANT)
    Q_PROPERTY(QAbstractListModel* rows READ rows CONSTANT)
    Q_PROPERTY(bool assignEnabled READ assignEnabled NOTIFY changed)
    Q_PROPERTY(bool showsNoData READ showsNoData NOTIFY changed)
    // The row of the checked reason, -1 while it is not shown.
    Q_PROPERTY(int checkedRow READ checkedRow NOTIFY changed)

public:
    ReasonFinderController(std::shared_ptr<flows::ReasonFinderFlow> flow, QObject* parent = nullptr);

    QString title() const;
    QString closeTitle() const;
    QString assignTitle() const;
    QString noDataText() const;
    ReasonRowsModel* rows() { return &m_rows; }
    bool assignEnabled() const;
    bool showsNoData() const;
    int checkedRow() const;

    Q_INVOKABLE void tapRow(int row);
    Q_INVOKABLE void assign();
    Q_INVOKABLE void close();

signals:
    void changed();
    // The tree was (re)built from the store: the view scrolls to the checked row.
    void loaded();
    // After "Assign Reason" handed a reason over, or after "Close".
    void finished();

private:
    std::shared_ptr<flows::ReasonFinderFlow> m_flow;
    ReasonRowsModel m_rows;
    bool m_tapping = false;
    HandlerToken m_flowChanges; // the flow calls back only while this lives
};

} // namespace orvendel::app
