// Nelvox on Xvfb with a tray host that speaks D-Bus: XFCE's panel with its systray plugin on a
// session bus of the test's own. The icon must register with the host's watcher whether the
// panel starts before Nelvox or after it, and the host's Activate must show the window.
#include "DesktopSession.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using namespace e2e;

// One panel holding the systray plugin, as xfconfd reads it at the panel's start.
const QByteArray kPanelConfig = R"(<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
)";

// Xvfb, a session bus and the programs on them, with a home of their own.
class BusDesktop {
public:
    ~BusDesktop()
    {
        for (auto process = m_processes.rbegin(); process != m_processes.rend(); ++process) {
            (*process)->terminate();
            if (!(*process)->waitForFinished(3000)) {
                (*process)->kill();
                (*process)->waitForFinished(3000);
            }
        }
    }

    // Empty when the display and the bus are up, otherwise why not.
    QString start()
    {
        const QString config = m_home.filePath(".config/xfce4/xfconf/xfce-perchannel-xml");
        if (!QDir().mkpath(config) || !QDir().mkpath(m_home.filePath("run")))
            return QStringLiteral("cannot make the session's home");
        QFile file(config + "/xfce4-panel.xml");
        if (!file.open(QIODevice::WriteOnly) || file.write(kPanelConfig) != kPanelConfig.size())
            return QStringLiteral("cannot write the panel's configuration");
        file.close();
        QFile::setPermissions(m_home.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QProcess& xvfb = launch("Xvfb", { "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp" });
        QString display;
        if (!pollUntil([&] {
                xvfb.waitForReadyRead(100);
                display += QString::fromLatin1(xvfb.readAllStandardOutput());
                return display.contains('\n');
            }))
            return QStringLiteral("Xvfb did not start");
        QProcess& bus = launch("dbus-daemon", { "--session", "--nofork", "--print-address=1" });
        QString address;
        if (!pollUntil([&] {
                bus.waitForReadyRead(100);
                address += QString::fromLatin1(bus.readAllStandardOutput());
                return address.contains('\n');
            }))
            return QStringLiteral("dbus-daemon did not start");

        m_environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : { "http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY",
                 "WAYLAND_DISPLAY", "SESSION_MANAGER", "XDG_CURRENT_DESKTOP" })
            m_environment.remove(QString::fromLatin1(name));
        m_environment.insert("DISPLAY", ":" + display.trimmed());
        m_environment.insert("DBUS_SESSION_BUS_ADDRESS", address.trimmed());
        m_environment.insert("HOME", m_home.path());
        m_environment.insert("XDG_CONFIG_HOME", m_home.filePath(".config"));
        m_environment.insert("XDG_CACHE_HOME", m_home.filePath(".cache"));
        m_environment.insert("XDG_RUNTIME_DIR", m_home.filePath("run"));
        m_environment.insert("QT_QPA_PLATFORM", "xcb");
        return {};
    }

    // Starts the panel; empty once its tray has put the watcher on the bus, otherwise why not.
    QString startPanel()
    {
        QProcess& panel = launch("xfce4-panel", { "--disable-wm-check" });
        if (pollUntil([&] { return hasOwner("org.kde.StatusNotifierWatcher"); }, 20000))
            return {};
        panel.waitForFinished(100);
        return QStringLiteral("the panel put no StatusNotifierWatcher on the bus: ")
            + QString::fromLocal8Bit(panel.readAllStandardError()).left(500);
    }

    QProcess& startNelvox(const QString& dataDirectory) { return launch(NELVOX_EXECUTABLE, {}, dataDirectory); }

    // Runs a short client to its end and returns what it printed.
    QString run(const QString& program, const QStringList& arguments)
    {
        QProcess process;
        process.setProcessEnvironment(m_environment);
        process.start(program, arguments);
        if (!process.waitForFinished(10000)) {
            process.kill();
            process.waitForFinished(3000);
        }
        return QString::fromLocal8Bit(process.readAllStandardOutput());
    }

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

    // The items registered with the watcher, as "service/path" or "service".
    QStringList registeredItems()
    {
        const QString reply
            = busCall("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher", "org.freedesktop.DBus.Properties.Get",
                { "string:org.kde.StatusNotifierWatcher", "string:RegisteredStatusNotifierItems" });
        QStringList items;
        static const QRegularExpression text(QStringLiteral("string \"([^\"]+)\""));
        for (auto match = text.globalMatch(reply); match.hasNext();)
            items << match.next().captured(1);
        return items;
    }

    // The process that owns a bus name.
    qint64 ownerPid(const QString& name)
    {
        const QString reply = busCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
            "org.freedesktop.DBus.GetConnectionUnixProcessID", { "string:" + name });
        static const QRegularExpression number(QStringLiteral("uint32 (\\d+)"));
        return number.match(reply).captured(1).toLongLong();
    }

    bool mainWindowShown()
    {
        return !run("xdotool", { "search", "--onlyvisible", "--name", "^Nelvox v1.0$" }).isEmpty();
    }

    std::string logs() const
    {
        std::string text;
        for (const auto& process : m_processes)
            text += "--- " + process->program().toStdString() + "\n" + process->readAllStandardError().toStdString();
        return text;
    }

private:
    QProcess& launch(const QString& program, const QStringList& arguments, const QString& directory = {})
    {
        m_processes.push_back(std::make_unique<QProcess>());
        QProcess& process = *m_processes.back();
        process.setProcessEnvironment(
            m_environment.isEmpty() ? QProcessEnvironment::systemEnvironment() : m_environment);
        if (!directory.isEmpty())
            process.setWorkingDirectory(directory);
        process.start(program, arguments);
        process.waitForStarted(10000);
        return process;
    }

    QTemporaryDir m_home;
    QProcessEnvironment m_environment;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

class StatusNotifier : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        for (const char* tool : { "Xvfb", "dbus-daemon", "dbus-send", "xfce4-panel", "xdotool" }) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                GTEST_SKIP() << tool << " is not installed (scripts/setup.sh installs it)";
        }
    }
};

TEST_P(StatusNotifier, RegistersWithTheHostAndActivateShowsTheWindow)
{
    const bool panelFirst = GetParam();
    BusDesktop desktop;
    const QString failure = desktop.start();
    ASSERT_TRUE(failure.isEmpty()) << failure.toStdString();
    QTemporaryDir data;
    ASSERT_TRUE(data.isValid());

    QProcess* nelvox = nullptr;
    if (panelFirst) {
        const QString panel = desktop.startPanel();
        if (!panel.isEmpty())
            GTEST_SKIP() << panel.toStdString();
        nelvox = &desktop.startNelvox(data.path());
    } else {
        nelvox = &desktop.startNelvox(data.path());
        ASSERT_TRUE(pollUntil([&] { return desktop.mainWindowShown(); })) << desktop.logs();
        // Nelvox is up with no tray; the panel comes as a session's may, a little later.
        QThread::msleep(3000);
        const QString panel = desktop.startPanel();
        if (!panel.isEmpty())
            GTEST_SKIP() << panel.toStdString();
    }

    QStringList items;
    ASSERT_TRUE(pollUntil([&] {
        items = desktop.registeredItems();
        return !items.isEmpty();
    })) << "Nelvox never registered its icon with the tray host\n"
        << desktop.logs();
    const QString service = items.first().section('/', 0, 0);
    QString path = items.first().section('/', 1);
    path = path.isEmpty() ? QStringLiteral("/StatusNotifierItem") : "/" + path;
    EXPECT_EQ(desktop.ownerPid(service), nelvox->processId()) << "the registered item is not Nelvox's";
    const QString tip = desktop.busCall(service, path, "org.freedesktop.DBus.Properties.Get",
        { "string:org.kde.StatusNotifierItem", "string:ToolTip" });
    EXPECT_TRUE(tip.contains("Nelvox v1.0")) << "the item's tip: " << tip.toStdString();
    const QString pixmap = desktop.busCall(service, path, "org.freedesktop.DBus.Properties.Get",
        { "string:org.kde.StatusNotifierItem", "string:IconPixmap" });
    EXPECT_TRUE(pixmap.contains("int32 16") || pixmap.contains("int32 22") || pixmap.contains("int32 32"))
        << "the item shows no picture: " << pixmap.left(300).toStdString();

    if (panelFirst) {
        // With a tray there from the start, the window goes into it at once.
        EXPECT_TRUE(pollUntil([&] { return !desktop.mainWindowShown(); })) << "the window did not go into the tray";
    }
    desktop.busCall(service, path, "org.kde.StatusNotifierItem.Activate", { "int32:10", "int32:10" });
    EXPECT_TRUE(pollUntil([&] { return desktop.mainWindowShown(); })) << "Activate did not show the window";
    EXPECT_EQ(nelvox->state(), QProcess::Running) << desktop.logs();
}

INSTANTIATE_TEST_SUITE_P(Panel, StatusNotifier, ::testing::Values(true, false),
    [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "First" : "ThreeSecondsAfterNelvox"; });

} // namespace
