// What counts as a change of a favorite's page: a rule, and the verdict it gives on a fresh
// download against the favorite's snapshot. No files, no clock: the run of checks reads the
// copies and applies the verdict.
#pragma once

#include "store/ChangeRules.h"
#include "page/RuleText.h"

#include <QString>
#include <QtGlobal>

#include <optional>

// What Page text compares of a copy's text: whether it could be read and had the rule's part,
// and a digest of the lines that count.
struct TextDigest {
    RuleText::Status status = RuleText::Status::Read;
    QByteArray counted;

    bool operator==(const TextDigest&) const = default;
};

TextDigest DigestText(const RuleText& text, const ChangeRule& rule);

// What the rule needs to know of one copy of a page.
struct PageCopy {
    qint64 length = 0;
    // The copy's text read under the rule, which Page text compares. A copy without it is
    // compared by length.
    std::optional<TextDigest> text;
};

enum class Verdict {
    // The favorite has no snapshot yet: the download becomes its first, unmarked.
    FirstSnapshot,
    Unchanged,
    Changed,
    // The part of the page that the rule chooses is not on the download: the check fails, the
    // page is not marked changed and the snapshot stays.
    PartMissing,
};

struct Judgement {
    Verdict verdict = Verdict::Unchanged;
    // Page text could not read the text of a copy (too large, or it took too long), so the
    // copies were compared by length as Page length does.
    bool byLength = false;

    bool operator==(const Judgement&) const = default;
};

Judgement JudgeDownload(const ChangeRule& rule, const std::optional<PageCopy>& snapshot, const PageCopy& download);

// The rule chosen for a favorite (in the Add or Edit dialog) whose rule was `before`: what
// `before` learned of what changes by itself stays while the chosen rule still ignores it.
ChangeRule KeepingLearned(ChangeRule chosen, const ChangeRule& before);

// Why a check failed whose rule's part of the page was not on the page.
QString PartMissingReason();
