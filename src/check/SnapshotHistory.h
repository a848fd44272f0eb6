// The copies that become snapshots, handed to the history as they do.
#pragma once

#include <QString>

class HistoryRecorder;

// Makes `download` the snapshot as ReplaceSnapshot() does, then hands the new page to
// `history` with what the snapshot files held before it (none: the history is not kept);
// `replacedWasSeen` when the favorite showed no change until now. Throws FileError as
// ReplaceSnapshot() does, and then hands nothing over.
void ReplaceSnapshotKeepingHistory(HistoryRecorder* history, const QString& address, const QString& download,
    const QString& snapshot, bool replacedWasSeen = false);

// Hands the first snapshot of `address`, just made, to `history`.
void KeepFirstSnapshot(HistoryRecorder* history, const QString& address, const QString& snapshot);
