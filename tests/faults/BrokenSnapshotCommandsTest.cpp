// Delete and Edit on favorites whose snapshot is a directory or a dangling symbolic link:
// the link goes like a snapshot, the directory stops the command with the error box, and
// nothing crashes or is written that the failure rules keep unwritten.
#include "app/CNelvoxDlg.h"
#include "check/SnapshotName.h"
#include "store/FavoritesFile.h"
#include "support/HttpServer.h"
#include "support/ModalAnswerer.h"
#include "support/ProxyEnvironment.h"
#include "support/TempWorkDir.h"
#include "support/TestClock.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

class BrokenSnapshotCommands : public InTempDir {
protected:
    void SetUp() override
    {
        m_server.setPage("/dir", "the page behind the directory\n");
        // "/x!link" and "/x/link" are two addresses with one snapshot file, so that Edit from the one
        // to the other downloads into the link.
        m_server.setPage("/x/link", "the page behind the link\n");
        // Rows in sorted order: /dir before /x!link.
        for (const char* path : { "/dir", "/x!link" }) {
            const int row = m_window.favorites().count();
            m_window.favorites().insertFavorite(row, m_server.url(path));
            m_window.favorites().setText(row, FavoritesList::Updates, "H");
            m_window.favorites().setText(row, FavoritesList::LastUpdated, "01/02/03 04:05 AM");
        }
        ASSERT_TRUE(QDir().mkpath(dirSnapshot() + "/inside"));
        ASSERT_TRUE(QFile::link("elsewhere.NVD", linkSnapshot()));
    }

    QString dirSnapshot() const { return SnapshotFileName(m_server.url("/dir")); }
    QString linkSnapshot() const { return SnapshotFileName(m_server.url("/x!link")); }
    void select(std::initializer_list<int> rows)
    {
        QItemSelectionModel* selection = m_window.findChild<QTreeView*>("listFavorites")->selectionModel();
        for (const int row : rows)
            selection->select(
                m_window.favorites().index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    // Answers the Add or Edit Favorite dialog with OK, hourly, the address `address` (an
    // address Edit keeps touches no snapshot).
    static ModalAnswerer::Answer confirm(const QString& address)
    {
        return [address](QWidget* dialog) {
            auto* radio = dialog->findChild<QRadioButton*>("hourlyRadio");
            auto* ok = dialog->findChild<QPushButton*>("okButton");
            auto* edit = dialog->findChild<QLineEdit*>("urlEdit");
            if (!radio || !ok || !edit) {
                ADD_FAILURE() << "not the Add or Edit Favorite dialog: " << dialog->windowTitle().toStdString();
                dialog->close();
                return;
            }
            edit->setText(address);
            QTest::mouseClick(radio, Qt::LeftButton);
            QTest::mouseClick(ok, Qt::LeftButton);
        };
    }

    TestClock m_clock { QDateTime(QDate(2026, 12, 6), QTime(2, 35)) };
    ScopedProxyEnvironment m_noProxy;
    HttpServer m_server;
    CNelvoxDlg m_window { WindowOptions { .now = m_clock.function(), .trayAvailable = {} } };
    StuckModalGuard m_stuckGuard;
};

TEST_F(BrokenSnapshotCommands, DeleteTakesTheLinkAndStopsAtTheDirectory)
{
    select({ 0, 1 });
    ModalAnswerer answers;
    answers.thenClick("OK");
    m_window.RunCommand([this] { m_window.OnDeleteSelected(); });

    ASSERT_EQ(answers.pending(), 0) << "no error box for a snapshot that cannot be removed";
    EXPECT_TRUE(answers.texts().value(0).contains(dirSnapshot())) << answers.texts().value(0).toStdString();
    EXPECT_EQ(m_window.favorites().count(), 1);
    EXPECT_EQ(m_window.favorites().text(0, FavoritesList::WebSite), m_server.url("/dir"));
    EXPECT_FALSE(QFileInfo(linkSnapshot()).isSymLink()) << "the dangling link was not removed";
    EXPECT_FALSE(FileExists("elsewhere.NVD"));
    EXPECT_TRUE(QFileInfo(dirSnapshot() + "/inside").isDir());
    EXPECT_FALSE(FileExists(kFavoritesFileName)) << "a stopped Delete must not save";
}

TEST_F(BrokenSnapshotCommands, EditReplacesTheLinkAndStopsAtTheDirectory)
{
    select({ 1 });
    ModalAnswerer answers;
    answers.then(confirm(m_server.url("/x/link")));
    m_window.RunCommand([this] { m_window.OnEditSelected(); });
    ASSERT_TRUE(WaitUntilSettled(m_window));
    ASSERT_EQ(answers.pending(), 0);
    EXPECT_EQ(answers.texts().size(), 1) << "unexpected message: " << answers.texts().value(1).toStdString();
    EXPECT_FALSE(QFileInfo(linkSnapshot()).isSymLink());
    EXPECT_EQ(ReadAll(linkSnapshot()), "the page behind the link\r\n");
    EXPECT_FALSE(FileExists("elsewhere.NVD")) << "the download went through the dangling link";
    EXPECT_EQ(m_window.favorites().text(1, FavoritesList::LastUpdated), "12/06/26 02:35 AM");
    EXPECT_TRUE(FileExists(kFavoritesFileName));

    QFile::remove(kFavoritesFileName);
    m_window.findChild<QTreeView*>("listFavorites")->selectionModel()->clearSelection();
    select({ 0 });
    const Favorite before = m_window.favorites().rows().at(0);
    answers.then(confirm(m_server.url("/dir/moved"))).thenClick("OK");
    m_window.RunCommand([this] { m_window.OnEditSelected(); });
    ASSERT_TRUE(WaitUntilSettled(m_window));
    ASSERT_EQ(answers.pending(), 0) << "no error box for a snapshot that cannot be removed";
    EXPECT_TRUE(answers.texts().last().contains(dirSnapshot())) << answers.texts().last().toStdString();
    EXPECT_EQ(m_window.favorites().rows().at(0), before);
    EXPECT_TRUE(QFileInfo(dirSnapshot() + "/inside").isDir());
    EXPECT_FALSE(FileExists(kFavoritesFileName)) << "a stopped Edit must not save";
}

} // namespace
