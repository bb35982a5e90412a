#pragma once

#include "core/flows/presenter.hpp"

#include <QObject>
#include <QStringList>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <cstdint>
#include <deque>

namespace orvendel::app {

// The flows' alerts as one dialog the window draws: the alert shown now, the others waiting in turn.
// A progress alert ("Saving...") shows a spinner and stays until the flow dismisses it.
// Thread contract: the GUI thread only.
class AlertPresenter : public QObject, public flows::Presenter {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the application controller")
    Q_PROPERTY(bool shown READ shown NOTIFY changed)
    Q_PROPERTY(QString title READ title NOTIFY changed)
    Q_PROPERTY(QString message READ message NOTIFY changed)
    // One entry per button: {"title": text, "cancel": bool}.
    Q_PROPERTY(QVariantList buttons READ buttons NOTIFY changed)
    Q_PROPERTY(bool busy READ busy NOTIFY changed)
    // The button Return presses, -1 for none.
    Q_PROPERTY(int defaultIndex READ defaultIndex NOTIFY changed)

public:
    explicit AlertPresenter(QObject* parent = nullptr);

    bool shown() const { return !m_alerts.empty(); }
    QString title() const;
    QString message() const;
    QVariantList buttons() const;
    bool busy() const { return shown() && m_alerts.front().alert.kind == flows::Alert::Kind::progress; }
    int defaultIndex() const;

    // The button at `index` of the shown alert: the alert closes, then its action runs.
    Q_INVOKABLE void choose(int index);
    // Escape: the cancel-style button, when the alert has one.
    Q_INVOKABLE void cancel();

    // flows::Presenter
    flows::AlertHandle presentAlert(flows::Alert alert) override;
    void dismiss(flows::AlertHandle handle) override;
    void dismissAll() override;
    void openURL(const std::string& url) override;

signals:
    void changed();
    // Every alert presented, for logs and tests.
    void presented(const QString& title, const QString& message);

private:
    struct Presented {
        flows::AlertHandle handle;
        flows::Alert alert;
    };
    std::deque<Presented> m_alerts;
    std::uint64_t m_lastHandle = 0;
};

} // namespace orvendel::app
