// The tray icon on its own: its pictures and tip, the flashing alert, what counts as a
// click, and its menu; and the same over D-Bus, for a tray host that comes up after Nelvox, on
// a session bus of the tests' own.
#include "app/CSTI.h"
#include "support/DesktopSession.h"
#include "support/ModalAnswerer.h"

#include <QAction>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QImage>
#include <QMenu>
#include <QMessageBox>
#include <QMutex>
#include <QSignalSpy>
#include <QThread>
#include <QTimer>
#include <QtEndian>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A session bus for the whole run, so that no tray host of the desktop the tests run in takes
// part. Without dbus-daemon the tests that need a bus are skipped.
class PrivateSessionBus : public ::testing::Environment {
public:
    void SetUp() override
    {
        m_daemon = std::make_unique<QProcess>();
        const QString address = e2e::startSessionBus(*m_daemon);
        // Set before anything in the process has asked for the session bus.
        if (!address.isEmpty())
            qputenv("DBUS_SESSION_BUS_ADDRESS", address.toLocal8Bit());
        else
            s_missing
                = "dbus-daemon did not start (scripts/setup.sh installs it): " + m_daemon->errorString().toStdString();
    }
    void TearDown() override
    {
        m_daemon->terminate();
        m_daemon->waitForFinished(3000);
    }
    // Why there is no bus, or empty.
    static inline std::string s_missing;

private:
    std::unique_ptr<QProcess> m_daemon;
};
[[maybe_unused]] const auto* const kPrivateBus = ::testing::AddGlobalTestEnvironment(new PrivateSessionBus);

QImage image(const QIcon& icon)
{
    return icon.pixmap(QSize(32, 32)).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}
QImage image(const char* resource)
{
    return QImage(resource).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// The picture the icon shows now.
QImage shown(CSTI& tray)
{
    return image(tray.systemTrayIcon().icon());
}

TEST(CSTI, StartsHiddenWithItsOwnPictureAndTheProgramsName)
{
    const QImage plain = image(":/icons/tray-32.png");
    ASSERT_FALSE(plain.isNull()) << "the tray pictures must be built in";
    ASSERT_NE(plain, image(":/icons/nelvox-32.png"));
    ASSERT_NE(plain, image(":/icons/tray-alert-32.png"));

    CSTI tray;
    EXPECT_EQ(shown(tray), plain);
    EXPECT_EQ(tray.systemTrayIcon()
                  .icon()
                  .pixmap(QSize(16, 16))
                  .toImage()
                  .convertToFormat(QImage::Format_ARGB32_Premultiplied),
        image(":/icons/tray-16.png"))
        << "the small picture for small trays";
    EXPECT_EQ(tray.systemTrayIcon().toolTip(), QStringLiteral("Nelvox v1.0"));
    EXPECT_FALSE(tray.IsTrayAlertOn());
    EXPECT_FALSE(tray.systemTrayIcon().isVisible()) << "the icon waits for ShowTrayIcon";
    tray.ShowTrayIcon();
    EXPECT_TRUE(tray.systemTrayIcon().isVisible());
}

TEST(CSTI, TheAlertFlashesUntilItIsSwitchedOff)
{
    const QImage plain = image(":/icons/tray-32.png");
    const QImage alert = image(":/icons/tray-alert-32.png");
    CSTI tray;
    tray.ShowTrayIcon();
    QSignalSpy toggles(&tray, &CSTI::alertToggled);

    tray.ToggleTrayAlert();
    EXPECT_TRUE(tray.IsTrayAlertOn());
    EXPECT_EQ(toggles.count(), 1);
    EXPECT_EQ(toggles.last().value(0).toBool(), true);
    EXPECT_TRUE(tray.systemTrayIcon().toolTip().contains("changed")) << tray.systemTrayIcon().toolTip().toStdString();
    EXPECT_EQ(shown(tray), alert) << "the alert shows at once";
    // Then the pictures take turns, for as long as the alert is on.
    EXPECT_TRUE(WaitFor([&] { return shown(tray) == plain; }, 2000));
    EXPECT_TRUE(WaitFor([&] { return shown(tray) == alert; }, 2000));
    EXPECT_TRUE(WaitFor([&] { return shown(tray) == plain; }, 2000));

    // Switched off, whichever picture was up, the plain one stays.
    EXPECT_TRUE(WaitFor([&] { return shown(tray) == alert; }, 2000));
    tray.ToggleTrayAlert();
    EXPECT_FALSE(tray.IsTrayAlertOn());
    EXPECT_EQ(toggles.last().value(0).toBool(), false);
    EXPECT_EQ(shown(tray), plain);
    EXPECT_EQ(tray.systemTrayIcon().toolTip(), QStringLiteral("Nelvox v1.0"));
    EXPECT_FALSE(WaitFor([&] { return shown(tray) != plain; }, 3 * CSTI::kAlertFlashMs))
        << "no flashing once the alert is off";
}

TEST(CSTI, TheBadgeStaysWhileFavoritesAreMarkedChangedAndTheTipCountsThem)
{
    const QImage plain = image(":/icons/tray-32.png");
    const QImage alert = image(":/icons/tray-alert-32.png");
    CSTI tray;
    tray.ShowTrayIcon();

    tray.SetChangedCount(3);
    EXPECT_TRUE(tray.IsBadgeOn());
    EXPECT_FALSE(tray.IsTrayAlertOn()) << "the badge is not the alert";
    EXPECT_EQ(shown(tray), alert) << "the badge shows the alert's picture";
    EXPECT_FALSE(WaitFor([&] { return shown(tray) != alert; }, 3 * CSTI::kAlertFlashMs)) << "a badge does not flash";
    EXPECT_EQ(tray.systemTrayIcon().toolTip(), QStringLiteral("Nelvox v1.0 - 3 favorites changed"));
    tray.SetFailingCount(1);
    EXPECT_EQ(tray.systemTrayIcon().toolTip(), QStringLiteral("Nelvox v1.0 - 1 favorite failing, 3 favorites changed"));
    tray.SetProgressText(QStringLiteral("checking 1 of 4"));
    EXPECT_EQ(tray.systemTrayIcon().toolTip(), QStringLiteral("Nelvox v1.0 - checking 1 of 4"));
    tray.SetProgressText(QString());
    tray.SetFailingCount(0);

    // The alert flashes over the badge; when it ends, whichever picture was up, the badge stays.
    tray.ToggleTrayAlert();
    EXPECT_TRUE(WaitFor([&] { return shown(tray) == plain; }, 2000));
    tray.ToggleTrayAlert();
    EXPECT_EQ(shown(tray), alert) << "ending the alert must not take the badge";
    EXPECT_EQ(tray.systemTrayIcon().toolTip(), QStringLiteral("Nelvox v1.0 - 3 favorites changed"));

    tray.SetChangedCount(1);
    EXPECT_EQ(tray.systemTrayIcon().toolTip(), QStringLiteral("Nelvox v1.0 - 1 favorite changed"));
    tray.SetChangedCount(0);
    EXPECT_FALSE(tray.IsBadgeOn());
    EXPECT_EQ(shown(tray), plain) << "the last change cleared takes the badge";
    EXPECT_EQ(tray.systemTrayIcon().toolTip(), QStringLiteral("Nelvox v1.0"));
}

TEST(CSTI, OnlyASingleLeftClickIsAClick)
{
    CSTI tray;
    QSignalSpy clicks(&tray, &CSTI::clicked);
    emit tray.systemTrayIcon().activated(QSystemTrayIcon::Context);
    emit tray.systemTrayIcon().activated(QSystemTrayIcon::MiddleClick);
    emit tray.systemTrayIcon().activated(QSystemTrayIcon::Unknown);
    EXPECT_EQ(clicks.count(), 0);
    emit tray.systemTrayIcon().activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(clicks.count(), 1);
    // A double click comes as a click, then the double click itself, which adds nothing.
    emit tray.systemTrayIcon().activated(QSystemTrayIcon::Trigger);
    emit tray.systemTrayIcon().activated(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(clicks.count(), 2);
}

TEST(CSTI, ItsMenuOffersShowUpdateAllAboutAndQuit)
{
    CSTI tray;
    EXPECT_EQ(tray.systemTrayIcon().contextMenu(), &tray.contextMenu());
    const QList<QAction*> actions = tray.contextMenu().actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("&Show Nelvox"));
    EXPECT_EQ(actions[1]->text(), QStringLiteral("&Update All Now"));
    EXPECT_EQ(actions[2]->text(), QStringLiteral("&About Nelvox..."));
    EXPECT_EQ(actions[3]->text(), QStringLiteral("&Quit Nelvox"));

    QSignalSpy show(&tray, &CSTI::showRequested);
    QSignalSpy updateAll(&tray, &CSTI::updateAllRequested);
    QSignalSpy about(&tray, &CSTI::aboutRequested);
    QSignalSpy quit(&tray, &CSTI::quitRequested);
    actions[0]->trigger();
    actions[1]->trigger();
    EXPECT_EQ(show.count(), 1);
    EXPECT_EQ(updateAll.count(), 1);
    EXPECT_EQ(about.count(), 0);
    actions[2]->trigger();
    EXPECT_EQ(about.count(), 1);
    EXPECT_EQ(quit.count(), 0);
    actions[3]->trigger();
    EXPECT_EQ(quit.count(), 1);
    EXPECT_EQ(about.count(), 1);
    EXPECT_EQ(show.count() + updateAll.count(), 2);
}

TEST(CSTI, ATrayThatComesUpLaterIsNoticed)
{
    bool trayUp = false;
    CSTI tray([&trayUp] { return trayUp; });
    QSignalSpy appeared(&tray, &CSTI::trayAppeared);
    QSignalSpy clicks(&tray, &CSTI::clicked);
    tray.ShowTrayIcon();
    tray.ToggleTrayAlert();
    tray.SetProgressText(QStringLiteral("checking 3 of 40"));
    const QSystemTrayIcon* before = &tray.systemTrayIcon();
    EXPECT_EQ(appeared.count(), 0);
    trayUp = true;
    // The first look comes a second after start-up.
    EXPECT_TRUE(WaitFor([&] { return appeared.count() == 1; }, 5000));

    // A new icon, so that the toolkit registers it with the tray that is there now, with
    // everything the old one had.
    EXPECT_NE(&tray.systemTrayIcon(), before) << "the icon was not made anew";
    EXPECT_TRUE(tray.systemTrayIcon().isVisible());
    EXPECT_EQ(tray.systemTrayIcon().toolTip(), QStringLiteral("Nelvox v1.0 - checking 3 of 40"));
    EXPECT_EQ(tray.systemTrayIcon().contextMenu(), &tray.contextMenu());
    EXPECT_TRUE(tray.IsTrayAlertOn());
    const QImage alert = image(":/icons/tray-alert-32.png");
    const QImage plain = image(":/icons/tray-32.png");
    EXPECT_TRUE(WaitFor([&] { return shown(tray) == alert; }, 2000)) << "the new icon does not flash";
    EXPECT_TRUE(WaitFor([&] { return shown(tray) == plain; }, 2000)) << "the new icon does not flash";
    emit tray.systemTrayIcon().activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(clicks.count(), 1) << "clicks on the new icon are lost";
    // Found once, the tray is not looked for again.
    EXPECT_FALSE(WaitFor([&] { return appeared.count() > 1; }, 2500));
}

// The watcher of a tray host, which items register with. It answers on a thread of its own,
// since the item registers with a call that waits on the program's thread for the answer.
class Watcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
public:
    QString item() const
    {
        QMutexLocker lock(&m_mutex);
        return m_item;
    }
public slots:
    void RegisterStatusNotifierItem(const QString& service)
    {
        QMutexLocker lock(&m_mutex);
        m_item = service;
    }

private:
    mutable QMutex m_mutex;
    QString m_item;
};

// Collects a signal that the host receives.
class BusSignals : public QObject {
    Q_OBJECT
public:
    QList<QVariantList> received;
public slots:
    void receive(const QDBusMessage& message) { received.append(message.arguments()); }
};

// A tray host that comes up on the session bus after the program, on a connection of its own as
// a real host is. The program answers on this thread, so the host waits with the loop running.
class TrayHost {
public:
    TrayHost()
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, "tray-host"))
    {
        m_watcher.moveToThread(&m_thread);
        m_thread.start();
    }
    ~TrayHost()
    {
        QDBusConnection::disconnectFromBus("tray-host");
        m_thread.quit();
        m_thread.wait();
    }
    // Puts the watcher on the bus; true once the program's item has registered.
    bool comeUp()
    {
        m_bus.registerObject("/StatusNotifierWatcher", &m_watcher, QDBusConnection::ExportAllSlots);
        m_bus.registerService("org.kde.StatusNotifierWatcher");
        return WaitFor([&] { return !m_watcher.item().isEmpty(); }, 5000);
    }
    QDBusMessage call(const QString& path, const QString& interface, const QString& method, const QVariantList& args)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(m_watcher.item(), path, interface, method);
        message.setArguments(args);
        const QDBusPendingCall pending = m_bus.asyncCall(message);
        WaitFor([&] { return pending.isFinished(); });
        // Signals sent before the answer are delivered too.
        QCoreApplication::processEvents();
        return pending.reply();
    }
    QVariant property(const QString& path, const QString& interface, const QString& name)
    {
        const QDBusMessage reply = call(path, "org.freedesktop.DBus.Properties", "Get", { interface, name });
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }
    void listen(const QString& path, const QString& interface, const QString& name, BusSignals& into)
    {
        m_bus.connect(m_watcher.item(), path, interface, name, &into, SLOT(receive(QDBusMessage)));
    }

private:
    QDBusConnection m_bus;
    QThread m_thread;
    Watcher m_watcher;
};

// A menu item as GetLayout sends it: (ia{sv}av), each child a variant holding the same.
struct MenuItem {
    int id = -1;
    QVariantMap properties;
    QList<MenuItem> children;
    QVariant operator[](const char* name) const { return properties.value(name); }
};
MenuItem menuItemOf(const QDBusArgument& argument)
{
    MenuItem item;
    argument.beginStructure();
    argument >> item.id >> item.properties;
    argument.beginArray();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        item.children.append(menuItemOf(child.variant().value<QDBusArgument>()));
    }
    argument.endArray();
    argument.endStructure();
    return item;
}

// The pixels of an item's 32-pixel picture, sent as ARGB in network byte order.
QList<QRgb> pictureOf(const QVariant& pixmaps)
{
    const auto argument = pixmaps.value<QDBusArgument>();
    QList<QRgb> pixels;
    argument.beginArray();
    while (!argument.atEnd()) {
        int width = 0;
        int height = 0;
        QByteArray argb;
        argument.beginStructure();
        argument >> width >> height >> argb;
        argument.endStructure();
        for (qsizetype at = 0; width == 32 && height == 32 && at + 4 <= argb.size(); at += 4)
            pixels.append(qFromBigEndian<quint32>(argb.constData() + at));
    }
    argument.endArray();
    return pixels;
}
QList<QRgb> pixelsOf(const char* resource)
{
    // Through the premultiplied form that pixmaps keep, as the icon's picture goes.
    const QImage image
        = QImage(resource).convertToFormat(QImage::Format_ARGB32_Premultiplied).convertToFormat(QImage::Format_ARGB32);
    return QList<QRgb>(reinterpret_cast<const QRgb*>(image.constBits()),
        reinterpret_cast<const QRgb*>(image.constBits()) + image.width() * image.height());
}

// A tray icon that found no host at its start, and a host that comes up afterwards.
class CSTIOnTheBus : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!PrivateSessionBus::s_missing.empty())
            GTEST_SKIP() << PrivateSessionBus::s_missing;
        m_tray.ShowTrayIcon();
        ASSERT_TRUE(m_host.comeUp()) << "the icon did not register with the host";
        EXPECT_FALSE(m_tray.systemTrayIcon().isVisible()) << "the tray would show Nelvox twice";
        m_menu = m_host.property(kItem, kItemInterface, "Menu").value<QDBusObjectPath>().path();
    }
    QDBusMessage callMenu(const QString& method, const QVariantList& args)
    {
        return m_host.call(m_menu, "com.canonical.dbusmenu", method, args);
    }
    MenuItem layout(uint* revision = nullptr)
    {
        const QDBusMessage reply = callMenu("GetLayout", { 0, -1, QStringList() });
        if (revision)
            *revision = reply.arguments().value(0).toUInt();
        return menuItemOf(reply.arguments().value(1).value<QDBusArgument>());
    }
    QDBusMessage click(int id)
    {
        return callMenu("Event", { id, "clicked", QVariant::fromValue(QDBusVariant(0)), 0u });
    }

    static inline const QString kItem = QStringLiteral("/StatusNotifierItem");
    static inline const QString kItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
    CSTI m_tray;
    TrayHost m_host;
    QString m_menu;
};

TEST_F(CSTIOnTheBus, TheHostShowsTheMenuWhichFollowsItsActions)
{
    uint revision = 0;
    MenuItem root = layout(&revision);
    ASSERT_EQ(root.children.size(), 4) << "menu at " << m_menu.toStdString();
    // The access key is marked the way hosts expect it.
    EXPECT_EQ(root.children[0]["label"], "_Show Nelvox");
    EXPECT_EQ(root.children[1]["label"], "_Update All Now");
    EXPECT_EQ(root.children[2]["label"], "_About Nelvox...");
    EXPECT_EQ(root.children[3]["label"], "_Quit Nelvox");
    EXPECT_EQ(root.children[3]["enabled"], true);
    EXPECT_EQ(root.children[3]["visible"], true);
    const int about = root.children[2].id;
    const int quit = root.children[3].id;
    EXPECT_NE(about, quit);
    EXPECT_EQ(callMenu("GetProperty", { quit, "label" }).arguments().value(0).value<QDBusVariant>().variant(),
        "_Quit Nelvox");

    // A click is an Event, and the item's action is triggered once the host has its answer.
    QSignalSpy abouts(&m_tray, &CSTI::aboutRequested);
    EXPECT_EQ(click(about).type(), QDBusMessage::ReplyMessage);
    EXPECT_TRUE(WaitFor([&] { return abouts.count() == 1; }, 2000));
    QSignalSpy updateAlls(&m_tray, &CSTI::updateAllRequested);
    EXPECT_EQ(click(root.children[1].id).type(), QDBusMessage::ReplyMessage);
    EXPECT_TRUE(WaitFor([&] { return updateAlls.count() == 1; }, 2000)) << "Update All Now over the bus";
    callMenu("Event", { about, "hovered", QVariant::fromValue(QDBusVariant(0)), 0u });
    EXPECT_EQ(click(99).errorName(), "com.canonical.dbusmenu.UnknownId");
    const QDBusMessage group = callMenu("AboutToShowGroup", { QVariant::fromValue(QList<int> { 0, about, 99 }) });
    EXPECT_EQ(qdbus_cast<QList<int>>(group.arguments().value(1)), QList<int> { 99 }) << "ids that name no item";

    // The host is told when an item changes, and reads it again.
    BusSignals updates;
    m_host.listen(m_menu, "com.canonical.dbusmenu", "LayoutUpdated", updates);
    QAction* quitAction = m_tray.contextMenu().actions()[3];
    quitAction->setEnabled(false);
    EXPECT_TRUE(WaitFor([&] { return updates.received.size() == 1; }, 2000)) << "no LayoutUpdated for enabled";
    uint now = 0;
    EXPECT_EQ(layout(&now).children.value(3)["enabled"], false);
    EXPECT_GT(now, revision);
    quitAction->setEnabled(true);
    quitAction->setVisible(false);
    EXPECT_TRUE(WaitFor([&] { return updates.received.size() == 3; }, 2000)) << "no LayoutUpdated for visible";
    EXPECT_EQ(layout().children.value(3)["visible"], false);
    QSignalSpy quits(&m_tray, &CSTI::quitRequested);
    click(quit);
    EXPECT_FALSE(WaitFor([&] { return quits.count() > 0; }, 300)) << "a hidden item takes no clicks";
    quitAction->setVisible(true);
    quitAction->setText("Save && E_xit &Now");
    EXPECT_TRUE(WaitFor([&] { return updates.received.size() == 5; }, 2000)) << "no LayoutUpdated for the text";
    root = layout();
    EXPECT_EQ(root.children.value(3)["label"], "Save & E__xit _Now");
    EXPECT_EQ(root.children.value(3).id, quit) << "an item keeps its id";
    m_tray.contextMenu().insertSeparator(quitAction);
    EXPECT_EQ(layout().children.value(3)["type"], "separator");

    // A host that draws no menu itself asks the program to show it.
    m_host.call(kItem, kItemInterface, "ContextMenu", { 40, 30 });
    EXPECT_TRUE(WaitFor([&] { return m_tray.contextMenu().isVisible(); }, 2000));
    EXPECT_EQ(m_tray.contextMenu().pos(), QPoint(40, 30));
    m_tray.contextMenu().hide();
}

TEST_F(CSTIOnTheBus, TheHostReachesTheIconWhileABoxIsModal)
{
    // Calls over the bus are no input to a window, so a modal box blocks none of them.
    QSignalSpy clicks(&m_tray, &CSTI::clicked);
    QSignalSpy quits(&m_tray, &CSTI::quitRequested);
    QMessageBox box(QMessageBox::NoIcon, "Nelvox", "Waiting for an answer", QMessageBox::Ok);
    QTimer::singleShot(0, &box, [&] {
        m_host.call(kItem, kItemInterface, "Activate", { 10, 10 });
        m_host.call(kItem, kItemInterface, "ContextMenu", { 40, 30 });
        EXPECT_TRUE(WaitFor([&] { return m_tray.contextMenu().isVisible(); }, 2000)) << "no menu";
        m_tray.contextMenu().hide();
        click(layout().children.value(3).id);
        EXPECT_TRUE(WaitFor([&] { return quits.count() == 1; }, 2000)) << "Quit was not triggered";
        box.done(0);
    });
    box.exec();
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(CSTIOnTheBus, TheAlertFlashesOverTheBusAndAsksForAttention)
{
    const QList<QRgb> plain = pixelsOf(":/icons/tray-32.png");
    const QList<QRgb> alert = pixelsOf(":/icons/tray-alert-32.png");
    ASSERT_NE(plain, alert);
    const auto shown = [&] { return pictureOf(m_host.property(kItem, kItemInterface, "IconPixmap")); };
    const auto status = [&] { return m_host.property(kItem, kItemInterface, "Status"); };
    EXPECT_EQ(shown(), plain);
    EXPECT_EQ(status(), "Active");
    BusSignals newIcon;
    BusSignals newStatus;
    m_host.listen(kItem, kItemInterface, "NewIcon", newIcon);
    m_host.listen(kItem, kItemInterface, "NewStatus", newStatus);

    // Hosts may keep items that ask for nothing out of sight; the alert asks for attention.
    m_tray.ToggleTrayAlert();
    EXPECT_EQ(shown(), alert) << "the alert shows at once";
    EXPECT_EQ(status(), "NeedsAttention");
    EXPECT_TRUE(WaitFor([&] { return newStatus.received.value(0) == QVariantList { "NeedsAttention" }; }, 2000));
    // The pictures take turns, and each turn tells the host to read the picture again.
    EXPECT_TRUE(WaitFor([&] { return shown() == plain; }, 2000));
    EXPECT_TRUE(WaitFor([&] { return shown() == alert; }, 2000));
    EXPECT_TRUE(WaitFor([&] { return shown() == plain; }, 2000));
    EXPECT_GE(newIcon.received.size(), 3);

    // Switched off, whichever picture was up, the plain one stays.
    EXPECT_TRUE(WaitFor([&] { return shown() == alert; }, 2000));
    m_tray.ToggleTrayAlert();
    EXPECT_EQ(shown(), plain);
    EXPECT_EQ(status(), "Active");
    EXPECT_TRUE(WaitFor([&] { return newStatus.received.value(1) == QVariantList { "Active" }; }, 2000));
    const qsizetype icons = newIcon.received.size();
    EXPECT_FALSE(WaitFor([&] { return shown() != plain || newIcon.received.size() != icons; }, 3 * CSTI::kAlertFlashMs))
        << "no flashing once the alert is off";
}

} // namespace

#include "CSTITest.moc"
