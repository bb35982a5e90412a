#pragma once

#include "core/flows/furnace_selection_flow.hpp"

#include <QAbstractListModel>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <memory>

namespace orvendel::app {

// The stored furnaces as the popover lists them: name and check mark.
// Thread contract: the GUI thread only.
class FurnaceListModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role { NameRole = Qt::UserRole + 1, CheckedRole };

    explicit FurnaceListModel(const flows::FurnaceSelectionFlow& flow, QObject* parent = nullptr);
    void reload();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    const flows::FurnaceSelectionFlow& m_flow;
};

// The furnace popover over its flow. Made anew each time the popover opens.
// Thread contract: the GUI thread only.
class FurnaceSelectionController : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the application controller")
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(QAbstractListModel* model READ model CONSTANT)
    // The row to show in the middle when the list opens, -1 for the top.
    Q_PROPERTY(int initialRow READ initialRow NOTIFY loaded)

public:
    FurnaceSelectionController(std::shared_ptr<flows::FurnaceSelectionFlow> flow, QObject* parent = nullptr);

    QString title() const;
    FurnaceListModel* model() { return &m_model; }
    int initialRow() const;

    // A tap on a row.
    Q_INVOKABLE void choose(int row);

signals:
    void loaded();
    // Another furnace was chosen: the popover closes.
    void chosen();

private:
    std::shared_ptr<flows::FurnaceSelectionFlow> m_flow;
    FurnaceListModel m_model;
    HandlerToken m_flowChanges; // the flow calls back only while this lives
};

} // namespace orvendel::app
