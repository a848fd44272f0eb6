// The local clock and calendar as the program reads them. Tests and benchmarks may set
// the time; everything that stamps or schedules reads it through GetCurrentTime().
#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

namespace Clock {

// The current local date and time, to the second.
QDateTime GetCurrentTime();

// Replaces the system clock until called again with an empty function.
void SetTimeSource(std::function<QDateTime()> source);

// Hour 0 to 23.
int GetHour(const QDateTime& time);
// Day of the week counted from Sunday = 1 to Saturday = 7.
int GetDayOfWeek(const QDateTime& time);
// Day of the month, 1 to 31.
int GetDay(const QDateTime& time);

// "%m/%d/%y %I:%M %p" in the C locale: "07/09/04 05:03 PM", always 17 characters.
QString FormatTimeStamp(const QDateTime& time);

} // namespace Clock
