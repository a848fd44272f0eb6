// The rule that bounds the history of one favorite.
#include "history/HistoryRule.h"

#include <QSet>

#include <algorithm>
#include <numeric>

QList<qsizetype> CopiesToThin(const QList<QDateTime>& taken, const QDateTime& now, const HistoryLimits& limits)
{
    QList<qsizetype> newestFirst(taken.size());
    std::iota(newestFirst.begin(), newestFirst.end(), 0);
    std::stable_sort(newestFirst.begin(), newestFirst.end(),
        [&](qsizetype left, qsizetype right) { return taken[left] > taken[right]; });
    const QDateTime everyCopySince = now.addDays(-limits.everyCopyDays);
    const QDateTime dailySince = everyCopySince.addDays(-limits.dailyCopyDays);
    // The days and weeks that already have their last copy kept.
    QSet<qint64> daysKept;
    QSet<qint64> weeksKept;
    QList<qsizetype> thinned;
    int kept = 0;
    for (const qsizetype index : newestFirst) {
        const QDateTime& time = taken[index];
        const QDate day = time.toLocalTime().date();
        const qint64 monday = day.toJulianDay() - (day.dayOfWeek() - 1);
        bool keep = true;
        if (kept > 0 && time < dailySince)
            keep = !weeksKept.contains(monday);
        else if (kept > 0 && time < everyCopySince)
            keep = !daysKept.contains(day.toJulianDay());
        if (keep && kept < limits.maxCopiesPerFavorite) {
            ++kept;
            daysKept.insert(day.toJulianDay());
            weeksKept.insert(monday);
        } else {
            thinned.append(index);
        }
    }
    std::sort(thinned.begin(), thinned.end());
    return thinned;
}
