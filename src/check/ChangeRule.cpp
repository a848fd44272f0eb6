// The verdict of a favorite's rule on a fresh download.
#include "check/ChangeRule.h"

#include <QCoreApplication>
#include <QCryptographicHash>

namespace {

Judgement byLength(const PageCopy& snapshot, const PageCopy& download, bool fallback)
{
    return { snapshot.length == download.length ? Verdict::Unchanged : Verdict::Changed, fallback };
}

} // namespace

TextDigest DigestText(const RuleText& text, const ChangeRule& rule)
{
    TextDigest digest { text.status, {} };
    if (text.status != RuleText::Status::Read)
        return digest;
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const QString& line : text.counted(rule)) {
        // Each line after its length, so that where the lines break counts too.
        const qint64 size = line.size();
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(&size), sizeof size));
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(line.utf16()), line.size() * 2));
    }
    digest.counted = hash.result();
    return digest;
}

Judgement JudgeDownload(const ChangeRule& rule, const std::optional<PageCopy>& snapshot, const PageCopy& download)
{
    if (!snapshot)
        return { Verdict::FirstSnapshot };
    if (rule.isPageLength())
        return byLength(*snapshot, download, false);
    using Status = RuleText::Status;
    // Whatever the snapshot holds, a download without the part cannot be judged by it.
    if (download.text && download.text->status == Status::PartMissing)
        return { Verdict::PartMissing };
    if (!download.text || !snapshot->text || download.text->status == Status::TooLarge
        || snapshot->text->status == Status::TooLarge)
        return byLength(*snapshot, download, true);
    // A snapshot taken before the part was on the page, or before the rule chose it.
    if (snapshot->text->status == Status::PartMissing)
        return { Verdict::Changed };
    return { snapshot->text->counted == download.text->counted ? Verdict::Unchanged : Verdict::Changed };
}

ChangeRule KeepingLearned(ChangeRule chosen, const ChangeRule& before)
{
    if (!chosen.isPageLength() && chosen.ignoreSelfChanging && chosen.learnedLines.isEmpty()
        && chosen.learnedLinks.isEmpty()) {
        chosen.learnedLines = before.learnedLines;
        chosen.learnedLinks = before.learnedLinks;
    }
    return chosen;
}

QString PartMissingReason()
{
    return QString::fromLatin1(
        QT_TRANSLATE_NOOP("FailureReason", "The part of the page chosen for this favorite is not on the page."));
}
