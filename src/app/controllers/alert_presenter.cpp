#include "app/controllers/alert_presenter.hpp"

#include <QDesktopServices>
#include <QUrl>
#include <QVariantMap>

#include <algorithm>

namespace orvendel::app {

AlertPresenter::AlertPresenter(QObject* parent) : QObject(parent) {}

QString AlertPresenter::title() const
{
    return shown() ? QString::fromStdString(m_alerts.front().alert.title) : QString();
}

QString AlertPresenter::message() const
{
    return shown() ? QString::fromStdString(m_alerts.front().alert.message) : QString();
}

QVariantList AlertPresenter::buttons() const
{
    QVariantList list;
    if (!shown()) {
        return list;
    }
    for (const auto& action : m_alerts.front().alert.actions) {
        list.append(QVariantMap{{"title", QString::fromStdString(action.title)},
                                {"cancel", action.style == flows::AlertAction::Style::cancel}});
    }
    return list;
}

void AlertPresenter::choose(int index)
{
    if (!shown() || index < 0 || static_cast<std::size_t>(index) >= m_alerts.front().alert.actions.size()) {
        return;
    }
    // Close first: the action may present the next alert.
    auto action = std::move(m_alerts.front().alert.actions[static_cast<std::size_t>(index)].action);
    m_alerts.pop_front();
    emit changed();
    if (!m_alerts.empty()) {
        emit presented(title(), message());
    }
    if (action) {
        action();
    }
}

int AlertPresenter::defaultIndex() const
{
    const auto index = shown() ? m_alerts.front().alert.defaultActionIndex() : std::nullopt;
    return index ? static_cast<int>(*index) : -1;
}

void AlertPresenter::cancel()
{
    if (!shown()) {
        return;
    }
    const auto& actions = m_alerts.front().alert.actions;
    const auto it = std::find_if(actions.begin(), actions.end(), [](const flows::AlertAction& action) {
        return action.style == flows::AlertAction::Style::cancel;
    });
    if (it != actions.end()) {
        choose(static_cast<int>(it - actions.begin()));
    }
}

flows::AlertHandle AlertPresenter::presentAlert(flows::Alert alert)
{
    const flows::AlertHandle handle{++m_lastHandle};
    m_alerts.push_back(Presented{handle, std::move(alert)});
    if (m_alerts.size() == 1) {
        emit changed();
        emit presented(title(), message());
    }
    return handle;
}

void AlertPresenter::dismiss(flows::AlertHandle handle)
{
    const auto it = std::find_if(m_alerts.begin(), m_alerts.end(),
                                 [handle](const Presented& presented) { return handle && presented.handle == handle; });
    if (it == m_alerts.end()) {
        return;
    }
    const bool wasShown = it == m_alerts.begin();
    m_alerts.erase(it);
    if (wasShown) {
        emit changed();
        if (!m_alerts.empty()) {
            emit presented(title(), message());
        }
    }
}

void AlertPresenter::dismissAll()
{
    if (m_alerts.empty()) {
        return;
    }
    m_alerts.clear();
    emit changed();
}

void AlertPresenter::openURL(const std::string& url)
{
    QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

} // namespace orvendel::app
