// The window's presence in the tray: hiding into it and coming back from it.
#include "app/TrayPresence.h"

#include "store/FavoritesList.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include <algorithm>

TrayPresence::TrayPresence(QWidget* window, const FavoritesList& favorites, std::function<bool()> trayAvailable)
    : QObject(nullptr)
    , m_window(window)
    , m_favorites(favorites)
    , m_trayIcon(std::move(trayAvailable))
{
    m_window->installEventFilter(this);
    // The badge follows the list, however its cells change: a check marks a row, Visit clears
    // it, a load at start-up or a delete brings rows or takes them away.
    connect(&m_favorites, &QAbstractItemModel::dataChanged, this,
        [this](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
            if (topLeft.column() <= FavoritesList::Changed && FavoritesList::Changed <= bottomRight.column())
                countChanged();
        });
    connect(&m_favorites, &QAbstractItemModel::rowsInserted, this, &TrayPresence::countChanged);
    connect(&m_favorites, &QAbstractItemModel::rowsRemoved, this, &TrayPresence::countChanged);
    connect(&m_favorites, &QAbstractItemModel::modelReset, this, &TrayPresence::countChanged);
    connect(&m_favorites, &QAbstractItemModel::layoutChanged, this, &TrayPresence::countChanged);
    countChanged();
}

void TrayPresence::countChanged()
{
    const auto& rows = m_favorites.rows();
    const auto changed = std::count_if(rows.begin(), rows.end(), [](const Favorite& row) { return row.changed; });
    m_trayIcon.SetChangedCount(static_cast<int>(changed));
}

bool TrayPresence::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window) {
        // Both steps are queued, so they come after the window has handled the event itself.
        if (event->type() == QEvent::Paint)
            hideAtFirstPaint();
        else if (event->type() == QEvent::WindowStateChange)
            hideWhenMinimised();
    }
    return QObject::eventFilter(watched, event);
}

void TrayPresence::hideAtFirstPaint()
{
    if (!m_hideAtFirstPaint)
        return;
    m_hideAtFirstPaint = false;
    // Without a tray the window is the user's only way in: it stays up.
    if (m_trayIcon.IsTrayAvailable())
        QMetaObject::invokeMethod(m_window, &QWidget::hide, Qt::QueuedConnection);
}

void TrayPresence::hideWhenMinimised()
{
    // Minimised with a tray, the window goes into the tray; without one it stays on the
    // taskbar, since nothing else could bring it back.
    if (!m_window->isMinimized() || !m_trayIcon.IsTrayAvailable())
        return;
    // The window system is still minimising; hide once it has done so.
    QMetaObject::invokeMethod(
        m_window,
        [window = m_window, icon = &m_trayIcon] {
            if (!window->isMinimized() || !icon->IsTrayAvailable())
                return;
            // The window stays minimised while hidden: clearing that state maps it again on
            // X11. Every way back (the tray, the change prompt) shows it normal.
            window->hide();
        },
        Qt::QueuedConnection);
}

void TrayPresence::OnTrayClick()
{
    // A window minimised before a tray came up comes back as well.
    if (m_window->isMinimized())
        m_window->showNormal();
    else
        m_window->show();
    m_window->raise();
    m_window->activateWindow();
    if (m_firstTrayClick) {
        m_firstTrayClick = false;
        m_trayIcon.ToggleTrayAlert();
    }
    if (m_trayIcon.IsTrayAlertOn())
        m_trayIcon.ToggleTrayAlert();
    // A box or dialog that waits for an answer may have gone behind other windows; it comes
    // to the front of the window it holds, with the focus.
    if (QWidget* waiting = QApplication::activeModalWidget()) {
        waiting->raise();
        waiting->activateWindow();
    }
}
