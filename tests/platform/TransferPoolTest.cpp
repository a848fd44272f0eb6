// Page downloads as the transfer pool makes them: the lines stored with CR LF however the page
// arrives, the request we send, error pages, redirects and the schemes they may lead to,
// local files, proxies, TLS, shared connections, and transfers that break part way.
#include "platform/TransferPool.h"
#include "platform/DownloadOptions.h"
#include "platform/NelvoxError.h"
#include "platform/NetworkTesting.h"
#include "support/Downloads.h"
#include "support/HttpServer.h"
#include "support/TempWorkDir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTest>
#include <QUrl>

#include <condition_variable>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

constexpr const char* kFile = "page.txt";

// All bytes of a literal, NUL bytes included.
template <size_t size> QByteArray bytes(const char (&literal)[size])
{
    return QByteArray(literal, size - 1);
}

class TransferPoolTest : public InTempDir {
protected:
    // Downloads the addresses side by side, each into its file; the results in the same order.
    std::vector<TransferPool::Result> downloadAll(const std::vector<std::pair<QString, QString>>& downloads)
    {
        TransferPool pool(m_options);
        std::map<int, size_t> order;
        std::vector<TransferPool::Result> results(downloads.size());
        size_t ended = 0;
        QObject::connect(&pool, &TransferPool::finished, [&](int id, const TransferPool::Result& result) {
            results[order.at(id)] = result;
            ++ended;
        });
        for (size_t index = 0; index < downloads.size(); ++index)
            order[pool.add(downloads[index].first, downloads[index].second)] = index;
        EXPECT_TRUE(QTest::qWaitFor([&] { return ended == downloads.size(); }, 30'000)) << "downloads did not end";
        return results;
    }

    // Downloads the address expecting it to fail before the page answers, with a reason that
    // names the address.
    TransferPool::Result expectRefused(const QString& address)
    {
        SCOPED_TRACE(address.toStdString());
        WriteAll(kFile, "untouched\r\n");
        const TransferPool::Result result = DownloadAsSnapshot(address, kFile, m_options);
        EXPECT_EQ(result.outcome, TransferResult::Outcome::Failed) << "neither answered nor complete";
        EXPECT_TRUE(result.detail.contains(address)) << result.detail.toStdString();
        EXPECT_EQ(ReadAll(kFile), "untouched\r\n");
        return result;
    }

    ScopedProxyEnvironment m_noProxy;
    // The program's own limits unless a test lowers them.
    TransferOptions m_options;
    HttpServer m_server;
};

TEST_F(TransferPoolTest, StoresEveryLineEndedByCrLfHoweverThePageArrives)
{
    const qsizetype block = 64 * 1024;
    const struct {
        const char* path;
        // More than one piece: each goes out as a chunk of its own, and libcurl hands each
        // chunk over on its own.
        std::vector<QByteArray> pieces;
        QByteArray stored;
    } cases[] = {
        { "/crlf", { "one\r\ntwo\r\n" }, "one\r\ntwo\r\n" },
        { "/lf", { "one\n\ntwo\n" }, "one\r\n\r\ntwo\r\n" },
        { "/blank-lines", { "\n\r\nthree\n\n" }, "\r\n\r\nthree\r\n\r\n" },
        { "/no-final-line-feed", { "one\r\ntwo" }, "one\r\ntwo\r\n" },
        { "/lone-carriage-returns", { "a\rb\r\r\nc\r" }, "a\rb\r\r\nc\r\r\n" },
        { "/empty", { "" }, "" },
        { "/single-line-feed", { "\n" }, "\r\n" },
        { "/bytes", { bytes("nul\0here\n\xff\xfe\xc3(\xed\xa0\x80 caf\xe9\n\0\n\0") },
            bytes("nul\0here\r\n\xff\xfe\xc3(\xed\xa0\x80 caf\xe9\r\n\0\r\n\0\r\n") },
        { "/long-line", { QByteArray(3 * block, 'x') + "\nend" }, QByteArray(3 * block, 'x') + "\r\nend\r\n" },
        { "/cr-and-lf-apart", { "fir", "st\r", "\nsec", "ond\r", "\n\r", "\n", "last" },
            "first\r\nsecond\r\n\r\nlast\r\n" },
        { "/cr-at-a-piece-end", { "a\r", "b\n", "c\r" }, "a\rb\r\nc\r\r\n" },
    };
    for (const auto& page : cases) {
        SCOPED_TRACE(page.path);
        if (page.pieces.size() > 1)
            m_server.setChunkedPage(page.path, page.pieces);
        else
            m_server.setPage(page.path, page.pieces.front());
        WriteAll(kFile, QByteArray(4 * block, '-')); // a longer old file must be truncated
        EXPECT_TRUE(DownloadAsSnapshot(m_server.url(page.path), kFile).isDownloaded());
        const QByteArray stored = ReadAll(kFile);
        EXPECT_TRUE(stored == page.stored)
            << stored.size() << " bytes stored, " << page.stored.size()
            << " expected: " << QByteArray(stored.left(60)).toPercentEncoding().constData();
    }
}

TEST_F(TransferPoolTest, StoresLargePagesWhole)
{
    // Every line is the same, so a lost, repeated or reordered block shows in some line.
    const QByteArray line = QByteArray("0123456789abcdefghijklmnopqrstuvwxyz").repeated(27) + "!\n";
    const qint64 lineCount = 4000;
    const QByteArray stored = QByteArray(line.chopped(1) + "\r\n").repeated(lineCount);
    m_server.setRepeatedPage("/sized", line, lineCount * line.size(), true);
    m_server.setRepeatedPage("/unsized", line, lineCount * line.size(), false);
    WriteAll("watched.html", line.repeated(lineCount));
    const QString local = "file://" + QDir::current().absoluteFilePath("watched.html");

    const auto results = downloadAll({ { m_server.url("/sized"), "sized.txt" },
        { m_server.url("/unsized"), "unsized.txt" }, { local, "local.txt" } });
    for (const char* fileName : { "sized.txt", "unsized.txt", "local.txt" }) {
        SCOPED_TRACE(fileName);
        const QByteArray read = ReadAll(fileName);
        EXPECT_TRUE(read == stored) << read.size() << " bytes stored, " << stored.size() << " expected";
    }
    for (const TransferPool::Result& result : results)
        EXPECT_TRUE(result.isDownloaded()) << result.detail.toStdString();
}

TEST_F(TransferPoolTest, AsksAsNelvoxForAFreshCopy)
{
    m_server.setPage("/page", "text\n");
    DownloadAsSnapshot(m_server.url("/page"), kFile);
    const auto requests = m_server.requests();
    ASSERT_EQ(requests.size(), 1u);
    const httplib::Headers& headers = requests[0].headers;
    auto header = [&](const char* name) {
        const auto found = headers.find(name);
        return found == headers.end() ? std::string("(none)") : found->second;
    };
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(header("User-Agent"), "Nelvox/1.0 (desktop page watcher)");
    EXPECT_EQ(header("Cache-Control"), "no-cache");
    EXPECT_EQ(header("Pragma"), "no-cache");
}

TEST_F(TransferPoolTest, AsksForCompressedPagesAndStoresThemDecoded)
{
    QByteArray page;
    for (int row = 0; row < 2000; ++row)
        page += "<tr><td>row " + QByteArray::number(row) + "</td><td>unchanged</td></tr>\n";
    m_server.setGzipPage("/page", page);
    m_server.setGzipPage("/broken", page, HttpServer::Gzip::Broken);
    EXPECT_TRUE(DownloadAsSnapshot(m_server.url("/page"), kFile).isDownloaded());
    EXPECT_TRUE(ReadAll(kFile) == QByteArray(page).replace("\n", "\r\n")) << "the page must arrive decoded";
    const auto requests = m_server.requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto accepted = requests[0].headers.find("Accept-Encoding");
    ASSERT_NE(accepted, requests[0].headers.end()) << "no encoding asked for";
    EXPECT_NE(accepted->second.find("gzip"), std::string::npos) << accepted->second;
    EXPECT_LT(m_server.bodyBytesSent("/page"), page.size() / 10) << "the page crossed the wire uncompressed";

    // A body that does not decompress is a failed download, not a page of garbage.
    EXPECT_FALSE(DownloadAsSnapshot(m_server.url("/broken"), kFile).isDownloaded());

    // The size limit holds for the page as decoded, however small it was on the wire.
    m_options.maxBytes = page.size() - 1;
    EXPECT_FALSE(DownloadAsSnapshot(m_server.url("/page"), kFile, m_options).isDownloaded());
    EXPECT_LT(m_server.bodyBytesSent("/page"), 2 * page.size() / 10);
}

TEST_F(TransferPoolTest, FailsOnErrorPagesAndStoresTheEndOfUpToTenRedirects)
{
    // An answer of status 400 or above is a failure that touches no file.
    m_server.setPage("/missing", "<h1>Not Found</h1>\n", 404);
    m_server.setPage("/broken", "<h1>Internal error</h1>\r\nretry later", 500);
    EXPECT_EQ(expectRefused(m_server.url("/missing")).message, "HTTP 404 Not Found");
    EXPECT_EQ(expectRefused(m_server.url("/broken")).message, "HTTP 500 Internal Server Error");

    m_server.setRedirect("/moved", "/moved-again", 301);
    m_server.setRedirect("/moved-again", m_server.url("/moved-once-more").toStdString(), 302);
    m_server.setRedirect("/moved-once-more", "/final", 307);
    m_server.setPage("/final", "the page\n");
    EXPECT_TRUE(DownloadAsSnapshot(m_server.url("/moved"), kFile).isDownloaded());
    EXPECT_EQ(ReadAll(kFile), "the page\r\n") << "the pages that redirect must not add their own text";

    for (int hop = 0; hop <= 10; ++hop)
        m_server.setRedirect("/hop" + std::to_string(hop), "/hop" + std::to_string(hop + 1));
    m_server.setPage("/hop11", "arrived\n");
    EXPECT_TRUE(DownloadAsSnapshot(m_server.url("/hop1"), kFile).isDownloaded()) << "ten redirects";
    EXPECT_EQ(ReadAll(kFile), "arrived\r\n");
    expectRefused(m_server.url("/hop0"));
    EXPECT_EQ(m_server.requestCount("/hop11"), 1) << "the eleventh redirect was followed";

    // Redirects in a circle fail before any file is touched.
    m_server.setRedirect("/a", "/b");
    m_server.setRedirect("/b", "/a", 301);
    m_server.setRedirect("/self", "/self", 307);
    expectRefused(m_server.url("/a"));
    expectRefused(m_server.url("/self"));
    EXPECT_LE(m_server.requestCount("/a") + m_server.requestCount("/b"), 12) << "the loop was followed too long";
}

TEST_F(TransferPoolTest, OpensAddressesWithoutSchemeAsHttpAndRefusesWhatItCannotOpen)
{
    m_server.setPage("/page", "plain\n");
    EXPECT_TRUE(DownloadAsSnapshot(QStringLiteral("127.0.0.1:%1/page").arg(m_server.port()), kFile).isDownloaded());
    EXPECT_EQ(ReadAll(kFile), "plain\r\n");

    for (const char* scheme : { "gopher", "dict", "telnet", "ldap", "smb" })
        expectRefused(QStringLiteral("%1://127.0.0.1:%2/page").arg(scheme).arg(m_server.port()));
    EXPECT_EQ(m_server.requestCount("/page"), 1);

    // The user may watch a local file, but no server may send us to one.
    WriteAll("secret.txt", "private\n");
    const QString fileAddress = "file://" + QDir::current().absoluteFilePath("secret.txt");
    EXPECT_TRUE(DownloadAsSnapshot(fileAddress, kFile).isDownloaded());
    EXPECT_EQ(ReadAll(kFile), "private\r\n");
    m_server.setRedirect("/to-file", fileAddress.toStdString());
    m_server.setRedirect("/to-ftp", "ftp://127.0.0.1:1/file.txt");
    expectRefused(m_server.url("/to-file"));
    expectRefused(m_server.url("/to-ftp"));

    QString refused;
    {
        HttpServer gone;
        refused = gone.url("/page");
    }
    expectRefused(refused);

    m_options.sessionRefused = true;
    EXPECT_THROW(TransferPool { m_options }, InternetError);
}

TEST_F(TransferPoolTest, AServerThatAsksToWaitIsLeftAloneUntilThenAndOnlyThatServer)
{
    // Maintenance for an hour, in seconds; and a server that asks for more than a day.
    HttpServer otherPort;
    m_server.setPage("/busy", "down for maintenance\n", 503, { { "Retry-After", "3600" } });
    m_server.setPage("/page", "a page\n");
    otherPort.setPage("/page", "another server's page\n");
    otherPort.setPage("/greedy", "slow down\n", 429, { { "Retry-After", "999999" } });
    QDateTime now(QDate(2026, 12, 8), QTime(12, 0));
    m_options.now = [&now] { return now; };
    auto download = [&](const HttpServer& server, const std::string& path) {
        SCOPED_TRACE(path);
        return DownloadAsSnapshot(server.url(path), kFile, m_options);
    };

    const TransferPool::Result busy = download(m_server, "/busy");
    EXPECT_EQ(busy.outcome, TransferResult::Outcome::ServerWaiting);
    EXPECT_EQ(busy.message, "the server asked to wait until 12/08/26 01:00 PM") << "not HTTP 503";
    // Each download is a pool of its own, as each run is: the options carry the wait.
    const TransferPool::Result refused = download(m_server, "/page");
    EXPECT_EQ(refused.outcome, TransferResult::Outcome::ServerWaiting);
    EXPECT_EQ(refused.message, "the server asked to wait until 12/08/26 01:00 PM");
    EXPECT_EQ(m_server.requestCount("/page"), 0) << "asked again before its time";
    EXPECT_TRUE(download(otherPort, "/page").isDownloaded()) << "another port of 127.0.0.1 must not wait";
    EXPECT_EQ(download(otherPort, "/greedy").message, "the server asked to wait until 12/09/26 12:00 PM")
        << "at most a day";

    now = now.addSecs(3599);
    EXPECT_EQ(download(m_server, "/page").outcome, TransferResult::Outcome::ServerWaiting);
    now = now.addSecs(1);
    EXPECT_TRUE(download(m_server, "/page").isDownloaded()) << "the hour has passed";
    EXPECT_EQ(m_server.requestCount("/busy") + m_server.requestCount("/page"), 2);
}

// Runs `release` again and again on a thread of its own once 3 s have passed, until the
// thread is stopped, so that reads the program should never have begun cannot hang the test.
std::jthread rescue(const std::function<void()>& release)
{
    return std::jthread([release](std::stop_token stop) {
        std::mutex mutex;
        std::condition_variable_any wake;
        std::unique_lock lock(mutex);
        for (auto wait = 3000ms; !wake.wait_for(lock, stop, wait, [] { return false; }) && !stop.stop_requested();
             wait = 200ms) {
            if (release)
                release();
        }
    });
}

// Lets a reader stuck in opening a pipe without a writer go: a writer comes and leaves.
void passWriterThrough(const QByteArray& fifo)
{
    const int writer = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0)
        ::close(writer);
}

TEST_F(TransferPoolTest, RefusesLocalFilesThatAreNotRegularFilesAtOnce)
{
    // Without the refusal, /dev/zero would be read up to this limit.
    m_options.maxBytes = 1024 * 1024;
    const QByteArray lonely = QDir::current().absoluteFilePath("lonely.fifo").toUtf8();
    const QByteArray fed = QDir::current().absoluteFilePath("fed.fifo").toUtf8();
    const QByteArray socketPath = QDir::current().absoluteFilePath("listening.sock").toUtf8();
    ASSERT_EQ(::mkfifo(lonely.constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(fed.constData(), 0600), 0);
    // A writer that has written a line and never ends: this test keeps it open.
    int writer = ::open(fed.constData(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::write(writer, "a line\n", 7), 7);
    ASSERT_TRUE(QDir().mkdir("folder"));
    const QString spaced = QDir::current().absoluteFilePath("a pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(spaced).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(spaced, "link"));
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un socketAddress {};
    socketAddress.sun_family = AF_UNIX;
    ASSERT_LT(static_cast<size_t>(socketPath.size()), sizeof socketAddress.sun_path);
    std::memcpy(socketAddress.sun_path, socketPath.constData(), static_cast<size_t>(socketPath.size()));
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&socketAddress), sizeof socketAddress), 0);
    ASSERT_EQ(::listen(listener, 1), 0);

    // The path is taken as libcurl takes it: decoded, the scheme in any case, with or without
    // a host part for this computer, through a link.
    const QByteArray encodedPipe = QUrl::toPercentEncoding(spaced, "/");
    for (const QByteArray& address :
        { "file://" + encodedPipe, "FILE://" + encodedPipe, "file://localhost" + encodedPipe, "file:" + encodedPipe,
            "file://" + QDir::current().absoluteFilePath("link").toUtf8() }) {
        EXPECT_EQ(LocalFileProblem(address), "it is a named pipe, not a regular file") << address.constData();
    }
    // Addresses that are no local files, and files libcurl reads or refuses by itself.
    WriteAll("regular.txt", "a page on disk\n");
    for (const QByteArray& address : { "http://127.0.0.1" + encodedPipe, encodedPipe,
             "file://" + QDir::current().absoluteFilePath("regular.txt").toUtf8(),
             "file://" + QDir::current().absoluteFilePath("none").toUtf8(), "file://elsewhere" + encodedPipe,
             "file://" + spaced.toUtf8(), QByteArray() }) {
        EXPECT_EQ(LocalFileProblem(address), QString()) << address.constData();
    }

    const struct {
        const char* kind;
        QByteArray path;
        const char* reason;
        std::function<void()> release;
    } files[] = {
        { "a named pipe without a writer", lonely, "it is a named pipe, not a regular file",
            [&] { passWriterThrough(lonely); } },
        { "a named pipe whose writer never ends", fed, "it is a named pipe, not a regular file",
            [&] {
                if (writer >= 0)
                    ::close(std::exchange(writer, -1));
                passWriterThrough(fed);
            } },
        { "a device", "/dev/zero", "it is a device, not a regular file", {} },
        { "a directory", QDir::current().absoluteFilePath("folder").toUtf8(), "it is a directory, not a regular file",
            {} },
        { "a socket", socketPath, "it is a socket, not a regular file", {} },
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.kind);
        const QString address = "file://" + QString::fromUtf8(file.path);
        const std::jthread rescuer = rescue(file.release);
        QElapsedTimer timer;
        timer.start();
        const TransferPool::Result result = DownloadAsSnapshot(address, "download.txt", m_options);
        EXPECT_LT(timer.elapsed(), 1000) << "the program waited for the file";
        EXPECT_EQ(result.outcome, TransferResult::Outcome::Failed) << "not answered";
        EXPECT_TRUE(result.detail.contains(address)) << result.detail.toStdString();
        EXPECT_TRUE(result.detail.contains(file.reason)) << result.detail.toStdString();
        EXPECT_FALSE(FileExists("download.txt"));
    }
    if (writer >= 0)
        ::close(writer);
    ::close(listener);
}

TEST_F(TransferPoolTest, BrokenTransfersFailAndKeepWhatArrived)
{
    m_options.lowSpeedTimeSeconds = 1;
    m_options.totalTimeoutSeconds = 2;
    m_options.maxBytes = 100000;
    const QByteArray line = QByteArray(99, 'x') + "\n";
    m_server.setHangUp("/hang-up", "one\ntwo\npartial", 1000);
    // Any byte received would keep libcurl's speed above the limit for seconds, so the server
    // stalls right after its headers.
    m_server.setStall("/stall", "", 5000);
    // One byte every 100 ms is fast enough for the low-speed rule, so only the total time can
    // end it.
    m_server.setTrickle("/trickle", line, 100ms);
    m_server.setRepeatedPage("/announced", line, 200000, true);
    m_server.setRepeatedPage("/unannounced", line, 200000, false);
    m_server.setRepeatedPage("/at-limit", line, 100000, false);
    m_server.setReset("/reset", "line one\nline two\nhalf a li", 100000);

    const auto results = downloadAll({ { m_server.url("/hang-up"), "hang-up.txt" },
        { m_server.url("/stall"), "stall.txt" }, { m_server.url("/trickle"), "trickle.txt" },
        { m_server.url("/announced"), "announced.txt" }, { m_server.url("/unannounced"), "unannounced.txt" },
        { m_server.url("/reset"), "reset.txt" }, { m_server.url("/at-limit"), "at-limit.txt" } });
    const char* const reasons[] = { nullptr, nullptr, nullptr, "100000", "100000", "Connection reset by peer" };
    for (size_t index = 0; index < std::size(reasons); ++index) {
        SCOPED_TRACE(index);
        EXPECT_FALSE(results[index].isDownloaded());
        EXPECT_FALSE(results[index].detail.isEmpty());
        if (reasons[index]) {
            EXPECT_TRUE(results[index].detail.contains(reasons[index], Qt::CaseInsensitive))
                << results[index].detail.toStdString();
        }
    }
    EXPECT_TRUE(results[0].detail.contains(m_server.url("/hang-up"))) << results[0].detail.toStdString();
    EXPECT_EQ(ReadAll("hang-up.txt"), "one\r\ntwo\r\npartial") << "what arrived stays, a broken line without its end";
    EXPECT_EQ(results[3].outcome, TransferResult::Outcome::Failed)
        << "a page announced too large is refused before its file is made";
    const QByteArray partial = ReadAll("unannounced.txt");
    EXPECT_FALSE(partial.isEmpty());
    EXPECT_TRUE(QByteArray(QByteArray(99, 'x') + "\r\n").repeated(1001).startsWith(partial))
        << "the part of a page over the limit that arrived: " << partial.size() << " bytes";
    EXPECT_EQ(results[5].outcome, TransferResult::Outcome::Incomplete) << results[5].detail.toStdString();
    EXPECT_EQ(results[5].message, "connection lost in the middle of the page");
    EXPECT_FALSE(ReadAll("reset.txt").contains("half a li\r\n")) << "the broken last line was stored as a line";
    EXPECT_EQ(ReadAll("reset.txt"), "line one\r\nline two\r\nhalf a li") << "what arrived before the reset stays";
    EXPECT_TRUE(results[6].isDownloaded())
        << "a page of exactly the limit is allowed: " << results[6].detail.toStdString();
    EXPECT_EQ(ReadAll("at-limit.txt").size(), 101000);
}

TEST_F(TransferPoolTest, GoesThroughTheProxyOfTheEnvironment)
{
    HttpServer proxy;
    const std::string address = "http://nelvox.test/news";
    proxy.setPage(address, "through the proxy\n");
    const QByteArray proxyAddress = QStringLiteral("http://127.0.0.1:%1").arg(proxy.port()).toUtf8();

    qputenv("http_proxy", proxyAddress);
    EXPECT_TRUE(DownloadAsSnapshot(QString::fromStdString(address), kFile).isDownloaded());
    EXPECT_EQ(ReadAll(kFile), "through the proxy\r\n");
    EXPECT_EQ(proxy.requestCount(address), 1) << "http_proxy was not used";

    qputenv("no_proxy", "127.0.0.1");
    m_server.setPage("/direct", "direct\n");
    EXPECT_TRUE(DownloadAsSnapshot(m_server.url("/direct"), kFile).isDownloaded());
    EXPECT_EQ(m_server.requestCount("/direct"), 1) << "no_proxy was not honoured";

    qunsetenv("http_proxy");
    qunsetenv("no_proxy");
    qputenv("all_proxy", proxyAddress);
    EXPECT_TRUE(DownloadAsSnapshot(QString::fromStdString(address), kFile).isDownloaded());
    EXPECT_EQ(proxy.requestCount(address), 2) << "all_proxy was not used";
    EXPECT_EQ(proxy.requests().size(), 2u);

    // A secure page goes through a tunnel that our proxy does not open; that it was asked for
    // one shows that https_proxy was used.
    qunsetenv("all_proxy");
    qputenv("https_proxy", proxyAddress);
    expectRefused(QStringLiteral("https://nelvox.test/secure"));
    // The proxy's thread may record the tunnel request after the client has given up.
    ASSERT_TRUE(QTest::qWaitFor([&] { return proxy.requests().size() >= 3; }, 5000)) << "https_proxy was not used";
    const auto requests = proxy.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests.back().method, "CONNECT");
    EXPECT_EQ(requests.back().target, "nelvox.test:443");
}

TEST_F(TransferPoolTest, OneRunAfterAnotherReusesTheConnection)
{
    HttpServer server(HttpServer::Connections::KeepAlive);
    server.setPage("/first", "1\n");
    server.setPage("/second", "2\n");
    // Each call has a pool of its own, as each run of checks has.
    DownloadAsSnapshot(server.url("/first"), kFile);
    DownloadAsSnapshot(server.url("/second"), kFile);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].remotePort, requests[1].remotePort) << "the second pool opened a new connection";
}

TEST_F(TransferPoolTest, AnUntrustedCertificateFailsTheDownload)
{
    HttpServer server(HttpServer::Connections::Close, HttpServer::Security::SelfSigned);
    server.setPage("/", "secret\n");
    const TransferPool::Result result = expectRefused(server.url("/"));
    EXPECT_TRUE(result.detail.contains("certificate", Qt::CaseInsensitive)) << result.detail.toStdString();
}

} // namespace
