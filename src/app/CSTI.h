// The tray icon of the main window: shows Nelvox in the notification area, flashes while
// favorites have changed that the user has not looked at, and reports clicks on the icon.
#pragma once

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>

#include <functional>
#include <memory>

class QDBusServiceWatcher;
class QMenu;
class StatusNotifierItem;

class CSTI : public QObject {
    Q_OBJECT
public:
    // While the alert is on, the icon switches between its two pictures at this pace.
    static constexpr int kAlertFlashMs = 500;

    // `trayAvailable` tells whether the desktop has a notification area right now; left empty,
    // Qt's answer is asked.
    explicit CSTI(std::function<bool()> trayAvailable = {}, QObject* parent = nullptr);
    ~CSTI() override;

    // Puts the icon into the notification area, now or as soon as a tray turns up.
    void ShowTrayIcon();
    // Flips the alert, the flashing that tells of changes the user has not looked at yet.
    void ToggleTrayAlert();
    bool IsTrayAlertOn() const { return m_alertOn; }
    // Work in progress for the icon's tip, such as "checking 3 of 40": the tip then reads
    // "Nelvox v<version> - checking 3 of 40". An empty text gives the usual tip back.
    void SetProgressText(const QString& text);
    // How many favorites failed at their last check; the tip names them when nothing else
    // is to be said: "Nelvox v<version> - 2 favorites failing".
    void SetFailingCount(int count);
    // How many favorites are marked changed. While any is, the icon keeps the alert's picture
    // once the flashing has ended (the badge), and the tip names them:
    // "Nelvox v<version> - 3 favorites changed".
    void SetChangedCount(int count);
    bool IsBadgeOn() const { return m_changedCount > 0; }

    // Whether the desktop has a notification area to put the icon in right now.
    bool IsTrayAvailable() const;

    // The icon as the desktop shows it. Its activated() signal with Trigger is a click. A tray
    // that turns up late gets a new one, so hold no reference across events.
    QSystemTrayIcon& systemTrayIcon() { return *m_icon; }
    QMenu& contextMenu() { return *m_menu; }

signals:
    // A left click on the icon.
    void clicked();
    // The alert was switched on (true) or off (false).
    void alertToggled(bool on);
    // A tray appeared after ShowTrayIcon() had found none, or a tray host came up on the
    // session bus; the icon has been made anew for it.
    void trayAppeared();
    // The items of the icon's menu, in its order.
    void showRequested();
    void updateAllRequested();
    void aboutRequested();
    void quitRequested();

private:
    void onActivated(QSystemTrayIcon::ActivationReason reason);
    void flash();
    void lookForTray();
    void updateTip();
    // Replaces the icon by a new one with the same picture, tip, menu and visibility, so that
    // it registers with the tray that is there now.
    void recreateIcon();
    // A tray host came up on the session bus.
    void onHostAppeared();
    void setPicture(const QIcon& picture);
    // The picture while the alert is not flashing: the badge or the plain one.
    void showSteadyPicture();
    // Lets the icon take clicks while a box or dialog of Nelvox is modal.
    void keepIconOutOfModality();
    bool eventFilter(QObject* watched, QEvent* event) override;

    std::function<bool()> m_trayAvailable;
    std::unique_ptr<QSystemTrayIcon> m_icon;
    std::unique_ptr<QDBusServiceWatcher> m_hostWatch;
    // Whether Qt's own icon speaks D-Bus: Qt decides that once, when the program starts.
    bool m_qtIconOnBus = false;
    // Our own item on the session bus, for a host that came up after the start; while it is
    // registered, Qt's icon stays hidden so that no tray shows Nelvox twice.
    std::unique_ptr<StatusNotifierItem> m_busItem;
    std::unique_ptr<QMenu> m_menu;
    QIcon m_picture;
    QIcon m_alertPicture;
    QTimer m_flashTimer;
    bool m_alertOn = false;
    bool m_showingAlertPicture = false;
    QString m_progressText;
    int m_failingCount = 0;
    int m_changedCount = 0;
    QTimer m_trayWatch;
    int m_trayWatchStep = 0;
};
