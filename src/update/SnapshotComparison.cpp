// Reading a check's two copies and judging them by their text.
#include "update/SnapshotComparison.h"

#include "platform/Files.h"
#include "platform/NelvoxError.h"
#include "update/PageChanges.h"

#include <QDeadlineTimer>
#include <QFile>

#include <optional>

namespace {

// The copy's bytes, or none when it is too large for its text to be read, as the Changes
// window would not read it either. Throws FileError when it cannot be read.
std::optional<QByteArray> readCopy(const QString& fileName, const QString& what, qint64& length)
{
    QFile file;
    if (!OpenForReading(file, fileName))
        throw FileError(QStringLiteral("The %1 %2 cannot be read.").arg(what, fileName));
    length = FileLength(file);
    if (length > PageChanges::kMaxPageBytes)
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError(QStringLiteral("The %1 %2 cannot be read: %3").arg(what, fileName, file.errorString()));
    return bytes;
}

} // namespace

SnapshotComparison CompareWithSnapshot(
    const QString& snapshot, const QString& download, const ChangeRule& rule, const std::atomic<bool>* cancelled)
{
    const auto stopped = [cancelled] { return cancelled && cancelled->load(std::memory_order_relaxed); };
    SnapshotComparison comparison;
    try {
        PageCopy snapshotCopy;
        PageCopy downloadCopy;
        const std::optional<QByteArray> downloadBytes
            = readCopy(download, QStringLiteral("download"), downloadCopy.length);
        const std::optional<QByteArray> snapshotBytes
            = readCopy(snapshot, QStringLiteral("snapshot"), snapshotCopy.length);
        // Reading the text of both copies shares the time the Changes window gives its own.
        const QDeadlineTimer deadline(PageDiff::kTimeBudget);
        if (downloadBytes && !stopped())
            downloadCopy.text = ReadRuleText(*downloadBytes, rule, deadline);
        // A download whose text cannot be read or lacks the part is judged without the
        // snapshot's text; the same bytes have the same text, as most checks find them.
        if (snapshotBytes && downloadCopy.text && downloadCopy.text->status == RuleText::Status::Read && !stopped())
            snapshotCopy.text
                = *snapshotBytes == *downloadBytes ? downloadCopy.text : ReadRuleText(*snapshotBytes, rule, deadline);
        comparison.judgement = JudgeDownload(rule, snapshotCopy, downloadCopy);
    } catch (const FileError& error) {
        comparison.failure = error.message();
    }
    return comparison;
}
