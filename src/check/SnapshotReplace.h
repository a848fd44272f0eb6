// How a fresh download takes the place of a favorite's snapshot, keeping the snapshot it
// replaces as the favorite's previous copy.
#pragma once

#include <QString>

#include <functional>

// The previous copy of the snapshot called `snapshot`: the page as it was before the last
// change, named `snapshot` plus ".old". A snapshot's name always ends in ".NVD", so the two
// names never meet. Where the name would pass kMaxSnapshotNameBytes, the snapshot's name is
// cut and marked with a hash of it before ".old", as long snapshot names are.
QString PreviousCopyName(const QString& snapshot);
// The previous copy's name while a replacement makes it; only a crash leaves it behind.
QString PendingPreviousCopyName(const QString& snapshot);

// Makes the file `download` the snapshot called `snapshot` in one step, so that the snapshot
// names either the old page or the new one whatever happens, and keeps the page it replaces
// as PreviousCopyName(snapshot), one generation only. Throws FileError when the snapshot
// cannot be replaced; keeping the previous copy never stops the replacement.
void ReplaceSnapshot(const QString& download, const QString& snapshot);

// The two ways of a replacement. Where the file system can swap two names in one step, the
// download and the snapshot swap names and the old page goes on to be the previous copy: one
// rename more than a plain replacement. Elsewhere the old page first gets a temporary second
// name (a hard link, or a copy), which becomes the previous copy once the snapshot is replaced.
enum class ReplaceWay { SwapWhenPossible, LinkFirst };
// The points between the steps of a replacement, for tests that stop the program there.
enum class ReplaceStep {
    PreviousLinked, // linking first: the snapshot also has a temporary second name
    SnapshotReplaced, // the download is the snapshot; a swap left the old page under the download's name
    PreviousKept, // the old page has become the previous copy
};
void ReplaceSnapshot(const QString& download, const QString& snapshot,
    const std::function<void(ReplaceStep)>& afterStep, ReplaceWay way = ReplaceWay::SwapWhenPossible);

// Gives the file `from` the second name `to` (an existing `to` is replaced): a hard link
// where the file system has them, else a copy. Throws FileError.
enum class LinkMode { LinkWhenPossible, CopyOnly };
void LinkOrCopyFile(const QString& from, const QString& to, LinkMode mode = LinkMode::LinkWhenPossible);
