// Snapshot removal for Delete and Edit.
#include "commands/SnapshotRemoval.h"

#include "platform/Files.h"
#include "platform/NelvoxError.h"
#include "update/PageCheck.h"

void RemoveSnapshot(const QString& address)
{
    try {
        RemoveFile(SnapshotFileName(address));
    } catch (const FileError& error) {
        if (!error.isNotFound())
            throw;
    }
}
