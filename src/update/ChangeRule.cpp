// The verdict of a favorite's rule on a fresh download.
#include "update/ChangeRule.h"

namespace {

Judgement byLength(const PageCopy& snapshot, const PageCopy& download, bool fallback)
{
    return { snapshot.length == download.length ? Verdict::Unchanged : Verdict::Changed, fallback };
}

} // namespace

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
    return { snapshot->text->counted(rule) == download.text->counted(rule) ? Verdict::Unchanged : Verdict::Changed };
}

QString PartMissingReason()
{
    return QStringLiteral("The part of the page chosen for this favorite is not on the page.");
}
