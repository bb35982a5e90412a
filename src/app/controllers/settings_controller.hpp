#pragma once

#include "core/flows/settings_flow.hpp"
#include "core/flows/shift_report_flow.hpp"

#include <memory>

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace orvendel::app {

// The settings sheet over its flow: the automatic-save switch, the report's shifts and the sign-out
// confirmation.
// Thread contract: the GUI thread only.
class SettingsController : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the application controller")
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(QString autoSaveText READ autoSaveText CONSTANT)
    Q_PROPERTY(QString logoutText READ logoutText CONSTANT)
    Q_PROPERTY(bool autoSaveEnabled READ autoSaveEnabled WRITE setAutoSaveEnabled NOTIFY autoSaveEnabledChanged)
    Q_PROPERTY(QString shiftsText READ shiftsText NOTIFY shiftsChanged)
    Q_PROPERTY(QString shiftsError READ shiftsError NOTIFY shiftsChanged)

public:
    SettingsController(flows::ContextPtr context, ExecutorPtr executor, flows::Presenter::Ref presenter,
                       QObject* parent = nullptr);

    QString title() const { return QString::fromUtf8(flows::SettingsFlow::title); }
    QString autoSaveText() const { return QString::fromUtf8(flows::SettingsFlow::autoSaveText); }
    QString logoutText() const { return QString::fromUtf8(flows::SettingsFlow::logoutText); }
    bool autoSaveEnabled() const { return m_flow.isAutoSaveEnabled(); }
    void setAutoSaveEnabled(bool enabled);

    // The shift starts as stored ("06:00-14:00, ..."), and why the last text typed was refused.
    QString shiftsText() const;
    QString shiftsError() const { return m_shiftsError; }
    // Stores the shifts when they neither overlap nor leave a gap; false with `shiftsError` saying why.
    Q_INVOKABLE bool setShifts(const QString& text);

    // The sheet opens: the options are read afresh.
    Q_INVOKABLE void reload();
    // The "Logout" row.
    Q_INVOKABLE void askToLogout();

signals:
    void autoSaveEnabledChanged();
    void shiftsChanged();
    // The user kept the session: the row loses its highlight.
    void logoutCancelled();

private:
    flows::SettingsFlow m_flow;
    std::shared_ptr<flows::ShiftReportFlow> m_shifts;
    QString m_shiftsError;
};

} // namespace orvendel::app
