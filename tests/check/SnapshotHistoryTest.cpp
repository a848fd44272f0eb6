// The history through the checks: every page that becomes a snapshot is kept, the snapshot
// files stay as they are, Delete's removal drops it, and a history that cannot be kept stops
// no check.
#include "UpdateFixture.h"

#include "check/CheckScheduler.h"
#include "check/PageChanges.h"
#include "check/PageHistory.h"
#include "check/SnapshotRemoval.h"
#include "check/SnapshotReplace.h"
#include "history/HistoryDatabase.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

const QDateTime kFirst(QDate(2021, 10, 2), QTime(11, 0, 0));

void setModified(const QString& fileName, const QDateTime& time)
{
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime));
}

// The lines that the comparison's text shows as added.
QStringList addedLines(const PageChanges& changes)
{
    QStringList added;
    for (const PageDiff::Hunk& hunk : changes.textDiff()->hunks()) {
        for (const PageDiff::Line& line : hunk.lines) {
            if (line.kind == PageDiff::Kind::Added)
                added << line.text;
        }
    }
    return added;
}

class SnapshotHistoryTest : public UpdateFixture {
protected:
    SnapshotHistoryTest() { useTestClock(m_scheduler); }

    // Starts a run through `start` and waits for all that follows it.
    bool run(const std::function<bool()>& start) { return runToEnd(m_scheduler, start); }
    bool updateAll()
    {
        return run([this] { return m_scheduler.startUpdateAll(); });
    }
    QList<QByteArray> pages(const std::string& path)
    {
        HistoryDatabase history;
        QList<QByteArray> read;
        for (const HistoryCopy& copy : history.copies(url(path)))
            read.append(history.read(copy.id).value_or("(none)"));
        return read;
    }
    FavoritesList m_list;
    CheckScheduler m_scheduler { m_list };
};

TEST_F(SnapshotHistoryTest, EveryPageThatBecomesASnapshotIsKeptBesideTheSnapshotFiles)
{
    addRow(m_list, "/a", "H");
    WriteAll(SnapshotFileName(url("/a")), "the snapshot before\r\n");
    WriteAll(PreviousCopyName(SnapshotFileName(url("/a"))), "the copy before that\r\n");
    setModified(SnapshotFileName(url("/a")), kFirst.addDays(-1));
    setModified(PreviousCopyName(SnapshotFileName(url("/a"))), kFirst.addDays(-2));
    m_server.setPage("/a", "first change\n");
    setClock(kFirst);
    ASSERT_TRUE(updateAll());
    m_server.setPage("/a", "second change, longer\n");
    setClock(kFirst.addSecs(3600));
    ASSERT_TRUE(updateAll());
    m_server.setPage("/new", "a new favorite\n");
    ASSERT_TRUE(run([this] { return m_scheduler.startFirstSnapshot(url("/new")); }));
    ASSERT_TRUE(m_scheduler.history().waitUntilWritten(30'000));

    // The snapshot files are as they always were.
    EXPECT_EQ(snapshot("/a"), "second change, longer\r\n");
    EXPECT_EQ(ReadAll(PreviousCopyName(SnapshotFileName(url("/a")))), "first change\r\n");
    EXPECT_EQ(pages("/a"),
        (QList<QByteArray> {
            "second change, longer\r\n", "first change\r\n", "the snapshot before\r\n", "the copy before that\r\n" }));
    const QList<HistoryCopy> copies = HistoryDatabase().copies(url("/a"));
    ASSERT_EQ(copies.size(), 4);
    EXPECT_EQ(copies[0].taken, kFirst.addSecs(3600));
    EXPECT_EQ(copies[1].taken, kFirst);
    EXPECT_EQ(copies[2].taken, kFirst.addDays(-1)) << "the time of the snapshot file";
    EXPECT_EQ(copies[3].taken, kFirst.addDays(-2)) << "the time of the previous copy's file";
    EXPECT_EQ(pages("/new"), QList<QByteArray> { "a new favorite\r\n" }) << "a first snapshot is a copy too";

    // Delete's removal drops the history with the snapshot files, unless a row still has the
    // address; an edit that keeps the address keeps it.
    addRow(m_list, "/a", "D");
    RemoveUnsharedSnapshot(m_list, 0, PreviousCopy::Remove, &m_scheduler.history());
    RemoveSnapshot(url("/a"), PreviousCopy::Keep, &m_scheduler.history());
    ASSERT_TRUE(m_scheduler.history().waitUntilWritten(30'000));
    EXPECT_EQ(pages("/a").size(), 4);
    m_list.deleteFavorite(1);
    RemoveUnsharedSnapshot(m_list, 0, PreviousCopy::Remove, &m_scheduler.history());
    ASSERT_TRUE(m_scheduler.history().waitUntilWritten(30'000));
    EXPECT_TRUE(pages("/a").isEmpty());
    EXPECT_FALSE(FileExists(SnapshotFileName(url("/a"))));
    EXPECT_EQ(pages("/new").size(), 1);
}

// Three changes while the user was away show as one comparison with the copy last looked at;
// after a look, only the changes that come later.
TEST_F(SnapshotHistoryTest, WhatChangedSinceTheUserLastLookedIsOneComparisonWithThatCopy)
{
    addRow(m_list, "/a", "H");
    WriteAll(SnapshotFileName(url("/a")), "<p>opening hours</p><p>Monday</p>\r\n");
    EXPECT_FALSE(PageHistory(url("/a")).sinceLastLooked({})) << "no history yet";
    EXPECT_FALSE(FileExists("nelvox.history")) << "reading made a history";
    m_server.setPage("/a", "<p>opening hours</p><p>Monday to Tuesday</p>\n");
    setClock(kFirst);
    ASSERT_TRUE(updateAll());
    ASSERT_TRUE(m_scheduler.history().waitUntilWritten(30'000));
    // The row showed no change before: its user had seen the snapshot that the change replaced.
    std::optional<PageChanges> unseen = PageHistory(url("/a")).sinceLastLooked({});
    ASSERT_TRUE(unseen) << "a change to a page the user had seen is no change since the last look";
    EXPECT_EQ(addedLines(*unseen), QStringList({ "Monday to Tuesday" }));
    m_scheduler.history().markLooked(url("/a"));
    ASSERT_TRUE(m_scheduler.history().waitUntilWritten(30'000));
    EXPECT_FALSE(PageHistory(url("/a")).sinceLastLooked({})) << "nothing changed since the look";

    const char* changes[] = { "Wednesday", "Thursday", "Friday" };
    QByteArray page = "<p>opening hours</p><p>Monday to Tuesday</p>\n";
    for (int change = 0; change < 3; ++change) {
        page += "<p>" + QByteArray(changes[change]) + "</p>\n";
        m_server.setPage("/a", page);
        setClock(kFirst.addSecs(3600 * (change + 1)));
        ASSERT_TRUE(updateAll());
    }
    ASSERT_TRUE(m_scheduler.history().waitUntilWritten(30'000));
    PageHistory history(url("/a"));
    std::optional<PageChanges> since = history.sinceLastLooked({});
    ASSERT_TRUE(since);
    ASSERT_EQ(history.copies().size(), 5) << "the first snapshot, the look and three changes";
    EXPECT_EQ(history.between(*history.lastLooked(), history.copies().first().id), 2);
    EXPECT_EQ(since->previousTime(), kFirst);
    EXPECT_EQ(since->snapshotTime(), kFirst.addSecs(3 * 3600));
    ASSERT_EQ(since->state(), PageChanges::State::TextChanged);
    EXPECT_EQ(addedLines(*since), QStringList({ "Wednesday", "Thursday", "Friday" }));

    // Any two copies: the first snapshot against Thursday's, each page as it was kept.
    std::optional<PageChanges> picked = history.compare(history.copies()[4].id, history.copies()[1].id, {});
    ASSERT_TRUE(picked);
    EXPECT_EQ(picked->previousPage(), "<p>opening hours</p><p>Monday</p>\r\n");
    EXPECT_EQ(addedLines(*picked), QStringList({ "Monday to Tuesday", "Wednesday", "Thursday" }));
    EXPECT_EQ(history.page(history.copies()[0].id), QByteArray(page).replace("\n", "\r\n"))
        << "as the snapshot keeps it";

    // A look, then one more change: only that one.
    m_scheduler.history().markLooked(url("/a"));
    m_server.setPage("/a", page + "<p>Saturday</p>\n");
    setClock(kFirst.addSecs(4 * 3600));
    ASSERT_TRUE(updateAll());
    ASSERT_TRUE(m_scheduler.history().waitUntilWritten(30'000));
    PageHistory later(url("/a"));
    since = later.sinceLastLooked({});
    ASSERT_TRUE(since);
    EXPECT_EQ(later.between(*later.lastLooked(), later.copies().first().id), 0);
    EXPECT_EQ(addedLines(*since), QStringList({ "Saturday" }));
}

TEST_F(SnapshotHistoryTest, AHistoryThatCannotBeKeptIsSaidOnceAndLeftAsItIsWhileTheChecksGoOn)
{
    WriteAll("nelvox.history", "my own notes\n");
    addRow(m_list, "/a", "H");
    addRow(m_list, "/b", "H");
    staleSnapshot("/a");
    staleSnapshot("/b");
    m_server.setPage("/a", "page a\n");
    m_server.setPage("/b", "page b\n");
    QSignalSpy failed(&m_scheduler, &CheckScheduler::historyFailed);
    ASSERT_TRUE(updateAll());
    ASSERT_TRUE(failed.count() == 1 || failed.wait(30'000));
    m_server.setPage("/a", "page a, changed\n");
    ASSERT_TRUE(updateAll());
    ASSERT_TRUE(m_scheduler.history().waitUntilWritten(30'000));
    QCoreApplication::processEvents();
    EXPECT_EQ(failed.count(), 1) << "said once";
    EXPECT_TRUE(failed.first().first().toString().contains("it is not a database"))
        << failed.first().first().toString().toStdString();
    EXPECT_EQ(ReadAll("nelvox.history"), "my own notes\n");
    EXPECT_EQ(snapshot("/a"), "page a, changed\r\n");
    EXPECT_EQ(snapshot("/b"), "page b\r\n");
    EXPECT_EQ(m_list.text(0, FavoritesList::Changed), "YES");
    EXPECT_EQ(m_list.text(1, FavoritesList::Changed), "YES");
}

} // namespace
