// Removal of a favorite's snapshot file when the favorite is deleted or its address edited.
#pragma once

#include <QString>

// Removes the snapshot of the favorite at `address` and its previous copy. A file that is not
// there counts as removed: the favorite's first download may never have created it, no change
// may have made a previous copy yet, or another favorite with the same snapshot name took it
// along. Any other failure throws FileError.
void RemoveSnapshot(const QString& address);
