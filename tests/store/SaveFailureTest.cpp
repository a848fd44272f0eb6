// A save that cannot finish leaves the previous favorites file whole and says why.
#include "platform/NelvoxError.h"
#include "store/FavoritesFile.h"
#include "store/FavoritesList.h"
#include "support/TempWorkDir.h"

#include <QDir>
#include <QFile>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

class SaveFailure : public InTempDir { };

void fill(FavoritesList& list, int rows)
{
    for (int i = 0; i < rows; ++i) {
        list.insertFavorite(i, QStringLiteral("http://host.example/page/%1").arg(i));
        list.setText(i, FavoritesList::Updates, QStringLiteral("H"));
        list.setText(i, FavoritesList::LastUpdated, QStringLiteral("Never"));
    }
}

// Runs a save in a child process whose files may not grow past `limit` bytes, the way a
// full disk stops a write part way. Returns the child's exit code: 0 when SaveFavorites
// threw a FileError, 1 when it claimed success, 2 on any other outcome.
int saveWithFileSizeLimit(const FavoritesList& list, rlim_t limit)
{
    const pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit fileSize { limit, limit };
        setrlimit(RLIMIT_FSIZE, &fileSize);
        try {
            SaveFavorites(list);
            _exit(1);
        } catch (const FileError&) {
            _exit(0);
        } catch (...) {
            _exit(2);
        }
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 3;
}

TEST_F(SaveFailure, AFullDiskPartWayLeavesTheOldFileWhole)
{
    const QByteArray old = "1\r\nhttp://old.example/ DNever YES\r\n";
    WriteAll("nelvox.ini", old);

    FavoritesList list;
    fill(list, 200);
    EXPECT_EQ(saveWithFileSizeLimit(list, 4096), 0) << "the failed write must be reported";
    EXPECT_EQ(ReadAll("nelvox.ini"), old);
    EXPECT_EQ(QDir().entryList(QDir::Files).size(), 1) << "no temporary file left behind: "
                                                        << QDir().entryList(QDir::Files).join(' ').toStdString();

    // Without the limit the same save goes through.
    EXPECT_EQ(saveWithFileSizeLimit(list, RLIM_INFINITY), 1);
    EXPECT_TRUE(ReadAll("nelvox.ini").startsWith("200\r\n"));
}

TEST_F(SaveFailure, AReadOnlyFavoritesFileIsNotReplaced)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes read-only files; covered by the other save failures";
    const QByteArray old = "0\r\n";
    WriteAll("nelvox.ini", old);
    QFile::setPermissions("nelvox.ini", QFile::ReadOwner);
    FavoritesList list;
    fill(list, 1);
    EXPECT_THROW(SaveFavorites(list), FileError);
    QFile::setPermissions("nelvox.ini", QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(ReadAll("nelvox.ini"), old);
}

} // namespace
