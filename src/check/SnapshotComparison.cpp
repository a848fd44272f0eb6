// Reading a check's two copies and judging them by their text.
#include "check/SnapshotComparison.h"

#include "check/PageChanges.h"
#include "history/HistoryDatabase.h"
#include "platform/Files.h"
#include "platform/NelvoxError.h"
#include "platform/Reasons.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

// Files are hashed and compared in blocks of this size, small enough for the stack.
constexpr qint64 kBlockBytes = 16 * 1024;

class Copy {
public:
    enum class Kind { Download, Snapshot };

    // Opens the file. Throws FileError when it cannot be opened.
    Copy(const QString& fileName, Kind kind)
        : m_kind(kind)
    {
        if (!OpenForReading(m_file, fileName))
            throw FileError(QString::fromLatin1(
                kind == Kind::Snapshot ? Reasons::kSnapshotUnreadable : Reasons::kDownloadUnreadable)
                                .arg(fileName));
        m_length = FileLength(m_file);
    }
    qint64 length() const { return m_length; }
    // Too large for its text to be read, as the Changes window would not read it either.
    bool tooLarge() const { return m_length > PageChanges::kMaxPageBytes; }

    // The next block of the file, shorter only at its end. Throws FileError.
    qint64 readBlock(char* block)
    {
        qint64 filled = 0;
        while (filled < kBlockBytes) {
            const qint64 read = m_file.read(block + filled, kBlockBytes - filled);
            if (read < 0)
                throw unreadable();
            if (read == 0)
                break;
            filled += read;
        }
        return filled;
    }
    // The whole file. Throws FileError.
    QByteArray readAll()
    {
        m_file.seek(0);
        QByteArray bytes = m_file.readAll();
        if (m_file.error() != QFileDevice::NoError || bytes.size() != m_length)
            throw unreadable();
        return bytes;
    }

private:
    FileError unreadable() const
    {
        return FileError(QString::fromLatin1(
            m_kind == Kind::Snapshot ? Reasons::kSnapshotUnreadableBecause : Reasons::kDownloadUnreadableBecause)
                             .arg(m_file.fileName(), m_file.errorString()));
    }

    Kind m_kind;
    QFile m_file;
    qint64 m_length = 0;
};

// Where the hashes of snapshots' bytes start, the same in every run of the program.
constexpr size_t kBytesHashStart = 0x4e656c766f78;

size_t hashBlock(const char* block, qint64 size, size_t previous)
{
    return qHashBits(block, static_cast<size_t>(size), previous);
}

// The hash of the bytes, block by block as sameBytes() takes them.
size_t hashOf(const QByteArray& bytes)
{
    size_t hash = kBytesHashStart;
    for (qint64 at = 0; at < bytes.size(); at += kBlockBytes)
        hash = hashBlock(bytes.constData() + at, std::min(kBlockBytes, bytes.size() - at), hash);
    return hash;
}

// The hash of both when they hold the same bytes, read side by side, block by block: what
// most checks find, with no copy of a page in memory.
std::optional<size_t> sameBytes(Copy& first, Copy& second)
{
    if (first.length() != second.length())
        return std::nullopt;
    char firstBlock[kBlockBytes];
    char secondBlock[kBlockBytes];
    size_t hash = kBytesHashStart;
    for (;;) {
        const qint64 size = first.readBlock(firstBlock);
        if (second.readBlock(secondBlock) != size || memcmp(firstBlock, secondBlock, static_cast<size_t>(size)) != 0)
            return std::nullopt;
        if (size == 0)
            return hash;
        hash = hashBlock(firstBlock, size, hash);
    }
}

} // namespace

SnapshotComparison CompareWithSnapshot(const QString& snapshot, const QString& download, const ChangeRule& rule,
    const std::optional<KnownSnapshot>& known, const std::atomic<bool>* cancelled)
{
    const auto stopped = [cancelled] { return cancelled && cancelled->load(std::memory_order_relaxed); };
    SnapshotComparison comparison;
    try {
        Copy downloadFile(download, Copy::Kind::Download);
        Copy snapshotFile(snapshot, Copy::Kind::Snapshot);
        PageCopy downloadCopy { downloadFile.length(), {} };
        PageCopy snapshotCopy { snapshotFile.length(), {} };
        if (downloadFile.tooLarge() || snapshotFile.tooLarge()) {
            comparison.judgement = JudgeDownload(rule, snapshotCopy, downloadCopy);
            return comparison;
        }
        // The same bytes as a snapshot whose text is known have that text.
        if (known && known->rule == rule && known->bytes == sameBytes(downloadFile, snapshotFile)) {
            downloadCopy.text = snapshotCopy.text = known->text;
            comparison.judgement = JudgeDownload(rule, snapshotCopy, downloadCopy);
            comparison.known = known;
            comparison.sameBytes = true;
            return comparison;
        }
        const QByteArray downloadBytes = downloadFile.readAll();
        const QByteArray snapshotBytes = snapshotFile.readAll();
        const size_t snapshotHash = hashOf(snapshotBytes);
        comparison.sameBytes = downloadBytes == snapshotBytes;
        if (known && known->bytes == snapshotHash && known->rule == rule)
            snapshotCopy.text = known->text;
        if (!stopped()) {
            // Reading the text of both copies shares the time the Changes window gives its own.
            const QDeadlineTimer deadline(PageDiff::kTimeBudget);
            downloadCopy.text = DigestText(ReadRuleText(downloadBytes, rule, deadline), rule);
            // A download whose text cannot be read or lacks the part is judged without the
            // snapshot's text; the same bytes have the same text.
            if (!snapshotCopy.text && downloadCopy.text->status == RuleText::Status::Read && !stopped()) {
                snapshotCopy.text = comparison.sameBytes
                    ? downloadCopy.text
                    : DigestText(ReadRuleText(snapshotBytes, rule, deadline), rule);
            }
        }
        comparison.judgement = JudgeDownload(rule, snapshotCopy, downloadCopy);
        // A text that ran out of time may be read in time at the next check.
        const auto lasting
            = [](const std::optional<TextDigest>& text) { return text && text->status != RuleText::Status::TooLarge; };
        if (comparison.judgement.verdict == Verdict::Changed && lasting(downloadCopy.text))
            comparison.known = KnownSnapshot { hashOf(downloadBytes), rule, *downloadCopy.text };
        else if (comparison.judgement.verdict != Verdict::Changed && lasting(snapshotCopy.text))
            comparison.known = KnownSnapshot { snapshotHash, rule, *snapshotCopy.text };
    } catch (const FileError& error) {
        comparison.failure = error.message();
    }
    return comparison;
}

ChangeRule WithLearned(ChangeRule rule, const QStringList& lines, const QStringList& links)
{
    const auto learn = [](QStringList& learned, const QStringList& shapes) {
        for (const QString& shape : shapes) {
            if (learned.size() < kMostLearned && IsValidShape(shape) && !learned.contains(shape))
                learned << shape;
        }
    };
    learn(rule.learnedLines, lines);
    learn(rule.learnedLinks, links);
    return rule;
}

namespace {

// The latest copies of `address` in the history, the oldest first, with `newest` after them;
// none when the history cannot be read.
QList<RuleText> historyCopies(
    const SecondLoad& second, const RuleText& newest, const ChangeRule& rule, const QDeadlineTimer& deadline)
{
    QList<RuleText> copies;
    if (second.history.isEmpty() || QFileInfo(second.history).size() == 0)
        return copies;
    try {
        HistoryDatabase history(second.history);
        history.open();
        const QList<HistoryCopy> kept = history.copies(second.address);
        for (qsizetype at = std::min<qsizetype>(kCounterCopies, kept.size()) - 1; at >= 0; --at) {
            if (const std::optional<QByteArray> page = history.read(kept[at].id))
                copies << ReadRuleText(*page, rule, deadline);
        }
    } catch (const NelvoxError&) {
        // The second load alone decides.
        return {};
    }
    copies << newest;
    return copies;
}

} // namespace

SnapshotComparison CompareWithSecondLoad(const QString& snapshot, const QString& download, const SecondLoad& second,
    const ChangeRule& rule, const std::atomic<bool>* cancelled)
{
    const auto stopped = [cancelled] { return cancelled && cancelled->load(std::memory_order_relaxed); };
    SnapshotComparison comparison;
    try {
        Copy downloadFile(download, Copy::Kind::Download);
        Copy snapshotFile(snapshot, Copy::Kind::Snapshot);
        Copy secondFile(second.file, Copy::Kind::Download);
        if (downloadFile.tooLarge() || snapshotFile.tooLarge() || secondFile.tooLarge() || stopped())
            return CompareWithSnapshot(snapshot, download, rule, std::nullopt, cancelled);
        const QByteArray downloadBytes = downloadFile.readAll();
        const QByteArray snapshotBytes = snapshotFile.readAll();
        const QByteArray secondBytes = secondFile.readAll();
        const QDeadlineTimer deadline(PageDiff::kTimeBudget);
        const RuleText downloadText = ReadRuleText(downloadBytes, rule, deadline);
        const RuleText secondText = ReadRuleText(secondBytes, rule, deadline);
        const RuleText snapshotText = ReadRuleText(snapshotBytes, rule, deadline);
        using Status = RuleText::Status;
        if (downloadText.status != Status::Read || secondText.status != Status::Read
            || snapshotText.status != Status::Read || stopped())
            return CompareWithSnapshot(snapshot, download, rule, std::nullopt, cancelled);
        SelfChangingShapes found = FindSelfChanging(downloadText, secondText, rule);
        const QList<RuleText> copies = historyCopies(second, downloadText, rule, deadline);
        if (copies.size() > kCounterCopies && std::all_of(copies.begin(), copies.end(), [](const RuleText& copy) {
                return copy.status == RuleText::Status::Read;
            })) {
            for (const QString& counter : FindCounters(copies, rule)) {
                if (!found.lines.contains(counter))
                    found.lines << counter;
            }
        }
        // This check leaves out all that changed by itself, a shape the rule cannot hold too.
        ChangeRule thisCheck = rule;
        thisCheck.learnedLines += found.lines;
        thisCheck.learnedLinks += found.links;
        const ChangeRule learned = WithLearned(rule, found.lines, found.links);
        comparison.sameBytes = downloadBytes == snapshotBytes;
        comparison.judgement
            = JudgeDownload(thisCheck, PageCopy { snapshotFile.length(), DigestText(snapshotText, thisCheck) },
                PageCopy { downloadFile.length(), DigestText(downloadText, thisCheck) });
        const bool changed = comparison.judgement.verdict == Verdict::Changed;
        comparison.known = changed
            ? KnownSnapshot { hashOf(downloadBytes), learned, DigestText(downloadText, learned) }
            : KnownSnapshot { hashOf(snapshotBytes), learned, DigestText(snapshotText, learned) };
        if (!(learned == rule))
            comparison.learned = learned;
    } catch (const FileError& error) {
        comparison.failure = error.message();
    }
    return comparison;
}

namespace {

const char* const kStatusNames[] = { "read", "too-large", "part-missing" };

// A digest of the rule's options, so that knowledge found under one rule is not used under
// another.
QString ruleDigest(const ChangeRule& rule)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    QStringList fields { QString::number(static_cast<int>(rule.kind)), QString::number(rule.linkAddresses),
        QString::number(rule.ignoreNumbers), rule.ignoreLines.join(u'\n'), rule.part };
    // Rules without the option keep the digest of every earlier start.
    if (rule.ignoreSelfChanging)
        fields << QStringLiteral("self-changing") << rule.learnedLines.join(u'\n') << rule.learnedLinks.join(u'\n');
    hash.addData(fields.join(QChar(0)).toUtf8());
    return QString::fromLatin1(hash.result().toHex());
}

} // namespace

QString KnownSnapshot::toText() const
{
    return QStringLiteral("%1 %2 %3 %4")
        .arg(QString::number(bytes, 16), ruleDigest(rule), QLatin1String(kStatusNames[static_cast<int>(text.status)]),
            text.counted.isEmpty() ? QStringLiteral("-") : QString::fromLatin1(text.counted.toHex()));
}

std::optional<KnownSnapshot> KnownSnapshot::FromText(const QString& text, const ChangeRule& rule)
{
    const QStringList fields = text.split(u' ', Qt::SkipEmptyParts);
    if (fields.size() != 4 || fields[1] != ruleDigest(rule))
        return std::nullopt;
    KnownSnapshot known;
    bool number = false;
    known.bytes = fields[0].toULongLong(&number, 16);
    if (!number)
        return std::nullopt;
    known.rule = rule;
    const auto status = std::find_if(std::begin(kStatusNames), std::end(kStatusNames),
        [&](const char* name) { return fields[2] == QLatin1String(name); });
    if (status == std::end(kStatusNames))
        return std::nullopt;
    known.text.status = static_cast<RuleText::Status>(status - std::begin(kStatusNames));
    if (fields[3] != u"-") {
        known.text.counted = QByteArray::fromHex(fields[3].toLatin1());
        // The digest of the lines that count is a SHA-1.
        if (known.text.counted.size() != 20)
            return std::nullopt;
    } else if (known.text.status == RuleText::Status::Read) {
        return std::nullopt;
    }
    return known;
}
