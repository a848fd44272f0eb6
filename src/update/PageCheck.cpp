// Snapshot naming, page download and the length comparison of one favorite.
#include "update/PageCheck.h"

#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/InternetSession.h"
#include "store/FavoritesList.h"

#include <QFile>

QString SnapshotFileName(const QString& address)
{
    QString name = address;
    name.replace(QStringLiteral("http://"), QStringLiteral("nv."), Qt::CaseSensitive);
    name.replace(QLatin1Char('/'), QLatin1Char('!'));
    name += QStringLiteral(".NVD");
    return name;
}

bool DownloadPage(InternetSession& session, const QString& address, const QString& fileName)
{
    // The page is opened first: an address that cannot be opened leaves the file as it was.
    std::unique_ptr<PageStream> page = session.OpenURL(address);
    QFile file;
    if (!CreateTextFile(file, fileName)) {
        page->Close();
        return false;
    }
    QByteArray line;
    bool endsLine = true;
    while (page->ReadString(line, &endsLine)) {
        // One write per line: the line's own buffer has room for the line end.
        if (endsLine)
            line.append(kLineEnd.data(), kLineEnd.size());
        WriteText(file, line);
    }
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

    // One rename replaces the snapshot, so a failure leaves the old one in place.
    RenameFile(download, SnapshotFileName(address));
    list.setText(row, FavoritesList::LastUpdated, Clock::FormatTimeStamp(Clock::GetCurrentTime()));
    list.setText(row, FavoritesList::Changed, QStringLiteral("YES"));
    return true;
}
