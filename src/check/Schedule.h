// When the hourly check looks at a favorite: hourly ones at every tick, the others in the
// hour from 5 PM, daily, on Fridays or on the first of the month.
#pragma once

#include <QDateTime>
#include <QString>

// The hour of the day at which daily, weekly and monthly favorites are checked.
inline constexpr int kScheduledHour = 17;

// Whether a favorite of `frequency` (FREQ_HOURLY to FREQ_MONTHLY) is due at the local time
// `tickTime`. Any other value is never due.
bool IsDue(int frequency, const QDateTime& tickTime);

// The frequency a tick uses for a row of `frequency`: its own, or `previous` (that of the row
// before it) when the row's code is none of the four letters (FREQ_NONE).
int ScheduledFrequency(int frequency, int previous);
