// The schedule rule of the hourly check: which frequencies are due at which local times.
#include "check/Schedule.h"
#include "store/Frequency.h"

#include <QDateTime>
#include <QSet>

#include <gtest/gtest.h>

namespace {

QDateTime at(int year, int month, int day, int hour, int minute, int second)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

// The frequencies due at `time`, as the code letters joined, e.g. "HD".
std::string dueAt(const QDateTime& time)
{
    std::string due;
    for (int frequency = FREQ_HOURLY; frequency <= FREQ_MONTHLY; ++frequency) {
        if (IsDue(frequency, time))
            due += FrequencyCode(frequency).toStdString();
    }
    return due;
}

TEST(Schedule, FridayTheFirstIsDueForAllOnlyInTheHourFromFive)
{
    // 1 October 2021 was a Friday.
    ASSERT_EQ(QDate(2021, 10, 1).dayOfWeek(), Qt::Friday);
    EXPECT_EQ(dueAt(at(2021, 10, 1, 17, 0, 0)), "HDWM") << "17:00:00 on Friday the 1st";
    EXPECT_EQ(dueAt(at(2021, 10, 1, 17, 59, 59)), "HDWM") << "17:59:59 is still the hour from five";
    EXPECT_EQ(dueAt(at(2021, 10, 1, 16, 59, 59)), "H") << "16:59:59";
    EXPECT_EQ(dueAt(at(2021, 10, 1, 18, 0, 0)), "H") << "18:00:00";
    EXPECT_EQ(dueAt(at(2021, 10, 1, 5, 0, 0)), "H") << "5 AM is not 5 PM";
    EXPECT_EQ(dueAt(at(2021, 10, 1, 0, 0, 0)), "H") << "midnight";
}

TEST(Schedule, WeeklyWantsAFridayAndMonthlyTheFirst)
{
    // A Saturday that is not the 1st, and one that is.
    EXPECT_EQ(dueAt(at(2021, 10, 2, 17, 30, 0)), "HD") << "Saturday 2 October 2021, 17:30";
    EXPECT_EQ(dueAt(at(2022, 10, 1, 17, 30, 0)), "HDM") << "Saturday 1 October 2022, 17:30";
    // A Friday that is not the 1st.
    EXPECT_EQ(dueAt(at(2021, 10, 8, 17, 15, 0)), "HDW") << "Friday 8 October 2021, 17:15";

    // The 1st of every month of two years falls on every weekday: monthly favorites are due
    // on each of them at five, weekly ones only when the 1st is a Friday.
    QSet<int> weekdaysSeen;
    for (QDate first(2021, 1, 1); first.year() < 2023; first = first.addMonths(1)) {
        weekdaysSeen.insert(first.dayOfWeek());
        const QDateTime five(first, QTime(17, 45, 0));
        const bool friday = first.dayOfWeek() == Qt::Friday;
        EXPECT_TRUE(IsDue(FREQ_MONTHLY, five)) << first.toString(Qt::ISODate).toStdString();
        EXPECT_EQ(IsDue(FREQ_WEEKLY, five), friday) << first.toString(Qt::ISODate).toStdString();
        EXPECT_FALSE(IsDue(FREQ_MONTHLY, QDateTime(first, QTime(16, 0, 0))))
            << first.toString(Qt::ISODate).toStdString();
        EXPECT_FALSE(IsDue(FREQ_MONTHLY, QDateTime(first.addDays(1), QTime(17, 0, 0))))
            << "the 2nd after " << first.toString(Qt::ISODate).toStdString();
    }
    EXPECT_EQ(weekdaysSeen.size(), 7);
}

TEST(Schedule, OtherFrequenciesAreNeverDue)
{
    const QDateTime everything = at(2021, 10, 1, 17, 0, 0);
    for (int frequency : { FREQ_NONE, -1, 5, 17 })
        EXPECT_FALSE(IsDue(frequency, everything)) << "frequency " << frequency;
}

TEST(Schedule, ARowWithoutAValidCodeTakesTheFrequencyBeforeIt)
{
    EXPECT_EQ(ScheduledFrequency(FrequencyFromCode("H"), FREQ_MONTHLY), FREQ_HOURLY);
    EXPECT_EQ(ScheduledFrequency(FrequencyFromCode("D"), FREQ_NONE), FREQ_DAILY);
    EXPECT_EQ(ScheduledFrequency(FrequencyFromCode("W"), FREQ_HOURLY), FREQ_WEEKLY);
    EXPECT_EQ(ScheduledFrequency(FrequencyFromCode("M"), FREQ_DAILY), FREQ_MONTHLY);
    // Case, blanks and other letters are no code.
    EXPECT_EQ(ScheduledFrequency(FrequencyFromCode("h"), FREQ_WEEKLY), FREQ_WEEKLY);
    EXPECT_EQ(ScheduledFrequency(FrequencyFromCode(" D"), FREQ_MONTHLY), FREQ_MONTHLY);
    EXPECT_EQ(ScheduledFrequency(FrequencyFromCode(""), FREQ_DAILY), FREQ_DAILY);
    EXPECT_EQ(ScheduledFrequency(FrequencyFromCode("X"), FREQ_NONE), FREQ_NONE);
}

} // namespace
