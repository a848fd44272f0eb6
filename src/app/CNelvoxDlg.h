// The main window: the favorites list, the command buttons and the notification check
// box. Every command is a handler of this window and works on its favorites list.
#pragma once

#include "app/FailureMarks.h"
#include "app/InputHold.h"
#include "store/FavoritesList.h"
#include "check/CheckScheduler.h"

#include <QDialog>
#include <QIcon>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CheckProgressDlg;
class CSTI;
class TrayPresence;
class QCheckBox;
class QMenu;
class QPushButton;
class QTreeView;
namespace Ui {
class CNelvoxDlg;
}

class CNelvoxDlg : public QDialog {
    Q_OBJECT
public:
    // The period of the scheduled checks.
    static constexpr int kCheckIntervalMs = CheckScheduler::kCheckIntervalMs;
    // A run of checks that takes longer than this shows its progress. Tests shorten it.
    static inline int longRunDelayMs = 1'500;

    explicit CNelvoxDlg(QWidget* parent = nullptr);
    ~CNelvoxDlg() override;

    FavoritesList& favorites() { return m_favorites; }
    QTimer& checkTimer() { return m_scheduler.timer(); }
    CheckScheduler& scheduler() { return m_scheduler; }
    CSTI& trayIcon() { return *m_trayIcon; }
    // True once the window has saved and ended; the program then ends.
    bool hasEnded() const { return m_ended; }

    // Handlers of the window's commands.
    void OnOK();
    void OnAddFavorite();
    void OnEditSelected();
    void OnDeleteSelected();
    void OnVisitSelected();
    void OnUpdateAllNow();
    void OnTimer();
    void OnClickList();
    void OnHelp();
    void OnAbout();
    // Opens the Changes window for the favorite in `row`.
    void OnShowChanges(int row);
    // Import Bookmarks: a file dialog, then ImportBookmarksFrom().
    void OnImportBookmarks();
    // Reads a bookmarks file and runs the chooser; the chosen links become favorites with
    // "Never", the list is sorted and saved, and their first snapshots come in one run.
    void ImportBookmarksFrom(const QString& fileName);
    // Export Favorites: a file dialog, then the list written as bookmarks HTML.
    void OnExportFavorites();
    // Adds the list's own commands (Import Bookmarks, Export Favorites) to a menu on the list.
    void addListCommands(QMenu& menu);
    // A click on the tray icon: shows the window and ends the alert (see TrayPresence).
    void OnTrayClick();
    // Quit from outside the window (the tray menu, the desktop, a signal): saves and ends.
    void OnQuit();

    // Alerts the user through the tray icon that favorites have changed and offers to
    // show them; returns once the user has answered.
    void NotifyChanges();

    // The selected rows, from the highest index to the lowest.
    std::vector<int> GetSelectedRows() const;

    // Runs one command the way the window's dispatch does: a failure that escapes it is
    // shown in an error box and the program runs on.
    void RunCommand(const std::function<void()>& command);

    // Starts a run of the scheduler through `start` and returns its report once it and what
    // follows it (the sort and the save) have ended. While the pages download the window
    // repaints and the tray icon answers, but nothing the user does reaches the window or its
    // dialogs but the progress display's Stop; a tick waits for the end.
    RunReport RunChecks(const std::function<bool()>& start);
    // Downloads a favorite's first snapshot; the stamp for Last Updated, or "Never" when the
    // download failed or was stopped.
    QString DownloadFirstSnapshot(const QString& address);
    // Runs the Add or Edit dialog; a tick that falls while it is open waits for it.
    int ExecHoldingTicks(QDialog& dialog);

    bool isRunInProgress() const { return m_scheduler.isRunning(); }
    // A run is under way, or its change prompt is yet to come or is open.
    bool isChecking() const { return m_scheduler.isRunning() || m_promptsPending > 0; }
    // A tick came while a run or the Add or Edit dialog held it off, and waits for its turn.
    bool isTickWaiting() const { return m_scheduler.isTickWaiting(); }
    // The progress display of a long run, while there is one.
    CheckProgressDlg* progressDialog() const;

signals:
    // The window has saved the favorites and closed; the program ends.
    void ended();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // An address dropped on the window opens Add with it; a bookmarks file opens the chooser.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    // Escape runs Add Favorite; nothing may end the window but its close path.
    void reject() override;

private:
    void OnInitDialog();
    // The ways from the list's rows to the Changes window, and the list's menu.
    void setUpChangesView();
    // Add Favorite with the dialog opened on `address`.
    void addFavorite(const QString& address);
    // Runs a command once the event that asked for it has ended, unless a run is under way by then.
    void runLater(std::function<void()> command);
    // Tells the user when the first snapshot just downloaded for `address` lacks the part of
    // the page its rule chooses.
    void WarnOfMissingPart(const QString& address, const ChangeRule& rule);
    // Writes the favorites file; a failure is shown to the user and the caller goes on.
    void SaveFavoritesOrWarn();
    void ShowError(const QString& message);
    // The owner of a message box: the window while the user can see it, otherwise none,
    // since a box owned by a hidden or minimised window may not be seen either.
    QWidget* boxOwner();
    void connectCommand(QPushButton* button, void (CNelvoxDlg::*handler)());
    // What the window shows of the scheduler's runs.
    void connectScheduler();
    // A run has ended: the failures it found are shown, and its changes bring the prompt.
    void onChecksFinished(const RunReport& report);
    // The favorites failing at their last check, in the list and the tray icon's tip.
    void showFailures();
    // Shows how far a long run has come: a dialog over the window while the user can see it,
    // and the tray icon's tip.
    void updateProgressDisplay();
    // Answers the dialogs that commands wait on with Cancel or No, so that they end.
    void closeModalDialogs();

    std::unique_ptr<Ui::CNelvoxDlg> m_ui;
    FavoritesList m_favorites;
    CheckScheduler m_scheduler { m_favorites };
    FailureMarks m_failureMarks { m_favorites, m_scheduler.states() };
    bool m_ended = false;
    // While pages download: the hold on the user's input, the progress display, and whether
    // the run has lasted long enough to show it.
    std::optional<InputHold> m_inputHold;
    std::unique_ptr<CheckProgressDlg> m_progress;
    QTimer m_longRunTimer;
    bool m_longRun = false;
    // Change prompts that a run's end has asked for and that are yet to close.
    int m_promptsPending = 0;
    // Commands under way, nested in each other's dialogs.
    int m_commandDepth = 0;
    // Quit came while a command was under way: the program ends once the command has.
    bool m_quitRequested = false;
    // The rule chosen in the last Add, offered by the next.
    ChangeRule m_lastAddedRule;
    // The tray icon, the window's hiding into the tray and its way back.
    std::unique_ptr<TrayPresence> m_tray;

    QPushButton* m_btnUpdateAll = nullptr;
    QPushButton* m_btnAdd = nullptr;
    QCheckBox* m_chkNotify = nullptr;
    QPushButton* m_btnVisit = nullptr;
    QPushButton* m_btnDelete = nullptr;
    QPushButton* m_btnEdit = nullptr;
    QTreeView* m_listFavorites = nullptr;
    // The icon of m_tray, which the runs of checks and the change notification drive.
    CSTI* m_trayIcon = nullptr;
    QIcon m_hIcon;
};
