// Nelvox itself on a real X display (Xvfb) with a tray host (trayer), driven from outside
// with xdotool: it starts into the tray, comes back on a click on its icon, answers its
// access keys, and stays on screen where there is no tray. Pages come from a loopback
// server that the program reaches as its proxy, so the favorites can have real-looking
// addresses and nothing leaves 127.0.0.1.
#include "DesktopSession.h"
#include "support/Downloads.h"
#include "support/HttpServer.h"
#include "update/SnapshotName.h"

#include <QFile>
#include <QProcess>
#include <QRect>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <iostream>
#include <map>

namespace {

using namespace e2e;

class Desktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* tool : { "Xvfb", "trayer", "xdotool", "xev", "xprop", "xwininfo", "import" }) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                GTEST_SKIP() << tool << " is not installed (scripts/setup.sh --tests installs it)";
        }
        ASSERT_TRUE(m_data.isValid());
        ASSERT_TRUE(m_session.startDisplay()) << "Xvfb did not start";
    }

    void TearDown() override
    {
        if (HasFailure())
            std::cerr << m_session.logs();
    }

    // A favorite whose page the loopback server answers, as the program's proxy.
    void servePage(const QString& address, const QByteArray& body) { m_server.setPage(address.toStdString(), body); }

    // The favorite's snapshot, as the program's own download writes it.
    void snapshotAsServed(const QString& address)
    {
        qputenv("http_proxy", QStringLiteral("http://127.0.0.1:%1").arg(m_server.port()).toLatin1());
        const bool written = DownloadAsSnapshot(address, m_data.filePath(SnapshotFileName(address))).complete;
        qunsetenv("http_proxy");
        ASSERT_TRUE(written);
    }

    void writeData(const QString& name, const QByteArray& bytes)
    {
        QFile file(m_data.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // The hex id that xev prints for a window id that xdotool gives in decimal.
    static QString hexId(const QString& decimal) { return QStringLiteral("0x%1").arg(decimal.toULongLong(), 0, 16); }

    HttpServer m_server;
    QTemporaryDir m_data;
    Session m_session;
};

TEST_F(Desktop, StartsInTheTrayComesBackOnAClickAndAnswersItsAccessKeys)
{
    const QString home = QStringLiteral("http://www.example.com/");
    const QString news = QStringLiteral("http://www.example.org/news/index.html");
    const QString blog = QStringLiteral("http://blog.example.net/");
    const QString notes = QStringLiteral("http://docs.example.com/release-notes.html");
    servePage(home, "<html><body>Welcome, with something new</body></html>\n");
    servePage(news, "<html><body>\n<h1>News</h1>\n</body></html>\n");
    servePage(blog, "<html><body>Blog</body></html>\n");
    servePage(notes, "<html><body>Release notes, with a new release</body></html>\n");
    snapshotAsServed(news);
    snapshotAsServed(blog);
    writeData(SnapshotFileName(home), "<html><body>Welcome</body></html>\n");
    writeData(SnapshotFileName(notes), "<html><body>Release notes</body></html>\n");
    writeData("nelvox.ini",
        (QStringLiteral(
             "4\r\n%1 D07/09/04 05:03 PM \r\n%2 HNever \r\n%3 W07/02/04 05:00 PM \r\n%4 M07/01/04 05:01 PM YES\r\n")
                .arg(news, home, blog, notes))
            .toUtf8());

    std::map<QString, int> requestsBefore;
    for (const QString& address : { home, news, blog, notes })
        requestsBefore[address] = m_server.requestCount(address.toStdString());
    ASSERT_TRUE(m_session.startTray()) << "trayer did not announce its tray";
    QProcess& nelvox = m_session.startNelvox(QStringLiteral(NELVOX_EXECUTABLE), m_data.path(), m_server.port());
    ASSERT_EQ(nelvox.state(), QProcess::Running) << "Nelvox did not start";

    // The window is mapped, paints, and hides into the tray.
    QString window;
    ASSERT_TRUE(pollUntil([&] {
        const QStringList found = m_session.windows("^" + kCaption + "$", false);
        window = found.value(0);
        return !window.isEmpty();
    })) << "Nelvox's window never appeared";
    ASSERT_TRUE(pollUntil([&] { return m_session.wasMapped(hexId(window)); })) << "the window was never shown";
    ASSERT_TRUE(pollUntil([&] { return m_session.windows("^" + kCaption + "$").isEmpty(); }))
        << "the window did not hide into the tray after its first paint";

    // A click on the icon in the tray brings it back. Its top edge, in case a tip covers
    // the rest.
    QRect icon;
    ASSERT_TRUE(pollUntil([&] { return (icon = m_session.trayIconGeometry()).isValid(); }))
        << "no Nelvox icon in the tray";
    m_session.run(
        "xdotool", { "mousemove", QString::number(icon.center().x()), QString::number(icon.top() + 1), "click", "1" });
    ASSERT_TRUE(pollUntil([&] { return !m_session.windows("^" + kCaption + "$").isEmpty(); }))
        << "a click on the tray icon did not show the window";

    // Alt+U checks every favorite; two pages have grown, so the prompt comes.
    m_session.focusAndType(window, "alt+u");
    QString prompt;
    ASSERT_TRUE(pollUntil([&] {
        for (const QString& candidate : m_session.windows("^Nelvox$")) {
            if (candidate != window && m_session.isTopLevel(candidate))
                prompt = candidate;
        }
        return !prompt.isEmpty();
    })) << "Update All Now found no change to announce";
    for (const QString& address : { home, news, blog, notes })
        EXPECT_EQ(m_server.requestCount(address.toStdString()), requestsBefore[address] + 1) << address.toStdString();
    // Return answers Yes, the default.
    m_session.focusAndType(prompt, "Return");
    ASSERT_TRUE(pollUntil([&] { return !m_session.windows("^Nelvox$").contains(prompt); })) << "the prompt stayed";
    ASSERT_TRUE(pollUntil([&] { return readFile(m_data.filePath("nelvox.ini")).startsWith("4\r\nhttp://blog"); }))
        << "Update All Now must sort and save: " << readFile(m_data.filePath("nelvox.ini")).toStdString();
    const QByteArray saved = readFile(m_data.filePath("nelvox.ini"));
    EXPECT_TRUE(saved.contains(home.toUtf8() + " H")) << saved.toStdString();
    EXPECT_TRUE(saved.contains(" YES\r\n" + news.toUtf8())) << "the home page is marked changed";
    EXPECT_FALSE(m_session.windows("^" + kCaption + "$").isEmpty()) << "Yes leaves the window on screen";

    // The main window with its favorites, for the project's page.
    const QString screenshot = QStringLiteral(NELVOX_E2E_OUTPUT_DIR "/nelvox-main-window.png");
    QFile::remove(screenshot);
    m_session.run("xdotool", { "mousemove", "0", "0" });
    m_session.run("import", { "-window", window, screenshot });
    EXPECT_TRUE(QFile::exists(screenshot)) << "no screenshot taken";

    // Alt+Q saves and ends the program.
    QFile::remove(m_data.filePath("nelvox.ini"));
    m_session.focusAndType(window, "alt+q");
    ASSERT_TRUE(nelvox.waitForFinished(15000)) << "Alt+Q did not end Nelvox";
    EXPECT_EQ(nelvox.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(nelvox.exitCode(), 0);
    EXPECT_EQ(readFile(m_data.filePath("nelvox.ini")), saved) << "Quit writes the favorites file";
}

TEST_F(Desktop, WithoutATrayTheWindowStaysUntilATrayComes)
{
    QProcess& nelvox = m_session.startNelvox(QStringLiteral(NELVOX_EXECUTABLE), m_data.path(), m_server.port());
    ASSERT_TRUE(pollUntil([&] { return !m_session.windows("^" + kCaption + "$").isEmpty(); }))
        << "Nelvox's window never appeared";
    const QString window = m_session.windows("^" + kCaption + "$").value(0);
    EXPECT_FALSE(pollUntil([&] { return m_session.windows("^" + kCaption + "$").isEmpty(); }, 2000))
        << "with no tray the window must stay on screen";

    // A tray that comes up later gets the icon; the window stays where it is.
    ASSERT_TRUE(m_session.startTray());
    EXPECT_TRUE(pollUntil([&] { return m_session.trayIconGeometry().isValid(); }, 40000))
        << "the icon never went into the tray that came up";
    EXPECT_FALSE(m_session.windows("^" + kCaption + "$").isEmpty());

    m_session.focusAndType(window, "alt+q");
    ASSERT_TRUE(nelvox.waitForFinished(15000)) << "Alt+Q did not end Nelvox";
    EXPECT_EQ(readFile(m_data.filePath("nelvox.ini")), "0\r\n");
}

} // namespace
