// One favorite as the program holds it: its address, how often it is checked, when its page was
// last fetched, and whether it changed since the user last looked. What a favorites file gives
// that is none of these (a hand-edited code letter, a stamp that is no time) is kept as it stood,
// so that a damaged file goes through a load and a save unchanged.
#pragma once

#include "store/Frequency.h"

#include <QDateTime>
#include <QString>

#include <optional>

struct Favorite {
    QString address;
    // FREQ_HOURLY to FREQ_MONTHLY; FREQ_NONE where the file's code was none of the four letters.
    int frequency = FREQ_NONE;
    // The local time, to the minute, at which the page was last fetched; invalid for never.
    QDateTime lastUpdated;
    bool changed = false;
    // The file's text where it was no frequency or no time and "Never": written back as it is
    // until the program sets the value.
    std::optional<QString> unreadFrequency;
    std::optional<QString> unreadLastUpdated;

    // The cells as the favorites file and the list give them: "H" (or the unread text),
    // "12/06/26 02:35 AM" or "Never" (or the unread text), "YES" or nothing.
    QString frequencyText() const;
    QString lastUpdatedText() const;
    QString changedText() const { return changed ? QStringLiteral("YES") : QString(); }

    void setFrequency(int value);
    void setLastUpdated(const QDateTime& time);
    // The cells read back from their text; text that is no value is kept as it stands.
    void readFrequency(const QString& text);
    void readLastUpdated(const QString& text);
    void readChanged(const QString& text) { changed = text == u"YES"; }

    bool operator==(const Favorite&) const = default;
};

// The time that "07/09/04 05:03 PM" names, local, in the years 1970 to 2069; invalid for any
// text that the stamp of that time would not give back exactly.
QDateTime ReadTimeStamp(const QString& text);
