// The tray icon: its pictures, the flashing alert, the click and the menu, and the watch for
// a tray that comes up after Nelvox.
#include "app/CSTI.h"

#include "app/StatusNotifierItem.h"
#include "platform/Version.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QMenu>
#include <QWindow>

#include <array>

// The pictures live in the GUI library's resources, which a static library must register.
static void initTrayResources()
{
    Q_INIT_RESOURCE(nelvox);
}

namespace {

// Desktops often start their tray after the programs of the session; the icon looks again
// this long after each earlier look, for about half a minute in all.
constexpr std::array kTrayWatchDelaysMs = { 1'000, 2'000, 4'000, 8'000, 15'000 };

// The window that Qt makes for an icon in a tray of the older kind (XEmbed): a top-level
// widget of the program, inside the tray host's panel.
const QString kEmbeddedIconName = QStringLiteral("QSystemTrayIconSys");

// While an application-modal box is up, Qt refuses input to every other window of the program
// but popups; the icon's window among them would open no menu and take no click until the box
// was answered. As a popup its input goes through. The type is only a hint to the window
// manager otherwise, and none manages a window embedded in a tray.
void makeUnblockable(QWidget* icon)
{
    QWindow* window = icon->windowHandle();
    if (window && window->type() != Qt::Popup)
        window->setFlags((window->flags() & ~Qt::WindowType_Mask) | Qt::Popup);
}

QIcon loadPicture(const char* stem)
{
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/%1-16.png").arg(QLatin1String(stem)), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/%1-32.png").arg(QLatin1String(stem)), QSize(32, 32));
    return icon;
}

} // namespace

CSTI::CSTI(std::function<bool()> trayAvailable, QObject* parent)
    : QObject(parent)
    , m_trayAvailable(std::move(trayAvailable))
    , m_menu(std::make_unique<QMenu>())
{
    initTrayResources();
    m_picture = loadPicture("tray");
    m_alertPicture = loadPicture("tray-alert");
    m_menu->addAction(tr("&Show Nelvox"), this, &CSTI::showRequested);
    m_menu->addAction(tr("&Update All Now"), this, &CSTI::updateAllRequested);
    m_menu->addAction(tr("&About Nelvox..."), this, &CSTI::aboutRequested);
    m_menu->addAction(tr("&Quit Nelvox"), this, &CSTI::quitRequested);
    recreateIcon();

    // Desktops that host tray icons over D-Bus (KDE Plasma, GNOME with AppIndicator, XFCE)
    // may start their host after Nelvox; the icon goes to it when one comes up.
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
        m_qtIconOnBus = bus.interface() && bus.interface()->isServiceRegistered(watcher);
        m_hostWatch = std::make_unique<QDBusServiceWatcher>(watcher, bus, QDBusServiceWatcher::WatchForRegistration);
        connect(m_hostWatch.get(), &QDBusServiceWatcher::serviceRegistered, this, &CSTI::onHostAppeared);
    }

    m_flashTimer.setInterval(kAlertFlashMs);
    connect(&m_flashTimer, &QTimer::timeout, this, &CSTI::flash);
    m_trayWatch.setSingleShot(true);
    connect(&m_trayWatch, &QTimer::timeout, this, &CSTI::lookForTray);
}

CSTI::~CSTI()
{
    // The menu must outlive the icon and the item on the bus that refer to it.
    m_busItem.reset();
    m_icon->setContextMenu(nullptr);
}

void CSTI::onHostAppeared()
{
    if (m_qtIconOnBus) {
        recreateIcon();
        emit trayAppeared();
        return;
    }
    // Qt chose the older protocol at the start and keeps it for every new icon, so the item
    // goes on the bus on its own.
    if (!m_busItem) {
        m_busItem = std::make_unique<StatusNotifierItem>(m_menu.get());
        connect(m_busItem.get(), &StatusNotifierItem::activated, this, &CSTI::clicked);
        connect(m_busItem.get(), &StatusNotifierItem::contextMenuRequested, this,
            [this](const QPoint& where) { m_menu->popup(where); });
    }
    m_busItem->setIcon(m_showingAlertPicture ? m_alertPicture : m_picture);
    m_busItem->setNeedsAttention(m_alertOn || IsBadgeOn());
    updateTip();
    if (!m_busItem->registerItem()) {
        m_busItem.reset();
        return;
    }
    m_icon->hide();
    emit trayAppeared();
}

void CSTI::setPicture(const QIcon& picture)
{
    m_icon->setIcon(picture);
    if (m_busItem)
        m_busItem->setIcon(picture);
}

void CSTI::recreateIcon()
{
    const bool visible = m_icon && m_icon->isVisible();
    if (m_icon)
        m_icon->setContextMenu(nullptr);
    m_icon = std::make_unique<QSystemTrayIcon>(m_showingAlertPicture ? m_alertPicture : m_picture);
    m_icon->setContextMenu(m_menu.get());
    connect(m_icon.get(), &QSystemTrayIcon::activated, this, &CSTI::onActivated);
    updateTip();
    if (visible && !m_busItem) {
        m_icon->show();
        keepIconOutOfModality();
    }
}

void CSTI::keepIconOutOfModality()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() != kEmbeddedIconName)
            continue;
        // Qt makes the window anew when the tray host restarts; the new one must let input
        // through as well.
        widget->removeEventFilter(this);
        widget->installEventFilter(this);
        makeUnblockable(widget);
    }
}

bool CSTI::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType())
        makeUnblockable(static_cast<QWidget*>(watched));
    return QObject::eventFilter(watched, event);
}

void CSTI::ShowTrayIcon()
{
    if (!m_busItem) {
        m_icon->show();
        keepIconOutOfModality();
    }
    if (!IsTrayAvailable()) {
        m_trayWatchStep = 0;
        m_trayWatch.start(kTrayWatchDelaysMs[0]);
    }
}

void CSTI::ToggleTrayAlert()
{
    m_alertOn = !m_alertOn;
    if (m_alertOn) {
        m_showingAlertPicture = true;
        setPicture(m_alertPicture);
        m_flashTimer.start();
    } else {
        m_flashTimer.stop();
        showSteadyPicture();
    }
    if (m_busItem)
        m_busItem->setNeedsAttention(m_alertOn || IsBadgeOn());
    updateTip();
    emit alertToggled(m_alertOn);
}

void CSTI::SetChangedCount(int count)
{
    if (count == m_changedCount)
        return;
    m_changedCount = count;
    if (!m_alertOn)
        showSteadyPicture();
    if (m_busItem)
        m_busItem->setNeedsAttention(m_alertOn || IsBadgeOn());
    updateTip();
}

void CSTI::showSteadyPicture()
{
    m_showingAlertPicture = IsBadgeOn();
    setPicture(m_showingAlertPicture ? m_alertPicture : m_picture);
}

void CSTI::SetProgressText(const QString& text)
{
    m_progressText = text;
    updateTip();
}

void CSTI::SetFailingCount(int count)
{
    m_failingCount = count;
    updateTip();
}

void CSTI::updateTip()
{
    // Work in progress says more than the alert, which is still on after it, and the alert
    // more than the counts of favorites failing and changed.
    const QString caption = NelvoxCaption();
    QString tip = caption;
    if (!m_progressText.isEmpty()) {
        tip = caption + QStringLiteral(" - ") + m_progressText;
    } else if (m_alertOn) {
        tip = NelvoxCaption(tr("some of your favorites have changed"));
    } else {
        QStringList counts;
        if (m_failingCount > 0)
            counts << (m_failingCount == 1 ? tr("1 favorite failing")
                                           : tr("%n favorites failing", nullptr, m_failingCount));
        if (m_changedCount > 0)
            counts << (m_changedCount == 1 ? tr("1 favorite changed")
                                           : tr("%n favorites changed", nullptr, m_changedCount));
        if (!counts.isEmpty())
            tip = caption + QStringLiteral(" - ") + counts.join(tr(", ", "between the counts in the tip"));
    }
    m_icon->setToolTip(tip);
    if (m_busItem)
        m_busItem->setToolTip(tip);
}

bool CSTI::IsTrayAvailable() const
{
    return m_trayAvailable ? m_trayAvailable() : QSystemTrayIcon::isSystemTrayAvailable();
}

void CSTI::onActivated(QSystemTrayIcon::ActivationReason reason)
{
    // A double click arrives as a click followed by DoubleClick; the click alone counts.
    if (reason == QSystemTrayIcon::Trigger)
        emit clicked();
}

void CSTI::flash()
{
    m_showingAlertPicture = !m_showingAlertPicture;
    setPicture(m_showingAlertPicture ? m_alertPicture : m_picture);
}

void CSTI::lookForTray()
{
    if (IsTrayAvailable()) {
        // A new icon, so that it registers with the tray that has just come up.
        recreateIcon();
        emit trayAppeared();
        return;
    }
    if (++m_trayWatchStep < static_cast<int>(kTrayWatchDelaysMs.size()))
        m_trayWatch.start(kTrayWatchDelaysMs[static_cast<size_t>(m_trayWatchStep)]);
}
