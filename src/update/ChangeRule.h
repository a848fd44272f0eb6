// What counts as a change of a favorite's page: a rule, and the verdict it gives on a fresh
// download against the favorite's snapshot. No files, no clock: the run of checks reads the
// copies and applies the verdict.
#pragma once

#include "store/ChangeRules.h"

#include <QtGlobal>

#include <optional>

// What the rule needs to know of one copy of a page.
struct PageCopy {
    qint64 length = 0;
};

enum class Verdict {
    // The favorite has no snapshot yet: the download becomes its first, unmarked.
    FirstSnapshot,
    Unchanged,
    Changed,
};

Verdict JudgeDownload(const ChangeRule& rule, const std::optional<PageCopy>& snapshot, const PageCopy& download);
