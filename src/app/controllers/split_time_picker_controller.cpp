#include "app/controllers/split_time_picker_controller.hpp"

#include "core/support/log.hpp"

namespace orvendel::app {

namespace picker = screens::SplitTimePicker;

SplitTimePickerController::SplitTimePickerController(ZonedDateTime start, ZonedDateTime end, float currentValue,
                                                     QObject* parent)
    : QObject(parent), m_start(std::move(start)), m_end(std::move(end)), m_limits(picker::pickerLimits(m_start, m_end)),
      m_initial(picker::initialRows(m_limits, currentValue))
{
    const auto texts = picker::valueTexts(m_start, m_end, currentValue);
    m_startText = QString::fromStdString(texts.start);
    m_endText = QString::fromStdString(texts.end);
    m_splitText = QString::fromStdString(texts.split);
    log("Split Date: " + texts.split);
    // The value the picker opens on is assignable exactly when its rows name an instant inside the span.
    pick(static_cast<int>(m_initial.days), m_initial.hours, m_initial.minutes, m_initial.seconds);
}

QString SplitTimePickerController::dayRowTitle(int row) const
{
    return QString::fromStdString(picker::dayRowTitle(row));
}

QString SplitTimePickerController::unitRowTitle(int row) const
{
    return QString::fromStdString(picker::unitRowTitle(row));
}

void SplitTimePickerController::pick(int days, int hours, int minutes, int seconds)
{
    const screens::SplitTime::ElapsedComponents rows{days, hours, minutes, seconds};
    const auto candidate = picker::candidate(m_start, m_end, m_limits, rows);
    m_canAssign = candidate.canAssign;
    m_currentValue = candidate.currentValue;
    m_splitText = QString::fromStdString(candidate.splitTimeText);
    emit changed();
}

void SplitTimePickerController::assign()
{
    if (!m_canAssign) {
        return;
    }
    emit assigned(m_currentValue);
    emit finished();
}

} // namespace orvendel::app
