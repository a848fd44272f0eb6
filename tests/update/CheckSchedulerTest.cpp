// The scheduler of the checks without a window: which rows a tick finds due, a tick held by
// a dialog or a run, what follows a run, and what the checks log.
#include "UpdateFixture.h"

#include "store/DialogValues.h"
#include "update/CheckScheduler.h"

#include <QDir>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

// Friday 1 October 2021: every frequency is due in the hour from five.
const QDate kFridayTheFirst(2021, 10, 1);
const QDate kSaturday(2021, 10, 2);

class CheckSchedulerTest : public UpdateFixture {
protected:
    // Starts a run through `start` and waits for all that follows it; false when none started.
    bool run(const std::function<bool()>& start)
    {
        QEventLoop loop;
        bool ended = false;
        QObject::connect(&m_scheduler, &CheckScheduler::finished, &loop, [&] {
            ended = true;
            loop.quit();
        });
        if (!start())
            return false;
        if (!ended)
            loop.exec();
        return true;
    }
    bool tick()
    {
        return run([this] { return m_scheduler.startTick(true); });
    }

    FavoritesList m_list;
    CheckScheduler m_scheduler { m_list };
};

TEST_F(CheckSchedulerTest, ATickChecksTheRowsDueAtItsTimeByTheirOwnFrequencyOrTheOneBefore)
{
    for (const char* path : { "/h", "/d", "/w", "/m", "/x" }) {
        m_server.setPage(path, "unchanged page\n");
        snapshotAsServed(path);
    }
    g_nCurrentFrequency = FREQ_MONTHLY; // what an Add or Edit dialog may have left
    addRow(m_list, "/x", "?"); // nothing before it in the first tick: never due
    addRow(m_list, "/m", "M");
    addRow(m_list, "/w", "W");
    addRow(m_list, "/d", "D");
    addRow(m_list, "/h", "H");
    const struct {
        QDateTime time;
        const char* due;
    } ticks[] = {
        { QDateTime(kFridayTheFirst, QTime(16, 59, 59)), "/h" },
        // From here on /x takes the frequency of the last row of the tick before: hourly.
        { QDateTime(kFridayTheFirst, QTime(17, 0, 0)), "/d/h/m/w/x" },
        { QDateTime(kSaturday, QTime(17, 30, 0)), "/d/h/x" },
    };
    for (const auto& each : ticks) {
        setClock(each.time);
        markRequests();
        ASSERT_TRUE(tick());
        EXPECT_EQ(askedInAnyOrder(), each.due) << each.time.toString().toStdString();
    }
    EXPECT_EQ(g_nCurrentFrequency, FREQ_MONTHLY) << "the tick keeps its own working frequency";
    EXPECT_EQ(g_strCurrentUrl, url("/h")) << "the last row visited";
    EXPECT_TRUE(m_scheduler.timer().isActive());
    EXPECT_EQ(m_scheduler.timer().interval(), CheckScheduler::kCheckIntervalMs);
}

TEST_F(CheckSchedulerTest, ATickWaitsForEveryHoldAndForTheRunUnderWayThenAsksForItsTurn)
{
    m_server.setSlowPage("/slow", "a slow page\n", std::chrono::milliseconds(200));
    snapshotAsServed("/slow");
    addRow(m_list, "/slow", "H");
    markRequests();
    QSignalSpy due(&m_scheduler, &CheckScheduler::tickDue);
    {
        CheckScheduler::Hold dialog(m_scheduler);
        {
            CheckScheduler::Hold nested(m_scheduler);
            EXPECT_FALSE(m_scheduler.startTick(true));
        }
        EXPECT_TRUE(m_scheduler.isTickWaiting());
        EXPECT_FALSE(due.wait(100)) << "one hold is still there";
    }
    EXPECT_TRUE(due.wait(5000)) << "the waiting tick asks for its turn once the holds are gone";

    bool heldDuringRun = false;
    ASSERT_TRUE(run([&] {
        const bool started = m_scheduler.startUpdateAll();
        heldDuringRun = !m_scheduler.startTick(true) && m_scheduler.isTickWaiting();
        return started;
    }));
    EXPECT_TRUE(heldDuringRun);
    EXPECT_TRUE(due.wait(5000)) << "and once the run has ended";
    ASSERT_TRUE(tick());
    EXPECT_FALSE(m_scheduler.isTickWaiting());
    EXPECT_EQ(asked(), "/slow/slow") << "Update All Now, then the tick that waited";
}

TEST_F(CheckSchedulerTest, AfterARunTheTickSavesTheListAsItIsAndUpdateAllNowSortsItFirst)
{
    setClock(QDateTime(kSaturday, QTime(11, 0, 0)));
    m_server.setPage("/b", "page b has grown\n");
    m_server.setPage("/a", "page a\n");
    staleSnapshot("/b");
    snapshotAsServed("/a");
    addRow(m_list, "/b", "H");
    addRow(m_list, "/a", "D");
    QSignalSpy changes(&m_scheduler, &CheckScheduler::changesFound);

    ASSERT_TRUE(tick());
    const QByteArray b = url("/b").toUtf8() + " H10/02/21 11:00 AM YES\r\n";
    const QByteArray a = url("/a").toUtf8() + " DNever \r\n";
    EXPECT_EQ(ReadAll("nelvox.ini"), "2\r\n" + b + a);
    EXPECT_EQ(changes.count(), 1);

    ASSERT_TRUE(run([this] { return m_scheduler.startUpdateAll(); }));
    EXPECT_EQ(ReadAll("nelvox.ini"), "2\r\n" + a + b);
    EXPECT_EQ(changes.count(), 1) << "nothing changed the second time";

    // A list that cannot be written is reported, and the run still ends.
    QFile::remove("nelvox.ini");
    QDir().mkdir("nelvox.ini");
    QSignalSpy saveFailed(&m_scheduler, &CheckScheduler::saveFailed);
    ASSERT_TRUE(tick());
    EXPECT_EQ(saveFailed.count(), 1);
}

TEST_F(CheckSchedulerTest, FailuresAndStopsAreLoggedOnlyWhenTheCategoryIsOn)
{
    static QStringList logged;
    logged.clear();
    const QtMessageHandler previous
        = qInstallMessageHandler([](QtMsgType, const QMessageLogContext& context, const QString& message) {
              if (QByteArray(context.category) == "nelvox.check")
                  logged << message;
          });
    m_server.setHangUp("/broken", "the start of a page", 5000);
    addRow(m_list, "/broken", "H");

    ASSERT_TRUE(run([this] { return m_scheduler.startUpdateAll(); }));
    EXPECT_TRUE(logged.isEmpty()) << "quiet by default: " << logged.join('|').toStdString();

    QLoggingCategory::setFilterRules(QStringLiteral("nelvox.check=true"));
    ASSERT_TRUE(run([this] { return m_scheduler.startUpdateAll(); }));
    ASSERT_TRUE(run([this] {
        CheckScheduler::Hold hold(m_scheduler);
        return m_scheduler.startTick(true);
    }) == false);
    QLoggingCategory::setFilterRules(QString());
    qInstallMessageHandler(previous);

    const QString all = logged.join('\n');
    EXPECT_TRUE(all.contains(url("/broken") + " failed: ")) << all.toStdString();
    EXPECT_TRUE(all.contains("tick held")) << all.toStdString();
}

} // namespace
