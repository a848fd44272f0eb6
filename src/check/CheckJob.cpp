// The work on one job of a run: what its download's outcome means, the verdict of its rule,
// and the replacement of its snapshot.
#include "check/CheckJob.h"

#include "check/SnapshotHistory.h"
#include "check/SnapshotName.h"
#include "check/SnapshotReplace.h"
#include "platform/Files.h"
#include "platform/NelvoxError.h"
#include "platform/Reasons.h"

#include <QCoreApplication>
#include <QFileInfo>

Q_LOGGING_CATEGORY(lcCheck, "nelvox.check", QtWarningMsg)

namespace {

using Outcome = FavoriteState::Outcome;
using Transferred = TransferResult::Outcome;

// Only a snapshot that is not there at all makes the download the first: one that cannot be
// read (a folder, a dangling link) is left to the user.
bool snapshotPresent(const QString& fileName)
{
    const QFileInfo info(fileName);
    return info.exists() || info.isSymLink();
}

QString notModifiedToAPlainRequest()
{
    return QString::fromLatin1(
        QT_TRANSLATE_NOOP("FailureReason", "the server answered \"not modified\" to a plain request"));
}

} // namespace

CheckJob CheckJob::Check(const QString& address, FavoritesList::Id row, const QString& file, const ChangeRule& rule,
    const FavoriteState* last)
{
    CheckJob job;
    job.address = address;
    job.row = row;
    job.snapshot = SnapshotFileName(address);
    job.file = file;
    job.rule = rule;
    // After a failure or a stop, or without a snapshot, a "not modified" could hide a change.
    if (last && (last->outcome == Outcome::Changed || last->outcome == Outcome::Unchanged)
        && QFileInfo::exists(job.snapshot))
        job.validators = { last->etag, last->lastModified };
    return job;
}

CheckJob CheckJob::FirstSnapshot(const QString& address)
{
    CheckJob job;
    job.kind = Kind::FirstSnapshot;
    job.address = address;
    job.snapshot = SnapshotFileName(address);
    job.file = job.snapshot;
    return job;
}

bool CheckJob::needsComparison(const TransferPool::Result& result) const
{
    return kind == Kind::Check && !rule.isPageLength() && result.isDownloaded() && snapshotPresent(snapshot);
}

bool CheckJob::wantsSecondLoad(const SnapshotComparison& comparison) const
{
    // No second load for a page whose text did not change, nor for one compared by length.
    return kind == Kind::Check && rule.ignoreSelfChanging && !rule.isPageLength() && secondFile.isEmpty()
        && comparison.failure.isEmpty() && comparison.judgement.verdict == Verdict::Changed
        && !comparison.judgement.byLength;
}

CheckJob::Ending CheckJob::judgeDownload(const TransferPool::Result& result)
{
    Ending ending { Outcome::Failed, result.message };
    if (kind == Kind::FirstSnapshot) {
        // As a first download: a snapshot file that cannot be created does not stop the stamp.
        downloaded = result.outcome == Transferred::Downloaded || result.outcome == Transferred::FileNotCreated;
        if (result.outcome == Transferred::Downloaded)
            KeepFirstSnapshot(history, now, address, snapshot);
        if (downloaded)
            ending.outcome = Outcome::Unchanged;
        else if (result.outcome == Transferred::NotModified)
            ending.reason = notModifiedToAPlainRequest();
        return ending;
    }
    if (result.outcome == Transferred::NotModified) {
        // The snapshot is the page as it is: nothing is downloaded, written or renamed. Without
        // a snapshot there is nothing that could be as it is.
        if (QFileInfo::exists(snapshot))
            ending.outcome = Outcome::Unchanged;
        else
            ending.reason = notModifiedToAPlainRequest();
        return ending;
    }
    const bool fileCreated = result.isDownloaded() || result.outcome == Transferred::Incomplete;
    return judgeLength(fileCreated, result.isDownloaded(), result.message);
}

CheckJob::Ending CheckJob::judgeLength(bool fileCreated, bool complete, const QString& reason)
{
    if (!fileCreated)
        return { Outcome::Failed, reason };
    QString failure = reason;
    if (complete) {
        try {
            std::optional<PageCopy> old;
            if (snapshotPresent(snapshot)) {
                QFile snapshotFile;
                if (!OpenForReading(snapshotFile, snapshot))
                    throw FileError(QString::fromLatin1(Reasons::kSnapshotUnreadable).arg(snapshot));
                old = PageCopy { FileLength(snapshotFile), {} };
            }
            return applyJudgement(JudgeDownload(rule, old, PageCopy { FileLength(file), {} }), reason);
        } catch (const FileError& error) {
            // The snapshot stays as it was; the download is kept like any other.
            qCInfo(lcCheck).noquote() << address << "not compared:" << error.message();
            failure = error.message();
        }
    }
    return { .outcome = Outcome::Failed, .reason = failure, .downloadLeft = true };
}

CheckJob::Ending CheckJob::applyComparison(const SnapshotComparison& comparison, KnownSnapshots& known)
{
    known.remove(snapshot);
    QString failure = comparison.failure;
    if (failure.isEmpty()) {
        try {
            const Ending ending = applyJudgement(comparison.judgement, result.message);
            if (comparison.known)
                known.insert(snapshot, *comparison.known);
            // The server's validators name the download, which the snapshot is not: a "not
            // modified" to them would say nothing of the snapshot under another rule.
            if (ending.outcome == Outcome::Unchanged && !comparison.sameBytes)
                result.validators = {};
            return ending;
        } catch (const FileError& error) {
            failure = error.message();
        }
    }
    qCInfo(lcCheck).noquote() << address << "not compared:" << failure;
    return { .outcome = Outcome::Failed, .reason = failure, .downloadLeft = true };
}

CheckJob::Ending CheckJob::applyJudgement(const Judgement& judgement, const QString& reason)
{
    if (judgement.byLength)
        qCInfo(lcCheck).noquote() << address
                                  << "compared by length: the text of a copy is too large, or took too long, to read";
    switch (judgement.verdict) {
    case Verdict::Unchanged:
        break;
    case Verdict::Changed:
        ReplaceSnapshotKeepingHistory(history, now, address, file, snapshot, snapshotSeen);
        return { .outcome = Outcome::Changed, .reason = reason, .stamped = true, .changed = true };
    case Verdict::FirstSnapshot:
        RenameFile(file, snapshot);
        KeepFirstSnapshot(history, now, address, snapshot);
        qCInfo(lcCheck).noquote() << address << "had no snapshot: the download is its first";
        return { .outcome = Outcome::Unchanged, .reason = reason, .stamped = true };
    case Verdict::PartMissing:
        qCInfo(lcCheck).noquote() << address << "failed: the part" << rule.part << "is not on the page";
        return { .outcome = Outcome::Failed, .reason = PartMissingReason(), .downloadLeft = true };
    }
    return { .outcome = Outcome::Unchanged, .reason = reason, .downloadLeft = true };
}
