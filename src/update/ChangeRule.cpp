// The verdict of a favorite's rule on a fresh download.
#include "update/ChangeRule.h"

Verdict JudgeDownload(const ChangeRule& rule, const std::optional<PageCopy>& snapshot, const PageCopy& download)
{
    if (!snapshot)
        return Verdict::FirstSnapshot;
    switch (rule.kind) {
    case ChangeRule::Kind::PageLength:
        break;
    }
    return snapshot->length == download.length ? Verdict::Unchanged : Verdict::Changed;
}
