// Nelvox itself on a real X display (Xvfb) with a tray host (trayer), driven from outside
// with xdotool: it starts into the tray, comes back on a click on its icon, answers its
// access keys, and stays on screen where there is no tray. Pages come from a loopback
// server that the program reaches as its proxy, so the favorites can have real-looking
// addresses and nothing leaves 127.0.0.1.
#include "check/SnapshotName.h"
#include "platform/LineEnds.h"
#include "support/DesktopSession.h"
#include "support/HttpServer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace e2e;

class Desktop : public DesktopFixture {
protected:
    Desktop()
        : DesktopFixture({ "trayer", "import" })
    {
    }

    // A favorite whose page the loopback server answers, as the program's proxy; with
    // `asSnapshot` also its snapshot, as the program's own download writes it.
    void servePage(const QString& address, const QByteArray& body, bool asSnapshot = false)
    {
        m_server.setPage(address.toStdString(), body);
        if (!asSnapshot)
            return;
        QByteArray stored;
        LineEndConverter lineEnds;
        lineEnds.feed(body, stored);
        lineEnds.finish(stored);
        writeData(SnapshotFileName(address), stored);
    }

    HttpServer m_server;
};

TEST_F(Desktop, StartsInTheTrayComesBackOnAClickAndAnswersItsAccessKeys)
{
    const QString home = QStringLiteral("http://www.example.com/");
    const QString news = QStringLiteral("http://www.example.org/news/index.html");
    const QString blog = QStringLiteral("http://blog.example.net/");
    const QString notes = QStringLiteral("http://docs.example.com/release-notes.html");
    servePage(home, "<html><body>Welcome, with something new</body></html>\n");
    servePage(news, "<html><body>\n<h1>News</h1>\n</body></html>\n", true);
    servePage(blog, "<html><body>Blog</body></html>\n", true);
    servePage(notes, "<html><body>Release notes, with a new release</body></html>\n");
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
    QProcess& nelvox = startNelvox(m_server.port());
    ASSERT_EQ(nelvox.state(), QProcess::Running) << "Nelvox did not start";
    // The window is mapped, paints, hides into the tray and comes back on a click on its icon.
    QString window;
    ASSERT_NO_FATAL_FAILURE(showFromTheTray(window));

    // Alt+U checks every favorite; two pages have grown, so the prompt comes.
    m_session.focusAndType(window, "alt+u");
    QString prompt;
    ASSERT_TRUE(pollUntil([&] { return !(prompt = m_session.newWindow("^Nelvox$", { window })).isEmpty(); }))
        << "Update All Now found no change to announce";
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
    QProcess& nelvox = startNelvox(m_server.port());
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

// The texts as the desktop's language has them: German and French from the translations, a
// language without one in English. The window's caption stays the program's name; the dialog
// its access key opens names itself in the language, and leaves a screenshot to look at.
TEST_F(Desktop, SpeaksTheDesktopsLanguage)
{
    const auto translated = &TranslatedText;
    const auto accessKey = [](const QString& text) { return QStringLiteral("alt+") + AccessKey(text); };
    for (const QString& language : { QStringLiteral("de"), QStringLiteral("fr"), QStringLiteral("es") }) {
        SCOPED_TRACE(language.toStdString());
        QProcessEnvironment environment;
        environment.insert("LANGUAGE", language);
        environment.insert("LANG", "C.UTF-8");
        QProcess& nelvox = m_session.startNelvox(QStringLiteral(NELVOX_EXECUTABLE), m_data.path(), 0, environment);
        ASSERT_TRUE(pollUntil([&] { return !m_session.windows("^" + kCaption + "$").isEmpty(); }))
            << "Nelvox's window never appeared";
        const QString window = m_session.windows("^" + kCaption + "$").value(0);

        m_session.focusAndType(window, accessKey(translated(language, "CNelvoxDlg", "&Add Favorite")));
        const QString title
            = kCaption + QStringLiteral(" - ") + translated(language, "CAddEditDlg", "Add or Edit Favorite");
        QString dialog;
        EXPECT_TRUE(pollUntil([&] {
            return !(dialog = m_session.windows("^" + QRegularExpression::escape(title) + "$").value(0)).isEmpty();
        })) << "no dialog named "
            << title.toStdString() << " among "
            << m_session.run("xdotool", { "search", "--name", "Nelvox" }).toStdString();
        if (!dialog.isEmpty()) {
            m_session.run("import",
                { "-window", dialog, QStringLiteral(NELVOX_E2E_OUTPUT_DIR "/nelvox-add-%1.png").arg(language) });
            m_session.focusAndType(dialog, "Escape");
            EXPECT_TRUE(
                pollUntil([&] { return m_session.windows("^" + QRegularExpression::escape(title) + "$").isEmpty(); }));
        }
        m_session.focusAndType(window, accessKey(translated(language, "CNelvoxDlg", "&Quit Nelvox")));
        ASSERT_TRUE(nelvox.waitForFinished(15000)) << "its Quit key did not end Nelvox";
        EXPECT_EQ(nelvox.exitCode(), 0);
    }
}

// Where there is no desktop (over ssh, on a console) the program says so in one line and ends
// before the toolkit looks for a platform; a platform that the user chose is left to the toolkit.
TEST(NoDesktop, SaysSoInOneLineAndEndsWithStatusOne)
{
    QTemporaryDir data;
    ASSERT_TRUE(data.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS" })
        environment.remove(QString::fromLatin1(name));
    QProcess nelvox;
    nelvox.setProcessEnvironment(environment);
    nelvox.setWorkingDirectory(data.path());
    nelvox.start(NELVOX_EXECUTABLE, {});
    ASSERT_TRUE(nelvox.waitForFinished(15000));
    EXPECT_EQ(nelvox.exitStatus(), QProcess::NormalExit) << "the program aborted";
    EXPECT_EQ(nelvox.exitCode(), 1);
    EXPECT_EQ(nelvox.readAllStandardError().toStdString(),
        "Nelvox needs a graphical desktop (X11 or Wayland), but neither DISPLAY nor WAYLAND_DISPLAY is set.\n");
    EXPECT_TRUE(QDir(data.path()).isEmpty()) << "the data directory was touched";

    // In the desktop's language, before any window could ask for it.
    QProcessEnvironment german = environment;
    german.insert("LANGUAGE", "de");
    nelvox.setProcessEnvironment(german);
    nelvox.start(NELVOX_EXECUTABLE, {});
    ASSERT_TRUE(nelvox.waitForFinished(15000));
    EXPECT_EQ(nelvox.exitCode(), 1);
    EXPECT_EQ(QString::fromUtf8(nelvox.readAllStandardError()).toStdString(),
        "Nelvox braucht eine grafische Arbeitsoberfläche (X11 oder Wayland), aber weder DISPLAY noch WAYLAND_DISPLAY "
        "ist gesetzt.\n");

    for (const bool byArgument : { false, true }) {
        SCOPED_TRACE(byArgument ? "-platform offscreen" : "QT_QPA_PLATFORM=offscreen");
        QProcessEnvironment chosen = environment;
        if (!byArgument)
            chosen.insert("QT_QPA_PLATFORM", "offscreen");
        nelvox.setProcessEnvironment(chosen);
        nelvox.start(NELVOX_EXECUTABLE, byArgument ? QStringList { "-platform", "offscreen" } : QStringList());
        ASSERT_TRUE(nelvox.waitForStarted(10000));
        EXPECT_TRUE(pollUntil(
            [&] { return QFile::exists(data.filePath("nelvox.lock")) || nelvox.state() == QProcess::NotRunning; }));
        EXPECT_EQ(nelvox.state(), QProcess::Running) << nelvox.readAllStandardError().toStdString();
        nelvox.kill();
        nelvox.waitForFinished(10000);
        QFile::remove(data.filePath("nelvox.lock"));
    }
}

} // namespace
