// A check's download against its favorite's snapshot under a Page text rule: both files read,
// their text read under the rule, and the rule's verdict. It takes processor time, so a run of
// checks hands it to Qt's thread pool; it reads the two files and touches nothing else.
#pragma once

#include "check/ChangeRule.h"

#include <QHash>
#include <QString>

#include <atomic>
#include <optional>

// What an earlier comparison found of a snapshot's text: a snapshot whose bytes are still the
// same need not be read again under the same rule, which spares most of the work of a check
// whose page did not change.
struct KnownSnapshot {
    // A hash of the snapshot's bytes. It starts from a fixed value, so that the knowledge can
    // be kept from one start to the next: bytes that hash the same are still compared byte for
    // byte with the download before the knowledge is used.
    size_t bytes = 0;
    ChangeRule rule;
    TextDigest text;

    // As one line of text, and back; none from a line that is not one.
    QString toText() const;
    static std::optional<KnownSnapshot> FromText(const QString& text, const ChangeRule& rule);
};
// By snapshot file name.
using KnownSnapshots = QHash<QString, KnownSnapshot>;

struct SnapshotComparison {
    Judgement judgement;
    // Why the copies could not be compared (a snapshot that cannot be read): the check fails
    // with it. Empty when they were compared.
    QString failure;
    // What is known of the snapshot's text once the verdict is applied: a change makes the
    // download the snapshot.
    std::optional<KnownSnapshot> known;
    // The download holds the snapshot's very bytes.
    bool sameBytes = false;
    // After a second load: the rule with what was found changing by itself learned, when it
    // learned anything.
    std::optional<ChangeRule> learned;
};

// `known` is what an earlier comparison found of the snapshot, if anything. Stops between its
// steps once `cancelled` is set, and its result then means nothing.
SnapshotComparison CompareWithSnapshot(const QString& snapshot, const QString& download, const ChangeRule& rule,
    const std::optional<KnownSnapshot>& known = std::nullopt, const std::atomic<bool>* cancelled = nullptr);

// The same after the page was loaded a second time into `second`, a few seconds after
// `download`, under a rule that ignores what changes by itself: what differs between the two
// loads changes by itself and does not count, and its shapes are learned, as far as a rule
// holds them (see kMostLearned). So do the counters of the history in the file `history`,
// when there is one: the lines whose numbers changed at each of the last copies of `address`
// and the download (see FindCounters). Copies whose text cannot be read are compared as above.
struct SecondLoad {
    QString file;
    QString history;
    QString address;
};
SnapshotComparison CompareWithSecondLoad(const QString& snapshot, const QString& download, const SecondLoad& second,
    const ChangeRule& rule, const std::atomic<bool>* cancelled = nullptr);
// The copies of the history a counter is found in, besides the download.
inline constexpr int kCounterCopies = 3;

// The most shapes of lines, and of links, a rule learns: a page of which every line changes at
// every load would fill the rules file.
inline constexpr qsizetype kMostLearned = 100;
// `rule` with `shapes` learned, as far as it holds them.
ChangeRule WithLearned(ChangeRule rule, const QStringList& lines, const QStringList& links);
