// Downloads that break in ways a user's machine can break them: a disk that fills up while
// the page is written, and a server that sends far more than any page should be. The
// favorite's row and its old snapshot must come through unchanged. A disk that fills up
// under the history stops no check.
#include "check/CheckRun.h"
#include "check/SnapshotName.h"
#include "history/HistoryDatabase.h"
#include "history/HistoryRecorder.h"
#include "platform/NetworkTesting.h"
#include "store/FavoritesList.h"
#include "support/Downloads.h"
#include "support/HttpServer.h"
#include "support/TempWorkDir.h"
#include "support/TestClock.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <algorithm>
#include <csignal>
#include <sys/resource.h>

#include <gtest/gtest.h>

namespace {

// While it lives, no file of this process may grow past `limit` bytes, as when the disk
// fills up: a write stops part way and fails.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit)
        : m_handler(std::signal(SIGXFSZ, SIG_IGN))
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        const rlimit limited { std::min(limit, m_saved.rlim_max), m_saved.rlim_max };
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    void (*m_handler)(int);
    rlimit m_saved {};
};

QByteArray pageOfLines(int lines)
{
    QByteArray page;
    for (int i = 0; i < lines; ++i)
        page += QByteArray::number(i).rightJustified(6, '0') + QByteArray(93, 'x') + '\n';
    return page;
}

class DownloadFaults : public InTempDir {
protected:
    TestClock m_clock { QDateTime(QDate(2026, 12, 6), QTime(2, 35)) };

    int addFavorite(const QString& address)
    {
        const int row = m_list.count();
        m_list.insertFavorite(row, address);
        m_list.setText(row, FavoritesList::Updates, "H");
        m_list.setText(row, FavoritesList::LastUpdated, "01/02/03 04:05 AM");
        WriteAll(SnapshotFileName(address), "old snapshot\r\n");
        return row;
    }
    // Checks every row in one run, while the files may grow to `limit` bytes.
    bool checkAll(rlim_t limit = RLIM_INFINITY)
    {
        CheckRun run(m_list, { .now = m_clock.function() });
        for (int row = 0; row < m_list.count(); ++row)
            run.addCheck(row);
        const FileSizeLimit full(limit);
        RunToEnd(run);
        return run.anyChanged();
    }

    ScopedProxyEnvironment m_noProxy;
    HttpServer m_server;
    FavoritesList m_list;
};

TEST_F(DownloadFaults, AFullDiskWhileCheckingKeepsTheSnapshotAndTheRow)
{
    const QByteArray page = pageOfLines(200); // 20000 bytes, 20200 as stored
    m_server.setPage("/page", page);
    const QString snapshot = SnapshotFileName(m_server.url("/page"));
    addFavorite(m_server.url("/page"));
    const std::vector<Favorite> before = m_list.rows();
    const qint64 stored = page.size() + 200;

    for (const rlim_t limit : { rlim_t(0), rlim_t(100), rlim_t(8192), rlim_t(16384), rlim_t(stored - 1) }) {
        SCOPED_TRACE("file size limit " + std::to_string(limit));
        EXPECT_FALSE(checkAll(limit));
        EXPECT_EQ(m_list.rows(), before);
        EXPECT_EQ(ReadAll(snapshot), "old snapshot\r\n") << "the old snapshot was lost";
        EXPECT_LE(QFileInfo(kTempDownloadFileName).size(), qint64(limit));
    }

    // With room for every byte the same check goes through and replaces the snapshot.
    EXPECT_TRUE(checkAll(rlim_t(stored))) << "a page that just fits must be stored";
    EXPECT_EQ(QFileInfo(snapshot).size(), stored);
}

TEST_F(DownloadFaults, AFullDiskWhileWritingAFirstSnapshotIsNoDownload)
{
    // Add and Edit download straight into the snapshot; a write cut short must not pass for
    // a whole page.
    const QByteArray page = pageOfLines(300);
    m_server.setPage("/page", page);
    const QString address = m_server.url("/page");
    const qint64 stored = page.size() + 300;
    for (const rlim_t limit : { rlim_t(50), rlim_t(4096), rlim_t(stored - 1), rlim_t(stored) }) {
        SCOPED_TRACE("file size limit " + std::to_string(limit));
        CheckRun run(m_list, { .now = m_clock.function() });
        const int job = run.addFirstSnapshot(address);
        {
            const FileSizeLimit full(limit);
            RunToEnd(run);
        }
        const bool fits = qint64(limit) == stored;
        EXPECT_EQ(run.downloaded(job), fits);
        EXPECT_EQ(QFileInfo(SnapshotFileName(address)).size() == stored, fits);
    }
}

// Resident memory of this process in KiB.
qint64 residentKiB()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

TEST_F(DownloadFaults, AHundredMebibytePageFailsWithinTheLimitAndInLittleMemory)
{
    // The program's own limits, not lowered for the test.
    const qint64 hundredMiB = qint64(100) * 1024 * 1024;
    const QByteArray line = QByteArray("0123456789abcdef").repeated(8) + '\n';
    m_server.setRepeatedPage("/announced", line, hundredMiB, true);
    m_server.setRepeatedPage("/unannounced", line, hundredMiB, false);
    addFavorite(m_server.url("/announced"));
    addFavorite(m_server.url("/unannounced"));
    const std::vector<Favorite> before = m_list.rows();

    const qint64 memoryBefore = residentKiB();
    EXPECT_FALSE(checkAll());
    [[maybe_unused]] const qint64 grown = residentKiB() - memoryBefore;
    EXPECT_EQ(m_list.rows(), before);
    for (const char* path : { "/announced", "/unannounced" })
        EXPECT_EQ(ReadAll(SnapshotFileName(m_server.url(path))), "old snapshot\r\n") << path;
    // The page announced too large made no file, so the last download is what arrived of the other.
    const qint64 partial = QFileInfo(kTempDownloadFileName).size();
    EXPECT_GT(partial, 0);
    EXPECT_LE(partial, TransferOptions {}.maxBytes + TransferOptions {}.maxBytes / line.size())
        << "read past the limit";
#ifndef __SANITIZE_ADDRESS__
    // AddressSanitizer keeps freed memory in quarantine, so resident memory says nothing there.
    EXPECT_LT(grown, 32 * 1024) << "the download held " << grown << " KiB of the page in memory";
#endif
}

TEST_F(DownloadFaults, AFullDiskUnderTheHistoryStopsNoCheckAndLosesNoCopyItHad)
{
    HistoryRecorder history;
    QSignalSpy failed(&history, &HistoryRecorder::unavailable);
    const QString address = m_server.url("/page");
    addFavorite(address);
    QRandomGenerator random(17);
    // Pages that do not compress, a length of their own each: every copy makes the history's
    // files grow, until they reach the limit.
    auto page = [&](int run) {
        QByteArray bytes(2000 + run * 3, Qt::Uninitialized);
        random.fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
        return bytes.toBase64() + "\n";
    };
    QByteArray last;
    int runs = 0;
    for (; runs < 60 && failed.isEmpty(); ++runs) {
        last = page(runs);
        m_server.setPage("/page", last);
        CheckRun run(m_list, { .now = m_clock.function() });
        run.setHistory(&history);
        run.addCheck(0);
        const FileSizeLimit full(128 * 1024);
        RunToEnd(run);
        EXPECT_TRUE(run.anyChanged()) << "run " << runs;
        ASSERT_TRUE(history.waitUntilWritten(30'000));
        QCoreApplication::processEvents();
    }
    ASSERT_EQ(failed.size(), 1) << "the history never reached the limit in " << runs << " runs";
    EXPECT_TRUE(failed.first().first().toString().startsWith("The history of the pages cannot be kept"));
    EXPECT_EQ(ReadAll(SnapshotFileName(address)), last.chopped(1) + "\r\n") << "the check went on";

    // The file is whole, and every copy kept before the disk filled up is there.
    {
        QSqlDatabase database = QSqlDatabase::addDatabase("QSQLITE", "integrity");
        database.setDatabaseName("nelvox.history");
        ASSERT_TRUE(database.open());
        QSqlQuery query(database);
        ASSERT_TRUE(query.exec("PRAGMA integrity_check") && query.next());
        EXPECT_EQ(query.value(0).toString(), "ok");
    }
    QSqlDatabase::removeDatabase("integrity");
    HistoryDatabase kept;
    const QList<HistoryCopy> copies = kept.copies(address);
    EXPECT_GE(copies.size(), 3);
    for (const HistoryCopy& copy : copies)
        EXPECT_TRUE(kept.read(copy.id).has_value()) << "copy " << copy.id;
}

} // namespace
