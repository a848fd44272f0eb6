// The Changes window on the offscreen platform: opened from a row by double-click and by the
// row menu, its colours, counts and folding, the page source, and the messages for a markup
// change, a missing earlier copy and a page too large to compare.
#include "app/CChangesDlg.h"
#include "app/CNelvoxDlg.h"
#include "check/ChangeRule.h"
#include "check/SnapshotName.h"
#include "check/SnapshotReplace.h"
#include "history/HistoryDatabase.h"
#include "support/ModalAnswerer.h"
#include "support/TempWorkDir.h"
#include "support/UrlRecorder.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

const QString kAddress = QStringLiteral("http://example.org/news.html");

QList<CChangesDlg*> openChangesWindows()
{
    QList<CChangesDlg*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* changes = qobject_cast<CChangesDlg*>(widget); changes && changes->isVisible())
            windows << changes;
    }
    return windows;
}

QString labelText(QWidget* window, const char* name)
{
    auto* label = window->findChild<QLabel*>(name);
    return label && label->isVisible() ? label->text() : QString();
}

// The lines of the view, each with the colour it is drawn in.
struct ShownLine {
    QString text;
    QColor foreground;
    QColor background;
};
QList<ShownLine> shownLines(QWidget* window)
{
    QList<ShownLine> lines;
    auto* view = window->findChild<QPlainTextEdit*>("viewChanges");
    if (!view || !view->isVisible())
        return lines;
    for (QTextBlock block = view->document()->begin(); block.isValid(); block = block.next()) {
        const QTextCharFormat characters = block.begin().fragment().charFormat();
        lines.append({ block.text(), characters.foreground().color(), block.blockFormat().background().color() });
    }
    return lines;
}
QStringList shownTexts(QWidget* window)
{
    QStringList texts;
    for (const ShownLine& line : shownLines(window))
        texts << line.text;
    return texts;
}

bool isReddish(const QColor& color)
{
    return color.red() > color.green() + 15 && color.red() > color.blue() + 15;
}
bool isGreenish(const QColor& color)
{
    return color.green() > color.red() + 15 && color.green() > color.blue() + 15;
}

class ChangesWindow : public InTempDir {
protected:
    void TearDown() override
    {
        for (CChangesDlg* window : openChangesWindows())
            delete window;
    }
    static void writeCopies(const QByteArray& previous, const QByteArray& snapshot)
    {
        WriteAll(PreviousCopyName(SnapshotFileName(kAddress)), previous);
        WriteAll(SnapshotFileName(kAddress), snapshot);
    }
    static void fill(CNelvoxDlg& window)
    {
        FavoritesList& list = window.favorites();
        list.insertFavorite(0, QStringLiteral("http://a.example/"));
        list.insertFavorite(1, kAddress);
        list.setText(1, FavoritesList::Updates, QStringLiteral("H"));
        list.setText(1, FavoritesList::LastUpdated, QStringLiteral("07/09/04 05:03 PM"));
        list.setText(1, FavoritesList::Changed, QStringLiteral("YES"));
    }
    static QPoint rowCenter(CNelvoxDlg& window, int row)
    {
        QTreeView* list = window.findChild<QTreeView*>("listFavorites");
        return list->visualRect(list->model()->index(row, 0)).center();
    }
};

TEST_F(ChangesWindow, ADoubleClickOnARowShowsWhatChangedInColourAndKeepsTheMark)
{
    QByteArray previous = "<html><head><title>News</title><script>var x = 1;</script></head><body>\r\n";
    QByteArray snapshot = previous;
    for (int i = 0; i < 20; ++i) {
        previous += "<p>Story " + QByteArray::number(i) + "</p>\r\n";
        snapshot += i == 10 ? "<p>Story ten, revised</p>\r\n" : "<p>Story " + QByteArray::number(i) + "</p>\r\n";
    }
    snapshot += "<p>A new story</p>\r\n";
    writeCopies(previous, snapshot);

    CNelvoxDlg window;
    fill(window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTreeView* list = window.findChild<QTreeView*>("listFavorites");
    // A double-click is a press, a release, then the second press.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCenter(window, 1));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rowCenter(window, 1));
    ASSERT_TRUE(WaitFor([] { return openChangesWindows().size() == 1; })) << "no Changes window after a double-click";

    CChangesDlg* changes = openChangesWindows().first();
    EXPECT_EQ(changes->windowTitle(), QStringLiteral("Nelvox v1.0 - Changes"));
    EXPECT_FALSE(changes->isModal());
    EXPECT_EQ(labelText(changes, "labelAddress"), kAddress);
    EXPECT_EQ(labelText(changes, "labelPreviousTime").size(), 17) << "a time as Last Updated shows it";
    EXPECT_EQ(labelText(changes, "labelCounts"), QStringLiteral("2 lines added, 1 line removed"));
    EXPECT_TRUE(labelText(changes, "labelMessage").isEmpty());
    EXPECT_FALSE(changes->findChild<QWidget*>("picker")->isVisible()) << "no history, no copies to pick";

    const QList<ShownLine> lines = shownLines(changes);
    const QStringList texts = shownTexts(changes);
    const qsizetype removed = texts.indexOf(QStringLiteral("\u2212 Story 10"));
    const qsizetype added = texts.indexOf(QStringLiteral("+ Story ten, revised"));
    ASSERT_GE(removed, 0) << texts.join('|').toStdString();
    ASSERT_GE(added, 0) << texts.join('|').toStdString();
    EXPECT_TRUE(isReddish(lines[removed].foreground) && isReddish(lines[removed].background));
    EXPECT_TRUE(isGreenish(lines[added].foreground) && isGreenish(lines[added].background));
    EXPECT_TRUE(texts.contains(QStringLiteral("+ A new story")));
    EXPECT_TRUE(texts.contains(QStringLiteral("  Story 7")) && !texts.contains(QStringLiteral("  Story 6")))
        << "three lines of context, the rest folded: " << texts.join('|').toStdString();
    EXPECT_EQ(texts.first(), QStringLiteral("\u22EF 8 lines unchanged \u22EF"))
        << "News and Story 0 to 6 folded: " << texts.first().toStdString();
    EXPECT_FALSE(texts.join(' ').contains("var x")) << "scripts are not text";

    EXPECT_EQ(window.favorites().text(1, FavoritesList::Changed), QStringLiteral("YES")) << "opening is no visit";
    EXPECT_FALSE(FileExists("nelvox.ini")) << "opening the window writes nothing";

    // A second window may be open beside the first; Escape closes one.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCenter(window, 1));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rowCenter(window, 1));
    ASSERT_TRUE(WaitFor([] { return openChangesWindows().size() == 2; }));
    QPointer<CChangesDlg> closing = changes;
    QTest::keyClick(changes, Qt::Key_Escape);
    EXPECT_TRUE(WaitFor([&] { return closing.isNull(); })) << "Escape must close the window and free it";
    EXPECT_EQ(openChangesWindows().size(), 1);
    EXPECT_FALSE(window.hasEnded());
}

// The history's copies by time: the one looked at against the newest first, then any two the
// user picks; either copy shown opens in the browser from a file of its own or is saved as kept.
TEST_F(ChangesWindow, PicksAnyTwoCopiesOfTheHistoryAndOpensOrSavesEitherAsKept)
{
    const QDateTime first(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);
    QList<QByteArray> pages { "<html><head><title>Hours</title></head><body><p>Monday</p>\r\n" };
    for (const char* day : { "Tuesday", "Wednesday", "Thursday" })
        pages << pages.last() + "<p>" + day + "</p>\r\n";
    {
        HistoryDatabase history;
        for (int copy = 0; copy < pages.size(); ++copy)
            history.keep(HistoryEntry { kAddress, { pages[copy], first.addSecs(3600 * copy) }, {}, {}, {} });
        history.setLastLooked(kAddress, history.copies(kAddress)[2].id);
    }
    writeCopies(pages[2], pages[3]);
    auto* changes = new CChangesDlg(kAddress);
    changes->show();
    auto* earlier = changes->findChild<QComboBox*>("pickEarlier");
    auto* later = changes->findChild<QComboBox*>("pickLater");
    ASSERT_TRUE(changes->findChild<QWidget*>("picker")->isVisible());
    ASSERT_EQ(earlier->count(), 4);
    EXPECT_TRUE(earlier->currentText().endsWith(" (your last look)")) << earlier->currentText().toStdString();
    EXPECT_EQ(later->currentIndex(), 0);
    EXPECT_TRUE(labelText(changes, "labelPreviousTime").endsWith(", when you last looked; 1 copy lies between them"));
    EXPECT_EQ(labelText(changes, "labelCounts"), "2 lines added, 0 lines removed");

    earlier->setCurrentIndex(3);
    EXPECT_TRUE(labelText(changes, "labelPreviousTime").endsWith("; 2 copies lie between them"));
    EXPECT_FALSE(labelText(changes, "labelPreviousTime").contains("looked"));
    EXPECT_EQ(labelText(changes, "labelCounts"), "3 lines added, 0 lines removed");
    later->setCurrentIndex(2);
    EXPECT_EQ(shownTexts(changes).filter(QRegularExpression("^\\+ ")), QStringList({ "+ Tuesday" }));

    // Open this copy: the earlier one, from a file outside the data folder that finds the site.
    UrlRecorder browser;
    auto* open = changes->findChild<QPushButton*>("buttonOpenCopy");
    ASSERT_EQ(open->menu()->actions().size(), 2);
    EXPECT_TRUE(open->menu()->actions()[0]->text().startsWith("&Earlier copy, "));
    open->menu()->actions()[0]->trigger();
    ASSERT_EQ(browser.urls().size(), 1);
    const QString opened = browser.urls().first().toLocalFile();
    EXPECT_TRUE(opened.startsWith(QDir::tempPath())) << opened.toStdString();
    EXPECT_EQ(ReadAll(opened), QByteArray(pages[0]).insert(6 + 6, "<base href=\"" + kAddress.toUtf8() + "\">"));

    // Save As: the later copy as the history kept it.
    ModalAnswerer answers;
    answers.then([](QWidget* dialog) {
        qobject_cast<QFileDialog*>(dialog)->selectFile(QDir::current().filePath("tuesday.html"));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    changes->findChild<QPushButton*>("buttonSaveCopy")->menu()->actions()[1]->trigger();
    EXPECT_EQ(answers.titles(), QStringList({ "Save As" }));
    EXPECT_EQ(ReadAll("tuesday.html"), pages[1]);

    // A copy that no longer reads (Wednesday's, not read yet): said once, and no other is offered.
    {
        QSqlDatabase database = QSqlDatabase::addDatabase("QSQLITE", "damage");
        database.setDatabaseName("nelvox.history");
        ASSERT_TRUE(database.open());
        ASSERT_TRUE(QSqlQuery(database).exec("UPDATE contents SET data = x'01020304' WHERE id = (SELECT content FROM "
                                             "copies ORDER BY id DESC LIMIT 1 OFFSET 1)"));
    }
    QSqlDatabase::removeDatabase("damage");
    answers.thenClick("OK");
    earlier->setCurrentIndex(1);
    ASSERT_EQ(answers.texts().size(), 2);
    EXPECT_TRUE(answers.texts().last().startsWith("Nelvox could not read this copy of the page from its history:"))
        << answers.texts().last().toStdString();
    EXPECT_FALSE(changes->findChild<QWidget*>("picker")->isEnabled());
    EXPECT_EQ(shownTexts(changes).filter(QRegularExpression("^\\+ ")), QStringList({ "+ Tuesday" }))
        << "what was shown stays";
}

TEST_F(ChangesWindow, TheRowMenuOffersShowChangesForThatRow)
{
    writeCopies("<p>before</p>\r\n", "<p>after</p>\r\n");
    CNelvoxDlg window;
    fill(window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTreeView* list = window.findChild<QTreeView*>("listFavorites");

    QStringList offered;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr) << "no menu on the row";
        for (QAction* action : menu->actions())
            offered << action->text();
        menu->actions().first()->trigger();
        menu->close();
    });
    const QPoint at = rowCenter(window, 1);
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &rightClick);
    EXPECT_EQ(offered.value(0), QStringLiteral("Show &Changes..."));
    ASSERT_TRUE(WaitFor([] { return openChangesWindows().size() == 1; }));
    EXPECT_EQ(labelText(openChangesWindows().first(), "labelAddress"), kAddress);
    EXPECT_EQ(shownTexts(openChangesWindows().first()), QStringList({ "\u2212 before", "+ after" }));
}

TEST_F(ChangesWindow, AMarkupChangeSaysSoAndOffersThePageSource)
{
    writeCopies(
        "<p>Hello <b>world</b></p>\r\n<div>Bye</div>\r\n", "<p class=x>Hello <i>world</i></p>\r\n<p>Bye</p>\r\n");
    CChangesDlg changes(kAddress);
    changes.show();
    EXPECT_EQ(labelText(&changes, "labelMessage"),
        QStringLiteral("The page's text did not change; only its markup did: 4 lines."));
    EXPECT_TRUE(shownTexts(&changes).isEmpty());
    auto* source = changes.findChild<QCheckBox*>("chkSource");
    ASSERT_TRUE(source && source->isEnabled());
    EXPECT_EQ(source->text().remove('&'), QStringLiteral("Show page source"));

    QTest::mouseClick(source, Qt::LeftButton);
    EXPECT_EQ(shownTexts(&changes),
        QStringList({ "\u2212 <p>Hello <b>world</b></p>", "\u2212 <div>Bye</div>",
            "+ <p class=x>Hello <i>world</i></p>", "+ <p>Bye</p>" }));
    EXPECT_EQ(labelText(&changes, "labelCounts"), QStringLiteral("2 lines added, 2 lines removed"));
    QTest::mouseClick(source, Qt::LeftButton);
    EXPECT_TRUE(shownTexts(&changes).isEmpty()) << "back to the text, which did not change";
}

TEST_F(ChangesWindow, SaysWhenThereIsNoEarlierCopyOrThePageIsTooLarge)
{
    WriteAll(SnapshotFileName(kAddress), "<p>only one copy</p>\r\n");
    {
        CChangesDlg changes(kAddress);
        changes.show();
        EXPECT_EQ(labelText(&changes, "labelMessage"),
            QStringLiteral("No earlier copy of this page is kept yet; the next change will be shown here."));
        EXPECT_TRUE(shownTexts(&changes).isEmpty());
        EXPECT_FALSE(changes.findChild<QCheckBox*>("chkSource")->isEnabled());
    }
    {
        // The history has what the snapshot files lost: its two newest copies, as the picker says.
        HistoryDatabase history;
        for (const QByteArray& page : { QByteArray("<p>one</p>\r\n"), QByteArray("<p>only one copy</p>\r\n") })
            history.keep(HistoryEntry { kAddress, { page, QDateTime::currentDateTimeUtc() }, {}, {}, {} });
    }
    {
        CChangesDlg changes(kAddress);
        changes.show();
        EXPECT_EQ(labelText(&changes, "labelCounts"), QStringLiteral("1 line added, 1 line removed"));
        EXPECT_EQ(changes.findChild<QComboBox*>("pickEarlier")->currentIndex(), 1);
    }
    QFile::remove("nelvox.history");
    writeCopies(QByteArray(PageChanges::kMaxPageBytes + 1, 'x'), "<p>small</p>\r\n");
    {
        CChangesDlg changes(kAddress);
        changes.show();
        EXPECT_EQ(labelText(&changes, "labelMessage"), QStringLiteral("This page is too large to compare."));
        EXPECT_TRUE(shownTexts(&changes).isEmpty());
        QTest::mouseClick(changes.findChild<QCheckBox*>("chkSource"), Qt::LeftButton);
        EXPECT_EQ(labelText(&changes, "labelMessage"), QStringLiteral("This page is too large to compare."));
    }
    // Small, but its text would take the parser seconds to read (each of 100,000 stray end tags
    // makes it search 100,000 open elements): the window gives up on the text in the
    // comparison's time, and the source can still be compared.
    const QByteArray stray
        = "<p>before</p>\r\n" + QByteArray("<b>").repeated(100000) + QByteArray("</i>").repeated(100000);
    writeCopies(stray, "<p>after</p>\r\n");
    {
        QElapsedTimer timer;
        timer.start();
        CChangesDlg changes(kAddress);
        changes.show();
        EXPECT_LT(timer.elapsed(), 10000) << "the window waited for the whole parse";
        EXPECT_EQ(labelText(&changes, "labelMessage"), QStringLiteral("This page is too large to compare."));
        QTest::mouseClick(changes.findChild<QCheckBox*>("chkSource"), Qt::LeftButton);
        EXPECT_TRUE(shownTexts(&changes).contains(QStringLiteral("+ <p>after</p>")));
        EXPECT_FALSE(changes.findChild<QLabel*>("labelMessage")->isVisible());
    }
}

// The window names the rule, offers the stricter one in one click when the latest change would
// not have counted under it, and greys the lines the rule ignores.
TEST_F(ChangesWindow, OffersTheStricterRuleInOneClickAndGreysWhatTheRuleIgnores)
{
    CNelvoxDlg window;
    fill(window);
    writeCopies("<p>Price 12 EUR</p><p>Seen 8,204 times</p>", "<p>Price 12 EUR</p>\n  <p>Seen 8,204 times</p>");
    window.OnShowChanges(1);
    ASSERT_EQ(openChangesWindows().size(), 1);
    CChangesDlg* changes = openChangesWindows().first();
    EXPECT_TRUE(labelText(changes, "labelRule").contains(QStringLiteral("(Page length)")));
    EXPECT_EQ(labelText(changes, "labelOffer"), QStringLiteral("Only the markup changed."));
    EXPECT_EQ(labelText(changes, "labelOfferTail"), QStringLiteral("for this favorite"));
    auto* offer = changes->findChild<QPushButton*>("buttonOffer");
    ASSERT_TRUE(offer && offer->isVisible());
    EXPECT_EQ(offer->text().remove(u'&'), QStringLiteral("Ignore markup changes"));
    QTest::mouseClick(offer, Qt::LeftButton);
    EXPECT_FALSE(offer->isVisible()) << "the rule offered is the rule now";
    EXPECT_TRUE(labelText(changes, "labelRule").contains(QStringLiteral("(Page text)")));
    ChangeRules saved;
    saved.load();
    EXPECT_EQ(saved.rule(kAddress), ChangeRule::pageText()) << "written at once";
    delete changes;

    // Under Page text a counter: the offer to ignore numbers, and the ignored line in grey.
    ChangeRule rule = ChangeRule::pageText();
    rule.ignoreLines = { QStringLiteral("price") };
    window.scheduler().rules().setRule(kAddress, rule);
    writeCopies("<p>Price 12 EUR</p><p>Seen 8,204 times</p>", "<p>Price 10 EUR</p><p>Seen 8,311 times</p>");
    window.OnShowChanges(1);
    ASSERT_EQ(openChangesWindows().size(), 1);
    changes = openChangesWindows().first();
    EXPECT_EQ(labelText(changes, "labelOffer"), QStringLiteral("Only numbers changed."));
    EXPECT_EQ(changes->findChild<QPushButton*>("buttonOffer")->text().remove(u'&'), QStringLiteral("Ignore numbers"));
    const QList<ShownLine> lines = shownLines(changes);
    ASSERT_EQ(lines.size(), 4) << shownTexts(changes).join('|').toStdString();
    EXPECT_EQ(lines[0].text, QStringLiteral("\u2212 Price 12 EUR    (ignored)"));
    EXPECT_EQ(lines[0].foreground, QColor(0x90, 0x90, 0x90));
    EXPECT_TRUE(isReddish(lines[1].foreground)) << lines[1].text.toStdString();
    delete changes;

    // Only a relative time moved: the offer to ignore what changes by itself.
    window.scheduler().rules().setRule(kAddress, ChangeRule::pageText());
    writeCopies("<p>Price 12 EUR</p><p>Updated 9 minutes ago</p>", "<p>Price 12 EUR</p><p>Updated 3 hours ago</p>");
    window.OnShowChanges(1);
    ASSERT_EQ(openChangesWindows().size(), 1);
    changes = openChangesWindows().first();
    EXPECT_EQ(labelText(changes, "labelOffer"), QStringLiteral("Only parts that change by themselves changed."));
    QTest::mouseClick(changes->findChild<QPushButton*>("buttonOffer"), Qt::LeftButton);
    saved.load();
    EXPECT_TRUE(saved.rule(kAddress).ignoreSelfChanging);
    delete changes;

    // A counter the rule learned: grey and marked, and one click on "count again" counts it.
    ChangeRule learned = ChangeRule::pageText();
    learned.ignoreSelfChanging = true;
    learned.learnedLines = QStringList { "Seen # times" };
    window.scheduler().rules().setRule(kAddress, learned);
    writeCopies("<p>Price 12 EUR</p><p>Seen 8,204 times</p>", "<p>Price 13 EUR</p><p>Seen 8,311 times</p>");
    window.OnShowChanges(1);
    ASSERT_EQ(openChangesWindows().size(), 1);
    changes = openChangesWindows().first();
    const QString counter = QStringLiteral("+ Seen 8,311 times    (changes by itself)  count again");
    const QList<ShownLine> learnedLines = shownLines(changes);
    const auto grey = std::find_if(
        learnedLines.cbegin(), learnedLines.cend(), [&](const ShownLine& line) { return line.text == counter; });
    ASSERT_NE(grey, learnedLines.cend()) << shownTexts(changes).join('|').toStdString();
    EXPECT_EQ(grey->foreground, QColor(0x90, 0x90, 0x90));
    EXPECT_TRUE(shownTexts(changes).contains(QStringLiteral("+ Price 13 EUR"))) << "a price is no counter";
    auto* view = changes->findChild<QPlainTextEdit*>("viewChanges");
    const QTextBlock block = view->document()->findBlockByNumber(static_cast<int>(grey - learnedLines.cbegin()));
    QTextCursor link(block);
    link.setPosition(block.position() + static_cast<int>(counter.indexOf("count again")) + 3);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->cursorRect(link).center());
    saved.load();
    EXPECT_TRUE(saved.rule(kAddress).learnedLines.isEmpty()) << "the click did not count the line again";
    EXPECT_TRUE(saved.rule(kAddress).ignoreSelfChanging);
    EXPECT_TRUE(shownTexts(changes).contains(QStringLiteral("+ Seen 8,311 times")))
        << shownTexts(changes).join('|').toStdString();
    delete changes;

    // The latest check did not find the chosen part.
    CChangesDlg missing(kAddress, rule, PartMissingReason());
    missing.show();
    EXPECT_TRUE(labelText(&missing, "labelMessage")
                    .startsWith(QStringLiteral("The part of the page chosen for this favorite is not on the page.")));
}

TEST_F(ChangesWindow, ALongAddressKeepsTheWindowOnTheScreenAndShowsWholeInItsTip)
{
    const QString address = QStringLiteral("http://example.org/") + QString(633, QLatin1Char('a'));
    ASSERT_EQ(address.size(), 652);
    WriteAll(SnapshotFileName(address), "<p>one copy</p>\r\n");
    CChangesDlg changes(address);
    changes.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&changes));

    EXPECT_LE(changes.frameGeometry().width(), changes.screen()->availableGeometry().width());
    auto* label = changes.findChild<QLabel*>("labelAddress");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->toolTip(), address);
    EXPECT_TRUE(label->text().startsWith(QStringLiteral("http://example.org/"))) << label->text().toStdString();
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width())
        << "the address line runs past its window";
}

} // namespace
