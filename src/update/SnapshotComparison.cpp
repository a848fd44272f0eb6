// Reading a check's two copies and judging them by their text.
#include "update/SnapshotComparison.h"

#include "platform/Files.h"
#include "platform/NelvoxError.h"
#include "update/PageChanges.h"

#include <QDeadlineTimer>
#include <QFile>

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

size_t hashOf(const QByteArray& bytes)
{
    return qHash(QByteArrayView(bytes), QHashSeed::globalSeed());
}

} // namespace

SnapshotComparison CompareWithSnapshot(const QString& snapshot, const QString& download, const ChangeRule& rule,
    const std::optional<KnownSnapshot>& known, const std::atomic<bool>* cancelled)
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
        if (!downloadBytes || !snapshotBytes) {
            comparison.judgement = JudgeDownload(rule, snapshotCopy, downloadCopy);
            return comparison;
        }
        const size_t snapshotHash = hashOf(*snapshotBytes);
        if (known && known->bytes == snapshotHash && known->rule == rule)
            snapshotCopy.text = known->text;
        // The same bytes have the same text.
        if (snapshotCopy.text && *downloadBytes == *snapshotBytes) {
            downloadCopy.text = snapshotCopy.text;
        } else if (!stopped()) {
            // Reading the text of both copies shares the time the Changes window gives its own.
            const QDeadlineTimer deadline(PageDiff::kTimeBudget);
            downloadCopy.text = DigestText(ReadRuleText(*downloadBytes, rule, deadline), rule);
            // A download whose text cannot be read or lacks the part is judged without the
            // snapshot's text.
            if (!snapshotCopy.text && downloadCopy.text->status == RuleText::Status::Read && !stopped()) {
                snapshotCopy.text = *downloadBytes == *snapshotBytes
                    ? downloadCopy.text
                    : DigestText(ReadRuleText(*snapshotBytes, rule, deadline), rule);
            }
        }
        comparison.judgement = JudgeDownload(rule, snapshotCopy, downloadCopy);
        // A text that ran out of time may be read in time at the next check.
        const auto lasting
            = [](const std::optional<TextDigest>& text) { return text && text->status != RuleText::Status::TooLarge; };
        if (comparison.judgement.verdict == Verdict::Changed && lasting(downloadCopy.text))
            comparison.known = KnownSnapshot { hashOf(*downloadBytes), rule, *downloadCopy.text };
        else if (comparison.judgement.verdict != Verdict::Changed && lasting(snapshotCopy.text))
            comparison.known = KnownSnapshot { snapshotHash, rule, *snapshotCopy.text };
    } catch (const FileError& error) {
        comparison.failure = error.message();
    }
    return comparison;
}
