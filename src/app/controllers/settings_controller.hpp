#pragma once

#include "core/flows/settings_flow.hpp"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace orvendel::app {

// The settings sheet over its flow: the automatic-save switch and the sign-out confirmation.
// Thread contract: the GUI thread only.
class SettingsController : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the application controller")
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(QString autoSaveText READ autoSaveText CONSTANT)
    Q_PROPERTY(QString logoutText READ logoutText CONSTANT)
    Q_PROPERTY(bool autoSaveEnabled READ autoSaveEnabled WRITE setAutoSaveEnabled NOTIFY autoSaveEnabledChanged)

public:
    SettingsController(flows::SessionPtr session, flows::Presenter::Ref presenter, QObject* parent = nullptr);

    QString title() const { return QString::fromUtf8(flows::SettingsFlow::title); }
    QString autoSaveText() const { return QString::fromUtf8(flows::SettingsFlow::autoSaveText); }
    QString logoutText() const { return QString::fromUtf8(flows::SettingsFlow::logoutText); }
    bool autoSaveEnabled() const { return m_flow.isAutoSaveEnabled(); }
    void setAutoSaveEnabled(bool enabled);

    // The sheet opens: the option is read afresh.
    Q_INVOKABLE void reload() { emit autoSaveEnabledChanged(); }
    // The "Logout" row.
    Q_INVOKABLE void askToLogout();

signals:
    void autoSaveEnabledChanged();
    // The user kept the session: the row loses its highlight.
    void logoutCancelled();

private:
    flows::SettingsFlow m_flow;
};

} // namespace orvendel::app
