#include "app/controllers/sign_in_controller.hpp"

namespace orvendel::app {

SignInController::SignInController(std::shared_ptr<flows::SignInFlow> flow, QObject* parent)
    : QObject(parent), m_flow(std::move(flow))
{
    m_flow->setChangeHandler([this] { emit stateChanged(); });
}

SignInController::~SignInController()
{
    m_flow->setChangeHandler({});
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
    const bool enabled = flows::SignInFlow::isLoginButtonEnabled(m_username.toStdString(), m_password.toStdString());
    if (enabled != m_loginEnabled) {
        m_loginEnabled = enabled;
        emit stateChanged();
    }
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
    if (m_loginEnabled) {
        login();
    }
}

} // namespace orvendel::app
