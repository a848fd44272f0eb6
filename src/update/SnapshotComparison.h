// A check's download against its favorite's snapshot under a Page text rule: both files read,
// their text read under the rule, and the rule's verdict. It takes processor time, so a run of
// checks hands it to Qt's thread pool; it reads the two files and touches nothing else.
#pragma once

#include "update/ChangeRule.h"

#include <QString>

#include <atomic>

struct SnapshotComparison {
    Judgement judgement;
    // Why the copies could not be compared (a snapshot that cannot be read): the check fails
    // with it. Empty when they were compared.
    QString failure;
};

// Stops between its steps once `cancelled` is set, and its result then means nothing.
SnapshotComparison CompareWithSnapshot(const QString& snapshot, const QString& download, const ChangeRule& rule,
    const std::atomic<bool>* cancelled = nullptr);
