// The pages are read here, on the check's own path, before the snapshot files move on: the
// history's thread gets values, never names of files that a later check may replace.
#include "check/SnapshotHistory.h"

#include "check/CheckRun.h"
#include "check/SnapshotReplace.h"
#include "history/HistoryRecorder.h"

#include <QFile>
#include <QFileInfo>

namespace {

std::optional<PageFile> readPage(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    PageFile page { file.readAll(), QFileInfo(file).lastModified().toUTC() };
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return page;
}

} // namespace

void ReplaceSnapshotKeepingHistory(HistoryRecorder* history, const std::function<QDateTime()>& now,
    const QString& address, const QString& download, const QString& snapshot, bool replacedWasSeen)
{
    if (!history || !history->isAvailable()) {
        ReplaceSnapshot(download, snapshot);
        return;
    }
    std::optional<PageFile> page = readPage(download);
    HistoryEntry entry { address, {}, std::nullopt, std::nullopt, {}, replacedWasSeen };
    if (history->hasKept(address)) {
        // The snapshot replaced becomes the previous copy, which the history's thread reads
        // when its turn comes, if it is still that page then.
        entry.replacedFile = QFileInfo(PreviousCopyName(snapshot)).absoluteFilePath();
    } else {
        // A history without a copy of the favorite starts with what its files hold now.
        entry.replaced = readPage(snapshot);
        entry.previous = readPage(PreviousCopyName(snapshot));
    }
    ReplaceSnapshot(download, snapshot);
    if (!page) {
        qCInfo(lcCheck).noquote() << address << "not kept in the history: the download cannot be read again";
        return;
    }
    entry.page = { std::move(page->bytes), now().toUTC() };
    history->keep(std::move(entry));
}

void KeepFirstSnapshot(
    HistoryRecorder* history, const std::function<QDateTime()>& now, const QString& address, const QString& snapshot)
{
    if (!history || !history->isAvailable())
        return;
    std::optional<PageFile> page = readPage(snapshot);
    if (!page)
        return;
    HistoryEntry entry { address, { std::move(page->bytes), now().toUTC() }, std::nullopt, std::nullopt, {} };
    history->keep(std::move(entry));
}
