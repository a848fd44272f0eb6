// Edit Selected Favorites end to end: the dialog answered by the test for each selected row,
// the pages served on 127.0.0.1, the snapshots and the favorites file checked on disk.
#include "app/CNelvoxDlg.h"
#include "check/SnapshotName.h"
#include "check/SnapshotReplace.h"
#include "store/Frequency.h"
#include "support/HttpServer.h"
#include "support/ModalAnswerer.h"
#include "support/TempWorkDir.h"
#include "support/TestClock.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

// Closes, as a failure, a modal window that is still up when the timer fires; every window
// a test expects is answered within milliseconds.
const QString kStamp = QStringLiteral("12/06/26 02:35 AM");
const QString kOldStamp = QStringLiteral("07/09/04 05:03 PM");
const QByteArray kOldSnapshot = "the page as it was\r\n";

// What the dialog showed when it came up: its address and the frequency checked, if any.
struct Shown {
    QString address;
    int frequency;
};

class EditSelected : public InTempDir {
protected:
    TestClock m_clock { QDateTime(QDate(2026, 12, 6), QTime(2, 35, 41)) };
    // A window whose checks and stamps read the test's clock.
    WindowOptions withClock() const { return { .now = m_clock.function(), .trayAvailable = {} }; }
    // A row (address, code, Last Updated, CHANGED); its snapshot holds kOldSnapshot when `snapshot`.
    void add(CNelvoxDlg& window, const QString& address, const QString& code, const QString& lastUpdated,
        const QString& changed, bool snapshot = true)
    {
        FavoritesList& list = window.favorites();
        const int row = list.count();
        list.insertFavorite(row, address);
        list.setText(row, FavoritesList::Updates, code);
        list.setText(row, FavoritesList::LastUpdated, lastUpdated);
        list.setText(row, FavoritesList::Changed, changed);
        if (snapshot)
            WriteAll(SnapshotFileName(address), kOldSnapshot);
    }
    void select(CNelvoxDlg& window, std::initializer_list<int> rows)
    {
        QItemSelectionModel* selection = window.findChild<QTreeView*>("listFavorites")->selectionModel();
        for (const int row : rows)
            selection->select(
                window.favorites().index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    static QStringList row(CNelvoxDlg& window, int index)
    {
        QStringList cells;
        for (int column = 0; column < FavoritesList::ColumnCount; ++column)
            cells << window.favorites().text(index, column);
        return cells;
    }
    // The favorites file the list would make, in the list's order.
    static QByteArray fileOf(CNelvoxDlg& window)
    {
        QByteArray text = QByteArray::number(window.favorites().count()) + "\r\n";
        for (int index = 0; index < window.favorites().count(); ++index) {
            const QStringList cells = row(window, index);
            text += (cells[0] + ' ' + cells[1] + cells[2] + ' ' + cells[3]).toUtf8() + "\r\n";
        }
        return text;
    }

    // Answers the dialog: notes what it shows, types `address` unless it is null, clicks
    // the frequency and OK.
    ModalAnswerer::Answer confirm(const QString& address, const char* frequencyRadio)
    {
        return [this, address, frequencyRadio](QWidget* dialog) {
            auto* edit = dialog->findChild<QLineEdit*>("urlEdit");
            auto* radio = dialog->findChild<QRadioButton*>(frequencyRadio);
            auto* ok = dialog->findChild<QPushButton*>("okButton");
            if (!edit || !radio || !ok) {
                ADD_FAILURE() << "not the Add or Edit Favorite dialog: " << dialog->windowTitle().toStdString();
                dialog->close();
                return;
            }
            m_shown.push_back({ edit->text(), checkedFrequency(dialog) });
            if (!address.isNull())
                edit->setText(address);
            QTest::mouseClick(radio, Qt::LeftButton);
            QTest::mouseClick(ok, Qt::LeftButton);
        };
    }
    // Runs Edit as the window's button does, and waits for the first snapshots it starts.
    static void runEdit(CNelvoxDlg& window)
    {
        window.RunCommand([&] { window.OnEditSelected(); });
        EXPECT_TRUE(WaitUntilSettled(window)) << "Edit did not end";
    }
    static int checkedFrequency(QWidget* dialog)
    {
        int frequency = FREQ_HOURLY;
        for (const char* radio : { "hourlyRadio", "dailyRadio", "weeklyRadio", "monthlyRadio" }) {
            if (dialog->findChild<QRadioButton*>(radio)->isChecked())
                return frequency;
            ++frequency;
        }
        return FREQ_NONE;
    }
    ModalAnswerer::Answer cancel()
    {
        return [this](QWidget* dialog) {
            auto* edit = dialog->findChild<QLineEdit*>("urlEdit");
            auto* button = dialog->findChild<QPushButton*>("cancelButton");
            if (!edit || !button) {
                ADD_FAILURE() << "not the Add or Edit Favorite dialog: " << dialog->windowTitle().toStdString();
                dialog->close();
                return;
            }
            m_shown.push_back({ edit->text(), checkedFrequency(dialog) });
            QTest::mouseClick(button, Qt::LeftButton);
        };
    }
    QStringList shownAddresses() const
    {
        QStringList addresses;
        for (const Shown& shown : m_shown)
            addresses << shown.address;
        return addresses;
    }

    HttpServer m_server;
    std::vector<Shown> m_shown;
    StuckModalGuard m_stuckGuard;
};

TEST_F(EditSelected, OkBottomUpKeepsTheSnapshotStampAndMarkOfAKeptAddress)
{
    m_server.setPage("/a", "fresh a\nsecond line\n");
    m_server.setPage("/d", "fresh d\n");
    CNelvoxDlg window(withClock());
    // Out of order, so that a sort would show.
    const char* paths[] = { "/f", "/e", "/d", "/c", "/b", "/a" };
    for (const char* path : paths)
        add(window, m_server.url(path), "D", kOldStamp, "");
    window.favorites().setText(2, FavoritesList::Updates, "H");
    window.favorites().setText(5, FavoritesList::Updates, "M");
    window.favorites().setText(5, FavoritesList::Changed, "YES");
    select(window, { 2, 5 });

    ModalAnswerer answers;
    answers.then(confirm({}, "weeklyRadio")).then(confirm({}, "hourlyRadio")).thenClick("OK");
    runEdit(window);

    EXPECT_EQ(shownAddresses(), QStringList({ m_server.url("/a"), m_server.url("/d") })) << "row 5 first, then row 2";
    ASSERT_EQ(m_shown.size(), 2u);
    EXPECT_EQ(m_shown[0].frequency, FREQ_NONE) << "the dialog opens with no frequency chosen, whatever the row's";
    EXPECT_EQ(m_shown[1].frequency, FREQ_NONE);
    EXPECT_EQ(answers.pending(), 1) << "unexpected message: " << answers.texts().value(2).toStdString();

    EXPECT_EQ(row(window, 5), QStringList({ m_server.url("/a"), "W", kOldStamp, "YES" }))
        << "the address stayed: CHANGED and Last Updated are kept";
    EXPECT_EQ(row(window, 2), QStringList({ m_server.url("/d"), "H", kOldStamp, "" }));
    for (int other : { 0, 1, 3, 4 }) {
        EXPECT_EQ(row(window, other), QStringList({ m_server.url(paths[other]), "D", kOldStamp, "" })) << other;
        EXPECT_EQ(ReadAll(SnapshotFileName(m_server.url(paths[other]))), kOldSnapshot) << other;
    }
    EXPECT_EQ(ReadAll(SnapshotFileName(m_server.url("/a"))), kOldSnapshot) << "not downloaded again";
    EXPECT_EQ(ReadAll(SnapshotFileName(m_server.url("/d"))), kOldSnapshot);
    EXPECT_EQ(m_server.requestCount("/a"), 0);
    EXPECT_EQ(m_server.requestCount("/d"), 0);
    EXPECT_FALSE(FileExists(kTempDownloadFileName));
    EXPECT_EQ(ReadAll("nelvox.ini"), fileOf(window)) << "saved in the list's order, unsorted";
    EXPECT_TRUE(ReadAll("nelvox.ini").startsWith("6\r\n" + m_server.url("/f").toUtf8()));
}

// A change the check has not reported yet: a word of the same length is no change by Page length,
// but is by Page text. Editing the favorite to Page text must not swallow it.
TEST_F(EditSelected, AKeptAddressKeepsTheChangeTheCheckHasNotYetReported)
{
    m_server.setPage("/page", "the page as it is!\n");
    CNelvoxDlg window(withClock());
    window.findChild<QCheckBox*>("chkNotify")->setChecked(false);
    add(window, m_server.url("/page"), "D", kOldStamp, "");
    WriteAll(PreviousCopyName(SnapshotFileName(m_server.url("/page"))), "earlier");
    select(window, { 0 });

    ModalAnswerer answers;
    answers.then([&](QWidget* dialog) {
        auto* pageText = dialog->findChild<QRadioButton*>("pageTextRadio");
        ASSERT_TRUE(pageText);
        QTest::mouseClick(pageText, Qt::LeftButton, {}, QPoint(6, pageText->height() / 2));
        confirm({}, "weeklyRadio")(dialog);
    });
    runEdit(window);
    EXPECT_EQ(answers.pending(), 0);
    EXPECT_EQ(row(window, 0), QStringList({ m_server.url("/page"), "W", kOldStamp, "" }));
    EXPECT_EQ(ReadAll(SnapshotFileName(m_server.url("/page"))), kOldSnapshot);
    EXPECT_EQ(ReadAll(PreviousCopyName(SnapshotFileName(m_server.url("/page")))), "earlier");
    EXPECT_EQ(m_server.requestCount("/page"), 0);
    EXPECT_FALSE(window.scheduler().rules().rule(m_server.url("/page")).isPageLength());

    // The next check finds the change under the new rule.
    answers.thenClick("No");
    window.RunCommand([&] { window.OnUpdateAllNow(); });
    ASSERT_TRUE(WaitFor([&] { return !window.isChecking(); })) << "Update All Now did not end";
    EXPECT_EQ(window.favorites().text(0, FavoritesList::Changed), "YES");
    EXPECT_EQ(ReadAll(SnapshotFileName(m_server.url("/page"))), QByteArray("the page as it is!\r\n"));
}

// A kept address has its page in the snapshot: the dialog says at once that the part chosen is
// not on it, and takes the rule all the same; a part that is there says nothing.
TEST_F(EditSelected, APartThatIsNotOnTheKeptPageIsSaidInTheDialog)
{
    CNelvoxDlg window(withClock());
    add(window, m_server.url("/page"), "D", kOldStamp, "");
    WriteAll(SnapshotFileName(m_server.url("/page")), "<html><body><p id=\"here\">text</p></body></html>");
    select(window, { 0 });
    // The boxes over the dialog, while it is open.
    QStringList said;
    auto withPart = [&](const QString& part) {
        return [&, part](QWidget* dialog) {
            dialog->findChild<QRadioButton*>("pageTextRadio")->setChecked(true);
            dialog->findChild<QLineEdit*>("partEdit")->setText(part);
            ModalAnswerer boxes;
            boxes.thenClick("OK");
            confirm({}, "dailyRadio")(dialog);
            said << boxes.texts();
        };
    };
    ModalAnswerer answers;
    answers.then(withPart("#absent"));
    runEdit(window);
    EXPECT_EQ(said, QStringList({ "The part of the page chosen for this favorite is not on the page." }));
    EXPECT_EQ(window.scheduler().rules().rule(m_server.url("/page")).part, "#absent") << "the rule is taken";

    said.clear();
    answers.then(withPart("#here"));
    runEdit(window);
    EXPECT_EQ(answers.pending(), 0);
    EXPECT_TRUE(said.isEmpty()) << said.join('|').toStdString();
    EXPECT_EQ(answers.texts().size(), 2) << "no box after the dialog";
    EXPECT_EQ(m_server.requestCount("/page"), 0);
}

TEST_F(EditSelected, ANewAddressReplacesTheOldSnapshotAndKeepsItsPlace)
{
    m_server.setPage("/zzz/new.html", "new page\n");
    CNelvoxDlg window(withClock());
    add(window, "http://b.example/", "H", "Never", "");
    add(window, "http://c.example/old", "D", kOldStamp, "YES");
    add(window, "http://d.example/", "W", "Never", "");
    WriteAll(PreviousCopyName(SnapshotFileName("http://c.example/old")), "earlier");
    WriteAll(PreviousCopyName(SnapshotFileName("http://b.example/")), "earlier");
    select(window, { 1 });

    ModalAnswerer answers;
    answers.then(confirm(m_server.url("/zzz/new.html"), "monthlyRadio")).thenClick("OK");
    runEdit(window);

    EXPECT_EQ(shownAddresses(), QStringList({ "http://c.example/old" }));
    EXPECT_EQ(answers.pending(), 1) << answers.texts().value(1).toStdString();
    EXPECT_EQ(row(window, 1), QStringList({ m_server.url("/zzz/new.html"), "M", kStamp, "YES" }))
        << "edited in place, not moved to its sorted place";
    EXPECT_FALSE(FileExists(SnapshotFileName("http://c.example/old"))) << "the old address's snapshot is removed";
    EXPECT_FALSE(FileExists(PreviousCopyName(SnapshotFileName("http://c.example/old")))) << "and its previous copy";
    EXPECT_FALSE(FileExists(PreviousCopyName(SnapshotFileName(m_server.url("/zzz/new.html")))));
    EXPECT_EQ(ReadAll(PreviousCopyName(SnapshotFileName("http://b.example/"))), "earlier") << "not edited";
    EXPECT_EQ(ReadAll(SnapshotFileName(m_server.url("/zzz/new.html"))), QByteArray("new page\r\n"));
    EXPECT_EQ(ReadAll(SnapshotFileName("http://b.example/")), kOldSnapshot);
    EXPECT_EQ(ReadAll("nelvox.ini"), fileOf(window));
}

TEST_F(EditSelected, CancelKeepsTheRowAndOnlyAConfirmedLastDialogWrites)
{
    m_server.setPage("/top", "top\n");
    m_server.setPage("/bottom", "bottom now\n");
    CNelvoxDlg window(withClock());
    add(window, m_server.url("/top"), "H", kOldStamp, "YES");
    add(window, m_server.url("/bottom"), "D", kOldStamp, "");
    ModalAnswerer answers;

    // Nothing selected: no dialog, nothing written.
    runEdit(window);
    EXPECT_TRUE(m_shown.empty());
    EXPECT_FALSE(FileExists("nelvox.ini"));

    // The only dialog cancelled.
    select(window, { 0 });
    answers.then(cancel());
    runEdit(window);
    EXPECT_EQ(shownAddresses(), QStringList({ m_server.url("/top") }));
    EXPECT_EQ(row(window, 0), QStringList({ m_server.url("/top"), "H", kOldStamp, "YES" }));
    EXPECT_EQ(ReadAll(SnapshotFileName(m_server.url("/top"))), kOldSnapshot);
    EXPECT_EQ(m_server.requestCount("/top"), 0);
    EXPECT_FALSE(FileExists("nelvox.ini")) << "a cancelled last dialog writes nothing";

    // Two rows: the bottom one confirmed, the top one cancelled.
    select(window, { 1 });
    m_shown.clear();
    answers.then(confirm({}, "weeklyRadio")).then(cancel()).thenClick("OK");
    runEdit(window);
    EXPECT_EQ(shownAddresses(), QStringList({ m_server.url("/bottom"), m_server.url("/top") }));
    EXPECT_EQ(answers.pending(), 1) << answers.texts().value(3).toStdString();
    EXPECT_EQ(row(window, 1), QStringList({ m_server.url("/bottom"), "W", kOldStamp, "" })) << "the first edit stays";
    EXPECT_EQ(ReadAll(SnapshotFileName(m_server.url("/bottom"))), kOldSnapshot);
    EXPECT_EQ(row(window, 0), QStringList({ m_server.url("/top"), "H", kOldStamp, "YES" }));
    EXPECT_FALSE(FileExists("nelvox.ini")) << "the last dialog was cancelled: nothing written";
}

// The window runs on while an edit's first snapshot downloads; a Quit meanwhile stops the download,
// offers no further dialog, saves the edit and ends the program.
TEST_F(EditSelected, QuitWhileANewAddressDownloadsEndsWithoutTheNextDialog)
{
    m_server.setStall("/stalled", "the start", 1000);
    CNelvoxDlg window(withClock());
    add(window, "http://a.example/", "H", kOldStamp, "");
    add(window, "http://b.example/", "D", kOldStamp, "YES");
    select(window, { 0, 1 });

    ModalAnswerer answers;
    answers.then(confirm(m_server.url("/stalled"), "weeklyRadio")).then(confirm({}, "dailyRadio"));
    window.RunCommand([&] { window.OnEditSelected(); });
    ASSERT_TRUE(window.isChecking()) << "the command returned before its download";
    ASSERT_TRUE(WaitFor([&] { return m_server.requestCount("/stalled") == 1; }));
    EXPECT_FALSE(window.hasEnded());
    window.OnQuit();
    ASSERT_TRUE(WaitFor([&] { return window.hasEnded(); })) << "Quit did not end the program";

    EXPECT_EQ(shownAddresses(), QStringList({ "http://b.example/" })) << "a dialog came after Quit";
    EXPECT_EQ(answers.pending(), 1);
    EXPECT_EQ(row(window, 1), QStringList({ m_server.url("/stalled"), "W", "Never", "YES" }));
    EXPECT_EQ(ReadAll("nelvox.ini"), fileOf(window));
}

TEST_F(EditSelected, APageThatCannotBeFetchedGivesNever)
{
    m_server.setPage("/page", "page\n");
    CNelvoxDlg window(withClock());
    add(window, m_server.url("/page"), "H", kOldStamp, "");
    add(window, "http://old.example/", "D", kOldStamp, "YES");
    select(window, { 0, 1 });

    // Nothing listens on port 1. The session for the other row cannot even be created.
    ModalAnswerer answers;
    answers.then(confirm("http://127.0.0.1:1/x", "dailyRadio"))
        .then([&](QWidget* dialog) {
            window.scheduler().transferOptions().sessionRefused = true;
            confirm({}, "monthlyRadio")(dialog);
        })
        .thenClick("OK");
    runEdit(window);

    EXPECT_EQ(answers.pending(), 1) << "a failed download shows nothing: " << answers.texts().value(2).toStdString();
    EXPECT_EQ(row(window, 1), QStringList({ "http://127.0.0.1:1/x", "D", "Never", "YES" }));
    EXPECT_FALSE(FileExists(SnapshotFileName("http://old.example/")));
    EXPECT_FALSE(FileExists(SnapshotFileName("http://127.0.0.1:1/x")));
    EXPECT_EQ(row(window, 0), QStringList({ m_server.url("/page"), "M", kOldStamp, "" }))
        << "a kept address is not fetched, so it cannot fail";
    EXPECT_EQ(ReadAll(SnapshotFileName(m_server.url("/page"))), kOldSnapshot);
    EXPECT_EQ(m_server.requestCount("/page"), 0);
    EXPECT_EQ(ReadAll("nelvox.ini"), fileOf(window));
}

TEST_F(EditSelected, AMissingOrSharedSnapshotNoLongerBlocks)
{
    m_server.setPage("/a/b", "shared\n");
    m_server.setPage("/never", "finally\n");
    CNelvoxDlg window(withClock());
    // "a/b" and "a!b" name one snapshot; the last row's first download failed.
    add(window, m_server.url("/a!b"), "H", kOldStamp, "");
    add(window, m_server.url("/a/b"), "H", kOldStamp, "");
    add(window, m_server.url("/never"), "D", "Never", "", false);
    ASSERT_EQ(SnapshotFileName(m_server.url("/a!b")), SnapshotFileName(m_server.url("/a/b")));
    select(window, { 0, 1, 2 });

    ModalAnswerer answers;
    answers.then(confirm({}, "dailyRadio"))
        .then(confirm({}, "hourlyRadio"))
        .then(confirm(m_server.url("/a/b"), "hourlyRadio"))
        .thenClick("OK");
    runEdit(window);

    EXPECT_EQ(answers.pending(), 1) << "a snapshot already gone stopped the command: "
                                    << answers.texts().value(3).toStdString();
    EXPECT_EQ(row(window, 2), QStringList({ m_server.url("/never"), "D", "Never", "" }))
        << "a kept address waits for its check for a first snapshot";
    EXPECT_FALSE(FileExists(SnapshotFileName(m_server.url("/never"))));
    EXPECT_EQ(row(window, 1), QStringList({ m_server.url("/a/b"), "H", kOldStamp, "" }));
    EXPECT_EQ(row(window, 0), QStringList({ m_server.url("/a/b"), "H", kStamp, "" }));
    EXPECT_EQ(ReadAll(SnapshotFileName(m_server.url("/a/b"))), QByteArray("shared\r\n"));
    EXPECT_EQ(ReadAll("nelvox.ini"), fileOf(window));
}

TEST_F(EditSelected, KeepsWhatAnotherRowUsesAndThePreviousCopyOfAnUnchangedAddress)
{
    m_server.setPage("/solo", "solo now\n");
    m_server.setPage("/moved", "moved\n");
    CNelvoxDlg window(withClock());
    // One page checked hourly and daily; two addresses that name one snapshot; a page alone.
    add(window, m_server.url("/page"), "H", kOldStamp, "");
    add(window, m_server.url("/page"), "D", kOldStamp, "");
    add(window, m_server.url("/a!b"), "H", kOldStamp, "");
    add(window, m_server.url("/a/b"), "H", kOldStamp, "");
    add(window, m_server.url("/solo"), "W", kOldStamp, "YES");
    const QStringList shared = { SnapshotFileName(m_server.url("/page")), SnapshotFileName(m_server.url("/a/b")) };
    const QString solo = SnapshotFileName(m_server.url("/solo"));
    for (const QString& snapshot : shared + QStringList { solo })
        WriteAll(PreviousCopyName(snapshot), "earlier");
    select(window, { 1, 3, 4 });

    ModalAnswerer answers;
    answers.then(confirm({}, "monthlyRadio"))
        .then(confirm(m_server.url("/moved"), "dailyRadio"))
        .then(confirm(m_server.url("/moved"), "dailyRadio"))
        .thenClick("OK");
    runEdit(window);

    EXPECT_EQ(answers.pending(), 1) << answers.texts().value(3).toStdString();
    for (const QString& snapshot : shared) {
        EXPECT_EQ(ReadAll(snapshot), kOldSnapshot) << "another row still uses " << snapshot.toStdString();
        EXPECT_EQ(ReadAll(PreviousCopyName(snapshot)), "earlier") << snapshot.toStdString();
    }
    EXPECT_EQ(row(window, 4), QStringList({ m_server.url("/solo"), "M", kOldStamp, "YES" }));
    EXPECT_EQ(ReadAll(solo), kOldSnapshot) << "the address stayed: not downloaded again";
    EXPECT_EQ(m_server.requestCount("/solo"), 0);
    EXPECT_EQ(ReadAll(PreviousCopyName(solo)), "earlier") << "the address stayed: so does its previous copy";
    EXPECT_EQ(ReadAll(SnapshotFileName(m_server.url("/moved"))), QByteArray("moved\r\n"));
}

TEST_F(EditSelected, ASnapshotThatCannotBeRemovedStopsAtItsRow)
{
    m_server.setPage("/new", "new\n");
    CNelvoxDlg window(withClock());
    add(window, "http://a.example/", "H", kOldStamp, "");
    add(window, "http://b.example/stuck", "W", kOldStamp, "YES", false);
    add(window, "http://c.example/", "D", kOldStamp, "");
    add(window, "http://d.example/", "M", "Never", "");
    // A non-empty directory under the snapshot's name resists removal, also for root.
    const QString stuck = SnapshotFileName("http://b.example/stuck");
    ASSERT_TRUE(QDir().mkpath(stuck + "/inside"));
    select(window, { 0, 1, 3 });

    ModalAnswerer answers;
    // Row 3, then row 1 whose removal fails, then the error box. The last answer is for a
    // dialog for row 0 that must not come.
    answers.then(confirm(m_server.url("/new"), "hourlyRadio"))
        .then(confirm("http://b.example/changed", "dailyRadio"))
        .thenClick("OK")
        .then(cancel());
    runEdit(window);

    EXPECT_EQ(shownAddresses(), QStringList({ "http://d.example/", "http://b.example/stuck" }))
        << "the rows above the failure are not offered";
    ASSERT_EQ(answers.pending(), 1) << "no error box, or a dialog after it";
    EXPECT_EQ(answers.titles().value(2), QStringLiteral("Nelvox"));
    const QString message = answers.texts().value(2);
    EXPECT_TRUE(message.contains(stuck)) << "the box must name the file: " << message.toStdString();
    EXPECT_GT(message.size(), stuck.size() + 20) << "the box must give the reason: " << message.toStdString();

    EXPECT_EQ(row(window, 1), QStringList({ "http://b.example/stuck", "W", kOldStamp, "YES" })) << "kept as it was";
    EXPECT_EQ(row(window, 3), QStringList({ m_server.url("/new"), "H", kStamp, "" })) << "the earlier edit stays";
    EXPECT_EQ(row(window, 0), QStringList({ "http://a.example/", "H", kOldStamp, "" }));
    EXPECT_EQ(ReadAll(SnapshotFileName("http://a.example/")), kOldSnapshot);
    EXPECT_FALSE(FileExists("nelvox.ini")) << "nothing written after the failure";
}

// The rule of what counts as a change is the address's: Add sets it and offers it to the next
// Add, Edit shows it and carries it to a new address, Delete takes it away with the last row.
TEST_F(EditSelected, TheRuleGoesWithItsAddressThroughAddEditAndDelete)
{
    m_server.setPage("/a", "a\n");
    m_server.setPage("/b", "b\n");
    m_server.setPage("/c", "c\n");
    CNelvoxDlg window(withClock());
    std::vector<ChangeRule> shownRules;
    // Notes the rule the dialog opens with; then, when `numbers`, picks Page text with Numbers.
    auto withRule = [&](const QString& address, bool numbers) {
        return [&, address, numbers, answer = confirm(address, "dailyRadio")](QWidget* dialog) {
            auto* pageText = dialog->findChild<QRadioButton*>("pageTextRadio");
            auto* ignoreNumbers = dialog->findChild<QCheckBox*>("ignoreNumbersCheck");
            ASSERT_TRUE(pageText && ignoreNumbers) << "no rule in the dialog";
            ChangeRule shown = pageText->isChecked() ? ChangeRule::pageText() : ChangeRule {};
            shown.ignoreNumbers = ignoreNumbers->isChecked();
            shown.ignoreSelfChanging
                = pageText->isChecked() && dialog->findChild<QCheckBox*>("ignoreSelfChangingCheck")->isChecked();
            shownRules.push_back(shown);
            EXPECT_EQ(ignoreNumbers->isEnabled(), pageText->isChecked());
            if (numbers) {
                // On the box itself: a click beside a short caption misses it.
                QTest::mouseClick(pageText, Qt::LeftButton, {}, QPoint(6, pageText->height() / 2));
                QTest::mouseClick(ignoreNumbers, Qt::LeftButton, {}, QPoint(6, ignoreNumbers->height() / 2));
            }
            answer(dialog);
        };
    };
    ChangeRule numbersRule = ChangeRule::pageText();
    numbersRule.ignoreNumbers = true;
    numbersRule.ignoreSelfChanging = true; // on for a Page text chosen in the dialog
    ModalAnswerer answers;
    answers.then(withRule(m_server.url("/a"), true));
    window.OnAddFavorite();
    ASSERT_TRUE(WaitUntilSettled(window));
    answers.then(withRule(m_server.url("/b"), false));
    window.OnAddFavorite();
    ASSERT_TRUE(WaitUntilSettled(window));
    ASSERT_EQ(shownRules.size(), 2u);
    EXPECT_TRUE(shownRules[0].isPageLength()) << "the first Add offers Page length";
    EXPECT_EQ(shownRules[1], numbersRule) << "the next Add offers the rule of the last";
    ChangeRules saved;
    saved.load();
    EXPECT_EQ(saved.rule(m_server.url("/a")), numbersRule);
    EXPECT_EQ(saved.rule(m_server.url("/b")), numbersRule);

    // Edit /a to /c: the dialog shows /a's rule, and /c takes it.
    ASSERT_EQ(window.favorites().text(0, FavoritesList::WebSite), m_server.url("/a"));
    select(window, { 0 });
    answers.then(withRule(m_server.url("/c"), false));
    window.OnEditSelected();
    ASSERT_TRUE(WaitUntilSettled(window));
    ASSERT_EQ(shownRules.size(), 3u);
    EXPECT_EQ(shownRules[2], numbersRule);
    saved.load();
    EXPECT_TRUE(saved.rule(m_server.url("/a")).isPageLength());
    EXPECT_EQ(saved.rule(m_server.url("/c")), numbersRule);

    // An Edit that keeps the address keeps what the favorite learned changes by itself.
    ChangeRule learned = numbersRule;
    learned.learnedLines = QStringList { "Seen # times" };
    window.scheduler().rules().setRule(m_server.url("/c"), learned);
    select(window, { 0 });
    answers.then(withRule(m_server.url("/c"), false));
    window.OnEditSelected();
    ASSERT_TRUE(WaitUntilSettled(window));
    saved.load();
    EXPECT_EQ(saved.rule(m_server.url("/c")), learned);

    // Delete /c (Edit keeps its row in place), answering Yes to the question its rule brings:
    // its rule goes, also from memory, so that the address added again starts anew.
    ASSERT_EQ(window.favorites().text(0, FavoritesList::WebSite), m_server.url("/c"));
    answers.thenClick("Yes");
    window.OnDeleteSelected();
    EXPECT_EQ(answers.pending(), 0) << "Delete did not ask";
    saved.load();
    EXPECT_TRUE(saved.rule(m_server.url("/c")).isPageLength());
    EXPECT_TRUE(window.scheduler().rules().rule(m_server.url("/c")).isPageLength());
    EXPECT_FALSE(ReadAll(kRulesFileName).contains("/c]"));
}

} // namespace
