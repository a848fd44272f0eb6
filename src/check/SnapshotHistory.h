// The copies that become snapshots, handed to the history as they do.
#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

class HistoryRecorder;

// Makes `download` the snapshot as ReplaceSnapshot() does, then hands the new page to
// `history` with what the snapshot files held before it (none: the history is not kept);
// `replacedWasSeen` when the favorite showed no change until now. The new page is kept with
// the time `now` gives when it is handed over. Throws FileError as ReplaceSnapshot() does, and
// then hands nothing over.
void ReplaceSnapshotKeepingHistory(HistoryRecorder* history, const std::function<QDateTime()>& now,
    const QString& address, const QString& download, const QString& snapshot, bool replacedWasSeen = false);

// Hands the first snapshot of `address`, just made, to `history` with the time `now` gives.
void KeepFirstSnapshot(
    HistoryRecorder* history, const std::function<QDateTime()>& now, const QString& address, const QString& snapshot);
