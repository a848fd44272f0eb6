// Nelvox on Xvfb with a tray host that speaks D-Bus: XFCE's panel with its systray plugin on a
// session bus of the test's own. The icon must register with the host's watcher whether the
// panel starts before Nelvox or after it, the host's Activate must show the window that went
// into the tray, and the menu that the host reads must open the About box and quit.
#include "DesktopSession.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
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

// The part of a window manager that minimises a window when asked to, and that sees a program
// withdraw its window: the test's display has no window manager, and without one a request to
// minimise goes nowhere.
class MinimisingWindowManager {
public:
    explicit MinimisingWindowManager(const QString& display)
        : m_connection(xcb_connect(display.toLatin1().constData(), nullptr))
    {
        if (xcb_connection_has_error(m_connection))
            return;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        // Requests to minimise are sent to the root window for whoever manages the windows.
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        m_changeState = atom("WM_CHANGE_STATE");
        m_wmState = atom("WM_STATE");
    }
    ~MinimisingWindowManager() { xcb_disconnect(m_connection); }
    MinimisingWindowManager(const MinimisingWindowManager&) = delete;
    MinimisingWindowManager& operator=(const MinimisingWindowManager&) = delete;

    bool isConnected() const { return m_root != XCB_NONE; }

    // Handles what came since the last call: windows that asked to be minimised are unmapped and
    // their state says so; windows that their program withdrew are marked withdrawn.
    void serve()
    {
        constexpr uint32_t kWithdrawnState = 0;
        constexpr uint32_t kIconicState = 3;
        // Events that a client sent have this bit set.
        constexpr uint8_t kSent = 0x80;
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event);
            const auto* unmap = reinterpret_cast<const xcb_unmap_notify_event_t*>(event);
            if ((event->response_type & ~kSent) == XCB_CLIENT_MESSAGE && message->type == m_changeState
                && message->format == 32 && message->data.data32[0] == kIconicState) {
                setState(message->window, kIconicState);
                xcb_unmap_window(m_connection, message->window);
                ++m_minimised;
            } else if (event->response_type == (XCB_UNMAP_NOTIFY | kSent)) {
                setState(unmap->window, kWithdrawnState);
                ++m_withdrawn;
            }
            std::free(event);
        }
        xcb_flush(m_connection);
    }

    int minimised() const { return m_minimised; }
    int withdrawn() const { return m_withdrawn; }

private:
    void setState(xcb_window_t window, uint32_t state)
    {
        const uint32_t value[] = { state, XCB_NONE };
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, m_wmState, m_wmState, 32, 2, value);
    }

    xcb_atom_t atom(const char* name)
    {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : XCB_NONE;
        std::free(reply);
        return atom;
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_root = XCB_NONE;
    xcb_atom_t m_changeState = XCB_NONE;
    xcb_atom_t m_wmState = XCB_NONE;
    int m_minimised = 0;
    int m_withdrawn = 0;
};

// Xvfb, a session bus and the programs on them, with a home of their own.
class BusDesktop {
public:
    ~BusDesktop() { stopAll(m_processes); }

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
        const QString display = displayNumberOf(xvfb);
        if (display.isEmpty())
            return QStringLiteral("Xvfb did not start");
        m_processes.push_back(std::make_unique<QProcess>());
        const QString address = startSessionBus(*m_processes.back());
        if (address.isEmpty())
            return QStringLiteral("dbus-daemon did not start");

        m_environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : { "http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY",
                 "WAYLAND_DISPLAY", "SESSION_MANAGER", "XDG_CURRENT_DESKTOP" })
            m_environment.remove(QString::fromLatin1(name));
        m_environment.insert("DISPLAY", ":" + display);
        m_environment.insert("DBUS_SESSION_BUS_ADDRESS", address);
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

    QString display() const { return m_environment.value("DISPLAY"); }

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

    // The ids of the shown windows whose name matches `name`.
    QStringList shownWindows(const QString& name)
    {
        return run("xdotool", { "search", "--onlyvisible", "--name", name }).split('\n', Qt::SkipEmptyParts);
    }

    bool mainWindowShown() { return !shownWindows("^Nelvox v1.0$").isEmpty(); }

    void press(const QString& window, const QString& key)
    {
        // Without a window manager nothing gives the window the keyboard but this.
        run("xdotool", { "windowfocus", "--sync", window });
        run("xdotool", { "key", "--clearmodifiers", key });
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

// The labels of a menu's items and their ids, from what dbus-send prints of GetLayout.
QMap<QString, int> menuItems(const QString& layout)
{
    static const QRegularExpression part(
        QStringLiteral(R"re(struct \{\s*int32 (-?\d+)|string "label"\s*variant\s*string "([^"]*)")re"));
    QMap<QString, int> items;
    int id = -1;
    for (auto match = part.globalMatch(layout); match.hasNext();) {
        const QRegularExpressionMatch next = match.next();
        if (next.capturedLength(1))
            id = next.captured(1).toInt();
        else
            items.insert(next.captured(2), id);
    }
    return items;
}

class StatusNotifier : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        for (const char* tool : { "Xvfb", "dbus-daemon", "dbus-send", "xfce4-panel", "xdotool" }) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                GTEST_SKIP() << tool << " is not installed (scripts/setup.sh installs it)";
        }
        ASSERT_TRUE(m_data.isValid());
        const QString failure = m_desktop.start();
        ASSERT_TRUE(failure.isEmpty()) << failure.toStdString();
        m_windowManager = std::make_unique<MinimisingWindowManager>(m_desktop.display());
        ASSERT_TRUE(m_windowManager->isConnected()) << "cannot reach the display";
    }

    // Starts Nelvox and the panel, in the order of the test's parameter, and waits for Nelvox's
    // item to register with the panel's watcher. Skips when the panel offers no watcher.
    void startNelvoxAndPanel()
    {
        if (GetParam()) {
            const QString panel = m_desktop.startPanel();
            if (!panel.isEmpty())
                GTEST_SKIP() << panel.toStdString();
            m_nelvox = &m_desktop.startNelvox(m_data.path());
        } else {
            m_nelvox = &m_desktop.startNelvox(m_data.path());
            ASSERT_TRUE(pollUntil([&] { return m_desktop.mainWindowShown(); })) << m_desktop.logs();
            // Nelvox is up with no tray; the panel comes as a session's may, a little later.
            QThread::msleep(3000);
            const QString panel = m_desktop.startPanel();
            if (!panel.isEmpty())
                GTEST_SKIP() << panel.toStdString();
        }
        QStringList items;
        ASSERT_TRUE(pollUntil([&] {
            items = m_desktop.registeredItems();
            return !items.isEmpty();
        })) << "Nelvox never registered its icon with the tray host\n"
            << m_desktop.logs();
        m_service = items.first().section('/', 0, 0);
        m_path = items.first().section('/', 1);
        m_path = m_path.isEmpty() ? QStringLiteral("/StatusNotifierItem") : "/" + m_path;
    }

    QString itemProperty(const QString& name)
    {
        return m_desktop.busCall(m_service, m_path, "org.freedesktop.DBus.Properties.Get",
            { "string:org.kde.StatusNotifierItem", "string:" + name });
    }

    // Waits until the window is in the tray, minimising it first when it is on the screen: with
    // the panel first it goes there at its start, with the panel second the user sends it.
    void intoTheTray()
    {
        if (!GetParam()) {
            const QStringList windows = m_desktop.shownWindows("^Nelvox v1.0$");
            ASSERT_EQ(windows.size(), 1) << "the window must still be on the screen";
            m_desktop.run("xdotool", { "windowminimize", windows.first() });
            ASSERT_TRUE(pollUntil([&] {
                m_windowManager->serve();
                return m_windowManager->minimised() == 1;
            })) << "the request to minimise did not come";
        }
        // Nelvox withdraws its window, which a window manager then leaves alone.
        ASSERT_TRUE(pollUntil([&] {
            m_windowManager->serve();
            return m_windowManager->withdrawn() == 1;
        })) << "the window did not go into the tray";
        const bool back = pollUntil(
            [&] {
                m_windowManager->serve();
                return m_desktop.mainWindowShown();
            },
            1000);
        EXPECT_FALSE(back) << "the window came back by itself";
    }

    QTemporaryDir m_data;
    BusDesktop m_desktop;
    std::unique_ptr<MinimisingWindowManager> m_windowManager;
    QProcess* m_nelvox = nullptr;
    QString m_service;
    QString m_path;
};

TEST_P(StatusNotifier, RegistersWithTheHostAndActivateShowsTheWindow)
{
    ASSERT_NO_FATAL_FAILURE(startNelvoxAndPanel());
    if (IsSkipped())
        return;
    EXPECT_EQ(m_desktop.ownerPid(m_service), m_nelvox->processId()) << "the registered item is not Nelvox's";
    const QString tip = itemProperty("ToolTip");
    EXPECT_TRUE(tip.contains("Nelvox v1.0")) << "the item's tip: " << tip.toStdString();
    const QString pixmap = itemProperty("IconPixmap");
    EXPECT_TRUE(pixmap.contains("int32 16") || pixmap.contains("int32 22") || pixmap.contains("int32 32"))
        << "the item shows no picture: " << pixmap.left(300).toStdString();

    ASSERT_NO_FATAL_FAILURE(intoTheTray());
    if (IsSkipped())
        return;
    m_desktop.busCall(m_service, m_path, "org.kde.StatusNotifierItem.Activate", { "int32:10", "int32:10" });
    EXPECT_TRUE(pollUntil([&] { return m_desktop.mainWindowShown(); })) << "Activate did not show the window";
    EXPECT_EQ(m_nelvox->state(), QProcess::Running) << m_desktop.logs();
}

TEST_P(StatusNotifier, TheMenuThatTheHostReadsOpensTheAboutBoxAndQuits)
{
    const QByteArray favorites = "1\r\nhttp://a.example/ HNever \r\n";
    {
        QFile file(m_data.filePath("nelvox.ini"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(favorites) == favorites.size());
    }
    ASSERT_NO_FATAL_FAILURE(startNelvoxAndPanel());
    if (IsSkipped())
        return;
    static const QRegularExpression objectPath(QStringLiteral("object path \"([^\"]+)\""));
    const QString menu = objectPath.match(itemProperty("Menu")).captured(1);
    ASSERT_FALSE(menu.isEmpty()) << "the item names no menu: " << itemProperty("Menu").toStdString();
    ASSERT_NE(menu, "/NO_DBUSMENU");

    const QString layout = m_desktop.busCall(m_service, menu, "com.canonical.dbusmenu.GetLayout",
        { "int32:0", "int32:-1", "array:string:label,enabled,visible,type" });
    const QMap<QString, int> items = menuItems(layout);
    ASSERT_EQ(items.keys(), QStringList({ "_About Nelvox...", "_Quit Nelvox" })) << layout.toStdString();
    // With the panel first the window goes into the tray; with the panel second it stays up.
    const bool shown = !GetParam();
    if (!shown) {
        EXPECT_TRUE(pollUntil([&] { return !m_desktop.mainWindowShown(); })) << "the window did not go into the tray";
    }

    const auto click = [&](const QString& label) {
        return m_desktop.busCall(m_service, menu, "com.canonical.dbusmenu.Event",
            { "int32:" + QString::number(items.value(label)), "string:clicked", "variant:int32:0", "uint32:0" });
    };
    // The host has its answer while the About box is still open.
    EXPECT_TRUE(click("_About Nelvox...").startsWith("method return")) << "the host waited for the About box";
    QStringList about;
    EXPECT_TRUE(pollUntil([&] {
        about = m_desktop.shownWindows("^About Nelvox$");
        return !about.isEmpty();
    })) << "the About box did not open\n"
        << m_desktop.logs();
    EXPECT_EQ(m_desktop.mainWindowShown(), shown) << "the About box leaves the window as it was";
    if (!about.isEmpty())
        m_desktop.press(about.first(), "Return");
    EXPECT_TRUE(pollUntil([&] { return m_desktop.shownWindows("^About Nelvox$").isEmpty(); }));

    // Quit saves as the Quit button does: the favorites file comes back.
    ASSERT_TRUE(QFile::remove(m_data.filePath("nelvox.ini")));
    EXPECT_TRUE(click("_Quit Nelvox").startsWith("method return"));
    EXPECT_TRUE(m_nelvox->waitForFinished(15000)) << "Quit did not end Nelvox";
    EXPECT_EQ(m_nelvox->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_nelvox->exitCode(), 0) << m_desktop.logs();
    EXPECT_EQ(readFile(m_data.filePath("nelvox.ini")), favorites);
}

INSTANTIATE_TEST_SUITE_P(Panel, StatusNotifier, ::testing::Values(true, false),
    [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "First" : "ThreeSecondsAfterNelvox"; });

} // namespace
