// A favorite's values and their text.
#include "store/Favorite.h"

#include "platform/Clock.h"

QString Favorite::frequencyText() const
{
    if (unreadFrequency)
        return *unreadFrequency;
    return FrequencyCode(frequency);
}

QString Favorite::lastUpdatedText() const
{
    if (unreadLastUpdated)
        return *unreadLastUpdated;
    return lastUpdated.isValid() ? Clock::FormatTimeStamp(lastUpdated) : QStringLiteral("Never");
}

void Favorite::setFrequency(int value)
{
    frequency = value;
    unreadFrequency.reset();
}

void Favorite::setLastUpdated(const QDateTime& time)
{
    lastUpdated = time;
    unreadLastUpdated.reset();
}

void Favorite::readFrequency(const QString& text)
{
    setFrequency(FrequencyFromCode(text));
    if (frequency == FREQ_NONE)
        unreadFrequency = text;
}

void Favorite::readLastUpdated(const QString& text)
{
    setLastUpdated(ReadTimeStamp(text));
    if (!lastUpdated.isValid() && text != u"Never")
        unreadLastUpdated = text;
}

QDateTime ReadTimeStamp(const QString& text)
{
    if (text.size() != 17)
        return {};
    QDateTime time = QDateTime::fromString(text, QStringLiteral("MM/dd/yy hh:mm AP"));
    if (!time.isValid())
        return {};
    // Two digits of the year: Qt reads them as the 1900s.
    if (time.date().year() < 1970)
        time = time.addYears(100);
    if (Clock::FormatTimeStamp(time) != text)
        return {};
    return time;
}
