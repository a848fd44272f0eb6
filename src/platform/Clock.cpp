// The system clock as the program reads it, and the calendar of its schedule rules.
#include "platform/Clock.h"

namespace Clock {

QDateTime GetCurrentTime()
{
    QDateTime now = QDateTime::currentDateTime();
    // Stamps and schedule rules work to the second.
    QTime time = now.time();
    now.setTime(QTime(time.hour(), time.minute(), time.second()));
    return now;
}

int GetHour(const QDateTime& time) { return time.time().hour(); }

int GetDayOfWeek(const QDateTime& time)
{
    // Qt counts Monday = 1 to Sunday = 7.
    return time.date().dayOfWeek() % 7 + 1;
}

int GetDay(const QDateTime& time) { return time.date().day(); }

QString FormatTimeStamp(const QDateTime& time)
{
    // Built by hand rather than through QLocale or strftime so that AM and PM never
    // depend on the user's language.
    const QDate date = time.date();
    const QTime clock = time.time();
    int hour12 = clock.hour() % 12;
    if (hour12 == 0)
        hour12 = 12;
    return QString::asprintf("%02d/%02d/%02d %02d:%02d %s", date.month(), date.day(), date.year() % 100, hour12,
        clock.minute(), clock.hour() < 12 ? "AM" : "PM");
}

} // namespace Clock
