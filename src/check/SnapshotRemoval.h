// Removal of a favorite's snapshot file when the favorite is deleted or its address edited.
#pragma once

#include <QString>

class FavoritesList;
class HistoryRecorder;

// Whether the previous copy goes along with the snapshot. An edit that keeps the address keeps
// it, so that the Changes window still has the page as it was before the last change.
enum class PreviousCopy { Remove, Keep };

// Removes the snapshot of the favorite at `address` and, unless kept, its previous copy and its
// history (through `history`, the checks' recorder, or straight in the history file without
// one). A file that is not there counts as removed: the favorite's first download may never
// have created it, or no change may have made a previous copy yet. Any other failure throws
// FileError.
void RemoveSnapshot(
    const QString& address, PreviousCopy previous = PreviousCopy::Remove, HistoryRecorder* history = nullptr);

// Removes the snapshot of the favorite in `row` as RemoveSnapshot() does, unless another row
// still uses a snapshot of the same name: the same address twice, or two addresses that map
// to one name ("a/b" and "a!b").
void RemoveUnsharedSnapshot(const FavoritesList& favorites, int row, PreviousCopy previous = PreviousCopy::Remove,
    HistoryRecorder* history = nullptr);
