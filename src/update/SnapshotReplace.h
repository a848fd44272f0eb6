// How a fresh download takes the place of a favorite's snapshot.
#pragma once

#include <QString>

// Makes the file `download` the snapshot called `snapshot` in one step, so that the snapshot
// names either the old page or the new one whatever happens. Throws FileError.
void ReplaceSnapshot(const QString& download, const QString& snapshot);
