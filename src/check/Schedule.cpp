// The schedule rule of the hourly check.
#include "check/Schedule.h"

#include "platform/Clock.h"
#include "store/Frequency.h"

namespace {

constexpr int kFriday = 6; // counted from Sunday = 1

} // namespace

bool IsDue(int frequency, const QDateTime& tickTime)
{
    const bool atScheduledHour = Clock::GetHour(tickTime) == kScheduledHour;
    switch (frequency) {
    case FREQ_HOURLY:
        return true;
    case FREQ_DAILY:
        return atScheduledHour;
    case FREQ_WEEKLY:
        return atScheduledHour && Clock::GetDayOfWeek(tickTime) == kFriday;
    case FREQ_MONTHLY:
        return atScheduledHour && Clock::GetDay(tickTime) == 1;
    default:
        return false;
    }
}

int ScheduledFrequency(int frequency, int previous)
{
    return frequency != FREQ_NONE ? frequency : previous;
}
