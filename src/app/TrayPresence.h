// The main window's life in the tray: the icon, the window's hiding at its first paint and on
// minimise where a tray is at hand, the click on the icon that brings the window back, and the
// badge that the icon shows while any favorite is marked changed.
#pragma once

#include "app/CSTI.h"

#include <QObject>

#include <functional>

class FavoritesList;
class QWidget;

class TrayPresence : public QObject {
    Q_OBJECT
public:
    // Watches `window` for its first paint and its minimising, and `favorites` for the rows
    // whose CHANGED cell says YES; both must outlive this object. The icon asks `trayAvailable`
    // whether the desktop has a tray (see CSTI).
    TrayPresence(QWidget* window, const FavoritesList& favorites, std::function<bool()> trayAvailable = {});

    CSTI& icon() { return m_trayIcon; }

    // Puts the icon into the notification area; the last step of the window's start-up.
    void ShowTrayIcon() { m_trayIcon.ShowTrayIcon(); }
    // A click on the tray icon: shows the window and ends the alert.
    void OnTrayClick();

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideAtFirstPaint();
    void hideWhenMinimised();
    // Counts the rows marked changed for the icon's badge and tip.
    void countChanged();

    QWidget* m_window;
    const FavoritesList& m_favorites;
    CSTI m_trayIcon;
    // One-shot flags of the tray behaviour: the window hides at its first paint, and the
    // first click on the icon flips the alert before ending it.
    bool m_hideAtFirstPaint = true;
    bool m_firstTrayClick = true;
};
