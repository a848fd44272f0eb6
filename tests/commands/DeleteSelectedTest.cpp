// Delete Selected Favorites: rows and snapshots removed highest first, then the list
// sorted and saved; a snapshot that cannot be removed stops the command at its row.
#include "app/CNelvoxDlg.h"
#include "check/SnapshotName.h"
#include "check/SnapshotReplace.h"
#include "support/ModalAnswerer.h"
#include "support/TempWorkDir.h"

#include <QApplication>
#include <QDir>
#include <QItemSelectionModel>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

// Closes, as a failure, a modal window that is still up when the timer fires; every window
// a test expects is answered within milliseconds.
class DeleteSelected : public InTempDir {
protected:
    // One row per address, each with a snapshot holding its address unless listed in `withoutSnapshot`.
    void fill(CNelvoxDlg& window, const QStringList& addresses, const QStringList& withoutSnapshot = {})
    {
        FavoritesList& list = window.favorites();
        for (const QString& address : addresses) {
            const int row = list.count();
            list.insertFavorite(row, address);
            list.setText(row, FavoritesList::Updates, QStringLiteral("H"));
            list.setText(row, FavoritesList::LastUpdated, QStringLiteral("Never"));
            if (!withoutSnapshot.contains(address))
                WriteAll(SnapshotFileName(address), address.toUtf8());
        }
    }
    void select(CNelvoxDlg& window, std::initializer_list<int> rows)
    {
        QItemSelectionModel* selection = window.findChild<QTreeView*>("listFavorites")->selectionModel();
        for (const int row : rows)
            selection->select(
                window.favorites().index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    static QStringList addresses(CNelvoxDlg& window)
    {
        QStringList cells;
        for (int row = 0; row < window.favorites().count(); ++row)
            cells << window.favorites().text(row, FavoritesList::WebSite);
        return cells;
    }

    StuckModalGuard m_stuckGuard;
};

TEST_F(DeleteSelected, RemovesSnapshotThenRowHighestFirstThenSortsAndSaves)
{
    CNelvoxDlg window;
    const QStringList all
        = { "http://e.example/", "http://d.example/", "http://a.example/", "http://c.example/", "http://b.example/" };
    fill(window, all);
    WriteAll(kTempDownloadFileName, "last download");
    select(window, { 1, 3, 4 });

    // Each row, as it goes, must already have lost its snapshot.
    std::vector<int> removedRows;
    QObject::connect(&window.favorites(), &QAbstractItemModel::rowsAboutToBeRemoved, &window,
        [&](const QModelIndex&, int first, int last) {
            EXPECT_EQ(first, last);
            removedRows.push_back(first);
            const QString address = window.favorites().text(first, FavoritesList::WebSite);
            EXPECT_FALSE(FileExists(SnapshotFileName(address)))
                << "row deleted before its snapshot: " << address.toStdString();
        });
    ModalAnswerer answers;
    answers.thenClick("OK");
    window.RunCommand([&] { window.OnDeleteSelected(); });

    EXPECT_EQ(removedRows, (std::vector<int> { 4, 3, 1 }));
    EXPECT_EQ(addresses(window), QStringList({ "http://a.example/", "http://e.example/" })) << "sorted afterwards";
    for (const QString& address : all) {
        const bool kept = address == "http://a.example/" || address == "http://e.example/";
        EXPECT_EQ(FileExists(SnapshotFileName(address)), kept) << address.toStdString();
    }
    EXPECT_TRUE(FileExists(kTempDownloadFileName)) << "the temporary download is not a snapshot";
    EXPECT_EQ(ReadAll("nelvox.ini"), QByteArray("2\r\nhttp://a.example/ HNever \r\nhttp://e.example/ HNever \r\n"));
    EXPECT_EQ(answers.pending(), 1) << "no question and no message: " << answers.texts().value(0).toStdString();

    // Every row gone: the file records no favorites.
    select(window, { 0, 1 });
    window.RunCommand([&] { window.OnDeleteSelected(); });
    EXPECT_EQ(window.favorites().count(), 0);
    EXPECT_EQ(ReadAll("nelvox.ini"), QByteArray("0\r\n"));
    EXPECT_EQ(answers.pending(), 1) << answers.texts().value(0).toStdString();
}

TEST_F(DeleteSelected, AMissingOrSharedSnapshotNoLongerBlocks)
{
    CNelvoxDlg window;
    // Row 1 never got a snapshot; rows 2 and 3 share one ("a/b" and "a!b" name the same file),
    // and so do rows 0 and 4 (the same address twice).
    fill(window,
        { "http://dup.example/", "http://nosuchhost.example/", "http://s.example/a/b", "http://s.example/a!b",
            "http://dup.example/" },
        { "http://nosuchhost.example/" });
    ASSERT_EQ(SnapshotFileName("http://s.example/a/b"), SnapshotFileName("http://s.example/a!b"));
    select(window, { 1, 2, 3 });

    ModalAnswerer answers;
    answers.thenClick("OK");
    window.RunCommand([&] { window.OnDeleteSelected(); });
    EXPECT_EQ(answers.pending(), 1) << "a snapshot already gone stopped the command: "
                                    << answers.texts().value(0).toStdString();
    EXPECT_EQ(addresses(window), QStringList({ "http://dup.example/", "http://dup.example/" }));
    EXPECT_FALSE(FileExists(SnapshotFileName("http://s.example/a/b")));
    EXPECT_TRUE(ReadAll("nelvox.ini").startsWith("2\r\n"));

    // One of two favorites with the same address, then the other: the first deletion leaves
    // the snapshot and its previous copy to the row that still uses them.
    const QString shared = SnapshotFileName("http://dup.example/");
    WriteAll(PreviousCopyName(shared), "earlier");
    select(window, { 1 });
    window.RunCommand([&] { window.OnDeleteSelected(); });
    EXPECT_EQ(ReadAll(shared), "http://dup.example/") << "the other row's snapshot was removed";
    EXPECT_EQ(ReadAll(PreviousCopyName(shared)), "earlier") << "the other row's previous copy was removed";
    select(window, { 0 });
    window.RunCommand([&] { window.OnDeleteSelected(); });
    EXPECT_EQ(answers.pending(), 1) << answers.texts().value(0).toStdString();
    EXPECT_EQ(window.favorites().count(), 0);
    EXPECT_FALSE(FileExists(shared)) << "the last row to use it takes it along";
    EXPECT_FALSE(FileExists(PreviousCopyName(shared)));
    EXPECT_EQ(ReadAll("nelvox.ini"), QByteArray("0\r\n"));
}

TEST_F(DeleteSelected, TakesThePreviousCopyAlongWithTheSnapshot)
{
    CNelvoxDlg window;
    fill(window, { "http://a.example/", "http://b.example/", "http://c.example/", "http://d.example/" });
    // b and d changed once and have a previous copy, c never did; a stays.
    for (const char* address : { "http://a.example/", "http://b.example/", "http://d.example/" })
        WriteAll(PreviousCopyName(SnapshotFileName(address)), "earlier");
    // d's previous copy resists removal, as a non-empty directory does also for root.
    const QString stuck = PreviousCopyName(SnapshotFileName("http://d.example/"));
    QFile::remove(stuck);
    ASSERT_TRUE(QDir().mkpath(stuck + "/inside"));
    select(window, { 1, 2 });

    ModalAnswerer answers;
    answers.thenClick("OK").thenClick("OK");
    window.RunCommand([&] { window.OnDeleteSelected(); });
    EXPECT_EQ(answers.pending(), 2) << "a missing previous copy is no error: "
                                    << answers.texts().value(0).toStdString();
    EXPECT_EQ(addresses(window), QStringList({ "http://a.example/", "http://d.example/" }));
    for (const char* address : { "http://b.example/", "http://c.example/" }) {
        EXPECT_FALSE(FileExists(SnapshotFileName(address))) << address;
        EXPECT_FALSE(FileExists(PreviousCopyName(SnapshotFileName(address)))) << address;
    }
    EXPECT_EQ(ReadAll(PreviousCopyName(SnapshotFileName("http://a.example/"))), "earlier") << "not selected";

    select(window, { 1 });
    window.RunCommand([&] { window.OnDeleteSelected(); });
    ASSERT_EQ(answers.pending(), 1) << "no error box";
    EXPECT_TRUE(answers.texts().value(0).contains(stuck)) << answers.texts().value(0).toStdString();
    EXPECT_EQ(addresses(window), QStringList({ "http://a.example/", "http://d.example/" }));
    EXPECT_TRUE(FileExists(SnapshotFileName("http://d.example/"))) << "the row that failed keeps its snapshot";
}

TEST_F(DeleteSelected, ASnapshotThatCannotBeRemovedStopsAtItsRow)
{
    CNelvoxDlg window;
    fill(window, { "http://d.example/", "http://c.example/", "http://a.example/stuck", "http://b.example/" },
        { "http://a.example/stuck" });
    // A non-empty directory under the snapshot's name resists removal, also for root.
    const QString stuck = SnapshotFileName("http://a.example/stuck");
    ASSERT_TRUE(QDir().mkpath(stuck + "/inside"));
    select(window, { 0, 2, 3 });

    ModalAnswerer answers;
    answers.thenClick("OK");
    window.RunCommand([&] { window.OnDeleteSelected(); });

    ASSERT_EQ(answers.pending(), 0) << "no error box";
    EXPECT_EQ(answers.titles().value(0), QStringLiteral("Nelvox"));
    const QString message = answers.texts().value(0);
    EXPECT_TRUE(message.contains(stuck)) << "the box must name the file: " << message.toStdString();
    EXPECT_GT(message.size(), stuck.size() + 20) << "the box must give the reason: " << message.toStdString();

    EXPECT_EQ(addresses(window), QStringList({ "http://d.example/", "http://c.example/", "http://a.example/stuck" }))
        << "the row below was deleted, the failing row and those above it stay, unsorted";
    EXPECT_FALSE(FileExists(SnapshotFileName("http://b.example/")));
    EXPECT_TRUE(FileExists(SnapshotFileName("http://d.example/"))) << "rows above the failure keep their snapshots";
    EXPECT_FALSE(FileExists("nelvox.ini")) << "nothing saved after the failure";
}

TEST_F(DeleteSelected, AsksBeforeDeletingAChangedFavoriteOrOneWithARuleOfItsOwn)
{
    CNelvoxDlg window;
    fill(window, { "http://a.example/", "http://b.example/", "http://c.example/", "http://d.example/" });
    window.favorites().setText(0, FavoritesList::Changed, QStringLiteral("YES"));
    window.scheduler().rules().setRule("http://c.example/", ChangeRule::pageText());

    // No keeps every selected favorite, the plain one too.
    select(window, { 0, 1, 2 });
    ModalAnswerer answers;
    answers.thenClick("No");
    window.RunCommand([&] { window.OnDeleteSelected(); });
    EXPECT_EQ(answers.pending(), 0) << "no question";
    const QString question = answers.texts().value(0);
    EXPECT_TRUE(question.startsWith("Delete the favorites that changed or have a rule of their own?"))
        << question.toStdString();
    EXPECT_TRUE(question.contains("2 of the 3 selected favorites")) << question.toStdString();
    EXPECT_EQ(addresses(window).size(), 4);
    EXPECT_TRUE(FileExists(SnapshotFileName("http://a.example/")));
    EXPECT_FALSE(FileExists("nelvox.ini"));

    // Yes deletes them all.
    answers.thenClick("Yes");
    window.RunCommand([&] { window.OnDeleteSelected(); });
    EXPECT_EQ(answers.pending(), 0);
    EXPECT_EQ(addresses(window), QStringList({ "http://d.example/" }));
    EXPECT_FALSE(FileExists(SnapshotFileName("http://c.example/")));
    EXPECT_TRUE(window.scheduler().rules().rule("http://c.example/").isPageLength()) << "its rule went with it";

    // A plain favorite goes at once.
    select(window, { 0 });
    window.RunCommand([&] { window.OnDeleteSelected(); });
    EXPECT_EQ(window.favorites().count(), 0);
    EXPECT_EQ(answers.texts().size(), 2) << answers.texts().value(2).toStdString();
}

} // namespace
