// Nelvox itself on a real X display (Xvfb) with a tray host (trayer), driven from outside
// with xdotool: it starts into the tray, comes back on a click on its icon, answers its
// access keys, and stays on screen where there is no tray. Pages come from a loopback
// server that the program reaches as its proxy, so the favorites can have real-looking
// addresses and nothing leaves 127.0.0.1.
#include "platform/InternetSession.h"
#include "support/HttpServer.h"
#include "update/PageCheck.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <vector>

namespace {

const QString kCaption = QStringLiteral("Nelvox v1.0");

// Polls `condition` until it holds or `timeoutMs` has passed; returns the condition.
bool pollUntil(const std::function<bool()>& condition, int timeoutMs = 15000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(25);
    }
    return true;
}

QByteArray readFile(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The programs of one desktop session: stopped when the test ends, however it ends.
class Session {
public:
    ~Session()
    {
        // The last started first: the program before its display.
        for (auto process = m_processes.rbegin(); process != m_processes.rend(); ++process) {
            (*process)->terminate();
            if (!(*process)->waitForFinished(3000)) {
                (*process)->kill();
                (*process)->waitForFinished(3000);
            }
        }
    }

    // Starts Xvfb on a display number that it picks itself among the free ones. Without
    // -noreset it starts afresh whenever its last client leaves, and refuses clients then.
    bool startDisplay()
    {
        QProcess& xvfb
            = start("Xvfb", { "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset" });
        if (!pollUntil([&] {
                xvfb.waitForReadyRead(100);
                m_displayNumber += QString::fromLatin1(xvfb.readAllStandardOutput());
                return m_displayNumber.contains('\n');
            }))
            return false;
        m_environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : { "http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY",
                 "no_proxy", "NO_PROXY", "QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS" })
            m_environment.remove(QString::fromLatin1(name));
        m_environment.insert("DISPLAY", display());
        m_environment.insert("QT_QPA_PLATFORM", "xcb");
        m_environment.insert("XDG_RUNTIME_DIR", m_runtimeDir.path());
        // Nothing else connects before the display takes clients.
        if (!pollUntil([&] { return succeeds("xprop", { "-root", "-notype", "RESOURCE_MANAGER" }); }))
            return false;
        // Every event on the root window from now on: windows mapped and unmapped, and the
        // announcement of a tray.
        m_events = &start("xev", { "-root", "-event", "structure", "-event", "substructure", "-event", "property" });
        m_eventLog = m_logDir.filePath(QStringLiteral("%1-xev.out").arg(m_processes.size()));
        // xev listens once it reports a change that the test makes on the root window.
        return pollUntil([&] {
            run("xprop", { "-root", "-f", "NELVOX_TEST_READY", "8s", "-set", "NELVOX_TEST_READY", "yes" });
            return events().contains("NELVOX_TEST_READY");
        });
    }

    QString display() const { return QStringLiteral(":") + m_displayNumber.trimmed(); }

    // Starts the tray host and waits until it has announced its tray.
    bool startTray()
    {
        start("trayer",
            { "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "120", "--height", "28" });
        return pollUntil([&] { return events().contains("MANAGER"); });
    }

    QProcess& startNelvox(const QString& program, const QString& dataDirectory, quint16 proxyPort)
    {
        return start(program, {}, dataDirectory, proxyPort);
    }

    // What xev has seen so far.
    QString events() const { return QString::fromLatin1(readFile(m_eventLog)); }

    // Whether the window was mapped (shown) at some point.
    bool wasMapped(const QString& window) const
    {
        const QRegularExpression mapped(QStringLiteral("MapNotify event[^\\n]*\\n[^\\n]*window %1,").arg(window));
        return mapped.match(events()).hasMatch();
    }

    // Whether the window is a top-level window, not one inside the tray.
    bool isTopLevel(const QString& window)
    {
        return run("xwininfo", { "-id", window, "-children" }).contains("(the root window)");
    }

    // Everything the programs of the session printed, for a failure message.
    std::string logs() const
    {
        std::string text;
        for (const QString& name : QDir(m_logDir.path()).entryList(QDir::Files)) {
            if (!name.endsWith("xev.out"))
                text += "--- " + name.toStdString() + "\n" + readFile(m_logDir.filePath(name)).toStdString();
        }
        return text;
    }

    // Runs a short X client to its end; true when it ended well.
    bool succeeds(const QString& program, const QStringList& arguments)
    {
        int exitCode = -1;
        run(program, arguments, &exitCode);
        return exitCode == 0;
    }

    // Runs a short X client to its end and returns what it printed.
    QString run(const QString& program, const QStringList& arguments, int* exitCode = nullptr)
    {
        QProcess process;
        process.setProcessEnvironment(m_environment);
        process.start(program, arguments);
        if (!process.waitForFinished(15000)) {
            process.kill();
            process.waitForFinished(3000);
        }
        if (exitCode)
            *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        return QString::fromLocal8Bit(process.readAllStandardOutput());
    }

    // The ids of the windows whose name matches `name`, shown ones only when `visible`.
    QStringList windows(const QString& name, bool visible = true)
    {
        QStringList arguments { "search" };
        if (visible)
            arguments << "--onlyvisible";
        arguments << "--name" << name;
        return run("xdotool", arguments).split('\n', Qt::SkipEmptyParts);
    }

    // Where the tray icon of Nelvox is on the screen, once it can take a click: the icon's
    // window sits inside the tray host's panel and is mapped.
    QRect trayIconGeometry()
    {
        static const QRegularExpression iconLine(QStringLiteral(
            R"((0x[0-9a-f]+) "Nelvox": \("nelvox" "Nelvox"\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+))"));
        const QString tree = run("xwininfo", { "-root", "-tree" });
        bool insidePanel = false;
        for (const QString& line : tree.split('\n')) {
            if (line.contains("\"panel\""))
                insidePanel = true;
            const QRegularExpressionMatch match = iconLine.match(line);
            if (insidePanel && match.hasMatch()) {
                if (!run("xwininfo", { "-id", match.captured(1) }).contains("IsViewable"))
                    return {};
                return QRect(match.captured(4).toInt(), match.captured(5).toInt(), match.captured(2).toInt(),
                    match.captured(3).toInt());
            }
        }
        return {};
    }

    void focusAndType(const QString& window, const QString& keys)
    {
        // Without a window manager nothing gives the window the keyboard but this.
        run("xdotool", { "windowfocus", "--sync", window });
        run("xdotool", { "key", "--clearmodifiers", keys });
    }

private:
    // Starts a program of the session; what it prints goes to a log file of its own.
    QProcess& start(const QString& program, const QStringList& arguments, const QString& workingDirectory = {},
        quint16 proxyPort = 0)
    {
        m_processes.push_back(std::make_unique<QProcess>());
        QProcess& process = *m_processes.back();
        const QString log
            = m_logDir.filePath(QStringLiteral("%1-%2").arg(m_processes.size()).arg(program.section('/', -1)));
        if (program != QLatin1String("Xvfb"))
            process.setStandardOutputFile(log + ".out");
        process.setStandardErrorFile(log + ".err");
        QProcessEnvironment environment
            = m_environment.isEmpty() ? QProcessEnvironment::systemEnvironment() : m_environment;
        if (proxyPort)
            environment.insert("http_proxy", QStringLiteral("http://127.0.0.1:%1").arg(proxyPort));
        process.setProcessEnvironment(environment);
        if (!workingDirectory.isEmpty())
            process.setWorkingDirectory(workingDirectory);
        process.start(program, arguments);
        process.waitForStarted(10000);
        return process;
    }

    std::vector<std::unique_ptr<QProcess>> m_processes;
    QProcessEnvironment m_environment;
    QTemporaryDir m_runtimeDir;
    QTemporaryDir m_logDir;
    QString m_displayNumber;
    QProcess* m_events = nullptr;
    QString m_eventLog;
};

class Desktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* tool : { "Xvfb", "trayer", "xdotool", "xev", "xprop", "xwininfo", "import" }) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                GTEST_SKIP() << tool << " is not installed (scripts/setup.sh installs it)";
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
        InternetSession session;
        const bool written = DownloadPage(session, address, m_data.filePath(SnapshotFileName(address)));
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
