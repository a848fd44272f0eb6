// A desktop session for the end-to-end tests: Xvfb, a tray host and the real program, with
// the X clients (xdotool, xwininfo, xprop, xev, import) that drive and watch them.
#pragma once

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace e2e {

inline const QString kCaption = QStringLiteral("Nelvox v1.0");

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

// Stops the programs of a session, the last started first: a program before its display.
inline void stopAll(std::vector<std::unique_ptr<QProcess>>& processes)
{
    for (auto process = processes.rbegin(); process != processes.rend(); ++process) {
        (*process)->terminate();
        if (!(*process)->waitForFinished(3000)) {
            (*process)->kill();
            (*process)->waitForFinished(3000);
        }
    }
}

// The display number that Xvfb started with -displayfd 1 prints once it takes clients; empty
// when it does not.
inline QString displayNumberOf(QProcess& xvfb)
{
    QString number;
    if (!pollUntil([&] {
            xvfb.waitForReadyRead(100);
            number += QString::fromLatin1(xvfb.readAllStandardOutput());
            return number.contains('\n');
        }))
        return {};
    return number.trimmed();
}

inline QByteArray readFile(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The programs of one desktop session: stopped when the test ends, however it ends.
class Session {
public:
    ~Session() { stopAll(m_processes); }

    // Starts Xvfb on a display number that it picks itself among the free ones. Without
    // -noreset it starts afresh whenever its last client leaves, and refuses clients then.
    bool startDisplay()
    {
        QProcess& xvfb
            = start("Xvfb", { "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset" });
        m_displayNumber = displayNumberOf(xvfb);
        if (m_displayNumber.isEmpty())
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

    QString display() const { return QStringLiteral(":") + m_displayNumber; }

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

    // Starts an X client of the test's own, such as a window that covers another.
    QProcess& startClient(const QString& program, const QStringList& arguments) { return start(program, arguments); }

    // The pixels of the window as the screen shows them now (what covers it included), as
    // a PPM image; empty when it cannot be taken.
    QByteArray capture(const QString& window)
    {
        QProcess process;
        process.setProcessEnvironment(m_environment);
        process.start("import", { "-window", window, "ppm:-" });
        if (!process.waitForFinished(15000)) {
            process.kill();
            process.waitForFinished(3000);
            return {};
        }
        return process.exitCode() == 0 ? process.readAllStandardOutput() : QByteArray();
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

} // namespace e2e
