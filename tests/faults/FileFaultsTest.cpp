// Files that are not what the program expects: a favorites file damaged in every way a
// disk, an editor or a crash can damage it, a data directory that cannot be written even
// by root, and snapshots that are directories or dangling links.
#include "check/CheckRun.h"
#include "check/SnapshotName.h"
#include "platform/Files.h"
#include "platform/NelvoxError.h"
#include "store/FavoritesFile.h"
#include "store/FavoritesList.h"
#include "support/Downloads.h"
#include "support/HttpServer.h"
#include "support/ProxyEnvironment.h"
#include "support/TempWorkDir.h"
#include "support/TestClock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

// One favorite line of each kind of damage, `index` choosing the kind. Line ends are
// added by the caller.
QByteArray damagedLine(int index, QRandomGenerator& random)
{
    const QByteArray address = "http://host" + QByteArray::number(index) + ".example/";
    QByteArray junk(1 + random.bounded(200), '\0');
    for (char& byte : junk) {
        byte = static_cast<char>(random.bounded(256));
        if (byte == '\n')
            byte = 'n';
    }
    switch (index % 12) {
    case 0:
        return address + " HNever ";
    case 1:
        return junk; // binary junk
    case 2:
        return address + QByteArray("\0\0 D\0Never\0 YES", 15); // NULs
    case 3:
        return address + "\xff\xfe\xc3( W12/06/26 \xed\xa0\x80 AM \xe9"; // invalid UTF-8
    case 4:
        return address + " M" + QByteArray(100000 + index, 'L') + " YES"; // a huge line
    case 5:
        return address + " H\rNever\r \rYES\r"; // CR-only line ends inside one line
    case 6:
        return {}; // a blank line
    case 7:
        return address + ' '; // nothing after the address
    case 8:
        return "no-space-at-all";
    case 9:
        return address + "  " + QByteArray(40, ' '); // spaces only
    case 10:
        return address + " HNever YES YES  YES";
    default:
        return address + " \xc3\xa9" + "12/06/26 02:35 AM YES"; // a letter that is not ASCII
    }
}

class DamagedFavorites : public InTempDir { };

void expectSameCells(const FavoritesList& expected, const FavoritesList& actual, const char* what)
{
    ASSERT_EQ(actual.count(), expected.count()) << what;
    for (int row = 0; row < expected.count(); ++row) {
        for (int column = 0; column < FavoritesList::ColumnCount; ++column) {
            const QString want = expected.text(row, column);
            const QString got = actual.text(row, column);
            if (want != got) {
                ADD_FAILURE() << what << ": row " << row << " column " << column << " was \""
                              << want.left(80).toStdString() << "\", is \"" << got.left(80).toStdString() << "\"";
                return;
            }
        }
    }
}

// Loads the file, saves what was loaded, loads again: the same cells must come back, and
// the saved file must be a well-formed one with as many lines as its count says.
void expectSurvivesLoadAndSave(int expectedRows, const char* what)
{
    SCOPED_TRACE(what);
    FavoritesList loaded;
    ASSERT_TRUE(LoadFavorites(loaded));
    EXPECT_EQ(loaded.count(), expectedRows);
    SaveFavorites(loaded);
    FavoritesList reloaded;
    ASSERT_TRUE(LoadFavorites(reloaded));
    expectSameCells(loaded, reloaded, what);

    const QByteArray saved = ReadAll(kFavoritesFileName);
    EXPECT_TRUE(saved.endsWith("\r\n"));
    const QList<QByteArray> lines = saved.split('\n');
    EXPECT_EQ(ParseCount(lines.first()), expectedRows);
    EXPECT_EQ(lines.size() - 2, expectedRows) << "lines after the count line";
}

TEST_F(DamagedFavorites, EveryKindOfDamageSurvivesLoadSaveAndLoad)
{
    QRandomGenerator random(20261207);
    QList<QByteArray> lines;
    for (int i = 0; i < 1024; ++i)
        lines.append(damagedLine(i, random));
    QByteArray body;
    for (const QByteArray& line : lines)
        body += line + "\r\n";

    WriteAll(kFavoritesFileName, "1024\r\n" + body);
    expectSurvivesLoadAndSave(1024, "the whole file");

    WriteAll(kFavoritesFileName, "1024\n" + QByteArray(body).replace("\r\n", "\n"));
    expectSurvivesLoadAndSave(1024, "bare line feeds");

    WriteAll(kFavoritesFileName, "1024\r\n" + body + "trailing junk\r\n\xff\xff");
    expectSurvivesLoadAndSave(1024, "text after the last favorite");

    WriteAll(kFavoritesFileName, "5000\r\n" + body);
    expectSurvivesLoadAndSave(1024, "a count above the lines");

    WriteAll(kFavoritesFileName, "10\r\n" + body);
    expectSurvivesLoadAndSave(10, "a count below the lines");

    WriteAll(kFavoritesFileName, "1024\r\n" + body.left(body.size() / 2));
    FavoritesList half;
    ASSERT_TRUE(LoadFavorites(half));
    EXPECT_GT(half.count(), 0);
    EXPECT_LT(half.count(), 1024);
    expectSurvivesLoadAndSave(half.count(), "a file cut off in the middle of a line");

    WriteAll(kFavoritesFileName, "1024\r\n" + body.chopped(2));
    expectSurvivesLoadAndSave(1024, "no line end after the last favorite");

    WriteAll(kFavoritesFileName, "1024\r" + QByteArray(body).replace("\r\n", "\r"));
    expectSurvivesLoadAndSave(0, "CR-only line ends make one line");

    for (const QByteArray& count : { QByteArray("-5"), QByteArray("junk"), QByteArray(""), QByteArray("99999999999999"),
             QByteArray("\0"
                        "12",
                 3) }) {
        WriteAll(kFavoritesFileName, count + "\r\n" + body);
        const int expected = count == "99999999999999" ? 1024 : 0;
        expectSurvivesLoadAndSave(expected, ("count line \"" + count.toStdString() + "\"").c_str());
    }

    WriteAll(kFavoritesFileName, QByteArray(1 << 20, '\0'));
    expectSurvivesLoadAndSave(0, "a file of NULs");
}

class UnwritableData : public InTempDir {
protected:
    TestClock m_clock { QDateTime(QDate(2026, 12, 6), QTime(2, 35)) };
    ScopedProxyEnvironment m_noProxy;
    HttpServer m_server;
};

TEST_F(UnwritableData, AFavoritesFileThatIsADirectory)
{
    // Root may write anywhere, but no one can replace a non-empty directory by a file.
    ASSERT_TRUE(QDir().mkpath(QStringLiteral("%1/inside").arg(kFavoritesFileName)));
    FavoritesList list;
    EXPECT_FALSE(LoadFavorites(list)) << "a directory was read as the favorites file";
    EXPECT_EQ(list.count(), 0);

    list.insertFavorite(0, "http://a.example/");
    list.setText(0, FavoritesList::Updates, "H");
    list.setText(0, FavoritesList::LastUpdated, "Never");
    try {
        SaveFavorites(list);
        ADD_FAILURE() << "a save into a directory claimed success";
    } catch (const FileError& error) {
        EXPECT_TRUE(error.message().contains(kFavoritesFileName)) << error.what();
    }
    EXPECT_TRUE(QFileInfo(QStringLiteral("%1/inside").arg(kFavoritesFileName)).isDir());
    EXPECT_EQ(QDir().entryList(QDir::Files | QDir::Hidden).size(), 0)
        << "left behind: " << QDir().entryList(QDir::Files | QDir::Hidden).join(' ').toStdString();
}

TEST_F(UnwritableData, ADataDirectoryThatWasRemoved)
{
    m_server.setPage("/page", "a page\n");
    const QString address = m_server.url("/page");
    FavoritesList list;
    list.insertFavorite(0, address);
    list.setText(0, FavoritesList::Updates, "H");
    list.setText(0, FavoritesList::LastUpdated, "Never");
    const Favorite before = list.rows().at(0);

    // The directory goes away under the running program; nothing can be created in it.
    const QString directory = QDir::currentPath();
    ASSERT_TRUE(QDir().rmdir(directory));
    EXPECT_THROW(SaveFavorites(list), FileError);
    FavoritesList loaded;
    EXPECT_FALSE(LoadFavorites(loaded));
    CheckRun run(list, { .now = m_clock.function() });
    run.addCheck(0);
    run.addFirstSnapshot(address);
    RunToEnd(run);
    EXPECT_FALSE(run.anyChanged());
    EXPECT_EQ(list.rows().at(0), before);
    QDir().mkpath(directory); // for the fixture's clean-up
}

class BrokenSnapshots : public UnwritableData { };

TEST_F(BrokenSnapshots, ASnapshotThatIsADirectoryOrADanglingLink)
{
    m_server.setPage("/dir", "a page that is longer than nothing\n");
    m_server.setPage("/link", "another page\n");
    const QString dirAddress = m_server.url("/dir");
    const QString linkAddress = m_server.url("/link");
    ASSERT_TRUE(QDir().mkpath(SnapshotFileName(dirAddress) + "/inside"));
    ASSERT_TRUE(QFile::link("no-such-target.NVD", SnapshotFileName(linkAddress)));

    FavoritesList list;
    for (const QString& address : { dirAddress, linkAddress }) {
        const int row = list.count();
        list.insertFavorite(row, address);
        list.setText(row, FavoritesList::Updates, "H");
        list.setText(row, FavoritesList::LastUpdated, "01/02/03 04:05 AM");
    }
    const std::vector<Favorite> before = list.rows();

    CheckRun run(list, { .now = m_clock.function() });
    run.addCheck(0);
    run.addCheck(1);
    RunToEnd(run);
    EXPECT_FALSE(run.anyChanged()) << "a directory or a dangling link was compared as a snapshot";
    EXPECT_EQ(list.rows(), before);
    EXPECT_EQ(ReadAll(kTempDownloadFileName), "another page\r\n");
    EXPECT_TRUE(QFileInfo(SnapshotFileName(dirAddress)).isDir());
    EXPECT_TRUE(QFileInfo(SnapshotFileName(linkAddress)).isSymLink());

    // Delete and Edit remove the snapshot first: a directory cannot be removed as a file
    // and says why; a dangling link goes, and its missing target stays missing.
    try {
        RemoveFile(SnapshotFileName(dirAddress));
        ADD_FAILURE() << "a directory was removed as a snapshot file";
    } catch (const FileError& error) {
        EXPECT_FALSE(error.isNotFound()) << error.what();
        EXPECT_TRUE(error.message().contains(SnapshotFileName(dirAddress))) << error.what();
    }
    EXPECT_TRUE(QFileInfo(SnapshotFileName(dirAddress) + "/inside").isDir());
    EXPECT_NO_THROW(RemoveFile(SnapshotFileName(linkAddress)));
    EXPECT_FALSE(QFileInfo(SnapshotFileName(linkAddress)).isSymLink());
    EXPECT_FALSE(FileExists("no-such-target.NVD"));
}

} // namespace
