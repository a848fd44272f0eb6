// Opening addresses: the request we send, error pages, redirects and the schemes they may
// lead to, failures that must show at open, shared connections, proxies and TLS.
#include "platform/InternetSession.h"
#include "platform/DownloadOptions.h"
#include "platform/NelvoxError.h"
#include "platform/NetworkTesting.h"
#include "support/HttpServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <sys/stat.h>

using Lines = QList<QByteArray>;

class InternetSessionTest : public ::testing::Test {
protected:
    // Opens the address expecting InternetError, and checks that its message names it.
    void expectOpenFails(InternetSession& session, const QString& address)
    {
        try {
            session.OpenURL(address);
            ADD_FAILURE() << "opening " << address.toStdString() << " did not throw";
        } catch (const InternetError& error) {
            EXPECT_TRUE(error.message().contains(address)) << error.what();
        }
    }

    ScopedProxyEnvironment m_noProxy;
    ScopedDownloadLimits m_limits;
    HttpServer m_server;
};

TEST_F(InternetSessionTest, AsksAsNelvoxForAFreshCopy)
{
    m_server.setPage("/page", "text\n");
    InternetSession session;
    DownloadWholePage(session, m_server.url("/page"));
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

TEST_F(InternetSessionTest, AsksForCompressedPagesAndReadsThemDecoded)
{
    QByteArray page;
    for (int row = 0; row < 2000; ++row)
        page += "<tr><td>row " + QByteArray::number(row) + "</td><td>unchanged</td></tr>\n";
    m_server.setGzipPage("/page", page);
    m_server.setGzipPage("/broken", page, HttpServer::Gzip::Broken);
    InternetSession session;
    const ReadPage read = DownloadWholePage(session, m_server.url("/page"));
    EXPECT_EQ(StoredLines(read.lines), QByteArray(page).replace("\n", "\r\n")) << "the page must arrive decoded";
    const auto requests = m_server.requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto accepted = requests[0].headers.find("Accept-Encoding");
    ASSERT_NE(accepted, requests[0].headers.end()) << "no encoding asked for";
    EXPECT_NE(accepted->second.find("gzip"), std::string::npos) << accepted->second;
    EXPECT_LT(m_server.bodyBytesSent("/page"), page.size() / 10) << "the page crossed the wire uncompressed";

    // A body that does not decompress is a failed download, not a page of garbage.
    EXPECT_THROW(DownloadWholePage(session, m_server.url("/broken")), InternetError);

    // The size limit holds for the page as decoded, however small it was on the wire.
    DownloadLimits::maxBytes = page.size() - 1;
    EXPECT_THROW(DownloadWholePage(session, m_server.url("/page")), InternetError);
    EXPECT_LT(m_server.bodyBytesSent("/page"), 2 * page.size() / 10);
}

TEST_F(InternetSessionTest, ReadsErrorPagesLikeAnyOther)
{
    m_server.setPage("/missing", "<h1>Not Found</h1>\n", 404);
    m_server.setPage("/broken", "<h1>Internal error</h1>\r\nretry later", 500);
    InternetSession session;
    EXPECT_EQ(DownloadWholePage(session, m_server.url("/missing")).lines, Lines { "<h1>Not Found</h1>" });
    EXPECT_EQ(DownloadWholePage(session, m_server.url("/broken")).lines,
        (Lines { "<h1>Internal error</h1>", "retry later" }));
}

TEST_F(InternetSessionTest, FollowsUpToTenRedirects)
{
    m_server.setRedirect("/moved", "/moved-again", 301);
    m_server.setRedirect("/moved-again", m_server.url("/moved-once-more").toStdString(), 302);
    m_server.setRedirect("/moved-once-more", "/final", 307);
    m_server.setPage("/final", "the page\n");
    InternetSession session;
    EXPECT_EQ(DownloadWholePage(session, m_server.url("/moved")).lines, Lines { "the page" })
        << "the pages that redirect must not add their own text";

    for (int hop = 0; hop <= 10; ++hop)
        m_server.setRedirect("/hop" + std::to_string(hop), "/hop" + std::to_string(hop + 1));
    m_server.setPage("/hop11", "arrived\n");
    EXPECT_EQ(DownloadWholePage(session, m_server.url("/hop1")).lines, Lines { "arrived" }) << "ten redirects";
    expectOpenFails(session, m_server.url("/hop0"));
    EXPECT_EQ(m_server.requestCount("/hop11"), 1) << "the eleventh redirect was followed";
}

TEST_F(InternetSessionTest, OpensFileAddressesButNeverRedirectsToThem)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString secret = dir.filePath("secret.txt");
    QFile file(secret);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("private\n");
    file.close();
    const QString fileAddress = QStringLiteral("file://") + secret;

    InternetSession session;
    EXPECT_EQ(DownloadWholePage(session, fileAddress).lines, Lines { "private" }) << "the user may watch a local file";

    m_server.setRedirect("/to-file", fileAddress.toStdString());
    m_server.setRedirect("/to-ftp", "ftp://127.0.0.1:1/file.txt");
    expectOpenFails(session, m_server.url("/to-file"));
    expectOpenFails(session, m_server.url("/to-ftp"));
}

TEST_F(InternetSessionTest, RefusesLocalFilesThatAreNotRegularFiles)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString pipe = dir.filePath("a pipe");
    ASSERT_EQ(::mkfifo(pipe.toUtf8().constData(), 0600), 0);
    QFile page(dir.filePath("page.txt"));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.close();
    ASSERT_TRUE(QFile::link(pipe, dir.filePath("link")));
    const QByteArray encodedPipe = QUrl::toPercentEncoding(pipe, "/");

    // The path is taken as libcurl takes it: decoded, the scheme in any case, with or
    // without a host part for this computer.
    for (const QByteArray& address : { "file://" + encodedPipe, "FILE://" + encodedPipe,
             "file://localhost" + encodedPipe, "file:" + encodedPipe, "file://" + dir.filePath("link").toUtf8() }) {
        EXPECT_EQ(LocalFileProblem(address), "it is a named pipe, not a regular file") << address.constData();
    }
    EXPECT_EQ(LocalFileProblem("file:///dev/null"), "it is a device, not a regular file");
    EXPECT_EQ(LocalFileProblem("file://" + dir.path().toUtf8()), "it is a directory, not a regular file");

    // Addresses that are no local files, and files libcurl reads or refuses by itself.
    for (const QByteArray& address : { QByteArray("http://127.0.0.1" + encodedPipe), encodedPipe,
             QByteArray("file://" + dir.filePath("page.txt").toUtf8()),
             QByteArray("file://" + dir.filePath("none").toUtf8()), QByteArray("file://elsewhere" + encodedPipe),
             QByteArray("file://" + pipe.toUtf8()), QByteArray("") }) {
        EXPECT_EQ(LocalFileProblem(address), QString()) << address.constData();
    }

    InternetSession session;
    expectOpenFails(session, QStringLiteral("file:///dev/null"));
}

TEST_F(InternetSessionTest, TriesAnAddressWithoutSchemeAsHttpAndRefusesUnknownSchemes)
{
    m_server.setPage("/page", "plain\n");
    InternetSession session;
    const QString bare = QStringLiteral("127.0.0.1:%1/page").arg(m_server.port());
    EXPECT_EQ(DownloadWholePage(session, bare).lines, Lines { "plain" });

    for (const char* scheme : { "gopher", "dict", "telnet", "ldap", "smb" }) {
        SCOPED_TRACE(scheme);
        expectOpenFails(session, QStringLiteral("%1://127.0.0.1:%2/page").arg(scheme).arg(m_server.port()));
    }
    EXPECT_EQ(m_server.requestCount("/page"), 1);
}

TEST_F(InternetSessionTest, ARefusedConnectionFailsAtOpen)
{
    QString refused;
    {
        HttpServer gone;
        refused = gone.url("/page");
    }
    InternetSession session;
    expectOpenFails(session, refused);
    m_server.setPage("/page", "still usable\n");
    EXPECT_EQ(DownloadWholePage(session, m_server.url("/page")).lines, Lines { "still usable" });
}

TEST_F(InternetSessionTest, CreationAndClosing)
{
    InternetSession::SetCreationFailureForTesting(true);
    EXPECT_THROW(InternetSession(), InternetError);
    InternetSession::SetCreationFailureForTesting(false);

    m_server.setPage("/page", "page\n");
    InternetSession session;
    std::unique_ptr<PageStream> open = session.OpenURL(m_server.url("/page"));
    session.Close();
    expectOpenFails(session, m_server.url("/page"));
    EXPECT_EQ(ReadWholePage(*open).lines, Lines { "page" }) << "a page opened before Close reads on";
}

TEST_F(InternetSessionTest, SessionsShareConnections)
{
    HttpServer server(HttpServer::Connections::KeepAlive);
    server.setPage("/first", "1\n");
    server.setPage("/second", "2\n");
    {
        InternetSession session;
        DownloadWholePage(session, server.url("/first"));
        session.Close();
    }
    {
        InternetSession session;
        DownloadWholePage(session, server.url("/second"));
    }
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].remotePort, requests[1].remotePort) << "the second session opened a new connection";
}

TEST_F(InternetSessionTest, GoesThroughTheProxyOfTheEnvironment)
{
    HttpServer proxy;
    const std::string address = "http://nelvox.test/news";
    proxy.setPage(address, "through the proxy\n");
    const QByteArray proxyAddress = QStringLiteral("http://127.0.0.1:%1").arg(proxy.port()).toUtf8();
    InternetSession session;

    qputenv("http_proxy", proxyAddress);
    EXPECT_EQ(DownloadWholePage(session, QString::fromStdString(address)).lines, Lines { "through the proxy" });
    EXPECT_EQ(proxy.requestCount(address), 1) << "http_proxy was not used";

    qputenv("no_proxy", "127.0.0.1");
    m_server.setPage("/direct", "direct\n");
    EXPECT_EQ(DownloadWholePage(session, m_server.url("/direct")).lines, Lines { "direct" });
    EXPECT_EQ(m_server.requestCount("/direct"), 1) << "no_proxy was not honoured";

    qunsetenv("http_proxy");
    qunsetenv("no_proxy");
    qputenv("all_proxy", proxyAddress);
    EXPECT_EQ(DownloadWholePage(session, QString::fromStdString(address)).lines, Lines { "through the proxy" });
    EXPECT_EQ(proxy.requestCount(address), 2) << "all_proxy was not used";
    EXPECT_EQ(proxy.requests().size(), 2u);

    // A secure page goes through a tunnel that our proxy does not open; that it was
    // asked for one shows that https_proxy was used.
    qunsetenv("all_proxy");
    qputenv("https_proxy", proxyAddress);
    expectOpenFails(session, QStringLiteral("https://nelvox.test/secure"));
    // The proxy's thread may record the tunnel request after the client has given up.
    QDeadlineTimer deadline(5000);
    while (proxy.requests().size() < 3 && !deadline.hasExpired())
        QThread::msleep(5);
    const auto requests = proxy.requests();
    ASSERT_EQ(requests.size(), 3u) << "https_proxy was not used";
    EXPECT_EQ(requests.back().method, "CONNECT");
    EXPECT_EQ(requests.back().target, "nelvox.test:443");
}

namespace {

// A TLS server on 127.0.0.1 whose certificate no authority signed.
class SelfSignedServer {
public:
    SelfSignedServer()
        : m_key(EVP_EC_gen("P-256"))
        , m_certificate(X509_new())
    {
        X509* certificate = m_certificate.get();
        X509_set_version(certificate, 2);
        ASN1_INTEGER_set(X509_get_serialNumber(certificate), 1);
        X509_gmtime_adj(X509_getm_notBefore(certificate), -60);
        X509_gmtime_adj(X509_getm_notAfter(certificate), 3600);
        X509_set_pubkey(certificate, m_key.get());
        X509_NAME* name = X509_get_subject_name(certificate);
        X509_NAME_add_entry_by_txt(
            name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
        X509_set_issuer_name(certificate, name);
        X509_sign(certificate, m_key.get(), EVP_sha256());

        m_server = std::make_unique<httplib::SSLServer>(certificate, m_key.get());
        m_server->Get("/", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("secret\n", "text/plain");
        });
        m_port = m_server->bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server->listen_after_bind(); });
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!m_server->is_running() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::yield();
    }
    ~SelfSignedServer()
    {
        m_server->stop();
        m_thread.join();
    }

    QString url() const { return QStringLiteral("https://127.0.0.1:%1/").arg(m_port); }

private:
    struct KeyDeleter {
        void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
    };
    struct CertificateDeleter {
        void operator()(X509* certificate) const { X509_free(certificate); }
    };
    std::unique_ptr<EVP_PKEY, KeyDeleter> m_key;
    std::unique_ptr<X509, CertificateDeleter> m_certificate;
    std::unique_ptr<httplib::SSLServer> m_server;
    int m_port = -1;
    std::thread m_thread;
};

} // namespace

TEST_F(InternetSessionTest, AnUntrustedCertificateFailsTheDownload)
{
    SelfSignedServer server;
    InternetSession session;
    try {
        session.OpenURL(server.url());
        FAIL() << "a self-signed certificate was accepted";
    } catch (const InternetError& error) {
        EXPECT_TRUE(error.message().contains(server.url())) << error.what();
        EXPECT_TRUE(error.message().contains("certificate", Qt::CaseInsensitive)) << error.what();
    }
}
