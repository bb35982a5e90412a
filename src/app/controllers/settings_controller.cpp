#include "app/controllers/settings_controller.hpp"

#include <QPointer>

namespace orvendel::app {

SettingsController::SettingsController(flows::ContextPtr context, ExecutorPtr executor, flows::Presenter::Ref presenter,
                                       QObject* parent)
    : QObject(parent), m_flow(context, std::move(presenter)),
      m_shifts(flows::ShiftReportFlow::create({std::move(context), std::move(executor), {}},
                                              [](flows::ShiftReportFlow::Change) {}))
{}

void SettingsController::reload()
{
    m_shiftsError.clear();
    emit autoSaveEnabledChanged();
    emit shiftsChanged();
}

QString SettingsController::shiftsText() const
{
    return QString::fromStdString(screens::shiftScheduleText(m_shifts->schedule()));
}

bool SettingsController::setShifts(const QString& text)
{
    const auto set = m_shifts->setSchedule(text.toStdString());
    m_shiftsError = set ? QString() : QString::fromStdString(set.error().description);
    emit shiftsChanged();
    return static_cast<bool>(set);
}

void SettingsController::setAutoSaveEnabled(bool enabled)
{
    m_flow.setAutoSaveEnabled(enabled);
    emit autoSaveEnabledChanged();
}

void SettingsController::askToLogout()
{
    m_flow.askToLogout([self = QPointer<SettingsController>(this)] {
        if (self) {
            emit self->logoutCancelled();
        }
    });
}

} // namespace orvendel::app
