// The hourly tick against a loopback server and a clock set by the test: the notification
// box, the schedule of every row settled at the tick's time, one prompt per tick, the save
// at every tick, and a tick that waits for the Add Favorite dialog.
#include "UpdateFixture.h"

#include "app/CNelvoxDlg.h"
#include "app/CSTI.h"
#include "store/Frequency.h"
#include "support/ModalAnswerer.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSystemTrayIcon>

#include <gtest/gtest.h>

#include <atomic>
#include <optional>

namespace {

// Friday 1 October 2021: every frequency is due in the hour from five.
const QDate kFridayTheFirst(2021, 10, 1);
// Saturday 2 October 2021.
const QDate kSaturday(2021, 10, 2);

class ScheduledChecks : public UpdateFixture {
protected:
    // A window that reads the test's clock and sees a tray where the test said there is one.
    WindowOptions windowOptions()
    {
        return { .now = m_clock.function(),
            .trayAvailable = [this] { return m_tray ? *m_tray : QSystemTrayIcon::isSystemTrayAvailable(); } };
    }
    // Runs one tick the way the window's timer does.
    void tick(CNelvoxDlg& window)
    {
        window.RunCommand([&] { window.OnTimer(); });
        ASSERT_TRUE(WaitFor([&] { return !window.isChecking(); }, 30000)) << "the tick did not end";
    }
    // Arms the timer with a period that no tick uses, so that a re-arm shows.
    void armForTest(CNelvoxDlg& window) { window.checkTimer().start(kTestPeriodMs); }
    bool reArmed(CNelvoxDlg& window)
    {
        return window.checkTimer().isActive() && window.checkTimer().interval() == CNelvoxDlg::kCheckIntervalMs;
    }
    QByteArray line(const std::string& path, const char* code, const char* lastUpdated, const char* changed)
    {
        return url(path).toUtf8() + " " + code + lastUpdated + " " + changed + "\r\n";
    }

    static constexpr int kTestPeriodMs = 50'000;
    // Whether the windows see a tray; the desktop's answer unless set.
    std::optional<bool> m_tray;
};

TEST_F(ScheduledChecks, WithTheBoxClearedATickChecksNothingButReArmsAndSaves)
{
    setClock(QDateTime(kFridayTheFirst, QTime(17, 10, 0)));
    m_server.setPage("/b", "page b has grown\n");
    m_server.setPage("/a", "page a has grown\n");
    staleSnapshot("/a");
    staleSnapshot("/b");
    CNelvoxDlg window(windowOptions());
    // Not even a session is needed.
    window.scheduler().transferOptions().sessionRefused = true;
    addRow(window, "/b", "H");
    addRow(window, "/a", "D");
    window.findChild<QCheckBox*>("chkNotify")->setChecked(false);
    armForTest(window);
    ModalAnswerer answers;
    answers.thenClick("OK");
    tick(window);

    EXPECT_EQ(answers.pending(), 1) << "no prompt and no error: " << answers.texts().join("|").toStdString();
    EXPECT_EQ(asked(), "");
    EXPECT_TRUE(reArmed(window));
    EXPECT_FALSE(window.trayIcon().IsTrayAlertOn());
    // Saved in the list's order, not sorted.
    EXPECT_EQ(ReadAll("nelvox.ini"), "2\r\n" + line("/b", "H", "Never", "") + line("/a", "D", "Never", ""));
}

TEST_F(ScheduledChecks, ASessionThatCannotBeCreatedEndsTheTickWithAnError)
{
    setClock(QDateTime(kSaturday, QTime(10, 0, 0)));
    CNelvoxDlg window(windowOptions());
    window.scheduler().transferOptions().sessionRefused = true;
    addRow(window, "/a", "H");

    // The window's own timer, fired once, so that the path from the timer to the error box
    // is the real one.
    window.checkTimer().setSingleShot(true);
    window.checkTimer().start(1);
    ModalAnswerer answers;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    answers.then([&](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            icon = box->icon();
        ModalAnswerer::findButton(modal, "OK")->click();
    });
    ASSERT_TRUE(WaitFor([&] { return answers.pending() == 0; })) << "the failure must be shown";
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeModalWidget() == nullptr; }));

    EXPECT_EQ(answers.titles().first(), QStringLiteral("Nelvox"));
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_FALSE(answers.texts().first().isEmpty());
    EXPECT_FALSE(window.checkTimer().isActive()) << "the tick ends before it arms the timer again";
    EXPECT_EQ(window.checkTimer().interval(), 1);
    EXPECT_FALSE(FileExists("nelvox.ini")) << "the tick ends before it saves";
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // An empty list still needs the session.
    CNelvoxDlg empty(windowOptions());
    empty.scheduler().transferOptions().sessionRefused = true;
    ModalAnswerer more;
    more.thenClick("OK");
    tick(empty);
    EXPECT_EQ(more.pending(), 0) << "an empty list opens the session too";

    empty.scheduler().transferOptions().sessionRefused = false;
    ModalAnswerer none;
    none.thenClick("OK");
    armForTest(empty);
    tick(empty);
    EXPECT_EQ(none.pending(), 1);
    EXPECT_TRUE(reArmed(empty));
    EXPECT_EQ(ReadAll("nelvox.ini"), "0\r\n");
}

TEST_F(ScheduledChecks, WhatIsDueIsSettledAtTheTickTimeWhateverTheStampsSay)
{
    // The clock advances as it is read: the tick begins at 17:59:58, and the stamp of every
    // change says 18:00:03. Every row due at the tick's own time is checked all the same.
    std::atomic<int> reads = 0;
    m_clock.setSource(
        [&reads] { return QDateTime(kFridayTheFirst, reads++ == 0 ? QTime(17, 59, 58) : QTime(18, 0, 3)); });
    for (const char* path : { "/a", "/b", "/c", "/d", "/e" }) {
        m_server.setPage(path, QByteArray("page ") + path + " has grown\n");
        staleSnapshot(path);
    }
    markRequests();
    CNelvoxDlg window(windowOptions());
    addRow(window, "/a", "D");
    addRow(window, "/b", "D");
    addRow(window, "/c", "W");
    addRow(window, "/d", "M");
    addRow(window, "/e", "H");
    WriteAll("nelvox.ini", "0\r\n");
    armForTest(window);

    ModalAnswerer answers;
    bool armedBeforePrompt = false;
    QByteArray fileDuringPrompt;
    answers.then([&](QWidget* prompt) {
        armedBeforePrompt = reArmed(window);
        fileDuringPrompt = ReadAll("nelvox.ini");
        ModalAnswerer::findButton(prompt, "No")->click();
    });
    answers.thenClick("No");
    tick(window);

    EXPECT_EQ(askedInAnyOrder(), "/a/b/c/d/e") << "every row was due at 17:59:58";
    EXPECT_EQ(answers.pending(), 1) << "five changes, one prompt";
    EXPECT_TRUE(answers.texts().value(0).startsWith("Some of your Nelvox favorites have been changed"));
    EXPECT_TRUE(armedBeforePrompt) << "the timer is armed again before the prompt";
    EXPECT_EQ(fileDuringPrompt, ReadAll("nelvox.ini")) << "the stamps reach the file before the user is asked";
    EXPECT_TRUE(window.trayIcon().IsTrayAlertOn()) << "No leaves the alert on";
    EXPECT_EQ(ReadAll("nelvox.ini"),
        "5\r\n" + line("/a", "D", "10/01/21 06:00 PM", "YES") + line("/b", "D", "10/01/21 06:00 PM", "YES")
            + line("/c", "W", "10/01/21 06:00 PM", "YES") + line("/d", "M", "10/01/21 06:00 PM", "YES")
            + line("/e", "H", "10/01/21 06:00 PM", "YES"));
}

TEST_F(ScheduledChecks, FailuresAndMissingSnapshotsEndOnlyTheirOwnRow)
{
    setClock(QDateTime(kSaturday, QTime(11, 0, 0)));
    m_server.setHangUp("/broken", "the start of a page", 5000);
    m_server.setPage("/new", "a page without a snapshot\n");
    m_server.setPage("/grown", "a page that has grown\n");
    staleSnapshot("/grown");
    m_tray = true;

    CNelvoxDlg window(windowOptions());
    addRow(window, "/broken", "H");
    addRow(window, "/new", "H");
    addRow(window, "/grown", "H");
    window.show();
    ASSERT_TRUE(WaitFor([&] { return !window.isVisible(); }));
    ModalAnswerer answers;
    answers.thenClick("Yes");
    answers.thenClick("OK");
    tick(window);

    EXPECT_EQ(askedInAnyOrder(), "/broken/grown/new");
    EXPECT_EQ(answers.pending(), 1) << "one prompt, and no error box for the broken page";
    EXPECT_EQ(window.favorites().text(0, FavoritesList::LastUpdated), QStringLiteral("Never"));
    EXPECT_EQ(window.favorites().text(1, FavoritesList::Changed), QString()) << "a first snapshot is no change";
    EXPECT_EQ(window.favorites().text(1, FavoritesList::LastUpdated), QStringLiteral("10/02/21 11:00 AM"));
    EXPECT_EQ(snapshot("/new"), "a page without a snapshot\r\n") << "the download becomes the first snapshot";
    EXPECT_EQ(window.favorites().text(2, FavoritesList::Changed), QStringLiteral("YES"));
    EXPECT_TRUE(window.isVisible()) << "Yes brings the window back from the tray";
    EXPECT_FALSE(window.trayIcon().IsTrayAlertOn());
}

TEST_F(ScheduledChecks, ATickDuringTheAddDialogWaitsForItAndLeavesTheChosenFrequencyAlone)
{
    setClock(QDateTime(kSaturday, QTime(12, 0, 0)));
    m_server.setPage("/hourly", "an hourly page\n");
    snapshotAsServed("/hourly");
    m_server.setPage("/new", "the new favorite\n");
    markRequests();

    CNelvoxDlg window(windowOptions());
    addRow(window, "/hourly", "H");
    ModalAnswerer answers;
    bool tickWaited = false;
    answers.then([&](QWidget* dialog) {
        dialog->findChild<QLineEdit*>()->setText(url("/new"));
        dialog->findChild<QRadioButton*>("weeklyRadio")->click();
        // The tick comes while the dialog waits for the user, and must wait too.
        window.checkTimer().start(1);
        tickWaited = WaitFor([&] { return window.isTickWaiting(); }) && !reArmed(window) && !FileExists("nelvox.ini")
            && asked().empty();
        // One tick is enough: the waiting one must arm the timer again when it runs.
        window.checkTimer().stop();
        ModalAnswerer::findButton(dialog, "OK")->click();
    });
    window.findChild<QPushButton*>("btnAdd")->click();

    ASSERT_EQ(answers.pending(), 0);
    EXPECT_TRUE(tickWaited) << "the tick must not run inside the dialog";
    EXPECT_TRUE(WaitFor([&] { return reArmed(window); })) << "the tick runs once Add has ended";
    EXPECT_EQ(asked(), "/new/hourly") << "Add fetched its page, then the tick checked the hourly row";
    ASSERT_EQ(window.favorites().count(), 2);
    const int added = window.favorites().text(0, FavoritesList::WebSite) == url("/new") ? 0 : 1;
    EXPECT_EQ(window.favorites().text(added, FavoritesList::Updates), QStringLiteral("W"))
        << "the frequency chosen in the dialog, not the hourly one of the tick";
}

} // namespace
