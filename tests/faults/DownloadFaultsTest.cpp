// Downloads that break in ways a user's machine and the web can break them: a disk that
// fills up while the page is written, a server that resets the connection, redirects in a
// circle or sends far more than any page should be. The favorite's row and its old
// snapshot must come through unchanged.
#include "platform/Clock.h"
#include "platform/InternetSession.h"
#include "platform/NelvoxError.h"
#include "platform/NetworkTesting.h"
#include "store/FavoritesList.h"
#include "support/HttpServer.h"
#include "support/ServerThread.h"
#include "support/TempWorkDir.h"
#include "update/PageCheck.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace {

// What happened to a page check or download run in a child process.
enum Outcome { ThrewFileError = 0, Succeeded = 1, ThrewSomethingElse = 2, RowChanged = 3, Crashed = 4 };

const char* describe(int outcome)
{
    switch (outcome) {
    case ThrewFileError:
        return "threw FileError";
    case Succeeded:
        return "claimed success";
    case ThrewSomethingElse:
        return "threw something other than FileError";
    case RowChanged:
        return "threw FileError but changed the row";
    default:
        return "crashed";
    }
}

// Runs `work` in a child process whose files may not grow past `limit` bytes, as a disk
// that fills up stops a write part way.
int runWithFileSizeLimit(rlim_t limit, const std::function<int()>& work)
{
    const pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit fileSize { limit, limit };
        setrlimit(RLIMIT_FSIZE, &fileSize);
        _exit(work());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : Crashed;
}

QByteArray pageOfLines(int lines)
{
    QByteArray page;
    for (int i = 0; i < lines; ++i)
        page += QByteArray::number(i).rightJustified(6, '0') + QByteArray(93, 'x') + '\n';
    return page;
}

class DownloadFaults : public InTempDir {
protected:
    void SetUp() override
    {
        Clock::SetTimeSource([] { return QDateTime(QDate(2026, 12, 6), QTime(2, 35)); });
    }
    void TearDown() override { Clock::SetTimeSource({}); }

    int addFavorite(const QString& address)
    {
        const int row = m_list.count();
        m_list.insertFavorite(row, address);
        m_list.setText(row, FavoritesList::Updates, "H");
        m_list.setText(row, FavoritesList::LastUpdated, "01/02/03 04:05 AM");
        WriteAll(SnapshotFileName(address), "old snapshot\r\n");
        return row;
    }
    FavoritesList::Row cells(int row) const { return m_list.rows().at(row); }

    ScopedProxyEnvironment m_noProxy;
    ScopedDownloadLimits m_limits;
    HttpServer m_server;
    FavoritesList m_list;
};

TEST_F(DownloadFaults, AFullDiskWhileCheckingKeepsTheSnapshotAndTheRow)
{
    const QByteArray page = pageOfLines(200); // 20000 bytes, 20200 as stored
    m_server.setPage("/page", page);
    const int row = addFavorite(m_server.url("/page"));
    const FavoritesList::Row before = cells(row);
    const qint64 stored = page.size() + 200;

    for (const rlim_t limit : { rlim_t(0), rlim_t(100), rlim_t(8192), rlim_t(16384), rlim_t(stored - 1) }) {
        SCOPED_TRACE("file size limit " + std::to_string(limit));
        const int outcome = runWithFileSizeLimit(limit, [&] {
            try {
                InternetSession session;
                CheckPage(session, m_list, row, m_list.text(row, FavoritesList::WebSite));
                return int(Succeeded);
            } catch (const FileError&) {
                return int(cells(row) == before ? ThrewFileError : RowChanged);
            } catch (...) {
                return int(ThrewSomethingElse);
            }
        });
        EXPECT_EQ(outcome, ThrewFileError) << "the check " << describe(outcome);
        EXPECT_EQ(ReadAll(SnapshotFileName(cells(row)[0])), "old snapshot\r\n") << "the old snapshot was lost";
        EXPECT_LE(QFileInfo(kTempDownloadFileName).size(), qint64(limit));
    }

    // With room for every byte the same check goes through and replaces the snapshot.
    const int outcome = runWithFileSizeLimit(rlim_t(stored), [&] {
        try {
            InternetSession session;
            return CheckPage(session, m_list, row, m_list.text(row, FavoritesList::WebSite)) ? 0 : 1;
        } catch (...) {
            return 2;
        }
    });
    EXPECT_EQ(outcome, 0) << "a page that just fits must be stored";
    EXPECT_EQ(QFileInfo(SnapshotFileName(cells(row)[0])).size(), stored);
}

TEST_F(DownloadFaults, AFullDiskWhileWritingASnapshotIsReported)
{
    // Add and Edit download straight into the snapshot; a write cut short must not pass
    // for a whole page.
    const QByteArray page = pageOfLines(300);
    m_server.setPage("/page", page);
    const QString address = m_server.url("/page");
    const qint64 stored = page.size() + 300;
    for (const rlim_t limit : { rlim_t(50), rlim_t(4096), rlim_t(stored - 1) }) {
        SCOPED_TRACE("file size limit " + std::to_string(limit));
        const int outcome = runWithFileSizeLimit(limit, [&] {
            try {
                InternetSession session;
                DownloadPage(session, address, SnapshotFileName(address));
                return int(Succeeded);
            } catch (const FileError&) {
                return int(ThrewFileError);
            } catch (...) {
                return int(ThrewSomethingElse);
            }
        });
        EXPECT_EQ(outcome, ThrewFileError) << "the download " << describe(outcome);
        EXPECT_LT(QFileInfo(SnapshotFileName(address)).size(), stored);
    }
}

TEST_F(DownloadFaults, ARedirectLoopFailsBeforeAnyFileIsTouched)
{
    m_server.setRedirect("/a", "/b");
    m_server.setRedirect("/b", "/a", 301);
    m_server.setRedirect("/self", "/self", 307);
    InternetSession session;
    for (const char* path : { "/a", "/self" }) {
        SCOPED_TRACE(path);
        const int row = addFavorite(m_server.url(path));
        WriteAll(kTempDownloadFileName, "previous download\r\n");
        const FavoritesList::Row before = cells(row);
        EXPECT_THROW(CheckPage(session, m_list, row, m_server.url(path)), InternetError);
        EXPECT_EQ(cells(row), before);
        EXPECT_EQ(ReadAll(SnapshotFileName(m_server.url(path))), "old snapshot\r\n");
        EXPECT_EQ(ReadAll(kTempDownloadFileName), "previous download\r\n");
    }
    EXPECT_LE(m_server.requestCount("/a") + m_server.requestCount("/b"), 12) << "the loop was followed too long";
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
    InternetSession session;

    const int announced = addFavorite(m_server.url("/announced"));
    WriteAll(kTempDownloadFileName, "previous download\r\n");
    EXPECT_THROW(CheckPage(session, m_list, announced, m_server.url("/announced")), InternetError);
    EXPECT_EQ(ReadAll(kTempDownloadFileName), "previous download\r\n") << "a page announced too large is refused";

    const int unannounced = addFavorite(m_server.url("/unannounced"));
    const FavoritesList::Row before = cells(unannounced);
    const qint64 memoryBefore = residentKiB();
    EXPECT_THROW(CheckPage(session, m_list, unannounced, m_server.url("/unannounced")), InternetError);
    [[maybe_unused]] const qint64 grown = residentKiB() - memoryBefore;
    EXPECT_EQ(cells(unannounced), before);
    EXPECT_EQ(ReadAll(SnapshotFileName(m_server.url("/unannounced"))), "old snapshot\r\n");
    const qint64 partial = QFileInfo(kTempDownloadFileName).size();
    EXPECT_GT(partial, 0);
    EXPECT_LE(partial, DownloadLimits::maxBytes + DownloadLimits::maxBytes / line.size()) << "read past the limit";
#ifndef __SANITIZE_ADDRESS__
    // AddressSanitizer keeps freed memory in quarantine, so resident memory says nothing there.
    EXPECT_LT(grown, 32 * 1024) << "the download held " << grown << " KiB of the page in memory";
#endif
}

// A server that resets the connection (TCP RST, not an orderly close) in the middle of a
// page: every socket it accepts lingers for no time, so closing it resets it.
class ResettingServer {
public:
    explicit ResettingServer(const std::string& head)
    {
        m_server.set_socket_options([](int socket) {
            const linger abort { 1, 0 };
            setsockopt(socket, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
            const int reuse = 1;
            setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
        });
        m_server.Get("/reset", [head](const httplib::Request&, httplib::Response& response) {
            response.set_content_provider(100000, "text/html", [head](size_t offset, size_t, httplib::DataSink& sink) {
                if (offset == 0)
                    return sink.write(head.data(), head.size());
                return false;
            });
        });
        m_running = std::make_unique<ServerThread>(m_server);
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/reset").arg(m_running->port()); }

private:
    httplib::Server m_server;
    // Last, so that the server stops before the rest goes.
    std::unique_ptr<ServerThread> m_running;
};

TEST_F(DownloadFaults, AConnectionResetMidPageKeepsTheSnapshotAndTheRow)
{
    ResettingServer server("line one\nline two\nhalf a li");
    const int row = addFavorite(server.url());
    const FavoritesList::Row before = cells(row);
    WriteAll(kTempDownloadFileName, "previous download\r\n");
    InternetSession session;
    try {
        CheckPage(session, m_list, row, server.url());
        FAIL() << "a page cut off by a reset was taken as whole";
    } catch (const InternetError& error) {
        EXPECT_TRUE(error.message().contains(server.url())) << error.what();
        EXPECT_TRUE(error.message().contains("reset", Qt::CaseInsensitive)) << "not a reset: " << error.what();
    }
    EXPECT_EQ(cells(row), before);
    EXPECT_EQ(ReadAll(SnapshotFileName(server.url())), "old snapshot\r\n");
    EXPECT_FALSE(ReadAll(kTempDownloadFileName).contains("half")) << "the broken last line was stored as a line";
}

} // namespace

namespace {

TEST_F(DownloadFaults, ALocalFileLargerThanTheReadAheadIsReadWhole)
{
    // libcurl cannot pause a file:// transfer, so the reader must not ask it to.
    const QByteArray page = pageOfLines(20000); // about 2 MB, far beyond the read-ahead
    WriteAll("watched.html", page);
    const QString address = QStringLiteral("file://") + QDir::current().absoluteFilePath("watched.html");
    InternetSession session;
    ASSERT_NO_THROW(DownloadPage(session, address, "stored.txt"));
    EXPECT_TRUE(ReadAll("stored.txt") == QByteArray(page).replace("\n", "\r\n"))
        << "the local file was not stored whole";
}

} // namespace
