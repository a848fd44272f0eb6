// A snapshot replaced by a fresh download in a child process that is killed with SIGKILL
// between the steps and at random moments: the snapshot must always be the old page or the
// new one, and the previous copy, where there is one, a whole earlier page.
#include "platform/NelvoxError.h"
#include "support/TempWorkDir.h"
#include "check/SnapshotReplace.h"

#include <QDir>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString kSnapshot = QStringLiteral("nv.example.org!news.html.NVD");
const QString kDownload = QStringLiteral("tempupd.nvd");

// Page `number`: its length varies with the number, and its first and last lines tell a
// whole page from a cut one.
QByteArray page(int number)
{
    const QByteArray tag = QByteArray::number(number);
    return "<p>page " + tag + "\r\n" + QByteArray((number * 7919) % 20000, 'x') + "\r\nend of page " + tag + "\r\n";
}

// The number of the whole page `bytes` holds, or none.
std::optional<int> wholePage(const QByteArray& bytes)
{
    if (!bytes.startsWith("<p>page "))
        return std::nullopt;
    const int number = bytes.mid(8, bytes.indexOf('\r') - 8).toInt();
    if (bytes != page(number))
        return std::nullopt;
    return number;
}

// Runs `work` in a child process; true when the child was killed by SIGKILL, false when it
// ended by itself.
template <typename Work> bool runInChild(Work work)
{
    const pid_t child = ::fork();
    if (child == 0) {
        int status = 0;
        try {
            work();
        } catch (const NelvoxError&) {
            status = 2;
        }
        ::_exit(status);
    }
    int status = 0;
    EXPECT_EQ(::waitpid(child, &status, 0), child);
    if (WIFSIGNALED(status))
        return WTERMSIG(status) == SIGKILL;
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the replacement failed in the child";
    return false;
}

class KillDuringReplace : public InTempDir { };

TEST_F(KillDuringReplace, EachStepLeavesWholePages)
{
    // What the snapshot, the previous copy and what the kill left hold after a kill at each
    // step: page 1 is the earlier previous copy, page 2 the snapshot and page 3 the download.
    // The temporary files are left for the next change to overwrite or remove, never a name
    // that is read.
    const QString pending = PendingPreviousCopyName(kSnapshot);
    const struct {
        ReplaceWay way;
        std::optional<ReplaceStep> killedAfter;
        int snapshot;
        int previous;
        QString leftName; // the old page under a temporary name, or empty
        bool downloadLeft = false;
    } cases[] = {
        { ReplaceWay::LinkFirst, ReplaceStep::PreviousLinked, 2, 1, pending, true },
        { ReplaceWay::LinkFirst, ReplaceStep::SnapshotReplaced, 3, 1, pending },
        { ReplaceWay::LinkFirst, ReplaceStep::PreviousKept, 3, 2, {} },
        { ReplaceWay::LinkFirst, std::nullopt, 3, 2, {} },
        // This file system (ext4 or tmpfs) can swap names, so the quickest way swaps.
        { ReplaceWay::SwapWhenPossible, ReplaceStep::SnapshotReplaced, 3, 1, kDownload },
        { ReplaceWay::SwapWhenPossible, ReplaceStep::PreviousKept, 3, 2, {} },
        { ReplaceWay::SwapWhenPossible, std::nullopt, 3, 2, {} },
    };
    for (const auto& example : cases) {
        SCOPED_TRACE(testing::Message() << "way " << static_cast<int>(example.way) << ", killed after "
                                        << (example.killedAfter ? static_cast<int>(*example.killedAfter) : -1));
        for (const QString& name : QDir().entryList(QDir::Files | QDir::Hidden))
            QFile::remove(name);
        WriteAll(PreviousCopyName(kSnapshot), page(1));
        WriteAll(kSnapshot, page(2));
        WriteAll(kDownload, page(3));

        const bool killed = runInChild([&] {
            ReplaceSnapshot(
                kDownload, kSnapshot,
                [&](ReplaceStep step) {
                    if (step == example.killedAfter)
                        ::kill(::getpid(), SIGKILL);
                },
                example.way);
        });
        EXPECT_EQ(killed, example.killedAfter.has_value());
        EXPECT_EQ(wholePage(ReadAll(kSnapshot)), example.snapshot);
        EXPECT_EQ(wholePage(ReadAll(PreviousCopyName(kSnapshot))), example.previous);
        QStringList left = QDir().entryList(QDir::Files | QDir::Hidden, QDir::Name);
        left.removeAll(kSnapshot);
        left.removeAll(PreviousCopyName(kSnapshot));
        QStringList expectedLeft;
        if (!example.leftName.isEmpty())
            expectedLeft << example.leftName;
        if (example.downloadLeft)
            expectedLeft << kDownload;
        expectedLeft.sort();
        EXPECT_TRUE(left == expectedLeft) << left.join(' ').toStdString();
        if (!example.leftName.isEmpty()) {
            EXPECT_EQ(wholePage(ReadAll(example.leftName)), 2);
        }

        // Whatever the kill left behind, the next change goes through and cleans up.
        WriteAll(kDownload, page(4));
        ReplaceSnapshot(kDownload, kSnapshot, {}, example.way);
        EXPECT_EQ(wholePage(ReadAll(kSnapshot)), 4);
        EXPECT_EQ(wholePage(ReadAll(PreviousCopyName(kSnapshot))), example.snapshot);
        QStringList expected = { kSnapshot, PreviousCopyName(kSnapshot) };
        expected.sort();
        const QStringList files = QDir().entryList(QDir::Files | QDir::Hidden, QDir::Name);
        EXPECT_TRUE(files == expected) << files.join(' ').toStdString();
    }
}

TEST_F(KillDuringReplace, RandomKillsOfChangeAfterChangeLeaveWholePages)
{
    // The child replaces the snapshot again and again, each download a newer page; the test
    // kills it at random moments and takes up the count from what it finds.
    for (const ReplaceWay way : { ReplaceWay::SwapWhenPossible, ReplaceWay::LinkFirst }) {
        SCOPED_TRACE(static_cast<int>(way));
        QRandomGenerator random(1309);
        WriteAll(kSnapshot, page(0));
        QFile::remove(PreviousCopyName(kSnapshot));
        int next = 1;
        int killedWithPrevious = 0;
        for (int run = 0; run < 40; ++run) {
            SCOPED_TRACE(run);
            const int first = next;
            const pid_t child = ::fork();
            if (child == 0) {
                for (int number = first;; ++number) {
                    WriteAll(kDownload, page(number));
                    ReplaceSnapshot(kDownload, kSnapshot, {}, way);
                }
            }
            ::usleep(random.bounded(200, 20000));
            ::kill(child, SIGKILL);
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the child ended by itself";

            const std::optional<int> snapshot = wholePage(ReadAll(kSnapshot));
            ASSERT_TRUE(snapshot.has_value()) << "the snapshot is not a whole page";
            if (FileExists(PreviousCopyName(kSnapshot))) {
                const std::optional<int> previous = wholePage(ReadAll(PreviousCopyName(kSnapshot)));
                ASSERT_TRUE(previous.has_value()) << "the previous copy is not a whole page";
                EXPECT_LT(*previous, *snapshot) << "the previous copy must be older than the snapshot";
                ++killedWithPrevious;
            }
            next = *snapshot + 1;
        }
        EXPECT_GT(next, 40) << "the child made too few changes to test anything";
        EXPECT_GT(killedWithPrevious, 0);
    }
}

TEST_F(KillDuringReplace, APreviousCopyIsACopyWhereTheFileSystemHasNoLinks)
{
    WriteAll(kSnapshot, page(2));
    WriteAll("stale", page(1));
    LinkOrCopyFile(kSnapshot, "stale", LinkMode::CopyOnly);
    EXPECT_EQ(wholePage(ReadAll("stale")), 2) << "the copy must replace what was there";
    WriteAll(kSnapshot, page(5));
    EXPECT_EQ(wholePage(ReadAll("stale")), 2) << "a copy is a file of its own";

    try {
        LinkOrCopyFile("missing", "to", LinkMode::CopyOnly);
        ADD_FAILURE() << "copying a missing file must throw";
    } catch (const FileError& error) {
        EXPECT_TRUE(error.isNotFound()) << error.what();
    }
    EXPECT_THROW(LinkOrCopyFile("missing", "to"), FileError);
    EXPECT_FALSE(FileExists("to"));

    // A favorite without a snapshot gets one but no previous copy, and an older previous
    // copy goes, since it would show two changes as one.
    QFile::remove(kSnapshot);
    WriteAll(PreviousCopyName(kSnapshot), page(1));
    WriteAll(kDownload, page(3));
    ReplaceSnapshot(kDownload, kSnapshot);
    EXPECT_EQ(wholePage(ReadAll(kSnapshot)), 3);
    EXPECT_FALSE(FileExists(PreviousCopyName(kSnapshot)));
}

} // namespace
