// Any bytes as two copies of a page (split at the first "\xff\xfe", or in half): the
// readable text and source lines of both, and the differences between them, must come out
// without a crash, within the time allowed, and account for every line of both copies.
#include "page/PageDiff.h"
#include "page/PageText.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void checkAccounts(const QStringList& before, const QStringList& after, const PageDiff& diff)
{
    if (diff.tooLarge())
        return;
    qsizetype oldLines = diff.foldedAtEnd();
    qsizetype newLines = diff.foldedAtEnd();
    qsizetype added = 0;
    qsizetype removed = 0;
    for (const PageDiff::Hunk& hunk : diff.hunks()) {
        oldLines += hunk.foldedBefore;
        newLines += hunk.foldedBefore;
        qsizetype oldAt = hunk.oldStart;
        qsizetype newAt = hunk.newStart;
        for (const PageDiff::Line& line : hunk.lines) {
            const bool fromOld = line.kind != PageDiff::Kind::Added;
            const bool fromNew = line.kind != PageDiff::Kind::Removed;
            if ((fromOld && before.value(oldAt) != line.text) || (fromNew && after.value(newAt) != line.text)) {
                std::fprintf(stderr, "a hunk line is not the line at its place\n");
                std::abort();
            }
            oldAt += fromOld;
            newAt += fromNew;
            oldLines += fromOld;
            newLines += fromNew;
            added += !fromOld;
            removed += !fromNew;
        }
    }
    if (oldLines != before.size() || newLines != after.size() || added != diff.added() || removed != diff.removed()) {
        std::fprintf(stderr, "lines lost or counted twice: %lld of %lld old, %lld of %lld new\n",
            static_cast<long long>(oldLines), static_cast<long long>(before.size()), static_cast<long long>(newLines),
            static_cast<long long>(after.size()));
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    qsizetype split = input.indexOf("\xff\xfe");
    const QByteArray first = split >= 0 ? input.left(split) : input.left(input.size() / 2);
    const QByteArray second = split >= 0 ? input.mid(split + 2) : input.mid(input.size() / 2);

    const PageText before(first);
    const PageText after(second);
    // Without a deadline the text is always read: giving up would mean the parse of a small
    // input took gigabytes.
    const std::optional<QStringList> beforeRead = before.readableLines();
    const std::optional<QStringList> afterRead = after.readableLines();
    if (!beforeRead || !afterRead)
        __builtin_trap();
    const QStringList& beforeText = *beforeRead;
    const QStringList& afterText = *afterRead;
    checkAccounts(beforeText, afterText, PageDiff(beforeText, afterText));
    const QStringList beforeSource = before.sourceLines();
    const QStringList afterSource = after.sourceLines();
    checkAccounts(beforeSource, afterSource, PageDiff(beforeSource, afterSource));
    return 0;
}
