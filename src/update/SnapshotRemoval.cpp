// Snapshot removal for Delete and Edit.
#include "update/SnapshotRemoval.h"

#include "platform/Files.h"
#include "platform/NelvoxError.h"
#include "update/SnapshotName.h"
#include "update/SnapshotReplace.h"

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

void RemoveSnapshot(const QString& address)
{
    // The previous copy goes first, so that one that resists stops the command while the
    // favorite still has its snapshot.
    const QString snapshot = SnapshotFileName(address);
    removeUnlessMissing(PendingPreviousCopyName(snapshot));
    removeUnlessMissing(PreviousCopyName(snapshot));
    removeUnlessMissing(snapshot);
}
