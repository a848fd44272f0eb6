// Favorites whose addresses are too long to serve as file names as they are: added, checked,
// edited and deleted through the main window against a loopback server.
#include "UpdateFixture.h"

#include "app/CNelvoxDlg.h"
#include "store/Frequency.h"
#include "support/ModalAnswerer.h"

#include <QDir>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <numeric>

namespace {

const QString kStamp = QStringLiteral("03/14/25 09:26 AM");

// Answers the Add or Edit Favorite dialog: the address, if not null, then Daily and OK.
ModalAnswerer::Answer fillDialog(const QString& address)
{
    return [address](QWidget* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>("urlEdit");
        auto* radio = dialog->findChild<QRadioButton*>("dailyRadio");
        auto* ok = dialog->findChild<QPushButton*>("okButton");
        if (!edit || !radio || !ok) {
            ADD_FAILURE() << "not the Add or Edit Favorite dialog: " << dialog->windowTitle().toStdString();
            dialog->close();
            return;
        }
        if (!address.isNull())
            edit->setText(address);
        QTest::mouseClick(radio, Qt::LeftButton);
        QTest::mouseClick(ok, Qt::LeftButton);
    };
}

class LongAddress : public UpdateFixture {
protected:
    void SetUp() override { setClock(QDateTime(QDate(2025, 3, 14), QTime(9, 26, 53))); }
    // A window whose checks and stamps read the test's clock.
    WindowOptions withClock() const { return { .now = m_clock.function(), .trayAvailable = {} }; }

    // A path that makes the server's address `length` characters long, every fourth one
    // taken from `filler` (which may be a multi-byte character) and the last ones `end`.
    std::string pathOfLength(int length, const QString& filler, const QString& end) const
    {
        const QString base = url("/search?q=");
        QString path = QStringLiteral("/search?q=");
        const int wanted = length - static_cast<int>(base.size()) - static_cast<int>(end.size());
        for (int i = 0; i < wanted; ++i)
            path += i % 4 == 3 ? filler : QString(QChar(u'a' + i % 3));
        path += end;
        return path.toStdString();
    }

    int rowOf(CNelvoxDlg& window, const QString& address)
    {
        for (int row = 0; row < window.favorites().count(); ++row) {
            if (window.favorites().text(row, FavoritesList::WebSite) == address)
                return row;
        }
        return -1;
    }
    void selectOnly(CNelvoxDlg& window, const std::vector<int>& rows)
    {
        QItemSelectionModel* selection = window.findChild<QTreeView*>("listFavorites")->selectionModel();
        selection->clearSelection();
        for (const int row : rows)
            selection->select(
                window.favorites().index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    // The snapshot files in the working directory.
    static QStringList snapshotFiles() { return QDir().entryList({ QStringLiteral("*.NVD") }, QDir::Files); }
};

TEST_F(LongAddress, AddCheckEditAndDeleteKeepSnapshotsForEveryLength)
{
    struct Favorite {
        std::string path;
        QString address;
        QString describe;
    };
    std::vector<Favorite> favorites;
    for (const int length : { 250, 300, 2000 }) {
        for (const QString& filler : { QStringLiteral("x"), QString::fromUtf8("é"), QString::fromUtf8("日") }) {
            Favorite favorite;
            favorite.path = pathOfLength(length, filler, QStringLiteral("&end=1"));
            favorite.address = url(favorite.path);
            favorite.describe = QStringLiteral("%1 characters with %2").arg(length).arg(filler);
            ASSERT_EQ(favorite.address.size(), length);
            favorites.push_back(favorite);
        }
    }

    CNelvoxDlg window(withClock());
    for (const Favorite& favorite : favorites) {
        m_server.setPage(favorite.path, "first\n");
        ModalAnswerer answers;
        answers.then(fillDialog(favorite.address));
        window.OnAddFavorite();
        ASSERT_TRUE(WaitUntilSettled(window));
        const int row = rowOf(window, favorite.address);
        ASSERT_GE(row, 0) << favorite.describe.toStdString();
        EXPECT_EQ(window.favorites().text(row, FavoritesList::LastUpdated), kStamp)
            << "Add found no snapshot for " << favorite.describe.toStdString();
        EXPECT_EQ(snapshot(favorite.path), "first\r\n") << favorite.describe.toStdString();
    }
    EXPECT_EQ(snapshotFiles().size(), static_cast<qsizetype>(favorites.size()));

    // Every page grows; Update All Now finds each change.
    setClock(QDateTime(QDate(2025, 3, 15), QTime(18, 0, 0)));
    for (const Favorite& favorite : favorites)
        m_server.setPage(favorite.path, "first\nand a second line\n");
    {
        ModalAnswerer answers;
        answers.thenClick("No");
        window.findChild<QPushButton*>("btnUpdateAll")->click();
        ASSERT_TRUE(WaitFor([&] { return !window.isChecking(); }, 60000));
        EXPECT_EQ(answers.pending(), 0) << "the changes were not announced";
    }
    for (const Favorite& favorite : favorites) {
        const int row = rowOf(window, favorite.address);
        ASSERT_GE(row, 0) << favorite.describe.toStdString();
        EXPECT_EQ(window.favorites().text(row, FavoritesList::Changed), "YES") << favorite.describe.toStdString();
        EXPECT_EQ(window.favorites().text(row, FavoritesList::LastUpdated), "03/15/25 06:00 PM");
        EXPECT_EQ(snapshot(favorite.path), "first\r\nand a second line\r\n") << favorite.describe.toStdString();
    }

    // Edit moves each favorite to an address that differs only in its last character.
    std::vector<Favorite> edited;
    for (const Favorite& favorite : favorites) {
        Favorite moved = favorite;
        moved.path.back() = '2';
        moved.address = url(moved.path);
        m_server.setPage(moved.path, "edited\n");
        const int row = rowOf(window, favorite.address);
        ASSERT_GE(row, 0);
        selectOnly(window, { row });
        ModalAnswerer answers;
        answers.then(fillDialog(moved.address));
        window.RunCommand([&] { window.OnEditSelected(); });
        ASSERT_TRUE(WaitUntilSettled(window));
        EXPECT_EQ(window.favorites().text(row, FavoritesList::WebSite), moved.address);
        EXPECT_NE(SnapshotFileName(moved.address), SnapshotFileName(favorite.address))
            << favorite.describe.toStdString();
        EXPECT_FALSE(FileExists(SnapshotFileName(favorite.address)))
            << "the old snapshot stayed: " << favorite.describe.toStdString();
        EXPECT_EQ(snapshot(moved.path), "edited\r\n") << favorite.describe.toStdString();
        edited.push_back(moved);
    }
    EXPECT_EQ(snapshotFiles().size(), static_cast<qsizetype>(favorites.size()));

    // The favorites file keeps the long addresses whole.
    {
        CNelvoxDlg reloaded(withClock());
        for (const Favorite& favorite : edited)
            EXPECT_GE(rowOf(reloaded, favorite.address), 0) << favorite.describe.toStdString();
    }

    std::vector<int> all(static_cast<size_t>(window.favorites().count()));
    std::iota(all.begin(), all.end(), 0);
    selectOnly(window, all);
    // Rows that say YES bring Delete's question.
    ModalAnswerer deleteAnswers;
    deleteAnswers.thenClick("Yes");
    window.RunCommand([&] { window.OnDeleteSelected(); });
    EXPECT_EQ(deleteAnswers.pending(), 0) << "Delete did not ask";
    EXPECT_EQ(window.favorites().count(), 0);
    EXPECT_EQ(snapshotFiles(), QStringList()) << "Delete left snapshots behind";
}

} // namespace
