// Runs of checks side by side against loopback servers: every outcome of a page check at
// once must leave what the same rows checked one by one leave; the limits in all, per host
// and per snapshot hold as the server sees them; Stop keeps what finished and nothing else.
#include "../platform/NetworkTesting.h"

#include "platform/Clock.h"
#include "platform/InternetSession.h"
#include "platform/NelvoxError.h"
#include "platform/TransferPool.h"
#include "store/FavoritesList.h"
#include "support/HttpServer.h"
#include "support/TempWorkDir.h"
#include "update/CheckRun.h"
#include "update/PageCheck.h"

#include <QDir>
#include <QEventLoop>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>

#include <sys/stat.h>

using namespace std::chrono_literals;

namespace {

class CheckRunTest : public InTempDir {
protected:
    void SetUp() override
    {
        Clock::SetTimeSource([] { return QDateTime(QDate(2004, 7, 9), QTime(17, 3, 41)); });
    }
    void TearDown() override
    {
        Clock::SetTimeSource({});
        TransferLimits::maxTransfers = m_savedMaxTransfers;
        TransferLimits::maxPerHost = m_savedMaxPerHost;
    }

    void addRow(FavoritesList& list, const QString& address)
    {
        const int row = list.count();
        list.insertFavorite(row, address);
        list.setText(row, FavoritesList::Updates, "H");
        list.setText(row, FavoritesList::LastUpdated, "Never");
    }

    // Starts the run and lets the event loop drive it to its end.
    static void runToEnd(CheckRun& run, const std::function<void()>& whileRunning = {})
    {
        QEventLoop loop;
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        QObject::connect(&run, &CheckRun::finished, &loop, &QEventLoop::quit);
        deadline.start(30'000);
        run.start();
        if (whileRunning)
            whileRunning();
        if (!run.isFinished())
            loop.exec();
        ASSERT_TRUE(run.isFinished()) << "the run did not end within 30 s";
    }

    // The temporary files of single downloads that are still on disk.
    static QStringList leftoverDownloads() { return QDir::current().entryList({ "tempupd.nvd.*" }, QDir::Files); }

    ScopedProxyEnvironment m_noProxy;
    ScopedDownloadLimits m_limits;
    HttpServer m_server;

private:
    int m_savedMaxTransfers = TransferLimits::maxTransfers;
    int m_savedMaxPerHost = TransferLimits::maxPerHost;
};

TEST_F(CheckRunTest, EveryRowEndsAsItsOwnCheckAloneWouldEnd)
{
    DownloadLimits::lowSpeedTimeSeconds = 1;
    DownloadLimits::maxBytes = 4000;
    int closedPort = 0;
    {
        HttpServer gone;
        closedPort = gone.port();
    }
    // A named pipe without a writer would hold a read for good.
    const QString pipe = m_workDir.path() + "/pipe";
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    m_server.setPage("/changed", "a page that has grown\n");
    m_server.setPage("/same", "same\n");
    m_server.setStall("/stalled", "the start of a page\n", 5000);
    m_server.setTrickle("/slow", "a slow page\n", 15ms);
    m_server.setRepeatedPage("/huge", "0123456789\n", 20000, false);
    m_server.setPage("/no-snapshot", "a page without a snapshot\n");
    m_server.setPage("/shared", "one page for two rows\n");
    m_server.setPage("/same-at-the-end", "last\n");
    m_server.setGzipPage("/compressed", QByteArray(3000, 'z') + "\n");
    m_server.setGzipPage("/broken-gzip", "a page\n", HttpServer::Gzip::Broken);

    struct Favorite {
        QString address;
        QByteArray snapshot; // empty: none
    };
    const Favorite favorites[] = {
        { m_server.url("/changed"), "old\r\n" },
        { m_server.url("/same"), "0123\r\n" },
        { m_server.url("/error-page"), "old\r\n" }, // a 404 page is compared like any page
        { QStringLiteral("http://127.0.0.1:%1/refused").arg(closedPort), "old\r\n" },
        { m_server.url("/stalled"), "old\r\n" },
        { m_server.url("/slow"), "old\r\n" },
        { m_server.url("/huge"), "old\r\n" },
        { m_server.url("/no-snapshot"), {} },
        { m_server.url("/shared"), "old\r\n" },
        { m_server.url("/shared"), "old\r\n" },
        { "file://" + pipe, "old\r\n" },
        { m_server.url("/compressed"), "old\r\n" },
        { m_server.url("/broken-gzip"), "old\r\n" },
        { m_server.url("/same-at-the-end"), "abcd\r\n" },
    };

    // The same rows and snapshots in two folders: checked one by one, then side by side.
    struct Outcome {
        std::vector<FavoritesList::Row> rows;
        std::vector<QByteArray> snapshots;
        QByteArray lastDownload;
        bool anyChanged = false;
    };
    auto prepare = [&](const QString& folder, FavoritesList& list) {
        const QString path = m_workDir.path() + "/" + folder;
        ASSERT_TRUE(QDir().mkpath(path));
        ASSERT_TRUE(QDir::setCurrent(path));
        for (const Favorite& favorite : favorites) {
            addRow(list, favorite.address);
            if (!favorite.snapshot.isEmpty())
                WriteAll(SnapshotFileName(favorite.address), favorite.snapshot);
        }
    };
    auto outcome = [&](const FavoritesList& list, bool anyChanged) {
        Outcome result;
        result.rows = list.rows();
        for (const Favorite& favorite : favorites) {
            const QString name = SnapshotFileName(favorite.address);
            result.snapshots.push_back(FileExists(name) ? ReadAll(name) : QByteArray("(none)"));
        }
        result.lastDownload = FileExists("tempupd.nvd") ? ReadAll("tempupd.nvd") : QByteArray("(none)");
        result.anyChanged = anyChanged;
        return result;
    };

    FavoritesList alone;
    prepare("alone", alone);
    bool anyChangedAlone = false;
    for (int row = 0; row < alone.count(); ++row) {
        try {
            InternetSession session;
            const QString address = alone.text(row, FavoritesList::WebSite);
            // An answer of status 400 or above is a failed check: nothing is touched.
            if (address.endsWith("/error-page"))
                continue;
            // A favorite without a snapshot gets the download as its first, stamped, unmarked.
            if (!FileExists(SnapshotFileName(address))) {
                if (DownloadPage(session, address, SnapshotFileName(address)))
                    alone.setText(row, FavoritesList::LastUpdated, Clock::FormatTimeStamp(Clock::GetCurrentTime()));
                continue;
            }
            anyChangedAlone |= CheckPage(session, alone, row, address);
        } catch (const NelvoxError&) {
        }
    }
    const Outcome expected = outcome(alone, anyChangedAlone);

    FavoritesList together;
    prepare("together", together);
    CheckRun run(together);
    for (int row = 0; row < together.count(); ++row)
        run.addCheck(row);
    int reports = 0;
    QObject::connect(&run, &CheckRun::progress, [&](int done, int total) {
        ++reports;
        EXPECT_EQ(done, reports);
        EXPECT_EQ(total, together.count());
    });
    runToEnd(run);
    const Outcome actual = outcome(together, run.anyChanged());

    EXPECT_EQ(reports, together.count()) << "one progress report per row";
    ASSERT_EQ(actual.rows.size(), expected.rows.size());
    for (size_t row = 0; row < expected.rows.size(); ++row) {
        EXPECT_EQ(actual.rows[row], expected.rows[row])
            << "row " << row << ": " << favorites[row].address.toStdString();
        EXPECT_EQ(actual.snapshots[row], expected.snapshots[row]) << "snapshot of row " << row;
    }
    EXPECT_EQ(actual.lastDownload, expected.lastDownload);
    EXPECT_EQ(actual.anyChanged, expected.anyChanged);
    EXPECT_TRUE(leftoverDownloads().isEmpty()) << leftoverDownloads().join(' ').toStdString();

    // What the rows hold is what a check must give, not only what both ways agree on.
    EXPECT_EQ(together.text(0, FavoritesList::Changed), "YES");
    EXPECT_EQ(together.text(0, FavoritesList::LastUpdated), "07/09/04 05:03 PM");
    EXPECT_EQ(together.text(2, FavoritesList::Changed), "") << "an error page is a failure, not a page";
    EXPECT_EQ(together.text(5, FavoritesList::Changed), "YES") << "a slow page is a page";
    EXPECT_EQ(actual.snapshots[11], QByteArray(3000, 'z') + "\r\n") << "a compressed page is stored as it reads";
    EXPECT_EQ(actual.snapshots[12], "old\r\n") << "a page that does not decompress is a failed download";
    for (int row : { 1, 2, 3, 4, 6, 7, 10, 12, 13 })
        EXPECT_EQ(together.text(row, FavoritesList::Changed), "") << "row " << row;
    EXPECT_EQ(together.text(8, FavoritesList::Changed), "YES");
    EXPECT_EQ(together.text(9, FavoritesList::Changed), "") << "the second row of a shared snapshot finds it new";
    EXPECT_EQ(actual.lastDownload, "last\r\n") << "the last row's download stays, as its check leaves it";
    EXPECT_EQ(actual.snapshots[4], "old\r\n");
    EXPECT_EQ(actual.snapshots[6], "old\r\n") << "a page over the size limit replaces nothing";
}

TEST_F(CheckRunTest, KeepsToTheLimitsInAllPerHostAndPerSnapshot)
{
    const struct {
        int maxTransfers;
        int maxPerHost;
        bool oneAddress;
        int expected;
        const char* what;
    } cases[] = {
        { 3, 100, false, 3, "transfers in all" },
        { 16, 2, false, 2, "transfers to one host" },
        { 16, 100, true, 1, "transfers into one snapshot" },
    };
    for (const auto& limits : cases) {
        HttpServer server;
        TransferLimits::maxTransfers = limits.maxTransfers;
        TransferLimits::maxPerHost = limits.maxPerHost;
        FavoritesList list;
        for (int page = 0; page < 7; ++page) {
            const std::string path = "/page" + std::to_string(limits.oneAddress ? 0 : page);
            server.setSlowPage(path, "a slow page\n", 150ms);
            addRow(list, server.url(path));
        }
        CheckRun run(list);
        for (int row = 0; row < list.count(); ++row)
            run.addCheck(row);
        runToEnd(run);
        EXPECT_EQ(run.done(), 7) << limits.what;
        EXPECT_EQ(server.mostAtOnce(), limits.expected) << limits.what;
        EXPECT_EQ(static_cast<int>(server.requests().size()), 7) << limits.what;
    }
}

TEST_F(CheckRunTest, StopKeepsWhatFinishedAndLeavesTheRestAsItWas)
{
    m_server.setPage("/first", "the first page has grown\n");
    m_server.setPage("/second", "the second page has grown\n");
    m_server.setStall("/stalled", "the start of a page\n", 5000);
    m_server.setStall("/also-stalled", "the start of another page\n", 5000);
    FavoritesList list;
    for (const char* path : { "/stalled", "/first", "/also-stalled", "/second" }) {
        addRow(list, m_server.url(path));
        WriteAll(SnapshotFileName(m_server.url(path)), "old\r\n");
    }
    // A run that a killed program left behind, and a snapshot whose name looks alike.
    WriteAll("tempupd.nvd.12", "left by a killed run");
    WriteAll("tempupd.nvd.12.NVD", "a snapshot");

    // The stalled pages must not hold up the others.
    TransferLimits::maxPerHost = 4;
    CheckRun run(list);
    for (int row = 0; row < list.count(); ++row)
        run.addCheck(row);
    int finishedSignals = 0;
    QObject::connect(&run, &CheckRun::finished, [&] { ++finishedSignals; });
    runToEnd(run, [&] {
        // Stop comes once both pages that answer have been checked and both stalled pages
        // are on their way into their downloads.
        const QRegularExpression download("^tempupd\\.nvd\\.[0-9]+$");
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return run.done() == 2 && leftoverDownloads().filter(download).size() == 2; }, 10'000));
        run.stop();
    });

    EXPECT_TRUE(run.wasStopped());
    EXPECT_EQ(finishedSignals, 1);
    EXPECT_EQ(run.done(), 2);
    EXPECT_TRUE(run.anyChanged());
    EXPECT_EQ(list.text(1, FavoritesList::Changed), "YES");
    EXPECT_EQ(list.text(3, FavoritesList::Changed), "YES");
    for (int row : { 0, 2 }) {
        EXPECT_EQ(list.text(row, FavoritesList::Changed), "") << "row " << row;
        EXPECT_EQ(list.text(row, FavoritesList::LastUpdated), "Never") << "row " << row;
        EXPECT_EQ(ReadAll(SnapshotFileName(list.text(row, FavoritesList::WebSite))), "old\r\n") << "row " << row;
    }
    EXPECT_EQ(ReadAll(SnapshotFileName(m_server.url("/first"))), "the first page has grown\r\n");
    EXPECT_TRUE(leftoverDownloads() == QStringList { "tempupd.nvd.12.NVD" })
        << "abandoned and left-over downloads go, snapshots stay: " << leftoverDownloads().join(' ').toStdString();
    EXPECT_FALSE(FileExists("tempupd.nvd")) << "both downloads that finished became snapshots";

    // Stopping again, or a late answer, changes nothing.
    run.stop();
    EXPECT_EQ(finishedSignals, 1);
}

} // namespace
