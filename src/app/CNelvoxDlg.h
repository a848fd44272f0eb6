// The main window: the favorites list, the command buttons and the notification check box. It
// runs the commands that its buttons, keys, menus and the tray icon ask for, shows their
// failures, and ends the program through its close path.
#pragma once

#include "app/CommandRunner.h"
#include "app/FavoritesModel.h"
#include "check/CheckScheduler.h"
#include "commands/FavoriteCommands.h"
#include "store/FavoritesList.h"

#include <QDateTime>
#include <QDialog>
#include <QIcon>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

class CheckProgressDlg;
class CheckSession;
class CSTI;
class FavoritesView;
class TrayPresence;
class QCheckBox;
class QPushButton;
class QTreeView;
namespace Ui {
class CNelvoxDlg;
}

// What a main window is made with besides its parent: the clock that its checks, stamps and
// exports read, and what tells whether the desktop has a tray. Left empty, they are the
// system's clock and Qt's answer.
struct WindowOptions {
    std::function<QDateTime()> now;
    std::function<bool()> trayAvailable;
};

class CNelvoxDlg : public QDialog {
    Q_OBJECT
public:
    // The period of the scheduled checks.
    static constexpr int kCheckIntervalMs = CheckScheduler::kCheckIntervalMs;

    explicit CNelvoxDlg(QWidget* parent = nullptr)
        : CNelvoxDlg(WindowOptions {}, parent)
    {
    }
    explicit CNelvoxDlg(const WindowOptions& options, QWidget* parent = nullptr);
    ~CNelvoxDlg() override;

    FavoritesList& favorites() { return m_favorites; }
    QTimer& checkTimer() { return m_scheduler.timer(); }
    CheckScheduler& scheduler() { return m_scheduler; }
    CSTI& trayIcon() { return *m_trayIcon; }
    // True once the window has saved and ended; the program then ends.
    bool hasEnded() const { return m_ended; }

    // Handlers of the window's commands. Add, Edit and Import return once their dialogs have
    // closed; the first snapshots they start follow while the window runs on (isChecking()).
    void OnOK();
    void OnAddFavorite() { m_commands.add(); }
    void OnEditSelected() { m_commands.edit(GetSelectedRows()); }
    void OnDeleteSelected() { m_commands.remove(GetSelectedRows()); }
    void OnVisitSelected() { m_commands.visit(GetSelectedRows()); }
    void OnUpdateAllNow() { m_scheduler.startUpdateAll(); }
    void OnTimer();
    void OnClickList();
    void OnHelp();
    void OnAbout();
    // Opens the Changes window for the favorite in `row`.
    void OnShowChanges(int row);
    void OnImportBookmarks() { m_commands.importBookmarks(); }
    void ImportBookmarksFrom(const QString& fileName) { m_commands.importFrom(fileName); }
    void OnExportFavorites() { m_commands.exportFavorites(); }
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
    void RunCommand(const std::function<void()>& command) { m_runner.run(command); }

    bool isRunInProgress() const { return m_scheduler.isRunning(); }
    // A run is under way, its change prompt is yet to come or is open, or a command waits
    // for the first snapshots it started.
    bool isChecking() const { return m_scheduler.isRunning() || m_promptsPending > 0 || m_commands.isWaiting(); }
    // A tick came while a run or the Add or Edit dialog held it off, and waits for its turn.
    bool isTickWaiting() const { return m_scheduler.isTickWaiting(); }
    // The progress display of a long run, while there is one.
    CheckProgressDlg* progressDialog() const;
    // How long a run lasts before it shows its progress (CheckSession::kLongRunDelayMs).
    void setLongRunDelay(int ms);

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

public slots:
    // Escape runs Add Favorite; nothing may end the window but its close path.
    void reject() override;

private:
    void OnInitDialog();
    // A command is under way: in a dialog of its own, or waiting for its first snapshots.
    bool isCommandUnderWay() const { return m_runner.isUnderWay(); }
    // Runs a command once the event that asked for it has ended, unless a run is under way by then.
    void runLater(std::function<void()> command);
    void ShowError(const QString& message) { m_runner.showError(message); }
    QWidget* boxOwner() { return m_runner.boxOwner(); }
    void connectCommand(QPushButton* button, void (CNelvoxDlg::*handler)());
    // What the window does at the end of a run that is not a command's own.
    void connectScheduler();
    // A run has ended: a Quit that came meanwhile ends the program, and changes bring the prompt.
    void onChecksFinished(const RunReport& report);
    // Answers the dialogs that commands wait on with Cancel or No, so that they end.
    void closeModalDialogs();

    std::unique_ptr<Ui::CNelvoxDlg> m_ui;
    FavoritesList m_favorites;
    CheckScheduler m_scheduler { m_favorites };
    // The list as the window shows it.
    FavoritesModel m_model { m_favorites, m_scheduler.states() };
    CommandRunner m_runner { *this, m_scheduler, [this] { OnOK(); } };
    FavoriteCommands m_commands { m_favorites, m_scheduler, m_runner };
    bool m_ended = false;
    // Change prompts that a run's end has asked for and that are yet to close.
    int m_promptsPending = 0;
    // The tray icon, the window's hiding into the tray and its way back.
    std::unique_ptr<TrayPresence> m_tray;
    // The list, and how the window follows the runs of checks.
    FavoritesView* m_view = nullptr;
    std::unique_ptr<CheckSession> m_session;

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
