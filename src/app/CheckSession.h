// The runs of checks as the main window shows them: while pages download, nothing the user does
// reaches the window or its dialogs but the progress display's Stop; a run that lasts shows how
// far it has come, over the window while the user can see it and in the tray icon's tip; and the
// favorites failing at their last check are marked in the list and counted in the tip.
#pragma once

#include "app/InputHold.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

class CheckProgressDlg;
class CheckScheduler;
class CSTI;
class FavoritesModel;
class FavoritesList;
class QWidget;

class CheckSession : public QObject {
public:
    // A run of checks that takes longer than this shows its progress.
    static constexpr int kLongRunDelayMs = 1'500;

    // Everything given must outlive the session.
    CheckSession(QWidget& window, CheckScheduler& scheduler, const FavoritesList& favorites, FavoritesModel& marks,
        CSTI& trayIcon);
    ~CheckSession() override;

    // How long a run lasts before it shows its progress, from the next run on.
    void setLongRunDelay(int ms) { m_longRunDelayMs = ms; }
    // The progress display of a long run, while it shows.
    CheckProgressDlg* progressDialog() const;
    // The progress display, shown or not: a dialog that no command waits on.
    const QWidget* progressWindow() const;
    // The window was shown or hidden: the progress shows over it, or in the tip alone.
    void updateProgressDisplay();
    // The failures of the favorites' last checks, in the list and the tray icon's tip.
    void showFailures();

private:
    QWidget& m_window;
    CheckScheduler& m_scheduler;
    const FavoritesList& m_favorites;
    FavoritesModel& m_marks;
    CSTI& m_trayIcon;
    std::optional<InputHold> m_inputHold;
    std::unique_ptr<CheckProgressDlg> m_progress;
    QTimer m_longRunTimer;
    int m_longRunDelayMs = kLongRunDelayMs;
    // The run has lasted long enough to show its progress.
    bool m_longRun = false;
};
