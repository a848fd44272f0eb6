// Snapshot removal for Delete and Edit.
#include "check/SnapshotRemoval.h"

#include "check/SnapshotName.h"
#include "check/SnapshotReplace.h"
#include "history/HistoryRecorder.h"
#include "platform/Files.h"
#include "platform/NelvoxError.h"
#include "store/FavoritesList.h"

namespace {

void removeUnlessMissing(const QString& fileName)
{
    try {
        RemoveFile(fileName);
    } catch (const FileError& error) {
        if (!error.isNotFound())
            throw;
    }
}

} // namespace

void RemoveSnapshot(const QString& address, PreviousCopy previous, HistoryRecorder* history)
{
    // The previous copy goes first, so that one that resists stops the command while the
    // favorite still has its snapshot.
    const QString snapshot = SnapshotFileName(address);
    if (previous == PreviousCopy::Remove) {
        removeUnlessMissing(PendingPreviousCopyName(snapshot));
        removeUnlessMissing(PreviousCopyName(snapshot));
    }
    removeUnlessMissing(snapshot);
    // The history goes with the previous copy: an edit that keeps the address keeps both.
    if (previous == PreviousCopy::Remove)
        ForgetHistory(history, address);
}

void RemoveUnsharedSnapshot(const FavoritesList& favorites, int row, PreviousCopy previous, HistoryRecorder* history)
{
    const QString address = favorites.at(row).address;
    const QString snapshot = SnapshotFileName(address);
    for (int other = 0; other < favorites.count(); ++other) {
        if (other != row && SnapshotFileName(favorites.at(other).address) == snapshot)
            return;
    }
    RemoveSnapshot(address, previous, history);
}
