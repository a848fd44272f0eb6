// The main window: the favorites list, the command buttons and the notification check
// box. Every command is a handler of this window and works on its favorites list.
#pragma once

#include "commands/DialogValues.h"
#include "store/FavoritesList.h"

#include <QDialog>
#include <QIcon>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

class CSTI;
class QCheckBox;
class QPushButton;
class QTreeView;
namespace Ui {
class CNelvoxDlg;
}

class CNelvoxDlg : public QDialog {
    Q_OBJECT
public:
    // The period of the scheduled checks.
    static constexpr int kCheckIntervalMs = 3'600'000;

    explicit CNelvoxDlg(QWidget* parent = nullptr);
    ~CNelvoxDlg() override;

    FavoritesList& favorites() { return m_favorites; }
    QTimer& checkTimer() { return m_timer; }
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
    // A click on the tray icon: shows the window and ends the alert.
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

signals:
    // The window has saved the favorites and closed; the program ends.
    void ended();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    // Escape runs Add Favorite; nothing may end the window but its close path.
    void reject() override;

private:
    void OnInitDialog();
    // The ways from the list's rows to the Changes window.
    void setUpChangesView();
    // Writes the favorites file; a failure is shown to the user and the caller goes on.
    void SaveFavoritesOrWarn();
    void ShowError(const QString& message);
    // The owner of a message box: the window while the user can see it, otherwise none,
    // since a box owned by a hidden or minimised window may not be seen either.
    QWidget* boxOwner();
    void connectCommand(QPushButton* button, void (CNelvoxDlg::*handler)());

    std::unique_ptr<Ui::CNelvoxDlg> m_ui;
    FavoritesList m_favorites;
    QTimer m_timer;
    bool m_ended = false;
    // One-shot flags of the tray behaviour: the window hides at its first paint, and the
    // first click on the icon flips the alert before ending it.
    bool m_hideAtFirstPaint = true;
    bool m_firstTrayClick = true;
    // The frequency that the scheduled checks give a row whose code is none of the four
    // letters: that of the row before it, also across ticks. The Add or Edit dialog keeps
    // its own choice in g_nCurrentFrequency, which a tick inside the dialog must not touch.
    int m_tickFrequency = FREQ_NONE;

    QPushButton* m_btnUpdateAll = nullptr;
    QPushButton* m_btnAdd = nullptr;
    QCheckBox* m_chkNotify = nullptr;
    QPushButton* m_btnVisit = nullptr;
    QPushButton* m_btnDelete = nullptr;
    QPushButton* m_btnEdit = nullptr;
    QTreeView* m_listFavorites = nullptr;
    CSTI* m_trayIcon = nullptr;
    QIcon m_hIcon;
};
