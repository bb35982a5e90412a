#pragma once

#include "core/model/zoned_date_time.hpp"
#include "core/screens/split_time_picker.hpp"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace orvendel::app {

// The wheel picker of elapsed time that fine-tunes a split: the wheels' row counts and titles, the rows the
// picker opens on, and after every pick whether "Assign" may hand the value on.
// Thread contract: the GUI thread only.
class SplitTimePickerController : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the delay pages")
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(bool hasDayWheel READ hasDayWheel CONSTANT)
    Q_PROPERTY(int maxDays READ maxDays CONSTANT)
    Q_PROPERTY(int maxHours READ maxHours CONSTANT)
    Q_PROPERTY(int maxMinutes READ maxMinutes CONSTANT)
    Q_PROPERTY(int initialDays READ initialDays CONSTANT)
    Q_PROPERTY(int initialHours READ initialHours CONSTANT)
    Q_PROPERTY(int initialMinutes READ initialMinutes CONSTANT)
    Q_PROPERTY(int initialSeconds READ initialSeconds CONSTANT)
    Q_PROPERTY(QString startText READ startText CONSTANT)
    Q_PROPERTY(QString endText READ endText CONSTANT)
    Q_PROPERTY(QString splitText READ splitText NOTIFY changed)
    Q_PROPERTY(bool canAssign READ canAssign NOTIFY changed)
    Q_PROPERTY(double currentValue READ currentValue NOTIFY changed)

public:
    SplitTimePickerController(ZonedDateTime start, ZonedDateTime end, float currentValue, QObject* parent = nullptr);

    QString title() const { return QString::fromUtf8(screens::SplitTimePicker::title); }
    bool hasDayWheel() const { return m_limits.hasDayWheel; }
    int maxDays() const { return m_limits.maxDays; }
    int maxHours() const { return m_limits.maxHours; }
    int maxMinutes() const { return m_limits.maxMinutes; }
    int initialDays() const { return static_cast<int>(m_initial.days); }
    int initialHours() const { return m_initial.hours; }
    int initialMinutes() const { return m_initial.minutes; }
    int initialSeconds() const { return m_initial.seconds; }
    QString startText() const { return m_startText; }
    QString endText() const { return m_endText; }
    QString splitText() const { return m_splitText; }
    bool canAssign() const { return m_canAssign; }
    double currentValue() const { return m_currentValue; }

    Q_INVOKABLE QString dayRowTitle(int row) const;
    Q_INVOKABLE QString unitRowTitle(int row) const;
    // The wheels' selected rows after a pick (`days` is ignored without a day wheel).
    Q_INVOKABLE void pick(int days, int hours, int minutes, int seconds);
    // "Assign": hands the value on when it may be assigned.
    Q_INVOKABLE void assign();
    // "Cancel".
    Q_INVOKABLE void cancel() { emit finished(); }

signals:
    void changed();
    void assigned(double offset);
    void finished();

private:
    ZonedDateTime m_start;
    ZonedDateTime m_end;
    screens::SplitTimePicker::Limits m_limits;
    screens::SplitTime::ElapsedComponents m_initial;
    QString m_startText;
    QString m_endText;
    QString m_splitText;
    bool m_canAssign = false;
    double m_currentValue = 0;
};

} // namespace orvendel::app
