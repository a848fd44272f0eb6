// The rule that thins a favorite's copies, stated by the times of the copies it keeps.
#include "history/HistoryRule.h"

#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

// Noon on Wednesday 15 June 2022, local time.
const QDateTime kNow(QDate(2022, 6, 15), QTime(12, 0));

QList<QDateTime> kept(const QList<QDateTime>& taken, const HistoryLimits& limits = {})
{
    const QList<qsizetype> thinned = CopiesToThin(taken, kNow, limits);
    QList<QDateTime> left;
    for (qsizetype index = 0; index < taken.size(); ++index) {
        if (!thinned.contains(index))
            left.append(taken[index]);
    }
    return left;
}

TEST(HistoryRule, EveryCopyOfAWeekThenTheLastOfEachDayThenOfEachWeek)
{
    QList<QDateTime> taken;
    // Every six hours for 120 days, the oldest first.
    for (int hours = 120 * 24; hours >= 0; hours -= 6)
        taken.append(kNow.addSecs(-hours * 3600));
    const QList<QDateTime> left = kept(taken);
    const QDateTime weekAgo = kNow.addDays(-7);
    const QDateTime dailyEnd = weekAgo.addDays(-90);
    int lastWeek = 0;
    QSet<qint64> days;
    QSet<qint64> weeks;
    for (const QDateTime& time : left) {
        if (time >= weekAgo) {
            ++lastWeek;
        } else if (time >= dailyEnd) {
            EXPECT_FALSE(days.contains(time.date().toJulianDay())) << "two copies of " << time.toString().toStdString();
            days.insert(time.date().toJulianDay());
            EXPECT_EQ(time.time(), QTime(18, 0)) << "the day's last copy";
        } else {
            const qint64 monday = time.date().toJulianDay() - time.date().dayOfWeek() + 1;
            EXPECT_FALSE(weeks.contains(monday)) << "two copies of the week of " << time.toString().toStdString();
            weeks.insert(monday);
        }
    }
    EXPECT_EQ(lastWeek, 7 * 4 + 1) << "every copy of the last seven days";
    EXPECT_GE(days.size(), 89);
    EXPECT_LE(days.size(), 91);
    EXPECT_GE(weeks.size(), 3) << "the 23 days before the daily ones, one a week";
    EXPECT_LE(weeks.size(), 5);
    // A week seen from its Sunday evening: its last copy is the one kept.
    EXPECT_EQ(kept({ QDateTime(QDate(2021, 1, 4), QTime(9, 0)), QDateTime(QDate(2021, 1, 10), QTime(20, 0)),
                  QDateTime(QDate(2021, 1, 11), QTime(1, 0)), kNow }),
        (QList<QDateTime> {
            QDateTime(QDate(2021, 1, 10), QTime(20, 0)), QDateTime(QDate(2021, 1, 11), QTime(1, 0)), kNow }));
}

TEST(HistoryRule, AtMostSoManyCopiesTheNewestKeptAndTheOrderOfTheListAnyOrder)
{
    QList<QDateTime> taken;
    for (int minutes = 0; minutes < 30; ++minutes)
        taken.append(kNow.addSecs(-minutes * 60)); // the newest first
    HistoryLimits limits;
    limits.maxCopiesPerFavorite = 10;
    const QList<qsizetype> thinned = CopiesToThin(taken, kNow, limits);
    ASSERT_EQ(thinned.size(), 20);
    EXPECT_EQ(thinned.first(), 10) << "the oldest twenty go";
    EXPECT_EQ(thinned.last(), 29);
    // The newest stays even when it is older than every bound.
    EXPECT_TRUE(CopiesToThin({ kNow.addYears(-3) }, kNow).isEmpty());
    EXPECT_EQ(CopiesToThin({ kNow.addYears(-3), kNow.addYears(-3).addSecs(60) }, kNow), QList<qsizetype> { 0 });
}

} // namespace
