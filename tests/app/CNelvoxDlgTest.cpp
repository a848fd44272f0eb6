// The main window on the offscreen platform: start-up, the list click rule, the keys,
// the close path, the About box and the second-copy refusal.
#include "app/CNelvoxDlg.h"
#include "app/CAboutDlg.h"
#include "app/CNelvoxApp.h"
#include "store/Frequency.h"
#include "support/ModalAnswerer.h"
#include "support/TempWorkDir.h"
#include "support/UrlRecorder.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLockFile>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <QToolTip>
#include <QTreeView>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QByteArray kThreeFavorites = "3\r\n"
                                   "http://c.example/ HNever \r\n"
                                   "http://a.example/ D07/09/04 05:03 PM YES\r\n"
                                   "http://b.example/ WNever \r\n";

class MainWindow : public InTempDir {
protected:
    QTreeView* list(CNelvoxDlg& window) { return window.findChild<QTreeView*>("listFavorites"); }
    QPushButton* button(CNelvoxDlg& window, const char* name) { return window.findChild<QPushButton*>(name); }
    bool selectionButtonsEnabled(CNelvoxDlg& window)
    {
        const bool edit = button(window, "btnEdit")->isEnabled();
        EXPECT_EQ(button(window, "btnDelete")->isEnabled(), edit);
        EXPECT_EQ(button(window, "btnVisit")->isEnabled(), edit);
        return edit;
    }
    void clickRow(CNelvoxDlg& window, int row, Qt::KeyboardModifiers modifiers = {})
    {
        QTreeView* view = list(window);
        const QRect cell = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, cell.center());
        QApplication::processEvents();
    }
};

TEST_F(MainWindow, StartsEmptyWithFourColumnsAndTheSelectionButtonsOff)
{
    CNelvoxDlg window;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Nelvox v1.0"));
    EXPECT_EQ(window.favorites().count(), 0);
    QHeaderView* header = list(window)->header();
    ASSERT_EQ(header->count(), 4);
    // Headings, widths and alignment are the window's: the list itself holds the favorites.
    const QAbstractItemModel* shown = list(window)->model();
    window.favorites().insertFavorite(0, QStringLiteral("http://a/"));
    const QStringList headings = { "Web Site", "Updates", "Last Updated", "CHANGED" };
    const int widths[] = { 254, 75, 85, 65 };
    const Qt::Alignment horizontal[] = { Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight, Qt::AlignRight };
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(shown->headerData(c, Qt::Horizontal).toString(), headings[c]);
        EXPECT_EQ(FavoritesModel::columnWidth(c), widths[c]);
        const auto alignment = Qt::Alignment(shown->data(shown->index(0, c), Qt::TextAlignmentRole).toInt());
        EXPECT_EQ(alignment & Qt::AlignHorizontal_Mask, horizontal[c]) << "column " << c;
    }
    // The list shows the values' own text, and the file's where it kept text that is no value.
    auto shownRow = [&](int row) {
        QStringList cells;
        for (int c = 0; c < 4; ++c)
            cells << shown->data(shown->index(row, c)).toString();
        return cells;
    };
    window.favorites().setFrequency(0, FREQ_DAILY);
    window.favorites().setChanged(0, true);
    EXPECT_EQ(shownRow(0), QStringList({ "http://a/", "D", "", "YES" })) << "Last Updated as a new row has it";
    window.favorites().setLastUpdated(0, QDateTime());
    EXPECT_EQ(shownRow(0).value(2), "Never");
    window.favorites().setLastUpdated(0, QDateTime(QDate(2026, 12, 6), QTime(14, 35)));
    EXPECT_EQ(shownRow(0).value(2), "12/06/26 02:35 PM");
    window.favorites().setText(0, FavoritesList::LastUpdated, "yesterday");
    EXPECT_EQ(shownRow(0).value(2), "yesterday");
    window.favorites().deleteFavorite(0);
    EXPECT_FALSE(header->sectionsClickable()) << "a heading click must not sort";
    EXPECT_FALSE(selectionButtonsEnabled(window));
    EXPECT_TRUE(window.findChild<QCheckBox*>("chkNotify")->isChecked());
    EXPECT_TRUE(window.checkTimer().isActive());
    EXPECT_EQ(window.checkTimer().interval(), 3'600'000) << "the first tick comes an hour after start";
    EXPECT_FALSE(FileExists("nelvox.ini")) << "start-up writes nothing";

    // Left to right: Add, Edit, Delete, Visit, Update All Now, help, Quit.
    const char* order[] = { "btnAdd", "btnEdit", "btnDelete", "btnVisit", "btnUpdateAll", "btnHelp", "btnQuit" };
    for (size_t i = 1; i < std::size(order); ++i)
        EXPECT_LT(button(window, order[i - 1])->x(), button(window, order[i])->x()) << order[i];
    EXPECT_EQ(button(window, "btnHelp")->text(), QStringLiteral("Nelvox He&lp and Updates"));
}

TEST_F(MainWindow, ColumnsKeepTheirWidthsYetShowAWholeTimeStampInAnyFont)
{
    // Stamps with the widest hour and minute digits and both halves of the day.
    WriteAll("nelvox.ini",
        "3\r\nhttp://a.example/ H12/28/08 08:08 AM \r\nhttp://b.example/ D12/28/08 08:08 PM YES\r\n"
        "http://c.example/ WNever \r\n");
    const struct RestoreFont {
        QFont original = QApplication::font();
        ~RestoreFont() { QApplication::setFont(original); }
    } restore;
    // The window sets its own size of type; the spacing of the letters, which it takes from the
    // desktop's font, makes the same text narrower or wider.
    struct Case {
        int spacingPercent;
        bool fitsAsLaidOut; // whether the 85-pixel column already holds a stamp
    };
    for (const Case& font : { Case { 60, true }, Case { 100, false }, Case { 150, false }, Case { 400, false } }) {
        SCOPED_TRACE("letters spaced at " + std::to_string(font.spacingPercent) + "%");
        QFont spaced = restore.original;
        spaced.setLetterSpacing(QFont::PercentageSpacing, font.spacingPercent);
        QApplication::setFont(spaced);
        CNelvoxDlg window;
        QTreeView* view = list(window);
        ASSERT_EQ(window.favorites().count(), 3);
        const QHeaderView* header = view->header();
        const int webSite = header->sectionSize(0), lastUpdated = header->sectionSize(2);

        EXPECT_EQ(header->sectionSize(1), 75);
        EXPECT_EQ(header->sectionSize(3), 65);
        EXPECT_EQ(webSite + lastUpdated, 254 + 85) << "the list keeps its width";
        if (font.spacingPercent < 400) {
            EXPECT_EQ(lastUpdated == 85, font.fitsAsLaidOut) << lastUpdated;
            // The view's own measure of the cells, margins included.
            const int cells = static_cast<QAbstractItemView*>(view)->sizeHintForColumn(2);
            EXPECT_GE(lastUpdated, cells) << "a stamp would be cut off";
        } else {
            EXPECT_EQ(webSite, 127) << "Web Site gives up at most half of its width";
        }
    }
}

TEST_F(MainWindow, LoadsTheFileSortedAndQuitSavesItUnsorted)
{
    WriteAll("nelvox.ini", kThreeFavorites);
    CNelvoxDlg window;
    ASSERT_EQ(window.favorites().count(), 3);
    EXPECT_EQ(window.favorites().text(0, 0), QStringLiteral("http://a.example/"));
    EXPECT_EQ(window.favorites().text(0, 3), QStringLiteral("YES"));
    EXPECT_EQ(window.favorites().text(2, 0), QStringLiteral("http://c.example/"));

    window.favorites().setText(0, 0, QStringLiteral("http://z.example/"));
    QSignalSpy ended(&window, &CNelvoxDlg::ended);
    window.show();
    button(window, "btnQuit")->click();
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(ReadAll("nelvox.ini"),
        QByteArray("3\r\n"
                   "http://z.example/ D07/09/04 05:03 PM YES\r\n"
                   "http://b.example/ WNever \r\n"
                   "http://c.example/ HNever \r\n"));
}

TEST_F(MainWindow, ClicksInTheListAloneDriveTheSelectionButtons)
{
    WriteAll("nelvox.ini", kThreeFavorites);
    CNelvoxDlg window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTreeView* view = list(window);

    // Keyboard selection leaves the buttons alone.
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier);
    QApplication::processEvents();
    EXPECT_FALSE(view->selectionModel()->selectedRows().isEmpty());
    EXPECT_FALSE(selectionButtonsEnabled(window)) << "arrow keys must not enable Edit, Delete, Visit";

    clickRow(window, 1);
    EXPECT_TRUE(WaitFor([&] { return button(window, "btnEdit")->isEnabled(); })) << "a click on a row enables";
    EXPECT_TRUE(selectionButtonsEnabled(window));
    clickRow(window, 2, Qt::ControlModifier);
    EXPECT_EQ(window.GetSelectedRows(), (std::vector<int> { 2, 1 })) << "highest index first";

    // Empty space below the rows clears the selection and disables the buttons.
    const QPoint below(10, view->viewport()->height() - 5);
    ASSERT_FALSE(view->indexAt(below).isValid());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, below);
    EXPECT_TRUE(WaitFor([&] { return !button(window, "btnEdit")->isEnabled(); }));
    EXPECT_TRUE(window.GetSelectedRows().empty());
    EXPECT_FALSE(selectionButtonsEnabled(window));
}

TEST_F(MainWindow, EnterQuitsAndEscapeNeverCloses)
{
    WriteAll("nelvox.ini", kThreeFavorites);
    {
        CNelvoxDlg window;
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        for (QPushButton* each : window.findChildren<QPushButton*>())
            EXPECT_FALSE(each->isDefault()) << "no default button: " << each->objectName().toStdString();
        QTreeView* view = list(window);
        view->setFocus();
        // Escape opens the Add Favorite dialog, which is cancelled here.
        ModalAnswerer answers;
        answers.thenClick("Cancel");
        QTest::keyClick(view, Qt::Key_Escape);
        QApplication::processEvents();
        EXPECT_EQ(answers.pending(), 0) << "Escape must open the Add Favorite dialog";
        EXPECT_TRUE(window.isVisible()) << "Escape must not close the window";
        EXPECT_FALSE(window.hasEnded());

        // Enter on a focused push button clicks that button instead of quitting.
        UrlRecorder browser;
        QPushButton* help = button(window, "btnHelp");
        help->setFocus();
        QTest::keyClick(help, Qt::Key_Return);
        EXPECT_FALSE(window.hasEnded()) << "Enter on a button runs that button";
        EXPECT_EQ(browser.urls().size(), 1);

        view->setFocus();
        QTest::keyClick(view, Qt::Key_Return);
        EXPECT_TRUE(window.hasEnded());
        EXPECT_FALSE(window.isVisible());
    }
    const QByteArray byEnter = ReadAll("nelvox.ini");
    EXPECT_TRUE(byEnter.startsWith("3\r\nhttp://a.example/"));

    // The close box saves exactly what Quit saves.
    WriteAll("nelvox.ini", kThreeFavorites);
    {
        CNelvoxDlg window;
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.close();
        EXPECT_TRUE(window.hasEnded());
    }
    EXPECT_EQ(ReadAll("nelvox.ini"), byEnter);
    WriteAll("nelvox.ini", kThreeFavorites);
    {
        CNelvoxDlg window;
        button(window, "btnQuit")->click();
    }
    EXPECT_EQ(ReadAll("nelvox.ini"), byEnter);
}

TEST_F(MainWindow, AFailedSaveAtCloseIsShownAndTheProgramStillEnds)
{
    // A non-empty directory where the file belongs cannot be replaced, not even by root.
    QDir().mkpath("nelvox.ini/inside");
    CNelvoxDlg window;
    window.show();
    ModalAnswerer answers;
    answers.thenClick("OK");
    button(window, "btnQuit")->click();
    EXPECT_TRUE(window.hasEnded());
    ASSERT_EQ(answers.titles().size(), 1);
    EXPECT_EQ(answers.titles().first(), QStringLiteral("Nelvox"));
    EXPECT_TRUE(answers.texts().first().contains("nelvox.ini")) << answers.texts().first().toStdString();
    EXPECT_TRUE(QFileInfo("nelvox.ini").isDir());
}

TEST_F(MainWindow, TheHelpButtonOpensThePageThatShipsWithNelvox)
{
    auto browser = std::make_unique<UrlRecorder>();
    CNelvoxDlg window;
    button(window, "btnHelp")->click();
    ASSERT_EQ(browser->urls().size(), 1);
    const QUrl page = browser->urls().first();
    EXPECT_TRUE(page.isLocalFile());
    EXPECT_TRUE(ReadAll(page.toLocalFile()).contains("Nelvox"));
    EXPECT_FALSE(FileExists("index.html")) << "nothing lands in the data directory";

    // The copy of the built-in page lies where only the user can reach it, never in a folder
    // of a fixed name that another user could make first.
    const QFileInfo folder(QFileInfo(page.toLocalFile()).path());
    EXPECT_EQ(folder.permissions()
            & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther
                | QFile::ExeOther),
        QFile::Permissions())
        << folder.filePath().toStdString();
    EXPECT_EQ(folder.ownerId(), QFileInfo(QDir::homePath()).ownerId());
    EXPECT_FALSE(folder.filePath().startsWith(QDir::tempPath() + "/nelvox-help-" + qEnvironmentVariable("USER")));

    // No browser to take it: the page shows in a window of the program.
    browser.reset();
    ModalAnswerer answers;
    QString shown;
    answers.then([&](QWidget* help) {
        if (auto* text = help->findChild<QTextBrowser*>())
            shown = text->toPlainText();
        if (QAbstractButton* close = ModalAnswerer::findButton(help, "Close"))
            close->click();
    });
    button(window, "btnHelp")->click();
    ASSERT_EQ(answers.pending(), 0) << "no help window";
    EXPECT_EQ(answers.titles().value(0), QStringLiteral("Nelvox v1.0 - Help"));
    EXPECT_TRUE(shown.contains("Nelvox")) << "the window shows the built-in page: " << shown.toStdString();
    EXPECT_EQ(answers.texts().value(0), QString()) << "a window, not an error box";
}

TEST_F(MainWindow, AnAddressTheListCutsOffShowsWholeInATip)
{
    CNelvoxDlg window;
    const QString longAddress = QStringLiteral("http://example.org/") + QString(200, QLatin1Char('x'));
    window.favorites().insertFavorite(0, QStringLiteral("http://a.example/"));
    window.favorites().insertFavorite(1, longAddress);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto tipAt = [&](int row) {
        QTreeView* view = list(window);
        const QPoint cell = view->visualRect(view->model()->index(row, FavoritesList::WebSite)).center();
        QHelpEvent help(QEvent::ToolTip, cell, view->viewport()->mapToGlobal(cell));
        QApplication::sendEvent(view->viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tipAt(0), QString()) << "an address that fits needs no tip";
    EXPECT_EQ(tipAt(1), longAddress);
}

TEST_F(MainWindow, TheAboutBoxOpensFromTheWindowMenuAndClosesEveryWay)
{
    CNelvoxDlg window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    // The window's menu ends with a separator and the About item.
    QMenu* menu = nullptr;
    ModalAnswerer answers;
    answers.thenClick("OK");
    QTimer::singleShot(0, [&] {
        menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        const QList<QAction*> actions = menu->actions();
        ASSERT_GE(actions.size(), 2);
        EXPECT_TRUE(actions[actions.size() - 2]->isSeparator());
        EXPECT_EQ(actions.last()->text(), QStringLiteral("&About Nelvox..."));
        actions.last()->trigger();
        menu->close();
    });
    const QPoint corner(5, window.height() - 5);
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, corner, window.mapToGlobal(corner));
    QApplication::sendEvent(&window, &rightClick);
    EXPECT_TRUE(WaitFor([&] { return answers.pending() == 0; }));
    ASSERT_EQ(answers.titles().size(), 1);
    EXPECT_EQ(answers.titles().first(), QStringLiteral("About Nelvox"));

    const std::function<void(CAboutDlg&)> ways[] = {
        [](CAboutDlg& about) { ModalAnswerer::findButton(&about, "OK")->click(); },
        [](CAboutDlg& about) { QTest::keyClick(&about, Qt::Key_Return); },
        [](CAboutDlg& about) { QTest::keyClick(&about, Qt::Key_Escape); },
        [](CAboutDlg& about) { about.close(); },
    };
    {
        CAboutDlg about;
        const QLabel* version = about.findChild<QLabel*>("version");
        ASSERT_NE(version, nullptr);
        EXPECT_EQ(version->text(), QStringLiteral("Nelvox Version 1.0")) << "the number from the build";
    }
    int way = 0;
    for (const auto& close : ways) {
        CAboutDlg about;
        QTimer::singleShot(0, [&] { close(about); });
        about.exec();
        EXPECT_FALSE(about.isVisible()) << "way " << way++;
    }
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.hasEnded());
}

TEST_F(MainWindow, ASecondCopyInTheSameFolderSaysSoAndTouchesNothing)
{
    WriteAll("nelvox.ini", kThreeFavorites);
    QLockFile firstCopy(QString::fromLatin1(kLockFileName));
    ASSERT_TRUE(firstCopy.tryLock(0));
    const QStringList before = QDir().entryList(QDir::Files | QDir::Hidden);

    ModalAnswerer answers;
    answers.thenClick("OK");
    EXPECT_EQ(RunMainWindow(), 1);
    ASSERT_EQ(answers.texts().size(), 1);
    EXPECT_TRUE(answers.texts().first().contains("already running"));
    EXPECT_EQ(QDir().entryList(QDir::Files | QDir::Hidden), before);
    EXPECT_EQ(ReadAll("nelvox.ini"), kThreeFavorites);

    // Once the first copy has gone, the program runs and its window ends the run.
    firstCopy.unlock();
    QTimer::singleShot(0, [] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* window = qobject_cast<CNelvoxDlg*>(widget))
                window->OnOK();
        }
    });
    EXPECT_EQ(RunMainWindow(), 0);
    EXPECT_TRUE(ReadAll("nelvox.ini").startsWith("3\r\nhttp://a.example/"));
}

} // namespace
