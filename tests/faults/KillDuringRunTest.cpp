// A run of checks side by side killed with SIGKILL at random moments: the favorites file
// must stay whole and every snapshot must be the old page or the new one, never a part; the
// history passes SQLite's integrity check and keeps every copy it had, each one whole; the
// next run clears away the downloads the killed one left.
#include "check/CheckRun.h"
#include "check/SnapshotName.h"
#include "history/HistoryDatabase.h"
#include "store/FavoritesFile.h"
#include "store/FavoritesList.h"
#include "support/HttpServer.h"
#include "support/ProxyEnvironment.h"
#include "support/TempWorkDir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>

#include <gtest/gtest.h>

#include <iostream>

namespace {

class KillDuringRun : public InTempDir {
protected:
    // What SQLite's integrity check says of the history.
    static QString integrity()
    {
        QString verdict = "(no answer)";
        {
            QSqlDatabase database = QSqlDatabase::addDatabase("QSQLITE", "integrity");
            database.setDatabaseName("nelvox.history");
            QSqlQuery query(database);
            if (database.open() && query.exec("PRAGMA integrity_check") && query.next())
                verdict = query.value(0).toString();
        }
        QSqlDatabase::removeDatabase("integrity");
        return verdict;
    }

    ScopedProxyEnvironment m_noProxy;
    HttpServer m_server;
};

TEST_F(KillDuringRun, LeavesWholeFilesAndTheNextRunClearsUp)
{
    constexpr int kPages = 30;
    QRandomGenerator random(4711);
    // Pages large enough that a kill often comes while they are written.
    auto newPage = [](int page) {
        return "new page " + QByteArray::number(page) + "\r\n" + QByteArray(20'000 + page * 3'000, 'n') + "\r\nend\r\n";
    };
    auto oldPage = [](int page) { return "old page " + QByteArray::number(page) + "\r\n"; };
    FavoritesList list;
    for (int page = 0; page < kPages; ++page) {
        const std::string path = "/page" + std::to_string(page);
        m_server.setPage(path, newPage(page));
        list.insertFavorite(page, m_server.url(path));
        list.setText(page, FavoritesList::Updates, "H");
        list.setText(page, FavoritesList::LastUpdated, "Never");
    }

    // One run to its end shows how long a run takes here.
    for (int page = 0; page < kPages; ++page)
        WriteAll(SnapshotFileName(list.text(page, FavoritesList::WebSite)), oldPage(page));
    SaveFavorites(list);
    QElapsedTimer timer;
    timer.start();
    QProcess whole;
    whole.start(QStringLiteral(NELVOX_CHECK_RUN_CHILD), {});
    ASSERT_TRUE(whole.waitForFinished(60'000));
    ASSERT_EQ(whole.exitCode(), 0);
    // Every page's history: the snapshot it had, then the page downloaded.
    qsizetype copiesBefore = 0;
    {
        HistoryDatabase history;
        for (int page = 0; page < kPages; ++page) {
            const QList<HistoryCopy> copies = history.copies(list.text(page, FavoritesList::WebSite));
            ASSERT_EQ(copies.size(), 2) << "page " << page;
            EXPECT_EQ(history.read(copies[0].id), newPage(page));
            EXPECT_EQ(history.read(copies[1].id), oldPage(page));
            copiesBefore += copies.size();
        }
    }
    // The first run also made the history; a run like those below, with the history there,
    // shows how long a run takes here.
    for (int page = 0; page < kPages; ++page)
        WriteAll(SnapshotFileName(list.text(page, FavoritesList::WebSite)), oldPage(page));
    timer.restart();
    QProcess again;
    again.start(QStringLiteral(NELVOX_CHECK_RUN_CHILD), {});
    ASSERT_TRUE(again.waitForFinished(60'000));
    const qint64 runMicroseconds = timer.nsecsElapsed() / 1000;
    ASSERT_EQ(again.exitCode(), 0);
    {
        HistoryDatabase history;
        copiesBefore = 0;
        for (int page = 0; page < kPages; ++page)
            copiesBefore += history.copies(list.text(page, FavoritesList::WebSite)).size();
    }

    int killedMidway = 0;
    int leftMixed = 0; // killed after some pages had become snapshots and before others
    for (int attempt = 0; attempt < 20; ++attempt) {
        SCOPED_TRACE(attempt);
        for (int page = 0; page < kPages; ++page)
            WriteAll(SnapshotFileName(list.text(page, FavoritesList::WebSite)), oldPage(page));
        SaveFavorites(list);
        const QByteArray before = ReadAll("nelvox.ini");

        QProcess child;
        child.setProgram(QStringLiteral(NELVOX_CHECK_RUN_CHILD));
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start();
        ASSERT_TRUE(child.waitForStarted());
        // Kill times spread from before the first download to after the save, over the time
        // an uninterrupted run took on this machine (far longer under a sanitizer).
        QThread::usleep(random.bounded(1'000, static_cast<int>(runMicroseconds * 1.2) + 2'000));
        child.kill();
        ASSERT_TRUE(child.waitForFinished());
        if (child.exitStatus() == QProcess::CrashExit)
            ++killedMidway;

        int replaced = 0;
        for (int page = 0; page < kPages; ++page) {
            const QByteArray snapshot = ReadAll(SnapshotFileName(list.text(page, FavoritesList::WebSite)));
            replaced += snapshot == newPage(page);
            EXPECT_TRUE(snapshot == oldPage(page) || snapshot == newPage(page))
                << "page " << page << " is neither the old nor the new page: " << snapshot.size() << " bytes";
        }
        leftMixed += replaced > 0 && replaced < kPages;
        EXPECT_EQ(integrity(), "ok");
        qsizetype copies = 0;
        try {
            HistoryDatabase history;
            for (int page = 0; page < kPages; ++page) {
                for (const HistoryCopy& copy : history.copies(list.text(page, FavoritesList::WebSite))) {
                    const std::optional<QByteArray> kept = history.read(copy.id);
                    EXPECT_TRUE(kept == oldPage(page) || kept == newPage(page)) << "a copy of page " << page;
                    ++copies;
                }
            }
        } catch (const HistoryError& error) {
            ADD_FAILURE() << error.message().toStdString();
        }
        EXPECT_GE(copies, copiesBefore) << "the history lost copies it had";
        copiesBefore = copies;
        const QByteArray after = ReadAll("nelvox.ini");
        FavoritesList loaded;
        EXPECT_TRUE(LoadFavorites(loaded));
        EXPECT_EQ(loaded.count(), kPages) << "the favorites file is not whole";
        EXPECT_TRUE(after == before || after.count("YES") == kPages) << "a save of the run is whole or absent";

        // Whatever the killed run left, the next one starts by removing it.
        CheckRun::RemoveLeftoverDownloads();
        const QStringList left = QDir::current().entryList({ "tempupd.nvd.*" }, QDir::Files);
        EXPECT_TRUE(left.isEmpty()) << left.join(' ').toStdString();
    }
    EXPECT_GT(killedMidway, 3) << "too few kills came while the run was under way";
    EXPECT_GT(leftMixed, 0) << "too few kills came between the first and the last replaced snapshot";
    std::cout << killedMidway << " of 20 runs killed, " << leftMixed << " between two snapshots\n";
}

} // namespace
