// Snapshot naming, page download and the length comparison of one favorite.
#include "update/PageCheck.h"

#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/InternetSession.h"
#include "platform/NelvoxError.h"
#include "store/FavoritesList.h"
#include "update/SnapshotReplace.h"

#include <QFile>

#include <cstring>

namespace {

constexpr qsizetype kWriteBlockBytes = 32 * 1024;

} // namespace

bool DownloadPage(InternetSession& session, const QString& address, const QString& fileName)
{
    // The page is opened first: an address that cannot be opened leaves the file as it was.
    std::unique_ptr<PageStream> page = session.OpenURL(address);
    QFile file;
    if (!CreateTextFile(file, fileName)) {
        page->Close();
        return false;
    }
    // Lines go to the file in blocks: a write per line would cost more than the download.
    QByteArray block(kWriteBlockBytes + PageStream::kMaxPieceBytes + kLineEnd.size(), Qt::Uninitialized);
    char* const blockData = block.data();
    qsizetype used = 0;
    auto writeBlock = [&] {
        WriteText(file, QByteArrayView(blockData, used));
        used = 0;
    };
    QByteArray line;
    bool endsLine = true;
    try {
        while (page->ReadString(line, &endsLine)) {
            std::memcpy(blockData + used, line.constData(), static_cast<size_t>(line.size()));
            used += line.size();
            if (endsLine) {
                std::memcpy(blockData + used, kLineEnd.data(), static_cast<size_t>(kLineEnd.size()));
                used += kLineEnd.size();
            }
            if (used >= kWriteBlockBytes)
                writeBlock();
        }
    } catch (const InternetError&) {
        // The lines that arrived before the failure stay in the file.
        writeBlock();
        throw;
    }
    writeBlock();
    CloseFile(file);
    page->Close();
    return true;
}

bool CheckPage(InternetSession& session, FavoritesList& list, int row, const QString& address)
{
    const QString download = QString::fromLatin1(kTempDownloadFileName);
    if (!DownloadPage(session, address, download))
        return false;

    qint64 snapshotLength = 0;
    {
        QFile snapshot;
        if (!OpenForReading(snapshot, SnapshotFileName(address)))
            return false;
        snapshotLength = FileLength(snapshot);
    }
    if (FileLength(download) == snapshotLength)
        return false;

    ReplaceSnapshot(download, SnapshotFileName(address));
    list.setText(row, FavoritesList::LastUpdated, Clock::FormatTimeStamp(Clock::GetCurrentTime()));
    list.setText(row, FavoritesList::Changed, QStringLiteral("YES"));
    return true;
}
