// The replacement of a snapshot by a fresh download, and the previous copy it leaves.
#include "check/SnapshotReplace.h"

#include "check/SnapshotName.h"
#include "platform/Files.h"
#include "platform/NelvoxError.h"
#include "platform/Reasons.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// `name` followed by `suffix`. Where that passes the file system's limit, `name` is cut on a
// character boundary and marked with a hash of itself, so that two long names stay apart.
QString withSuffix(const QString& name, const QString& suffix)
{
    return NameWithinLimit(name, name.toUtf8(), suffix);
}

void removeIfThere(const QString& fileName)
{
    try {
        RemoveFile(fileName);
    } catch (const FileError&) {
        // Nothing there, or nothing this program can remove: either way no name to trust.
    }
}

#ifdef Q_OS_UNIX
// 0, or the system's error when the file system refused the link.
int makeHardLink(const QString& from, const QString& to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::link(source.constData(), target.constData()) == 0)
        return 0;
    if (errno != EEXIST)
        return errno;
    ::unlink(target.constData());
    return ::link(source.constData(), target.constData()) == 0 ? 0 : errno;
}
#endif

// Gives each of the two files the other's name in one step; false where the system or the
// file system cannot, or either file is missing.
bool swapNames(const QString& first, const QString& second)
{
#if defined(Q_OS_LINUX) && defined(RENAME_EXCHANGE)
    return ::renameat2(AT_FDCWD, QFile::encodeName(first).constData(), AT_FDCWD, QFile::encodeName(second).constData(),
               RENAME_EXCHANGE)
        == 0;
#else
    Q_UNUSED(first);
    Q_UNUSED(second);
    return false;
#endif
}

} // namespace

QString PreviousCopyName(const QString& snapshot)
{
    return withSuffix(snapshot, QStringLiteral(".old"));
}

QString PendingPreviousCopyName(const QString& snapshot)
{
    return withSuffix(snapshot, QStringLiteral(".old.new"));
}

void LinkOrCopyFile(const QString& from, const QString& to, LinkMode mode)
{
#ifdef Q_OS_UNIX
    if (mode == LinkMode::LinkWhenPossible) {
        const int error = makeHardLink(from, to);
        if (error == 0)
            return;
        // A missing file is an answer; a refusal (a file system without hard links) is not.
        if (error == ENOENT || error == ENOTDIR)
            throw FileError(QString::fromLatin1(Reasons::kCannotLink).arg(from, to, qt_error_string(error)),
                FileError::Cause::NotFound);
    }
#else
    Q_UNUSED(mode);
#endif
    removeIfThere(to);
    QFile source(from);
    if (!source.copy(to)) {
        const bool missing = !QFile::exists(from);
        removeIfThere(to);
        throw FileError(QString::fromLatin1(Reasons::kCannotCopy).arg(from, to, source.errorString()),
            missing ? FileError::Cause::NotFound : FileError::Cause::Other);
    }
}

void ReplaceSnapshot(const QString& download, const QString& snapshot)
{
    ReplaceSnapshot(download, snapshot, {});
}

void ReplaceSnapshot(
    const QString& download, const QString& snapshot, const std::function<void(ReplaceStep)>& afterStep, ReplaceWay way)
{
    auto reached = [&afterStep](ReplaceStep step) {
        if (afterStep)
            afterStep(step);
    };
    const QString previous = PreviousCopyName(snapshot);

    // Swapped, the snapshot is the new page and the old page is under the download's name until
    // it becomes the previous copy. A crash in between leaves the old page as a temporary file,
    // which the next check overwrites or removes, and the older previous copy, a whole page.
    if (way == ReplaceWay::SwapWhenPossible && swapNames(download, snapshot)) {
        reached(ReplaceStep::SnapshotReplaced);
        try {
            RenameFile(download, previous);
        } catch (const FileError&) {
            removeIfThere(download);
            removeIfThere(previous);
        }
        reached(ReplaceStep::PreviousKept);
        return;
    }

    // No swap (or no snapshot yet to swap with): the old page gets a second name before
    // anything is replaced, and that name becomes the previous copy only after the snapshot was
    // replaced. So a crash at any point leaves the snapshot the old page or the new one, the
    // previous copy a whole earlier page, and the snapshot and its previous copy never one
    // file that a later download could write through.
    const QString pending = PendingPreviousCopyName(snapshot);
    bool linked = false;
    try {
        LinkOrCopyFile(snapshot, pending);
        linked = true;
    } catch (const FileError&) {
        // No old page to keep (none yet, or unreadable): the snapshot is still replaced.
        removeIfThere(pending);
    }
    reached(ReplaceStep::PreviousLinked);

    try {
        RenameFile(download, snapshot);
    } catch (const FileError&) {
        if (linked)
            removeIfThere(pending);
        throw;
    }
    reached(ReplaceStep::SnapshotReplaced);

    bool kept = false;
    if (linked) {
        try {
            RenameFile(pending, previous);
            kept = true;
        } catch (const FileError&) {
            removeIfThere(pending);
        }
    }
    // An older previous copy would show two changes as one.
    if (!kept)
        removeIfThere(previous);
    reached(ReplaceStep::PreviousKept);
}
