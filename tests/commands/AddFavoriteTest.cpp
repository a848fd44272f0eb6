// Add Favorite end to end: the dialog answered by the test, the page served on 127.0.0.1.
#include "app/CNelvoxDlg.h"
#include "check/SnapshotName.h"
#include "store/Frequency.h"
#include "support/HttpServer.h"
#include "support/ModalAnswerer.h"
#include "support/TempWorkDir.h"
#include "support/TestClock.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Types the address, picks a frequency and presses OK in the Add or Edit Favorite dialog.
ModalAnswerer::Answer fillDialog(const QString& address, const char* frequencyRadio)
{
    return [address, frequencyRadio](QWidget* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>("urlEdit");
        auto* radio = dialog->findChild<QRadioButton*>(frequencyRadio);
        auto* ok = dialog->findChild<QPushButton*>("okButton");
        ASSERT_TRUE(edit && radio && ok) << "not the Add or Edit Favorite dialog";
        edit->setText(address);
        QTest::mouseClick(radio, Qt::LeftButton);
        QTest::mouseClick(ok, Qt::LeftButton);
    };
}

class AddFavorite : public InTempDir {
protected:
    TestClock m_clock { QDateTime(QDate(2026, 12, 6), QTime(2, 35, 41)) };
    // A window whose checks and stamps read the test's clock.
    WindowOptions withClock() const { return { .now = m_clock.function(), .trayAvailable = {} }; }

    static QStringList row(CNelvoxDlg& window, int index)
    {
        QStringList cells;
        for (int column = 0; column < FavoritesList::ColumnCount; ++column)
            cells << window.favorites().text(index, column);
        return cells;
    }

    HttpServer m_server;
};

TEST_F(AddFavorite, SnapshotsTheNewPageStampsItAndSavesTheSortedList)
{
    m_server.setPage("/news/index.html", "first line\nsecond line\r\n\nlast line without end");
    WriteAll("nelvox.ini", "1\r\nhttp://zzz.example/ HNever YES\r\n");
    CNelvoxDlg window(withClock());
    const QString address = m_server.url("/news/index.html");

    ModalAnswerer answers;
    answers.then(fillDialog(address, "weeklyRadio"));
    window.OnAddFavorite();
    ASSERT_TRUE(WaitUntilSettled(window));
    EXPECT_EQ(answers.pending(), 0) << "the dialog did not open";
    EXPECT_EQ(answers.titles().value(0), QStringLiteral("Nelvox v1.0 - Add or Edit Favorite"));

    ASSERT_EQ(window.favorites().count(), 2);
    EXPECT_EQ(row(window, 0), QStringList({ address, "W", "12/06/26 02:35 AM", "" })) << "sorted before zzz";
    EXPECT_EQ(row(window, 1), QStringList({ "http://zzz.example/", "H", "Never", "YES" }));

    const QString snapshot = SnapshotFileName(address);
    EXPECT_TRUE(snapshot.startsWith("nv.127.0.0.1:")) << snapshot.toStdString();
    EXPECT_EQ(ReadAll(snapshot), QByteArray("first line\r\nsecond line\r\n\r\nlast line without end\r\n"));
    EXPECT_FALSE(FileExists(kTempDownloadFileName)) << "Add writes straight into the snapshot";
    EXPECT_EQ(ReadAll("nelvox.ini"),
        "2\r\n" + address.toUtf8() + " W12/06/26 02:35 AM \r\nhttp://zzz.example/ HNever YES\r\n");
    EXPECT_EQ(m_server.requestCount("/news/index.html"), 1);

    // Typed without its scheme, the address is stored, sorted and snapshotted as the http one.
    answers.then(fillDialog(address.mid(QStringLiteral("http://").size()) + "?again", "dailyRadio"));
    window.OnAddFavorite();
    ASSERT_TRUE(WaitUntilSettled(window));
    ASSERT_EQ(window.favorites().count(), 3);
    EXPECT_EQ(row(window, 1), QStringList({ address + "?again", "D", "12/06/26 02:35 AM", "" }));
    EXPECT_TRUE(FileExists(SnapshotFileName(address + "?again")));
}

// A part of the page that the page just fetched lacks is said at once, in the check's words;
// one that is there, or a missing page, says nothing.
TEST_F(AddFavorite, APartThatIsNotOnTheNewPageIsSaid)
{
    m_server.setPage("/p", "<html><body><p id=\"here\">text</p></body></html>");
    CNelvoxDlg window(withClock());
    auto withPart = [](const QString& address, const QString& part) {
        return [address, part](QWidget* dialog) {
            auto* pageText = dialog->findChild<QRadioButton*>("pageTextRadio");
            auto* partEdit = dialog->findChild<QLineEdit*>("partEdit");
            ASSERT_TRUE(pageText && partEdit);
            pageText->setChecked(true);
            partEdit->setText(part);
            fillDialog(address, "dailyRadio")(dialog);
        };
    };
    ModalAnswerer answers;
    answers.then(withPart(m_server.url("/p"), "#absent")).thenClick("OK");
    window.OnAddFavorite();
    ASSERT_TRUE(WaitUntilSettled(window));
    EXPECT_EQ(answers.pending(), 0) << "no box for the missing part";
    EXPECT_EQ(
        answers.texts().value(1), QStringLiteral("The part of the page chosen for this favorite is not on the page."));
    EXPECT_EQ(window.favorites().count(), 1) << "the favorite is added all the same";

    answers.then(withPart(m_server.url("/p") + "?2", "#here")).then(withPart("http://127.0.0.1:1/", "#absent"));
    window.OnAddFavorite();
    ASSERT_TRUE(WaitUntilSettled(window));
    window.OnAddFavorite();
    ASSERT_TRUE(WaitUntilSettled(window));
    EXPECT_EQ(answers.pending(), 0);
    EXPECT_EQ(answers.texts().size(), 4) << answers.texts().value(4).toStdString();
    EXPECT_EQ(window.favorites().count(), 3);
}

TEST_F(AddFavorite, CancelAddsNothingButStillSortsAndSaves)
{
    WriteAll("nelvox.ini", "2\r\nhttp://b.example/ HNever \r\nhttp://a.example/ DNever \r\n");
    CNelvoxDlg window(withClock());
    window.favorites().setText(0, FavoritesList::WebSite, QStringLiteral("http://c.example/"));

    for (const char* way : { "cancel", "escape", "close" }) {
        ModalAnswerer answers;
        answers.then([way](QWidget* dialog) {
            if (QByteArray(way) == "cancel")
                dialog->findChild<QPushButton*>("cancelButton")->click();
            else if (QByteArray(way) == "escape")
                QTest::keyClick(dialog, Qt::Key_Escape);
            else
                dialog->close();
        });
        window.OnAddFavorite();
        ASSERT_TRUE(WaitUntilSettled(window));
        EXPECT_EQ(window.favorites().count(), 2) << way;
        EXPECT_EQ(ReadAll("nelvox.ini"), QByteArray("2\r\nhttp://b.example/ HNever \r\nhttp://c.example/ DNever \r\n"))
            << way;
        WriteAll("nelvox.ini", "stale");
    }
}

TEST_F(AddFavorite, AFailedDownloadGivesNeverAndNoSnapshot)
{
    CNelvoxDlg window(withClock());
    ModalAnswerer answers;
    // Nothing listens on port 1; a file that is not there cannot be read either. (Schemes that
    // Nelvox cannot fetch at all are refused by the dialog.)
    answers.then(fillDialog("http://127.0.0.1:1/", "hourlyRadio"));
    answers.then(fillDialog("file:///nonexistent-nelvox/x.html", "monthlyRadio"));
    window.OnAddFavorite();
    ASSERT_TRUE(WaitUntilSettled(window));
    window.OnAddFavorite();
    ASSERT_TRUE(WaitUntilSettled(window));
    ASSERT_EQ(window.favorites().count(), 2);
    EXPECT_EQ(row(window, 0), QStringList({ "file:///nonexistent-nelvox/x.html", "M", "Never", "" }));
    EXPECT_EQ(row(window, 1), QStringList({ "http://127.0.0.1:1/", "H", "Never", "" }));
    EXPECT_FALSE(FileExists(SnapshotFileName("http://127.0.0.1:1/")));
    EXPECT_FALSE(FileExists(SnapshotFileName("file:///nonexistent-nelvox/x.html")));
    EXPECT_TRUE(ReadAll("nelvox.ini").startsWith("2\r\nfile:///nonexistent-nelvox/x.html MNever \r\n"));
}

TEST_F(AddFavorite, ASessionThatCannotBeCreatedIsAFailedDownload)
{
    m_server.setPage("/", "page\n");
    CNelvoxDlg window(withClock());
    window.scheduler().transferOptions().sessionRefused = true;
    ModalAnswerer answers;
    answers.then(fillDialog(m_server.url("/"), "dailyRadio"));
    window.OnAddFavorite();
    ASSERT_TRUE(WaitUntilSettled(window));
    ASSERT_EQ(window.favorites().count(), 1);
    EXPECT_EQ(row(window, 0), QStringList({ m_server.url("/"), "D", "Never", "" }));
    EXPECT_EQ(m_server.requestCount("/"), 0);
    EXPECT_EQ(ReadAll("nelvox.ini"), "1\r\n" + m_server.url("/").toUtf8() + " DNever \r\n");
}

TEST_F(AddFavorite, EmptyPagesAndRepeatedAddressesShareOneSnapshot)
{
    m_server.setPage("/empty", "");
    CNelvoxDlg window(withClock());
    ModalAnswerer answers;
    answers.then(fillDialog(m_server.url("/empty"), "hourlyRadio"));
    window.OnAddFavorite();
    ASSERT_TRUE(WaitUntilSettled(window));
    const QString snapshot = SnapshotFileName(m_server.url("/empty"));
    EXPECT_EQ(ReadAll(snapshot), QByteArray());
    EXPECT_EQ(window.favorites().text(0, FavoritesList::LastUpdated), QStringLiteral("12/06/26 02:35 AM"));

    m_server.setPage("/empty", "not empty any more\n");
    answers.then(fillDialog(m_server.url("/empty"), "dailyRadio"));
    window.OnAddFavorite();
    ASSERT_TRUE(WaitUntilSettled(window));
    ASSERT_EQ(window.favorites().count(), 2);
    EXPECT_EQ(window.favorites().text(0, FavoritesList::Updates), QStringLiteral("H")) << "equal addresses keep order";
    EXPECT_EQ(window.favorites().text(1, FavoritesList::Updates), QStringLiteral("D"));
    EXPECT_EQ(ReadAll(snapshot), QByteArray("not empty any more\r\n")) << "the second download overwrites the file";
}

TEST_F(AddFavorite, EscapeInTheMainWindowRunsAddAndAFullListRefuses)
{
    QByteArray full = "1024\r\n";
    for (int i = 0; i < 1024; ++i)
        full += "http://host.example/" + QByteArray::number(10000 + i) + " HNever \r\n";
    WriteAll("nelvox.ini", full);
    CNelvoxDlg window(withClock());
    window.show();
    ASSERT_EQ(window.favorites().count(), 1024);

    ModalAnswerer answers;
    answers.thenClick("OK");
    QTest::keyClick(&window, Qt::Key_Escape);
    ASSERT_EQ(answers.texts().size(), 1);
    EXPECT_EQ(answers.texts().first(), QStringLiteral("Nelvox can watch at most 1024 favorites."));
    EXPECT_EQ(answers.titles().first(), QStringLiteral("Nelvox"));
    EXPECT_EQ(window.favorites().count(), 1024);
    EXPECT_TRUE(window.isVisible());

    // One fewer, and Escape opens the dialog.
    window.favorites().deleteFavorite(0);
    answers.thenClick("Cancel");
    QTest::keyClick(&window, Qt::Key_Escape);
    ASSERT_EQ(answers.titles().size(), 2);
    EXPECT_EQ(answers.titles().last(), QStringLiteral("Nelvox v1.0 - Add or Edit Favorite"));
    EXPECT_TRUE(ReadAll("nelvox.ini").startsWith("1023\r\n"));
}

} // namespace
