// A desktop session for the end-to-end tests: Xvfb, a private session bus, a tray host of
// either kind (trayer's XEmbed tray or XFCE's panel, which speaks StatusNotifier over the bus)
// and the real program in a data directory of its own, with the X clients (xdotool, xwininfo,
// xprop, xev, import) and dbus-send that drive and watch them. DesktopFixture brings one up
// for a test and takes it down.
#pragma once

#include "support/ProxyEnvironment.h"
#include "support/TestData.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace e2e {

inline const QString kCaption = QStringLiteral("Nelvox v1.0");

// What the translation into `language` says for `source` of `context`; the source where it has
// none. Read from the .ts file beside the sources (NELVOX_TRANSLATIONS_DIR).
inline QString TranslatedText(const QString& language, const QString& context, const QString& source)
{
    QFile file(QStringLiteral(NELVOX_TRANSLATIONS_DIR "/nelvox_%1.ts").arg(language));
    if (!file.open(QIODevice::ReadOnly))
        return source;
    QXmlStreamReader xml(&file);
    QString inContext;
    bool found = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"name")
            inContext = xml.readElementText();
        else if (xml.name() == u"source")
            found = inContext == context && xml.readElementText() == source;
        else if (xml.name() == u"translation" && found)
            return xml.readElementText();
    }
    return source;
}

// The key that xdotool presses for the access key of `text` ("&Quit" gives "q", "&Änderungen"
// gives "adiaeresis").
inline QString AccessKey(const QString& text)
{
    const QChar key = text.at(text.indexOf(u'&') + 1).toLower();
    static const std::pair<char16_t, const char*> named[] = { { u'ä', "adiaeresis" }, { u'ö', "odiaeresis" },
        { u'ü', "udiaeresis" }, { u'é', "eacute" }, { u'è', "egrave" }, { u'à', "agrave" }, { u'ç', "ccedilla" } };
    for (const auto& [letter, name] : named) {
        if (key == QChar(letter))
            return QString::fromLatin1(name);
    }
    return key;
}

// Polls `condition` until it holds or `timeoutMs` has passed; returns the condition.
inline bool pollUntil(const std::function<bool()>& condition, int timeoutMs = 15000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(25);
    }
    return true;
}

// Starts a session bus of the test's own in `daemon`, which must run for as long as the bus is
// needed. Returns the bus's address, or empty when dbus-daemon did not start.
inline QString startSessionBus(QProcess& daemon)
{
    daemon.start("dbus-daemon", { "--session", "--nofork", "--print-address=1" });
    if (!daemon.waitForStarted(10000))
        return {};
    QString address;
    if (!pollUntil([&] {
            daemon.waitForReadyRead(100);
            address += QString::fromLatin1(daemon.readAllStandardOutput());
            return address.contains('\n') || daemon.state() == QProcess::NotRunning;
        }))
        return {};
    return address.contains('\n') ? address.trimmed() : QString();
}

inline QByteArray readFile(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The programs of one desktop session, with a home of their own: stopped when the test ends,
// however it ends, the last started first (a program before its display).
class Session {
public:
    ~Session()
    {
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
        // Xvfb started with -displayfd 1 prints the display's number once it takes clients.
        QString number;
        if (!pollUntil([&] {
                xvfb.waitForReadyRead(100);
                number += QString::fromLatin1(xvfb.readAllStandardOutput());
                return number.contains('\n');
            }))
            return false;
        if (!QDir().mkpath(m_home.filePath("run")))
            return false;
        QFile::setPermissions(m_home.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_environment = QProcessEnvironment::systemEnvironment();
        RemoveProxyVariables(m_environment);
        for (const char* name : { "QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "SESSION_MANAGER",
                 "XDG_CURRENT_DESKTOP" })
            m_environment.remove(QString::fromLatin1(name));
        m_environment.insert("DISPLAY", ":" + number.trimmed());
        m_environment.insert("QT_QPA_PLATFORM", "xcb");
        m_environment.insert("HOME", m_home.path());
        m_environment.insert("XDG_CONFIG_HOME", m_home.filePath(".config"));
        m_environment.insert("XDG_CACHE_HOME", m_home.filePath(".cache"));
        m_environment.insert("XDG_RUNTIME_DIR", m_home.filePath("run"));
        // Nothing else connects before the display takes clients.
        if (!pollUntil([&] { return succeeds("xprop", { "-root", "-notype", "RESOURCE_MANAGER" }); }))
            return false;
        // Every event on the root window from now on: windows mapped and unmapped, and the
        // announcement of a tray.
        start("xev", { "-root", "-event", "structure", "-event", "substructure", "-event", "property" });
        m_eventLog = m_logDir.filePath(QStringLiteral("%1-xev.out").arg(m_processes.size()));
        // xev listens once it reports a change that the test makes on the root window.
        return pollUntil([&] {
            run("xprop", { "-root", "-f", "NELVOX_TEST_READY", "8s", "-set", "NELVOX_TEST_READY", "yes" });
            return events().contains("NELVOX_TEST_READY");
        });
    }

    QString display() const { return m_environment.value("DISPLAY"); }
    const QProcessEnvironment& environment() const { return m_environment; }

    // Starts a session bus for the programs started from now on; false when it did not start.
    bool startSessionBus()
    {
        m_processes.push_back(std::make_unique<QProcess>());
        const QString address = e2e::startSessionBus(*m_processes.back());
        if (address.isEmpty())
            return false;
        m_environment.insert("DBUS_SESSION_BUS_ADDRESS", address);
        return true;
    }

    // Starts trayer, an XEmbed tray host, and waits until it has announced its tray.
    bool startTray()
    {
        start("trayer",
            { "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "120", "--height", "28" });
        return pollUntil([&] { return events().contains("MANAGER"); });
    }

    // Writes the configuration that XFCE's panel reads at its start: one panel holding the
    // systray plugin, as xfconfd reads it.
    bool configurePanel()
    {
        const QString config = m_home.filePath(".config/xfce4/xfconf/xfce-perchannel-xml");
        const QByteArray panel = TestData("xfce4-panel.xml");
        QFile file(config + "/xfce4-panel.xml");
        return !panel.isEmpty() && QDir().mkpath(config) && file.open(QIODevice::WriteOnly)
            && file.write(panel) == panel.size();
    }

    // Starts XFCE's panel with its tray on the session bus; empty once the tray has put the
    // watcher on the bus, otherwise why not.
    QString startPanel()
    {
        start("xfce4-panel", { "--disable-wm-check" });
        if (pollUntil([&] { return hasOwner("org.kde.StatusNotifierWatcher"); }, 20000))
            return {};
        return QStringLiteral("the panel put no StatusNotifierWatcher on the bus: ")
            + QString::fromStdString(logs()).right(500);
    }

    // Starts the program in its data directory; with a proxy port, its pages come through the
    // proxy on that port of 127.0.0.1.
    QProcess& startNelvox(const QString& program, const QString& dataDirectory, quint16 proxyPort = 0,
        const QProcessEnvironment& extra = {})
    {
        QProcessEnvironment environment = extra;
        if (proxyPort)
            environment.insert("http_proxy", QStringLiteral("http://127.0.0.1:%1").arg(proxyPort));
        return start(program, {}, dataDirectory, environment);
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

    // Runs a short client to its end; true when it ended well.
    bool succeeds(const QString& program, const QStringList& arguments)
    {
        int exitCode = -1;
        run(program, arguments, &exitCode);
        return exitCode == 0;
    }

    // Runs a short client to its end and returns what it printed.
    QString run(const QString& program, const QStringList& arguments, int* exitCode = nullptr)
    {
        return QString::fromLocal8Bit(output(program, arguments, exitCode));
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

    // The shown top-level window named by `pattern` other than those in `known`, or empty.
    QString newWindow(const QString& pattern, const QStringList& known)
    {
        for (const QString& candidate : windows(pattern)) {
            if (!known.contains(candidate) && isTopLevel(candidate))
                return candidate;
        }
        return {};
    }

    bool mainWindowShown() { return !windows("^" + kCaption + "$").isEmpty(); }

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

    // Starts an X client of the test's own, such as a window that covers another.
    QProcess& startClient(const QString& program, const QStringList& arguments) { return start(program, arguments); }

    // The pixels of the window as the screen shows them now (what covers it included), as
    // a PPM image; empty when it cannot be taken.
    QByteArray capture(const QString& window)
    {
        int exitCode = -1;
        const QByteArray image = output("import", { "-window", window, "ppm:-" }, &exitCode);
        return exitCode == 0 ? image : QByteArray();
    }

    // A method call on the session bus, as dbus-send prints its reply.
    QString busCall(const QString& destination, const QString& path, const QString& method, const QStringList& args)
    {
        return run(
            "dbus-send", QStringList { "--session", "--print-reply", "--dest=" + destination, path, method } + args);
    }

    bool hasOwner(const QString& name)
    {
        return busCall(
            "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner", { "string:" + name })
            .contains("boolean true");
    }

private:
    // Runs a short client to its end and returns what it printed, as bytes. Its exit code is -1
    // when it crashed or did not end in time.
    QByteArray output(const QString& program, const QStringList& arguments, int* exitCode)
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
        return process.readAllStandardOutput();
    }

    // Starts a program of the session; what it prints goes to a log file of its own.
    QProcess& start(const QString& program, const QStringList& arguments, const QString& workingDirectory = {},
        const QProcessEnvironment& extra = {})
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
        for (const QString& name : extra.keys())
            environment.insert(name, extra.value(name));
        process.setProcessEnvironment(environment);
        if (!workingDirectory.isEmpty())
            process.setWorkingDirectory(workingDirectory);
        process.start(program, arguments);
        process.waitForStarted(10000);
        return process;
    }

    std::vector<std::unique_ptr<QProcess>> m_processes;
    QProcessEnvironment m_environment;
    QTemporaryDir m_home;
    QTemporaryDir m_logDir;
    QString m_eventLog;
};

// A test on a desktop of its own: the X clients it needs are checked (the test is skipped when
// one is missing), the display is up before the test starts, and what the session's programs
// printed is shown when the test fails. NELVOX_EXECUTABLE names the program under test.
class DesktopFixture : public ::testing::Test {
protected:
    explicit DesktopFixture(std::initializer_list<const char*> tools = {})
        : m_tools(tools)
    {
    }

    void SetUp() override
    {
        std::vector<const char*> tools { "Xvfb", "xdotool", "xev", "xprop", "xwininfo" };
        tools.insert(tools.end(), m_tools.begin(), m_tools.end());
        for (const char* tool : tools) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                GTEST_SKIP() << tool << " is not installed (scripts/setup.sh --tests installs it)";
        }
        ASSERT_TRUE(m_data.isValid());
        ASSERT_TRUE(m_session.startDisplay()) << "Xvfb did not start\n" << m_session.logs();
    }

    void TearDown() override
    {
        if (HasFailure())
            std::cerr << m_session.logs();
    }

#ifdef NELVOX_EXECUTABLE
    // `extra` adds to the session's environment for the program alone.
    QProcess& startNelvox(quint16 proxyPort = 0, const QProcessEnvironment& extra = {})
    {
        return startNelvoxIn(m_data.path(), proxyPort, extra);
    }
    QProcess& startNelvoxIn(const QString& dataDirectory, quint16 proxyPort = 0, const QProcessEnvironment& extra = {})
    {
        return m_session.startNelvox(QStringLiteral(NELVOX_EXECUTABLE), dataDirectory, proxyPort, extra);
    }
#endif

    void writeData(const QString& name, const QByteArray& bytes)
    {
        QFile file(m_data.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    // Waits for the main window to be shown and then to hide into the tray, and brings it
    // back with a click on the tray icon. `window` is its id.
    void showFromTheTray(QString& window)
    {
        ASSERT_TRUE(pollUntil([&] {
            return !(window = m_session.windows("^" + kCaption + "$", false).value(0)).isEmpty();
        })) << "Nelvox's window never appeared";
        ASSERT_TRUE(pollUntil([&] {
            return m_session.wasMapped(QStringLiteral("0x%1").arg(window.toULongLong(), 0, 16));
        })) << "the window was never shown";
        ASSERT_TRUE(pollUntil([&] { return !m_session.mainWindowShown(); }))
            << "the window did not hide into the tray after its first paint";
        QRect icon;
        ASSERT_TRUE(pollUntil([&] { return (icon = m_session.trayIconGeometry()).isValid(); }))
            << "no Nelvox icon in the tray";
        // Its top edge, in case a tip covers the rest.
        m_session.run("xdotool",
            { "mousemove", QString::number(icon.center().x()), QString::number(icon.top() + 1), "click", "1" });
        ASSERT_TRUE(pollUntil([&] { return m_session.mainWindowShown(); }))
            << "a click on the tray icon did not show the window";
    }

    QTemporaryDir m_data;
    Session m_session;

private:
    std::vector<const char*> m_tools;
};

} // namespace e2e
