// The replacement of a snapshot by a fresh download.
#include "update/SnapshotReplace.h"

#include "platform/Files.h"

void ReplaceSnapshot(const QString& download, const QString& snapshot)
{
    // One rename replaces the snapshot, so a failure leaves the old one in place.
    RenameFile(download, snapshot);
}
