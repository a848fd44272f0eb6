// The main window and its tray icon: hiding at the first paint and on minimise where a tray
// is at hand, staying reachable where none is, and what a click on the icon does.
#include "app/CNelvoxDlg.h"
#include "app/CSTI.h"
#include "support/ModalAnswerer.h"
#include "support/TempWorkDir.h"
#include "support/UrlRecorder.h"

#include <QAction>
#include <QDesktopServices>
#include <QItemSelectionModel>
#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <optional>

namespace {

// How long a test gives the window to do something that it must not do.
constexpr int kSettleMs = 300;

class TrayBehaviour : public InTempDir {
protected:
    // Whether the windows made with windowOptions() see a tray from now on.
    void withTray(bool available) { m_tray = available; }
    // The desktop's answer until withTray() is called.
    WindowOptions windowOptions()
    {
        return { .now = {},
            .trayAvailable = [this] { return m_tray ? *m_tray : QSystemTrayIcon::isSystemTrayAvailable(); } };
    }
    static void click(CNelvoxDlg& window)
    {
        emit window.trayIcon().systemTrayIcon().activated(QSystemTrayIcon::Trigger);
    }

    // Shows the window and waits until it has painted.
    static void showAndPaint(CNelvoxDlg& window)
    {
        struct PaintCounter : QObject {
            int paints = 0;
            bool eventFilter(QObject*, QEvent* event) override
            {
                paints += event->type() == QEvent::Paint;
                return false;
            }
        } counter;
        window.installEventFilter(&counter);
        window.show();
        EXPECT_TRUE(WaitFor([&] { return counter.paints > 0; })) << "the window must paint";
        window.removeEventFilter(&counter);
    }

    // Minimises the window as its minimise button does.
    static void minimise(CNelvoxDlg& window) { window.setWindowState(window.windowState() | Qt::WindowMinimized); }

    std::optional<bool> m_tray;
};

TEST_F(TrayBehaviour, WithoutATrayTheWindowStaysReachable)
{
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable()) << "the offscreen platform has no tray";
    CNelvoxDlg window(windowOptions());
    showAndPaint(window);
    EXPECT_FALSE(WaitFor([&] { return !window.isVisible(); }, kSettleMs))
        << "no tray: the window stays after its first paint";
    EXPECT_TRUE(window.trayIcon().systemTrayIcon().isVisible()) << "the icon is shown for a tray that may come";

    minimise(window);
    EXPECT_FALSE(WaitFor([&] { return !window.isVisible(); }, kSettleMs)) << "no tray: minimising must not hide";
    EXPECT_TRUE(window.isMinimized()) << "minimised on the taskbar";
    EXPECT_FALSE(window.hasEnded());
}

TEST_F(TrayBehaviour, WithATrayTheWindowHidesAtItsFirstPaintAndOnMinimise)
{
    withTray(true);
    CNelvoxDlg window(windowOptions());
    showAndPaint(window);
    EXPECT_TRUE(WaitFor([&] { return !window.isVisible(); })) << "the window goes into the tray at its first paint";
    EXPECT_TRUE(window.trayIcon().systemTrayIcon().isVisible());

    click(window);
    EXPECT_TRUE(window.isVisible()) << "a click on the icon shows the window";
    window.update();
    EXPECT_FALSE(WaitFor([&] { return !window.isVisible(); }, kSettleMs)) << "only the first paint hides";

    const QRect before = window.geometry();
    minimise(window);
    EXPECT_TRUE(WaitFor([&] { return !window.isVisible(); })) << "minimising hides the window in the tray";
    EXPECT_FALSE(WaitFor([&] { return window.isVisible(); }, kSettleMs)) << "the window came back by itself";

    click(window);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isMinimized());
    EXPECT_EQ(window.geometry(), before);
    EXPECT_FALSE(window.hasEnded());
}

TEST_F(TrayBehaviour, TheFirstClickFlipsTheAlertAndEveryClickLeavesItOff)
{
    withTray(true);
    CNelvoxDlg window(windowOptions());
    showAndPaint(window);
    ASSERT_TRUE(WaitFor([&] { return !window.isVisible(); }));
    QSignalSpy toggles(&window.trayIcon(), &CSTI::alertToggled);

    // The first click of the run, alert off: on, then off again.
    click(window);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.trayIcon().IsTrayAlertOn());
    ASSERT_EQ(toggles.count(), 2) << "the first click flips the alert, then ends it";
    EXPECT_TRUE(toggles.at(0).value(0).toBool());
    EXPECT_FALSE(toggles.at(1).value(0).toBool());

    // A second click in a row: still shown, alert off, nothing flipped.
    click(window);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.trayIcon().IsTrayAlertOn());
    EXPECT_EQ(toggles.count(), 2);

    // After a No to a change prompt the alert is on; a click shows the window and ends it.
    window.hide();
    window.trayIcon().ToggleTrayAlert();
    toggles.clear();
    click(window);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.trayIcon().IsTrayAlertOn());
    EXPECT_EQ(toggles.count(), 1);

    // Other ways of touching the icon do not count as a click.
    window.hide();
    emit window.trayIcon().systemTrayIcon().activated(QSystemTrayIcon::Context);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(TrayBehaviour, AFirstClickWhileTheAlertIsOnEndsIt)
{
    withTray(true);
    CNelvoxDlg window(windowOptions());
    showAndPaint(window);
    ASSERT_TRUE(WaitFor([&] { return !window.isVisible(); }));
    window.trayIcon().ToggleTrayAlert();
    QSignalSpy toggles(&window.trayIcon(), &CSTI::alertToggled);
    click(window);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.trayIcon().IsTrayAlertOn());
    EXPECT_EQ(toggles.count(), 1) << "the first click's flip already ended it";
}

TEST_F(TrayBehaviour, TheBadgeShowsWhileAnyRowSaysYesFromTheStartOn)
{
    withTray(true);
    WriteAll(
        "nelvox.ini", "2\r\nhttp://a.example/ H10/02/21 09:00 AM YES\r\nhttp://b.example/ H10/02/21 09:00 AM YES\r\n");
    CNelvoxDlg window(windowOptions());
    CSTI& tray = window.trayIcon();
    EXPECT_TRUE(tray.IsBadgeOn()) << "rows marked changed in the file show the badge at start";
    EXPECT_EQ(tray.systemTrayIcon().toolTip(), QStringLiteral("Nelvox v1.0 - 2 favorites changed"));
    showAndPaint(window);
    ASSERT_TRUE(WaitFor([&] { return !window.isVisible(); }));

    // Two notifications flip the alert on and off again, as they do without a look; a click
    // ends the alert. None of them may take the badge while rows say YES.
    tray.ToggleTrayAlert();
    tray.ToggleTrayAlert();
    EXPECT_TRUE(tray.IsBadgeOn()) << "a second notification took the badge";
    click(window);
    EXPECT_FALSE(tray.IsTrayAlertOn());
    EXPECT_TRUE(tray.IsBadgeOn()) << "a click took the badge";

    UrlRecorder browser;
    QDesktopServices::setUrlHandler("http", &browser, "open");
    auto visit = [&](int row) {
        QItemSelectionModel* selection = window.findChild<QTreeView*>("listFavorites")->selectionModel();
        selection->clearSelection();
        selection->select(window.favorites().index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        window.RunCommand([&] { window.OnVisitSelected(); });
    };
    visit(0);
    QDesktopServices::unsetUrlHandler("http");
    EXPECT_EQ(browser.urls().size(), 1);
    EXPECT_TRUE(tray.IsBadgeOn()) << "one row still says YES";
    EXPECT_EQ(tray.systemTrayIcon().toolTip(), QStringLiteral("Nelvox v1.0 - 1 favorite changed"));
    window.favorites().deleteFavorite(1);
    EXPECT_FALSE(tray.IsBadgeOn()) << "the last YES gone, the badge goes";
    EXPECT_EQ(tray.systemTrayIcon().toolTip(), QStringLiteral("Nelvox v1.0"));
    window.favorites().insertFavorite(0, QStringLiteral("http://c.example/"));
    window.favorites().setText(0, FavoritesList::Changed, QStringLiteral("YES"));
    EXPECT_TRUE(tray.IsBadgeOn()) << "a row marked changed by a check shows it again";
}

TEST_F(TrayBehaviour, ATrayThatComesUpLaterTakesOverMinimising)
{
    withTray(false);
    CNelvoxDlg window(windowOptions());
    QSignalSpy appeared(&window.trayIcon(), &CSTI::trayAppeared);
    showAndPaint(window);
    EXPECT_FALSE(WaitFor([&] { return !window.isVisible(); }, kSettleMs));
    minimise(window);
    EXPECT_FALSE(WaitFor([&] { return !window.isVisible(); }, kSettleMs));
    EXPECT_TRUE(window.isMinimized());
    window.showNormal();

    withTray(true);
    ASSERT_TRUE(WaitFor([&] { return appeared.count() == 1; }, 5000)) << "the window looks for a tray again";
    EXPECT_TRUE(window.isVisible()) << "a tray that comes up does not take the window away";
    minimise(window);
    EXPECT_TRUE(WaitFor([&] { return !window.isVisible(); })) << "now minimising goes into the tray";
    click(window);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isMinimized());
}

TEST_F(TrayBehaviour, TheIconsMenuOpensTheAboutBoxAndQuits)
{
    withTray(true);
    WriteAll("nelvox.ini", "1\r\nhttp://a.example/ HNever \r\n");
    CNelvoxDlg window(windowOptions());
    showAndPaint(window);
    ASSERT_TRUE(WaitFor([&] { return !window.isVisible(); }));
    QMenu& menu = window.trayIcon().contextMenu();
    ASSERT_EQ(menu.actions().size(), 4);

    ModalAnswerer answers;
    answers.thenClick("OK");
    menu.actions()[2]->trigger();
    EXPECT_EQ(answers.pending(), 0);
    EXPECT_EQ(answers.titles().value(0), QStringLiteral("About Nelvox"));
    EXPECT_FALSE(window.isVisible()) << "the About box leaves the window in the tray";

    QSignalSpy ended(&window, &CNelvoxDlg::ended);
    QFile::remove("nelvox.ini");
    menu.actions()[3]->trigger();
    EXPECT_EQ(ended.count(), 1) << "Quit ends the program";
    EXPECT_TRUE(window.hasEnded());
    EXPECT_EQ(ReadAll("nelvox.ini"), "1\r\nhttp://a.example/ HNever \r\n") << "Quit saves as the Quit button does";
}

TEST_F(TrayBehaviour, TheIconsMenuShowsTheWindowAndUpdatesAll)
{
    withTray(true);
    // Nothing listens on the discard port of the loopback address: a check of it fails at once.
    WriteAll("nelvox.ini", "1\r\nhttp://127.0.0.1:9/ HNever \r\n");
    CNelvoxDlg window(windowOptions());
    showAndPaint(window);
    ASSERT_TRUE(WaitFor([&] { return !window.isVisible(); }));
    QMenu& menu = window.trayIcon().contextMenu();
    ASSERT_EQ(menu.actions().size(), 4);

    window.trayIcon().ToggleTrayAlert();
    menu.actions()[0]->trigger();
    EXPECT_TRUE(window.isVisible()) << "Show Nelvox shows the window";
    EXPECT_FALSE(window.trayIcon().IsTrayAlertOn()) << "and ends the alert, as a click does";

    // While a command of the window is under way, the tray starts no run of its own.
    window.RunCommand([&] { menu.actions()[1]->trigger(); });
    EXPECT_EQ(window.trayIcon().systemTrayIcon().toolTip(), QStringLiteral("Nelvox v1.0")) << "a run was started";
    menu.actions()[1]->trigger();
    ASSERT_TRUE(WaitFor([&] { return !window.isChecking(); })) << "Update All Now did not end";
    EXPECT_EQ(window.trayIcon().systemTrayIcon().toolTip(), QStringLiteral("Nelvox v1.0 - 1 favorite failing"))
        << "Update All Now checked the favorite";
    EXPECT_FALSE(window.isRunInProgress());
}

} // namespace
