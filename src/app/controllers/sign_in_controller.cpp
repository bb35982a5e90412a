#include "app/controllers/sign_in_controller.hpp"

namespace orvendel::app {

SignInController::SignInController(std::shared_ptr<flows::SignInFlow> flow, QObject* parent)
    : QObject(parent), m_flow(std::move(flow))
{
    m_flowChanges = m_flow->setChangeHandler([this] { emit stateChanged(); });
}

void SignInController::setUsername(const QString& username)
{
    if (username == m_username) {
        return;
    }
    m_username = username;
    emit usernameChanged();
    validate();
}

void SignInController::setPassword(const QString& password)
{
    if (password == m_password) {
        return;
    }
    m_password = password;
    emit passwordChanged();
    validate();
}

void SignInController::validate()
{
    // The flow keeps the button's state and says when it changed.
    m_flow->fieldsChanged(m_username.toStdString(), m_password.toStdString());
}

void SignInController::login()
{
    if (!m_flow->controlsEnabled()) {
        return;
    }
    if (const auto trimmed = m_flow->signIn(m_username.toStdString(), m_password.toStdString())) {
        // The field shows what was sent; the button keeps its state until the user types again.
        const QString shown = QString::fromStdString(*trimmed);
        if (shown != m_username) {
            m_username = shown;
            emit usernameChanged();
        }
    }
    emit stateChanged();
}

void SignInController::passwordReturned()
{
    if (m_flow->loginButtonEnabled()) {
        login();
    }
}

} // namespace orvendel::app
