// What the checks of each favorite found, kept beside the favorites file in "nelvox.state",
// whose format the favorites file cannot grow into: when a favorite was last checked and with
// what result, how many checks in a row failed, when its page was last fetched whole, and the
// validators the server gave for its snapshot. A plain text file, one block per address, that
// a user can read; lines a block does not know are kept, and a missing or broken file only
// means that nothing is known yet.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

class FavoritesList;

inline constexpr const char* kStatesFileName = "nelvox.state";

struct FavoriteState {
    enum class Outcome { Unknown, Changed, Unchanged, Failed, Stopped };
    // Times in UTC.
    QDateTime checked;
    Outcome outcome = Outcome::Unknown;
    // Why the last check failed: "HTTP 404 Not Found", "Couldn't connect to server", ...
    QString failure;
    int failuresInARow = 0;
    QDateTime failingSince;
    // When the page last came whole (not "not modified").
    QDateTime fetched;
    QByteArray etag;
    QByteArray lastModified;
    // What a check under Page text found of the snapshot's text, in the checks' own words, so
    // that the first check after a start need not read an unchanged page's text again.
    QString knownText;
    // Lines of the block that this build does not read, written back as they were.
    QStringList otherLines;

    bool isFailing() const { return outcome == Outcome::Failed; }
};

class FavoriteStates {
public:
    // Reads the file; one that is missing or cannot be read leaves the store empty, and a line
    // that cannot be read loses only itself.
    void load(const QString& fileName = QString::fromLatin1(kStatesFileName));
    // Writes the states of the addresses in `list`, in one step. Throws FileError.
    void save(const FavoritesList& list, const QString& fileName = QString::fromLatin1(kStatesFileName)) const;

    const FavoriteState* find(const QString& address) const;
    QStringList addresses() const { return m_states.keys(); }
    // The state of `address`, made empty when there was none.
    FavoriteState& at(const QString& address) { return m_states[address]; }
    // How many of the list's rows are failing.
    int failingCount(const FavoritesList& list) const;

private:
    QHash<QString, FavoriteState> m_states;
    // Lines before the first block, but for the file's own heading.
    QStringList m_leadingLines;
};
