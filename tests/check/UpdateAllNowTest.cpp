// Update All Now against a loopback server: every favorite is checked, failures are dropped
// row by row, changes bring the prompt whatever the notification box says, and the list is
// sorted and saved at every run.
#include "UpdateFixture.h"

#include "app/CChangesDlg.h"
#include "app/CNelvoxDlg.h"
#include "app/CSTI.h"
#include "app/CheckProgressDlg.h"
#include "support/ModalAnswerer.h"
#include "support/UrlRecorder.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <optional>

namespace {

const QString kPrompt = QStringLiteral("Some of your Nelvox favorites have been changed since your last update. "
                                       "Would you like to view them now?");

// What a prompt looked like while it was up.
struct PromptSeen {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::Critical;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    bool inFront = false;
    bool alertOn = false;
    bool windowVisible = false;
    bool fileWritten = false;
    bool busyCursor = false;
};

class UpdateAllNow : public UpdateFixture {
protected:
    // A window that reads the test's clock and sees a tray where the test said there is one.
    WindowOptions windowOptions()
    {
        return { .now = m_clock.function(),
            .trayAvailable = [this] { return m_tray ? *m_tray : QSystemTrayIcon::isSystemTrayAvailable(); } };
    }
    // Clicks Update All Now and waits until the run and the prompt it brings have ended.
    void clickUpdateAll(CNelvoxDlg& window)
    {
        window.findChild<QPushButton*>("btnUpdateAll")->click();
        ASSERT_TRUE(WaitFor([&] { return !window.isChecking(); }, 30000)) << "the run did not end";
    }

    // Queues an answer to the change prompt that notes what the prompt looked like.
    void answerPrompt(ModalAnswerer& answers, CNelvoxDlg& window, PromptSeen& seen, const QString& answer)
    {
        answers.then([&window, &seen, answer](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr) << "the prompt is a message box";
            seen.title = box->windowTitle();
            seen.text = box->text();
            seen.icon = box->icon();
            seen.buttons = box->standardButtons();
            seen.defaultButton = box->standardButton(box->defaultButton());
            // A box owned by a hidden window would not be seen.
            seen.inFront = box->isVisible()
                && (box->parentWidget() ? box->parentWidget()->isVisible()
                                        : box->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            seen.alertOn = window.trayIcon().IsTrayAlertOn();
            seen.windowVisible = window.isVisible();
            seen.fileWritten = FileExists("nelvox.ini");
            seen.busyCursor = QApplication::overrideCursor() != nullptr;
            ModalAnswerer::findButton(box, answer)->click();
        });
    }

    // Shows the window with a tray at hand, so that it goes into the tray at its first paint.
    void showInTray(CNelvoxDlg& window)
    {
        m_tray = true;
        window.show();
        ASSERT_TRUE(WaitFor([&] { return !window.isVisible(); })) << "the window must hide into the tray";
    }

    QByteArray line(const std::string& path, const char* code, const char* lastUpdated, const char* changed)
    {
        return url(path).toUtf8() + " " + code + lastUpdated + " " + changed + "\r\n";
    }

    // Whether the windows see a tray; the desktop's answer unless set.
    std::optional<bool> m_tray;
};

TEST_F(UpdateAllNow, ChecksEveryRowAndWithoutAChangeJustSortsAndSaves)
{
    setClock(QDateTime(QDate(2021, 10, 2), QTime(9, 0, 0)));
    m_server.setPage("/c", "page c\n");
    m_server.setPage("/a", "page a\n");
    m_server.setPage("/b", "page b\n");
    m_server.setHangUp("/d", "the start of page d", 5000);
    snapshotAsServed("/c");
    snapshotAsServed("/a");
    markRequests();

    CNelvoxDlg window(windowOptions());
    addRow(window, "/c", "H");
    addRow(window, "/a", "M", "07/09/04 05:03 PM", "YES");
    addRow(window, "/d", "D");
    addRow(window, "/b", "W"); // no snapshot
    ModalAnswerer answers;
    answers.thenClick("No"); // only in case a prompt comes, which it must not
    clickUpdateAll(window);

    EXPECT_EQ(answers.pending(), 1) << "no row changed, so no prompt and no error box: "
                                    << answers.texts().join("|").toStdString();
    EXPECT_EQ(askedInAnyOrder(), "/a/b/c/d") << "every row, whatever its frequency";
    EXPECT_FALSE(window.trayIcon().IsTrayAlertOn());
    EXPECT_EQ(snapshot("/b"), "page b\r\n") << "a favorite without a snapshot gets its first";
    EXPECT_TRUE(ReadAll("tempupd.nvd").startsWith("the start of page d"))
        << "the last download that did not become a snapshot stays in the temporary file, even cut short";
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the busy cursor must end with the downloads";

    // Sorted by address; the row that was already changed keeps its mark and its stamp.
    EXPECT_EQ(ReadAll("nelvox.ini"),
        "4\r\n" + line("/a", "M", "07/09/04 05:03 PM", "YES") + line("/b", "W", "10/02/21 09:00 AM", "")
            + line("/c", "H", "Never", "") + line("/d", "D", "Never", ""));
}

TEST_F(UpdateAllNow, AnEmptyListOrNoSessionsStillSortAndSave)
{
    {
        CNelvoxDlg window(windowOptions());
        ModalAnswerer answers;
        answers.thenClick("OK");
        clickUpdateAll(window);
        EXPECT_EQ(answers.pending(), 1) << "nothing to say about an empty list";
        EXPECT_EQ(ReadAll("nelvox.ini"), "0\r\n");
    }

    // When no session can be created, every row fails on its own and silently.
    m_server.setPage("/a", "page a, longer than its snapshot\n");
    m_server.setPage("/b", "page b\n");
    staleSnapshot("/a");
    CNelvoxDlg window(windowOptions());
    window.scheduler().transferOptions().sessionRefused = true;
    addRow(window, "/b", "H");
    addRow(window, "/a", "D");
    ModalAnswerer answers;
    answers.thenClick("OK");
    clickUpdateAll(window);
    EXPECT_EQ(answers.pending(), 1) << "a row that cannot be checked is not reported: "
                                    << answers.texts().join("|").toStdString();
    EXPECT_EQ(m_server.requests().size(), 0u);
    EXPECT_EQ(window.favorites().text(0, FavoritesList::Changed), QString());
    EXPECT_EQ(ReadAll("nelvox.ini"), "2\r\n" + line("/a", "D", "Never", "") + line("/b", "H", "Never", ""));
}

TEST_F(UpdateAllNow, AChangePromptsEvenWithTheBoxClearedAndYesBringsTheWindowBack)
{
    setClock(QDateTime(QDate(2021, 10, 1), QTime(17, 0, 0)));
    m_server.setPage("/b", "page b has grown\n");
    m_server.setPage("/a", "page a has grown too\n");
    m_server.setPage("/c", "page c\n");
    staleSnapshot("/a");
    staleSnapshot("/b");
    snapshotAsServed("/c");

    CNelvoxDlg window(windowOptions());
    addRow(window, "/b", "H");
    addRow(window, "/a", "D");
    addRow(window, "/c", "W", "07/09/04 05:03 PM", "");
    window.findChild<QCheckBox*>("chkNotify")->setChecked(false);
    showInTray(window);

    ModalAnswerer answers;
    PromptSeen seen;
    answerPrompt(answers, window, seen, "Yes");
    answers.thenClick("No"); // a second prompt would be a fault
    clickUpdateAll(window);

    ASSERT_EQ(answers.pending(), 1) << "two changes give exactly one prompt";
    EXPECT_EQ(seen.title, QStringLiteral("Nelvox"));
    EXPECT_EQ(seen.text, kPrompt);
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(seen.defaultButton, QMessageBox::Yes);
    EXPECT_TRUE(seen.inFront) << "the prompt must be seen while the window is in the tray";
    EXPECT_TRUE(seen.alertOn) << "the alert is on while the user is asked";
    EXPECT_FALSE(seen.windowVisible);
    EXPECT_TRUE(seen.fileWritten) << "the list is saved before the user is asked";
    EXPECT_FALSE(seen.busyCursor) << "no busy cursor over the question";

    EXPECT_TRUE(window.isVisible()) << "Yes brings the window back";
    EXPECT_FALSE(window.isMinimized());
    EXPECT_FALSE(window.trayIcon().IsTrayAlertOn()) << "Yes ends the alert";
    EXPECT_TRUE(snapshot("/a").startsWith("page a has grown too"));
    EXPECT_TRUE(snapshot("/b").startsWith("page b has grown"));
    EXPECT_EQ(ReadAll("nelvox.ini"),
        "3\r\n" + line("/a", "D", "10/01/21 05:00 PM", "YES") + line("/b", "H", "10/01/21 05:00 PM", "YES")
            + line("/c", "W", "07/09/04 05:03 PM", ""));
}

TEST_F(UpdateAllNow, AFailingFavoriteShowsAWarningWithItsReasonAndTheTrayTipCountsIt)
{
    m_server.setPage("/gone", "no such page\n", 404);
    m_server.setPage("/fine", "a page\n");
    snapshotAsServed("/fine");
    CNelvoxDlg window(windowOptions());
    addRow(window, "/fine", "H");
    addRow(window, "/gone", "H");
    // Nothing listens on the discard port of the loopback address.
    window.favorites().insertFavorite(2, QStringLiteral("http://127.0.0.1:9/"));
    const QAbstractItemModel* shown = window.findChild<QTreeView*>("listFavorites")->model();
    auto cell = [&](int row, int role) { return shown->index(row, FavoritesList::WebSite).data(role); };
    ModalAnswerer answers;
    answers.thenClick("OK"); // no box may come

    setClock(QDateTime(QDate(2021, 10, 2), QTime(9, 0, 0)));
    clickUpdateAll(window);
    setClock(QDateTime(QDate(2021, 10, 2), QTime(10, 0, 0)));
    clickUpdateAll(window);

    EXPECT_EQ(answers.pending(), 1) << "a failure asks nothing";
    EXPECT_FALSE(cell(0, Qt::DecorationRole).isValid()) << "a favorite that never failed looks as ever";
    EXPECT_TRUE(cell(1, Qt::DecorationRole).isValid());
    EXPECT_EQ(cell(1, Qt::ToolTipRole).toString(),
        url("/gone")
            + "\nLast check failed 2 times in a row since 10/02/21 09:00 AM: HTTP 404 Not Found"
              "\nThe page has not been fetched yet.");
    EXPECT_TRUE(cell(2, Qt::ToolTipRole).toString().contains(": connection refused\n"))
        << cell(2, Qt::ToolTipRole).toString().toStdString();
    EXPECT_EQ(window.trayIcon().systemTrayIcon().toolTip(), "Nelvox v1.0 - 2 favorites failing");

    m_server.setPage("/gone", "back again\n");
    clickUpdateAll(window);
    EXPECT_FALSE(cell(1, Qt::DecorationRole).isValid()) << "the next success clears the mark";
    EXPECT_EQ(window.trayIcon().systemTrayIcon().toolTip(), "Nelvox v1.0 - 1 favorite failing");
}

TEST_F(UpdateAllNow, NoLeavesTheAlertOnUntilTheNextNotificationFlipsIt)
{
    setClock(QDateTime(QDate(2021, 10, 2), QTime(9, 30, 0)));
    m_server.setPage("/a", "page a has grown\n");
    staleSnapshot("/a");
    markRequests();
    CNelvoxDlg window(windowOptions());
    addRow(window, "/a", "H");
    showInTray(window);

    {
        ModalAnswerer answers;
        PromptSeen seen;
        answerPrompt(answers, window, seen, "No");
        clickUpdateAll(window);
        ASSERT_EQ(answers.pending(), 0) << "the change must be announced";
        EXPECT_TRUE(window.trayIcon().IsTrayAlertOn()) << "No leaves the alert on";
        EXPECT_FALSE(window.isVisible()) << "No leaves the window in the tray";
    }
    {
        // Nothing new: no prompt, and the alert stays as it was.
        ModalAnswerer answers;
        answers.thenClick("No");
        clickUpdateAll(window);
        EXPECT_EQ(answers.pending(), 1);
        EXPECT_TRUE(window.trayIcon().IsTrayAlertOn());
    }
    {
        // The next change flips the alert without looking at it: it goes off.
        m_server.setPage("/a", "page a has grown once more\n");
        ModalAnswerer answers;
        PromptSeen seen;
        answerPrompt(answers, window, seen, "Yes");
        clickUpdateAll(window);
        ASSERT_EQ(answers.pending(), 0);
        EXPECT_FALSE(seen.alertOn) << "a notification while an alert is on switches it off";
        EXPECT_FALSE(window.trayIcon().IsTrayAlertOn()) << "Yes leaves it off";
        EXPECT_TRUE(window.isVisible());
    }
    EXPECT_EQ(asked(), "/a/a/a");
    EXPECT_TRUE(snapshot("/a").startsWith("page a has grown once more"));
}

// The Changes window compares the copy the user last looked at with the newest: three runs'
// changes show at once, and after a look (the window itself, or a Visit) only later ones.
TEST_F(UpdateAllNow, TheChangesWindowShowsEverythingSinceTheLastLookAndAVisitIsALook)
{
    UrlRecorder browser;
    CNelvoxDlg window(windowOptions());
    addRow(window, "/a", "H");
    QByteArray page = "<p>opening hours</p>\n";
    m_server.setPage("/a", page);
    snapshotAsServed("/a");
    ModalAnswerer answers;
    auto change = [&](const char* day) {
        page += "<p>" + QByteArray(day) + "</p>\n";
        m_server.setPage("/a", page);
        answers.thenClick("No");
        clickUpdateAll(window);
    };
    // What the window for the row says of its earlier copy, and how many lines it adds.
    auto shown = [&] {
        EXPECT_TRUE(window.scheduler().history().waitUntilWritten(30'000));
        window.OnShowChanges(0);
        QStringList said;
        // Found first, then deleted: a window takes its menus, top-level widgets too, along.
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* changes = qobject_cast<CChangesDlg*>(widget)) {
                said << changes->findChild<QLabel*>("labelPreviousTime")->text()
                     << changes->findChild<QLabel*>("labelCounts")->text();
                changes->deleteLater();
            }
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return said;
    };

    change("Monday");
    QTreeView* list = window.findChild<QTreeView*>("listFavorites");
    list->selectionModel()->select(
        window.favorites().index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    window.OnVisitSelected();
    ASSERT_EQ(browser.urls().size(), 1);
    EXPECT_TRUE(window.favorites().text(0, FavoritesList::Changed).isEmpty());
    for (const char* day : { "Tuesday", "Wednesday", "Thursday" })
        change(day);
    QStringList said = shown();
    ASSERT_EQ(said.size(), 2);
    EXPECT_TRUE(said[0].endsWith(", when you last looked; 2 copies lie between them")) << said[0].toStdString();
    EXPECT_EQ(said[1], "3 lines added, 0 lines removed");

    change("Friday");
    said = shown();
    ASSERT_EQ(said.size(), 2);
    EXPECT_TRUE(said[0].endsWith(", when you last looked; 0 copies lie between them")) << said[0].toStdString();
    EXPECT_EQ(said[1], "1 line added, 0 lines removed") << "the window was a look too";
}

// Runs that take their time: the window shows their progress, holds off the user's commands
// and the tick, and Stop or Quit end them keeping what finished.
class LongRun : public UpdateAllNow {
protected:
    // Rows /grown (changed), then two pages that never finish, given up after 2 s without a
    // byte; the stamps of a fixed clock.
    void addRows(CNelvoxDlg& window)
    {
        window.setLongRunDelay(0);
        window.scheduler().transferOptions().lowSpeedTimeSeconds = 2;
        setClock(QDateTime(QDate(2021, 10, 2), QTime(11, 0, 0)));
        m_server.setPage("/grown", "a page that has grown\n");
        m_server.setStall("/stalled", "the start of a page\n", 5000);
        m_server.setStall("/also-stalled", "the start of another page\n", 5000);
        for (const char* path : { "/stalled", "/grown", "/also-stalled" }) {
            addRow(window, path, "H");
            staleSnapshot(path);
        }
    }
    bool grownIsMarked(CNelvoxDlg& window) { return window.favorites().text(1, FavoritesList::Changed) == "YES"; }
    void expectStalledRowsUntouched(CNelvoxDlg& window)
    {
        for (const char* path : { "/stalled", "/also-stalled" }) {
            EXPECT_EQ(snapshot(path), "old\n") << path;
            const QString line = QString::fromUtf8(ReadAll("nelvox.ini"));
            EXPECT_TRUE(line.contains(url(path) + " HNever \r\n")) << path << " in\n" << line.toStdString();
        }
        EXPECT_TRUE(QDir::current().entryList({ "tempupd.nvd.*" }).isEmpty()) << "abandoned downloads are removed";
        EXPECT_FALSE(window.isRunInProgress());
    }
};

TEST_F(LongRun, ShowsItsProgressHoldsOffCommandsAndStopKeepsWhatFinished)
{
    m_tray = false;
    CNelvoxDlg window(windowOptions());
    addRows(window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    ModalAnswerer answers;
    QString progressText;
    bool addHeldOff = false;
    answers.then([&](QWidget* modal) {
        ASSERT_EQ(modal, window.progressDialog()) << "the progress display comes first";
        EXPECT_EQ(modal->parentWidget(), &window);
        EXPECT_EQ(modal->windowModality(), Qt::WindowModal) << "the tray must keep working";
        // Not "Nelvox", the caption of the change prompt and the error boxes.
        EXPECT_EQ(modal->windowTitle(), "Nelvox v1.0 - Checking Favorites");
        ASSERT_TRUE(WaitFor([&] { return grownIsMarked(window); }));
        ASSERT_TRUE(WaitFor([&] { return window.progressDialog()->text() == "Checking favorites: 1 of 3"; }))
            << window.progressDialog()->text().toStdString();
        EXPECT_EQ(window.trayIcon().systemTrayIcon().toolTip(), "Nelvox v1.0 - checking 1 of 3");
        // Neither a click on Add nor Escape in the window may start a command now.
        QTest::mouseClick(window.findChild<QPushButton*>("btnAdd"), Qt::LeftButton);
        QTest::keyClick(&window, Qt::Key_Escape);
        QTest::keyClick(&window, Qt::Key_U, Qt::AltModifier);
        addHeldOff = QApplication::activeModalWidget() == modal && window.favorites().count() == 3;
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    PromptSeen seen;
    answerPrompt(answers, window, seen, "No");
    clickUpdateAll(window);

    EXPECT_EQ(answers.pending(), 0) << "the progress display, then the prompt for the one change";
    EXPECT_TRUE(addHeldOff);
    EXPECT_EQ(seen.text, kPrompt);
    EXPECT_TRUE(ReadAll("nelvox.ini").contains(url("/grown").toUtf8() + " H10/02/21 11:00 AM YES\r\n"));
    EXPECT_EQ(snapshot("/grown"), "a page that has grown\r\n");
    expectStalledRowsUntouched(window);
    EXPECT_EQ(window.progressDialog(), nullptr) << "the progress display closes with the run";
    EXPECT_EQ(window.trayIcon().systemTrayIcon().toolTip(), "Nelvox v1.0 - some of your favorites have changed");
    EXPECT_EQ(m_server.requestCount("/grown"), 1) << "no second run was started";
}

TEST_F(LongRun, InTheTrayOnlyTheTipTellsAndQuitStopsSavesAndEnds)
{
    CNelvoxDlg window(windowOptions());
    addRows(window);
    showInTray(window);
    ModalAnswerer answers;
    answers.thenClick("Yes"); // a prompt must not come

    bool endedFromInside = false;
    QTimer::singleShot(0, &window, [&] {
        ASSERT_TRUE(window.isRunInProgress());
        ASSERT_TRUE(WaitFor([&] { return grownIsMarked(window); }));
        ASSERT_TRUE(WaitFor([&] {
            return window.trayIcon().systemTrayIcon().toolTip() == "Nelvox v1.0 - checking 1 of 3";
        })) << window.trayIcon().systemTrayIcon().toolTip().toStdString();
        EXPECT_EQ(window.progressDialog(), nullptr) << "no dialog over a window hidden in the tray";
        emit window.trayIcon().quitRequested();
        endedFromInside = window.hasEnded();
    });
    clickUpdateAll(window);

    EXPECT_FALSE(endedFromInside) << "the program ends only once the run has";
    EXPECT_TRUE(window.hasEnded());
    EXPECT_EQ(answers.pending(), 1) << "Quit asks nothing";
    EXPECT_TRUE(ReadAll("nelvox.ini").contains(url("/grown").toUtf8() + " H10/02/21 11:00 AM YES\r\n"));
    expectStalledRowsUntouched(window);
    EXPECT_EQ(window.trayIcon().systemTrayIcon().toolTip(), "Nelvox v1.0 - 1 favorite changed")
        << "the tip is back to its own, with the row the run marked";
}

TEST_F(LongRun, ATickDuringARunWaitsAndRunsOnceItHasEnded)
{
    m_server.setSlowPage("/slow", "a slow page\n", std::chrono::milliseconds(300));
    snapshotAsServed("/slow");
    CNelvoxDlg window(windowOptions());
    addRow(window, "/slow", "H");
    markRequests();
    bool tickWaited = false;
    QTimer::singleShot(0, &window, [&] {
        window.checkTimer().start(1);
        tickWaited = WaitFor([&] { return window.isTickWaiting(); }) && window.isRunInProgress();
        window.checkTimer().stop();
    });
    clickUpdateAll(window);

    EXPECT_TRUE(tickWaited) << "the tick must wait while Update All Now runs";
    EXPECT_TRUE(WaitFor([&] { return window.checkTimer().isActive() && !window.isTickWaiting(); }))
        << "the tick runs once the run has ended, and arms the timer again";
    EXPECT_TRUE(WaitFor([&] { return asked() == "/slow/slow"; })) << asked();
}

} // namespace
