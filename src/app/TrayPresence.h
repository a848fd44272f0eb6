// The main window's life in the tray: the icon, the window's hiding at its first paint and on
// minimise where a tray is at hand, and the click on the icon that brings the window back.
#pragma once

#include "app/CSTI.h"

#include <QObject>

class QWidget;

class TrayPresence : public QObject {
    Q_OBJECT
public:
    // Watches `window`, which must outlive this object, for its first paint and its minimising.
    explicit TrayPresence(QWidget* window);

    CSTI& icon() { return m_trayIcon; }

    // Puts the icon into the notification area; the last step of the window's start-up.
    void ShowTrayIcon() { m_trayIcon.ShowTrayIcon(); }
    // A click on the tray icon: shows the window and ends the alert.
    void OnTrayClick();

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideAtFirstPaint();
    void hideWhenMinimised();

    QWidget* m_window;
    CSTI m_trayIcon;
    // One-shot flags of the tray behaviour: the window hides at its first paint, and the
    // first click on the icon flips the alert before ending it.
    bool m_hideAtFirstPaint = true;
    bool m_firstTrayClick = true;
};
