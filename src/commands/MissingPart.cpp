// Reads a first snapshot under its rule the way the check will.
#include "commands/MissingPart.h"

#include "page/RuleText.h"
#include "check/SnapshotName.h"

#include <QFile>

namespace {
// The check's own reading runs on the thread pool; this one holds the window, so it is short.
constexpr int kReadMs = 2'000;
} // namespace

bool IsPartMissing(const QString& address, const ChangeRule& rule)
{
    if (rule.isPageLength() || rule.part.isEmpty())
        return false;
    QFile snapshot(SnapshotFileName(address));
    if (!snapshot.open(QIODevice::ReadOnly))
        return false;
    return ReadRuleText(snapshot.readAll(), rule, QDeadlineTimer(kReadMs)).status == RuleText::Status::PartMissing;
}
