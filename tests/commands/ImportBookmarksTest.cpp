// Import Bookmarks, Export Favorites and drops on the main window: the list's menu, the file
// dialogs and the chooser answered by the test, first snapshots from a loopback server.
#include "app/CNelvoxDlg.h"
#include "support/HttpServer.h"
#include "support/ModalAnswerer.h"
#include "support/TempWorkDir.h"
#include "support/TestClock.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QRadioButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <gtest/gtest.h>

namespace {

// Opens the list's menu at `at` in its viewport and triggers the item whose text is `item`;
// returns the texts the menu offered.
QStringList chooseFromListMenu(CNelvoxDlg& window, QPoint at, const QString& item)
{
    auto* list = window.findChild<QTreeView*>("listFavorites");
    QStringList offered;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        for (QAction* action : menu ? menu->actions() : QList<QAction*>()) {
            offered << action->text();
            if (action->text() == item)
                action->trigger();
        }
        if (menu)
            menu->close();
    });
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &rightClick);
    return offered;
}

class ImportBookmarks : public InTempDir {
protected:
    TestClock m_clock { QDateTime(QDate(2026, 12, 8), QTime(3, 10)) };
    // A window whose checks and stamps read the test's clock.
    WindowOptions withClock() const { return { .now = m_clock.function(), .trayAvailable = {} }; }

    QByteArray bookmarks() const
    {
        return QStringLiteral(
            "<!DOCTYPE NETSCAPE-Bookmark-file-1><DL><p><DT><H3>News</H3><DL><p>"
            "<DT><A HREF=\"%1\">A</A><DT><A HREF=\"http://127.0.0.1:1/taken\">Taken</A>"
            "<DT><A HREF=\"javascript:go()\">Script</A><DT><A HREF=\"%1\">A again</A>"
            "<DT><A HREF=\"%2\" NELVOX_UPDATES=\"W\">W</A><DT><A HREF=\"http://127.0.0.1:1/\">Down</A>")
            .arg(m_server.url("/a"), m_server.url("/w"))
            .toUtf8();
    }

    HttpServer m_server;
};

TEST_F(ImportBookmarks, TheChooserGreysWhatCannotBeAddedAndTheChosenAreAddedAndDownloaded)
{
    m_server.setPage("/a", "page a\n");
    m_server.setPage("/w", "page w\n");
    WriteAll("nelvox.ini", "1\r\nhttp://127.0.0.1:1/taken DNever \r\n");
    WriteAll("bookmarks.html", bookmarks());
    CNelvoxDlg window(withClock());
    ModalAnswerer answers;
    QStringList shown;
    QStringList tips;
    answers.then([&](QWidget* chooser) {
        // Each entry as "title|note", greyed ones marked "x"; and the tips of its three cells.
        for (QTreeWidgetItemIterator it(chooser->findChild<QTreeWidget*>("treeBookmarks")); *it; ++it) {
            shown << ((*it)->flags() & Qt::ItemIsEnabled ? "" : "x") + (*it)->text(0) + "|" + (*it)->text(2);
            tips << (*it)->toolTip(0) + "|" + (*it)->toolTip(1) + "|" + (*it)->toolTip(2);
        }
        chooser->findChild<QRadioButton*>("hourlyRadio")->click();
        ModalAnswerer::findButton(chooser, "OK")->click();
    });
    window.ImportBookmarksFrom("bookmarks.html");
    ASSERT_TRUE(WaitUntilSettled(window));
    EXPECT_EQ(shown,
        QStringList({ "News|", "A|", "xTaken|Already a favorite", "xScript|Not an http, https or file address",
            "xA again|Listed earlier in this file", "W|Weekly, as exported", "Down|" }));
    // The Note column cuts long notes off, and a favorite keeps no title: the tips show both.
    EXPECT_EQ(tips.value(0), "News||");
    EXPECT_EQ(tips.value(3), "Script|javascript:go()\nScript|Not an http, https or file address");
    EXPECT_EQ(tips.value(5), "W|" + m_server.url("/w") + "\nW|Weekly, as exported");

    // Sorted by address; the server's port decides where its rows go.
    QByteArrayList saved = ReadAll("nelvox.ini").split('\n');
    std::sort(saved.begin(), saved.end());
    EXPECT_EQ(saved,
        QByteArrayList({ "", "4\r", "http://127.0.0.1:1/ HNever \r", "http://127.0.0.1:1/taken DNever \r",
            m_server.url("/a").toUtf8() + " H12/08/26 03:10 AM \r",
            m_server.url("/w").toUtf8() + " W12/08/26 03:10 AM \r" }));
    EXPECT_EQ(m_server.requestCount("/a"), 1);
}

TEST_F(ImportBookmarks, PastTheLimitOkIsRefusedUntilTheChoiceFits)
{
    QByteArray full = "1021\r\n";
    for (int i = 0; i < 1021; ++i)
        full += "http://host.example/" + QByteArray::number(i) + " DNever \r\n";
    WriteAll("nelvox.ini", full);
    WriteAll("bookmarks.html", bookmarks());
    CNelvoxDlg window(withClock());
    ModalAnswerer answers;
    // OK from the event loop, so that the refusal's box is answered meanwhile.
    QWidget* chooser = nullptr;
    auto clickOk = [&] { QTimer::singleShot(0, chooser, [&] { ModalAnswerer::findButton(chooser, "OK")->click(); }); };
    answers.then([&](QWidget* shown) {
        chooser = shown;
        clickOk();
    });
    answers.then([&](QWidget* box) {
        EXPECT_EQ(window.favorites().count(), 1021) << "added before the refusal";
        ModalAnswerer::findButton(box, "OK")->click();
        // One fewer fits: 1,021 and 3.
        chooser->findChild<QTreeWidget*>("treeBookmarks")->topLevelItem(0)->child(0)->setCheckState(0, Qt::Unchecked);
        clickOk();
    });
    window.ImportBookmarksFrom("bookmarks.html");
    ASSERT_TRUE(WaitUntilSettled(window));
    EXPECT_EQ(answers.texts().value(1), "Nelvox can watch at most 1024 favorites.");
    EXPECT_TRUE(ReadAll("nelvox.ini").startsWith("1024\r\n"));
    EXPECT_FALSE(ReadAll("nelvox.ini").contains(m_server.url("/a").toUtf8())) << "the unchecked link was added";
}

TEST_F(ImportBookmarks, TheListMenuExportsAndImportsTheSameFavoritesAndFrequencies)
{
    const QByteArray favorites = "3\r\nfile:///nowhere/a.html MNever \r\nhttp://127.0.0.1:1/b HNever \r\n"
                                 "http://127.0.0.1:1/c?x=1&y=\"2\"<3> WNever \r\n";
    WriteAll("nelvox.ini", favorites);
    auto window = std::make_unique<CNelvoxDlg>(withClock());
    window->show();
    auto* list = window->findChild<QTreeView*>("listFavorites");
    EXPECT_EQ(chooseFromListMenu(*window, list->visualRect(list->model()->index(0, 0)).center(), {}),
        QStringList({ "Show &Changes...", "", "&Import Bookmarks...", "E&xport Favorites..." }));

    ModalAnswerer answers;
    auto chooseFile = [](QWidget* dialog) {
        qobject_cast<QFileDialog*>(dialog)->selectFile(QDir::current().filePath("favorites.html"));
        QMetaObject::invokeMethod(dialog, "accept");
    };
    answers.then(chooseFile);
    const QPoint below(5, list->viewport()->height() - 3);
    EXPECT_EQ(chooseFromListMenu(*window, below, "E&xport Favorites..."),
        QStringList({ "&Import Bookmarks...", "E&xport Favorites..." }));
    ASSERT_TRUE(WaitFor([&] { return FileExists("favorites.html"); }));
    // What browsers read: their header, and a date on the folder and on each link.
    EXPECT_TRUE(ReadAll("favorites.html").startsWith("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"));
    EXPECT_EQ(ReadAll("favorites.html").count(" ADD_DATE=\""), 4);

    window.reset();
    QFile::remove("nelvox.ini");
    window = std::make_unique<CNelvoxDlg>(withClock());
    window->show();
    // Where Firefox keeps its profiles, the file dialog starts.
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", QDir::currentPath().toUtf8());
    ASSERT_TRUE(QDir().mkpath(".mozilla/firefox"));
    QString opened;
    answers.then([&](QWidget* dialog) {
        opened = qobject_cast<QFileDialog*>(dialog)->directory().absolutePath();
        chooseFile(dialog);
    });
    answers.thenClick("OK");
    chooseFromListMenu(*window, below, "&Import Bookmarks...");
    ASSERT_TRUE(WaitFor([&] { return FileExists("nelvox.ini") && ReadAll("nelvox.ini") == favorites; }))
        << ReadAll("nelvox.ini").toStdString();
    qputenv("HOME", home);
    EXPECT_EQ(opened, QDir::current().absoluteFilePath(".mozilla/firefox"));
}

TEST_F(ImportBookmarks, ADroppedAddressOpensAddAndADroppedBookmarksFileTheChooser)
{
    WriteAll("bookmarks.html", bookmarks());
    CNelvoxDlg window(withClock());
    window.show();
    auto drop = [&](const QByteArray& format, const QByteArray& data) {
        QMimeData mime;
        mime.setData(format, data);
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QDropEvent dropped(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        return QApplication::sendEvent(&window, &enter) && enter.isAccepted()
            && QApplication::sendEvent(&window, &dropped) && dropped.isAccepted();
    };
    EXPECT_FALSE(drop("text/plain", "http://a.example/ http://b.example/")) << "two addresses";
    EXPECT_FALSE(drop("text/uri-list", "javascript:go()\r\n"));
    EXPECT_FALSE(drop("text/plain", "just words"));

    ModalAnswerer answers;
    QString offered;
    answers.then([&](QWidget* dialog) {
        offered = dialog->findChild<QLineEdit*>("urlEdit")->text();
        ModalAnswerer::findButton(dialog, "Cancel")->click();
    });
    answers.thenClick("Cancel");
    ASSERT_TRUE(drop("text/uri-list", "# from a browser\r\nhttps://news.example/today\r\n"));
    ASSERT_TRUE(WaitFor([&] { return answers.pending() == 1; }));
    EXPECT_EQ(offered, "https://news.example/today");
    ASSERT_TRUE(drop("text/uri-list", QUrl::fromLocalFile(QDir::current().filePath("bookmarks.html")).toEncoded()));
    ASSERT_TRUE(WaitFor([&] { return answers.pending() == 0; }));
    EXPECT_EQ(
        answers.titles(), QStringList({ "Nelvox v1.0 - Add or Edit Favorite", "Nelvox v1.0 - Import Bookmarks" }));
    EXPECT_EQ(window.favorites().count(), 0) << "nothing is added without OK";

    // While pages download, the window takes no drop and opens no menu.
    m_server.setSlowPage("/slow", "x", std::chrono::milliseconds(300));
    window.favorites().insertFavorite(0, m_server.url("/slow"));
    ASSERT_TRUE(window.scheduler().startUpdateAll());
    EXPECT_FALSE(drop("text/plain", "https://news.example/today"));
    EXPECT_TRUE(chooseFromListMenu(window, QPoint(5, 5), {}).isEmpty());
    EXPECT_TRUE(WaitFor([&] { return !window.isRunInProgress(); }));
}

} // namespace
