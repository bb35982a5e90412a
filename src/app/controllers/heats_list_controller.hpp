#pragma once

#include "app/controllers/heats_list_model.hpp"
#include "core/flows/heats_list_flow.hpp"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <memory>

namespace orvendel::app {

// The heats list column over its flow: the bar's title and buttons, the sections, the refresh spinner and
// the empty state. Made anew for every main screen.
// Thread contract: the GUI thread only.
class HeatsListController : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the application controller")
    Q_PROPERTY(QString title READ title NOTIFY titleChanged)
    Q_PROPERTY(bool refreshing READ refreshing NOTIFY refreshingChanged)
    Q_PROPERTY(bool furnaceButtonEnabled READ furnaceButtonEnabled NOTIFY furnaceButtonEnabledChanged)
    Q_PROPERTY(bool showsEmptyState READ showsEmptyState NOTIFY tableChanged)
    Q_PROPERTY(QString emptyStateTitle READ emptyStateTitle CONSTANT)
    Q_PROPERTY(QString emptyStateMessage READ emptyStateMessage CONSTANT)
    Q_PROPERTY(QAbstractListModel* model READ model CONSTANT)
    // The list index of the highlighted row, -1 when none is shown.
    Q_PROPERTY(int highlightedIndex READ highlightedIndex NOTIFY selectionChanged)

public:
    HeatsListController(std::shared_ptr<flows::HeatsListFlow> flow, QObject* parent = nullptr);

    QString title() const { return QString::fromStdString(m_flow->title()); }
    bool refreshing() const { return m_flow->isRefreshing(); }
    bool furnaceButtonEnabled() const { return m_flow->isFurnaceButtonEnabled(); }
    bool showsEmptyState() const { return m_flow->showsEmptyState(); }
    QString emptyStateTitle() const;
    QString emptyStateMessage() const;
    HeatsListModel* model() { return &m_model; }
    int highlightedIndex() const;

    // Pull to refresh, the refresh button and F5.
    Q_INVOKABLE void refresh() { m_flow->refresh(); }
    Q_INVOKABLE void toggleSection(int section);
    Q_INVOKABLE void selectRow(int section, int row);

    const std::shared_ptr<flows::HeatsListFlow>& flow() const { return m_flow; }

signals:
    void titleChanged();
    void refreshingChanged();
    void furnaceButtonEnabledChanged();
    void tableChanged();
    // An edit changed rows of one section (the model said which).
    void rowsEdited();
    // The highlighted row moved, or must be shown again (the user kept the previous heat): scroll to it.
    void selectionChanged();

private:
    void changed(flows::HeatsListChange change);

    std::shared_ptr<flows::HeatsListFlow> m_flow;
    HeatsListModel m_model;
    HandlerToken m_flowChanges; // the flow calls back only while this lives
};

} // namespace orvendel::app
