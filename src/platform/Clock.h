// The local clock and calendar as the program reads them. GetCurrentTime() is the system's
// clock; what stamps or schedules reads the clock it was handed, which is this one unless a
// test or benchmark handed its own.
#pragma once

#include <QDateTime>
#include <QString>

namespace Clock {

// The current local date and time, to the second.
QDateTime GetCurrentTime();

// Hour 0 to 23.
int GetHour(const QDateTime& time);
// Day of the week counted from Sunday = 1 to Saturday = 7.
int GetDayOfWeek(const QDateTime& time);
// Day of the month, 1 to 31.
int GetDay(const QDateTime& time);

// "%m/%d/%y %I:%M %p" in the C locale: "07/09/04 05:03 PM", always 17 characters.
QString FormatTimeStamp(const QDateTime& time);

} // namespace Clock
