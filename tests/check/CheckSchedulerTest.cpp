// The scheduler of the checks without a window: which rows a tick finds due, a tick held by
// a dialog or a run, what follows a run, and what the checks log.
#include "UpdateFixture.h"

#include "check/ChangeRule.h"
#include "check/CheckScheduler.h"
#include "check/SnapshotReplace.h"
#include "platform/TransferPool.h"
#include "store/Frequency.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <atomic>

namespace {

// Friday 1 October 2021: every frequency is due in the hour from five.
const QDate kFridayTheFirst(2021, 10, 1);
const QDate kSaturday(2021, 10, 2);

class CheckSchedulerTest : public UpdateFixture {
protected:
    CheckSchedulerTest() { useTestClock(m_scheduler); }

    // Starts a run through `start` and waits for all that follows it; false when none started.
    bool run(const std::function<bool()>& start) { return run(start, m_scheduler); }
    bool run(const std::function<bool()>& start, CheckScheduler& scheduler) { return runToEnd(scheduler, start); }
    bool tick()
    {
        return run([this] { return m_scheduler.startTick(); });
    }
    bool updateAll()
    {
        return run([this] { return m_scheduler.startUpdateAll(); });
    }
    const FavoriteState& state(const std::string& path)
    {
        static const FavoriteState none;
        const FavoriteState* found = m_scheduler.states().find(url(path));
        return found ? *found : none;
    }
    // What the program sent in `header` with its last request for `path`.
    std::string sent(const std::string& path, const char* header)
    {
        std::string value = "(none)";
        for (const HttpServer::Request& request : m_server.requests()) {
            if (request.target == path)
                value = request.headers.count(header) ? request.headers.find(header)->second : "(none)";
        }
        return value;
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
    EXPECT_TRUE(m_scheduler.timer().isActive());
    EXPECT_EQ(m_scheduler.timer().interval(), CheckScheduler::kCheckIntervalMs);
}

TEST_F(CheckSchedulerTest, ATickWaitsForEveryHoldAndForTheRunUnderWayThenAsksForItsTurn)
{
    m_server.setSlowPage("/slow", "a slow page\n", std::chrono::milliseconds(200));
    snapshotAsServed("/slow");
    addRow(m_list, "/slow", "H");
    QSignalSpy ends(&m_scheduler, &CheckScheduler::finished);
    const auto tickEnded = [&] {
        const auto ended
            = [&] { return !ends.isEmpty() && ends.last().at(0).value<RunReport>().kind == RunReport::Kind::Tick; };
        for (QDeadlineTimer deadline(5000); !ended() && !deadline.hasExpired();)
            ends.wait(100);
        return ended();
    };
    {
        CheckScheduler::Hold dialog(m_scheduler);
        {
            CheckScheduler::Hold nested(m_scheduler);
            EXPECT_FALSE(m_scheduler.startTick());
        }
        EXPECT_TRUE(m_scheduler.isTickWaiting());
        EXPECT_FALSE(ends.wait(100)) << "one hold is still there";
    }
    EXPECT_TRUE(tickEnded()) << "the waiting tick runs once the holds are gone";
    ends.clear();
    markRequests();

    bool heldDuringRun = false;
    ASSERT_TRUE(run([&] {
        const bool started = m_scheduler.startUpdateAll();
        heldDuringRun = !m_scheduler.startTick() && m_scheduler.isTickWaiting();
        return started;
    }));
    EXPECT_TRUE(heldDuringRun);
    EXPECT_TRUE(tickEnded()) << "and once the run has ended";
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
    int changes = 0;
    QObject::connect(&m_scheduler, &CheckScheduler::finished, &m_scheduler,
        [&](const RunReport& report) { changes += report.anyChanged; });

    ASSERT_TRUE(tick());
    const QByteArray b = url("/b").toUtf8() + " H10/02/21 11:00 AM YES\r\n";
    const QByteArray a = url("/a").toUtf8() + " DNever \r\n";
    EXPECT_EQ(ReadAll("nelvox.ini"), "2\r\n" + b + a);
    EXPECT_EQ(changes, 1);

    ASSERT_TRUE(run([this] { return m_scheduler.startUpdateAll(); }));
    EXPECT_EQ(ReadAll("nelvox.ini"), "2\r\n" + a + b);
    EXPECT_EQ(changes, 1) << "nothing changed the second time";

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
        return m_scheduler.startTick();
    }) == false);
    QLoggingCategory::setFilterRules(QString());
    qInstallMessageHandler(previous);

    const QString all = logged.join('\n');
    EXPECT_TRUE(all.contains(url("/broken") + " failed: ")) << all.toStdString();
    EXPECT_TRUE(all.contains("tick held")) << all.toStdString();
}

TEST_F(CheckSchedulerTest, ErrorPagesAreFailuresThatTouchNothingUntilASuccessClearsThem)
{
    m_server.setPage("/gone", "no such page\n", 404);
    m_server.setPage("/busy", "try later\n", 503);
    for (const char* path : { "/gone", "/busy" }) {
        WriteAll(SnapshotFileName(url(path)), "a good page\r\n");
        WriteAll(PreviousCopyName(SnapshotFileName(url(path))), "an older page\r\n");
        addRow(m_list, path, "H", "07/09/04 05:03 PM");
    }
    setClock(QDateTime(kSaturday, QTime(11, 0, 0)));
    ASSERT_TRUE(updateAll());
    setClock(QDateTime(kSaturday, QTime(12, 0, 0)));
    ASSERT_TRUE(updateAll());

    for (const char* path : { "/gone", "/busy" }) {
        EXPECT_EQ(snapshot(path), "a good page\r\n") << path;
        EXPECT_EQ(ReadAll(PreviousCopyName(SnapshotFileName(url(path)))), "an older page\r\n") << path;
        EXPECT_TRUE(state(path).isFailing()) << path;
        EXPECT_EQ(state(path).failuresInARow, 2) << path;
        EXPECT_EQ(state(path).failingSince, QDateTime(kSaturday, QTime(11, 0, 0))) << path;
    }
    EXPECT_EQ(state("/gone").failure, "HTTP 404 Not Found");
    EXPECT_EQ(state("/busy").failure, "HTTP 503 Service Unavailable");
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(m_list.text(row, FavoritesList::LastUpdated), "07/09/04 05:03 PM");
        EXPECT_EQ(m_list.text(row, FavoritesList::Changed), "");
    }
    EXPECT_FALSE(FileExists("tempupd.nvd")) << "an error page is no download to keep";

    // What was found survives the program: the file holds it.
    FavoriteStates reloaded;
    reloaded.load();
    ASSERT_NE(reloaded.find(url("/gone")), nullptr);
    EXPECT_EQ(reloaded.find(url("/gone"))->failure, "HTTP 404 Not Found");
    EXPECT_EQ(reloaded.failingCount(m_list), 2);

    m_server.setPage("/gone", "a good page\n");
    ASSERT_TRUE(updateAll());
    EXPECT_FALSE(state("/gone").isFailing());
    EXPECT_EQ(state("/gone").failure, "");
    EXPECT_EQ(state("/gone").fetched, QDateTime(kSaturday, QTime(12, 0, 0)));
    EXPECT_TRUE(state("/busy").isFailing());
}

TEST_F(CheckSchedulerTest, ConditionalRequestsOnlyAfterAnAnswerThatMadeOrConfirmedTheSnapshot)
{
    setClock(QDateTime(kSaturday, QTime(11, 0, 0)));
    m_server.setConditionalPage("/etag", "the page\n", "\"v1\"", "");
    m_server.setConditionalPage("/dated", "the page\n", "", "Sat, 02 Oct 2021 09:00:00 GMT");
    m_server.setPage("/plain", "the page\n");
    // Validators that the server then ignores, one of them no date at all.
    m_server.setPage("/ignores", "the page\n", 200, { { "ETag", "\"x\"" }, { "Last-Modified", "yesterday" } });
    for (const char* path : { "/etag", "/dated", "/plain", "/ignores" })
        addRow(m_list, path, "H");

    ASSERT_TRUE(updateAll()); // first snapshots: nothing to send yet
    EXPECT_EQ(sent("/etag", "If-None-Match"), "(none)");
    ASSERT_TRUE(updateAll());
    EXPECT_EQ(sent("/etag", "If-None-Match"), "\"v1\"");
    EXPECT_EQ(sent("/dated", "If-Modified-Since"), "Sat, 02 Oct 2021 09:00:00 GMT");
    EXPECT_EQ(sent("/plain", "If-None-Match") + sent("/plain", "If-Modified-Since"), "(none)(none)")
        << "a server without validators is asked as before";
    EXPECT_EQ(state("/plain").outcome, FavoriteState::Outcome::Unchanged);
    EXPECT_EQ(sent("/ignores", "If-Modified-Since"), "yesterday");
    EXPECT_EQ(state("/ignores").outcome, FavoriteState::Outcome::Unchanged) << "a whole answer is compared as ever";

    // "Not modified" to a request that asked nothing: a snapshot stays as it is, a first fails.
    m_server.setPage("/ignores", "", 304);
    m_server.setPage("/new", "", 304);
    addRow(m_list, "/new", "H");
    ASSERT_TRUE(updateAll());
    EXPECT_EQ(state("/ignores").outcome, FavoriteState::Outcome::Unchanged);
    EXPECT_EQ(snapshot("/ignores"), "the page\r\n");
    EXPECT_TRUE(state("/new").isFailing());
    EXPECT_FALSE(FileExists(SnapshotFileName(url("/new"))));

    // "Not modified" touches no file: the snapshot is the same file, nothing is downloaded.
    const QString etagSnapshot = SnapshotFileName(url("/etag"));
    QFile::setPermissions(etagSnapshot, QFileDevice::ReadOwner);
    const QDateTime written = QFileInfo(etagSnapshot).lastModified();
    QFile::remove("tempupd.nvd");
    m_server.setPage("/plain", "the page\n", 500); // the last download would otherwise be /plain's
    ASSERT_TRUE(updateAll());
    EXPECT_EQ(state("/etag").outcome, FavoriteState::Outcome::Unchanged);
    EXPECT_EQ(QFileInfo(etagSnapshot).lastModified(), written);
    EXPECT_FALSE(FileExists("tempupd.nvd"));
    EXPECT_TRUE(QDir::current().entryList({ "tempupd.nvd.*" }).isEmpty());
    QFile::setPermissions(etagSnapshot, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    // After a failure, a stop or without the snapshot, the next request goes whole.
    m_server.setPage("/etag", "server trouble\n", 500);
    ASSERT_TRUE(updateAll());
    m_server.setConditionalPage("/etag", "the page\n", "\"v1\"", "");
    ASSERT_TRUE(updateAll());
    EXPECT_EQ(sent("/etag", "If-None-Match"), "(none)") << "after a failure";
    m_server.setStall("/dated", "the start", 1000);
    ASSERT_TRUE(run([this] {
        const bool started = m_scheduler.startUpdateAll();
        QTimer::singleShot(300, &m_scheduler, &CheckScheduler::stop);
        return started;
    }));
    EXPECT_EQ(state("/dated").outcome, FavoriteState::Outcome::Stopped);
    m_server.setConditionalPage("/dated", "the page\n", "", "Sat, 02 Oct 2021 09:00:00 GMT");
    QFile::remove(etagSnapshot);
    ASSERT_TRUE(updateAll());
    EXPECT_EQ(sent("/dated", "If-Modified-Since"), "(none)") << "after a stop";
    EXPECT_EQ(sent("/etag", "If-None-Match"), "(none)") << "without a snapshot";
    EXPECT_EQ(snapshot("/etag"), "the page\r\n");
}

TEST_F(CheckSchedulerTest, AServerThatAsksToWaitIsLeftAloneUntilThenAcrossRuns)
{
    setClock(QDateTime(kSaturday, QTime(11, 0, 0)));
    m_server.setPage("/a", "slow down\n", 429, { { "Retry-After", "120" } });
    m_server.setPage("/b", "a page\n");
    m_server.setPage("/c", "a page\n");
    m_scheduler.transferOptions().maxPerHost = 1;
    for (const char* path : { "/a", "/b", "/c" })
        addRow(m_list, path, "H");
    ASSERT_TRUE(updateAll());
    m_scheduler.transferOptions().maxPerHost = 2;
    EXPECT_EQ(m_server.requestCount("/b") + m_server.requestCount("/c"), 0);
    EXPECT_EQ(state("/b").failure, "the server asked to wait until 10/02/21 11:02 AM");

    setClock(QDateTime(kSaturday, QTime(11, 1, 0)));
    ASSERT_TRUE(tick());
    EXPECT_EQ(m_server.requestCount("/a"), 1) << "not asked again before its time, by a tick either";

    // A Retry-After that does not parse is ignored.
    setClock(QDateTime(kSaturday, QTime(11, 3, 0)));
    m_server.setPage("/a", "busy\n", 503, { { "Retry-After", "soon" } });
    ASSERT_TRUE(updateAll());
    EXPECT_EQ(m_server.requestCount("/b"), 1);
    EXPECT_EQ(state("/a").failure, "HTTP 503 Service Unavailable");
}

TEST_F(CheckSchedulerTest, AWaitBelongsToTheServerThatAskedNotToEveryPortOfItsHost)
{
    setClock(QDateTime(kSaturday, QTime(11, 0, 0)));
    HttpServer otherPort;
    m_server.setPage("/a", "down for maintenance\n", 503, { { "Retry-After", "3600" } });
    m_server.setPage("/b", "a page\n");
    otherPort.setPage("/c", "another server's page\n");
    // One at a time on 127.0.0.1, in the list's order: /c comes after the wait began.
    m_scheduler.transferOptions().maxPerHost = 1;
    addRow(m_list, "/a", "H");
    addRow(m_list, "/b", "H");
    m_list.insertFavorite(2, otherPort.url("/c"));
    m_list.setText(2, FavoritesList::Updates, "H");
    ASSERT_TRUE(updateAll());

    EXPECT_EQ(state("/a").failure, "the server asked to wait until 10/02/21 12:00 PM") << "the row that asked";
    EXPECT_EQ(state("/b").failure, "the server asked to wait until 10/02/21 12:00 PM");
    EXPECT_EQ(m_server.requestCount("/b"), 0);
    const FavoriteState* other = m_scheduler.states().find(otherPort.url("/c"));
    ASSERT_NE(other, nullptr);
    EXPECT_FALSE(other->isFailing()) << other->failure.toStdString();
    EXPECT_EQ(ReadAll(SnapshotFileName(otherPort.url("/c"))), "another server's page\r\n");
}

// What a check under Page text learnt of a snapshot's text is kept in the state file, so that
// the first check after a start need not read an unchanged page again; under another rule, or
// for other bytes, it is not used.
TEST_F(CheckSchedulerTest, WhatChecksLearntOfASnapshotsTextOutlivesTheProgramButNotItsRule)
{
    m_server.setPage("/p", "<div id=main><p>Price 12 EUR</p></div>\n");
    addRow(m_list, "/p", "H");
    snapshotAsServed("/p");
    ChangeRule rule = ChangeRule::pageText();
    rule.part = QStringLiteral("#main");
    m_scheduler.rules().setRule(url("/p"), rule);
    ASSERT_TRUE(updateAll());
    ASSERT_EQ(state("/p").outcome, FavoriteState::Outcome::Unchanged);
    const QString known = state("/p").knownText;
    ASSERT_TRUE(known.contains(QStringLiteral(" read "))) << known.toStdString();
    EXPECT_TRUE(ReadAll(kStatesFileName).contains("known-text=" + known.toUtf8()));

    // The next start believes the file: here it says the part was missing, which only the
    // knowledge can say of this page.
    QByteArray states = ReadAll(kStatesFileName);
    states.replace(known.toUtf8(), known.section(u' ', 0, 1).toUtf8() + " part-missing -");
    WriteAll(kStatesFileName, states);
    const auto checkAfterAStart = [&](const ChangeRule& ruleThen) {
        CheckScheduler next { m_list };
        useTestClock(next);
        next.loadStates();
        next.rules().setRule(url("/p"), ruleThen);
        EXPECT_TRUE(run([&] { return next.startUpdateAll(); }, next));
        return *next.states().find(url("/p"));
    };
    EXPECT_EQ(checkAfterAStart(rule).failure, PartMissingReason());
    WriteAll(kStatesFileName, states);
    ChangeRule withNumbers = rule;
    withNumbers.ignoreNumbers = true;
    EXPECT_EQ(checkAfterAStart(withNumbers).outcome, FavoriteState::Outcome::Unchanged)
        << "another rule reads the page";
    WriteAll(kStatesFileName, states);
    WriteAll(SnapshotFileName(url("/p")), "<div id=main>\r\n<p>Price 12 EUR</p></div>\r\n");
    EXPECT_EQ(checkAfterAStart(rule).outcome, FavoriteState::Outcome::Unchanged) << "another snapshot is read";
}

TEST_F(CheckSchedulerTest, WhatChangesByItselfIsKeptInTheRulesFileForTheNextStart)
{
    std::atomic<int> views { 8'000 };
    m_server.setGeneratedPage(
        "/p", [&] { return "<p>Price 12 EUR</p><p>" + QByteArray::number(++views) + " views</p>\n"; });
    addRow(m_list, "/p", "H");
    snapshotAsServed("/p");
    ChangeRule rule = ChangeRule::pageText();
    rule.ignoreSelfChanging = true;
    m_scheduler.rules().setRule(url("/p"), rule);
    m_scheduler.transferOptions().secondLoadDelay = std::chrono::milliseconds(1);
    ASSERT_TRUE(updateAll());
    EXPECT_EQ(state("/p").outcome, FavoriteState::Outcome::Unchanged);
    EXPECT_EQ(m_server.requestCount("/p"), 3);
    EXPECT_TRUE(ReadAll(kRulesFileName).contains("\r\nself-changing=ignore\r\nlearned-line=# views\r\n"))
        << ReadAll(kRulesFileName).constData();

    CheckScheduler next { m_list };
    useTestClock(next);
    ASSERT_TRUE(next.loadRules());
    next.loadStates();
    EXPECT_TRUE(run([&] { return next.startUpdateAll(); }, next));
    EXPECT_EQ(next.states().find(url("/p"))->outcome, FavoriteState::Outcome::Unchanged);
    EXPECT_EQ(m_server.requestCount("/p"), 4) << "no second load for what was learned";
}

} // namespace
