#pragma once

#include "core/flows/sign_in_flow.hpp"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <memory>

namespace orvendel::app {

// The sign-in screen's fields and button over its flow. Made anew for every sign-in screen.
// Thread contract: the GUI thread only.
class SignInController : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the application controller")
    Q_PROPERTY(QString username READ username WRITE setUsername NOTIFY usernameChanged)
    Q_PROPERTY(QString password READ password WRITE setPassword NOTIFY passwordChanged)
    Q_PROPERTY(bool loginEnabled READ loginEnabled NOTIFY stateChanged)
    Q_PROPERTY(bool controlsEnabled READ controlsEnabled NOTIFY stateChanged)
    Q_PROPERTY(bool signingIn READ signingIn NOTIFY stateChanged)

public:
    SignInController(std::shared_ptr<flows::SignInFlow> flow, QObject* parent = nullptr);

    QString username() const { return m_username; }
    QString password() const { return m_password; }
    // Typing: the button follows the text.
    void setUsername(const QString& username);
    void setPassword(const QString& password);
    bool loginEnabled() const { return m_flow->loginButtonEnabled(); }
    bool controlsEnabled() const { return m_flow->controlsEnabled(); }
    bool signingIn() const { return m_flow->isSigningIn(); }

    // The Login button.
    Q_INVOKABLE void login();
    // Return in the password field signs in when the button would.
    Q_INVOKABLE void passwordReturned();

    const std::shared_ptr<flows::SignInFlow>& flow() const { return m_flow; }

signals:
    void usernameChanged();
    void passwordChanged();
    void stateChanged();

private:
    void validate();

    std::shared_ptr<flows::SignInFlow> m_flow;
    QString m_username;
    QString m_password;
    HandlerToken m_flowChanges; // the flow calls back only while this lives
};

} // namespace orvendel::app
