// Runs of checks against loopback servers: every outcome of a page check at once, the length
// comparison and the snapshot it replaces, results that find their own rows, the limits in
// all, per host and per snapshot as the server sees them, Stop keeping what finished and
// nothing else, and the verdict of each rule on every kind of edit a page sees.
#include "check/CheckRun.h"
#include "check/ChangeRule.h"
#include "check/ComparisonQueue.h"
#include "check/PageChanges.h"
#include "check/SnapshotName.h"
#include "check/SnapshotReplace.h"
#include "history/HistoryDatabase.h"
#include "history/HistoryRecorder.h"
#include "platform/NetworkTesting.h"
#include "platform/TransferPool.h"
#include "store/ChangeRules.h"
#include "store/FavoritesList.h"
#include "support/Downloads.h"
#include "support/HttpServer.h"
#include "support/TempWorkDir.h"
#include "support/TestClock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;

// Cells and files show as text in failure messages.
static void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
static void PrintTo(const QByteArray& bytes, std::ostream* out)
{
    *out << '"' << QByteArray(bytes).replace('\r', "\\r").replace('\n', "\\n").toStdString() << '"';
}

namespace {

constexpr const char* kStamp = "07/09/04 05:03 PM";

class CheckRunTest : public InTempDir {
protected:
    CheckRunTest() { m_options.now = m_clock.function(); }

    TestClock m_clock { QDateTime(QDate(2004, 7, 9), QTime(17, 3, 41)) };

    static int addRow(
        FavoritesList& list, const QString& address, const QString& lastUpdated = "Never", const QString& changed = {})
    {
        const int row = list.count();
        list.insertFavorite(row, address);
        list.setText(row, FavoritesList::Updates, "H");
        list.setText(row, FavoritesList::LastUpdated, lastUpdated);
        list.setText(row, FavoritesList::Changed, changed);
        return row;
    }
    int addRow(const std::string& path, const QString& lastUpdated = "Never", const QString& changed = {})
    {
        return addRow(m_list, m_server.url(path), lastUpdated, changed);
    }
    QString address(int row) const { return m_list.text(row, FavoritesList::WebSite); }
    QString snapshot(int row) const { return SnapshotFileName(address(row)); }
    FavoritesList::Cells cells(int row) const { return m_list.cells(row); }
    void snapshotAsServed(int row) { ASSERT_TRUE(DownloadAsSnapshot(address(row), snapshot(row)).isDownloaded()); }

    // Checks the rows in one run; whether the run marked any row changed.
    bool check(const std::vector<int>& rows, FavoriteStates* states = nullptr)
    {
        CheckRun run(m_list, m_options);
        run.setStates(states);
        run.setRules(&m_rules);
        run.setLearnedRules(&m_rules);
        run.setKnownSnapshots(&m_known);
        for (int row : rows)
            run.addCheck(row);
        RunToEnd(run);
        return run.anyChanged();
    }

    // The temporary files of single downloads that are still on disk.
    static QStringList leftoverDownloads() { return QDir::current().entryList({ "tempupd.nvd.*" }, QDir::Files); }

    ScopedProxyEnvironment m_noProxy;
    // The program's own limits unless a test lowers them.
    TransferOptions m_options;
    HttpServer m_server;
    FavoritesList m_list;
    ChangeRules m_rules;
    KnownSnapshots m_known;
};

TEST_F(CheckRunTest, EveryOutcomeOfACheckAtOnce)
{
    m_options.lowSpeedTimeSeconds = 1;
    m_options.maxBytes = 4000;
    int closedPort = 0;
    {
        HttpServer gone;
        closedPort = gone.port();
    }
    // A named pipe without a writer would hold a read for good.
    const QString pipe = m_workDir.path() + "/pipe";
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    WriteAll("secret.txt", "not for servers\n");
    m_server.setPage("/changed", "a page that has grown\n");
    m_server.setPage("/shorter", "short\n");
    m_server.setPage("/same", "same\n");
    m_server.setPage("/error-page", "<h1>Not Found</h1>\n", 404);
    // Any byte received would keep libcurl's speed above the limit for seconds, so the server
    // stalls right after its headers.
    m_server.setStall("/stalled", "", 1000);
    m_server.setHangUp("/hang-up", "one\ntwo\nthree and more\n", 1000);
    m_server.setRedirect("/to-file", "file://" + QDir::current().absoluteFilePath("secret.txt").toStdString());
    m_server.setTrickle("/slow", "a slow page\n", 15ms);
    m_server.setRepeatedPage("/huge", "0123456789\n", 20000, false);
    m_server.setPage("/no-snapshot", "a page without a snapshot\n");
    m_server.setPage("/shared", "one page for two rows\n");
    m_server.setGzipPage("/compressed", QByteArray(3000, 'z') + "\n");
    m_server.setGzipPage("/broken-gzip", "a page\n", HttpServer::Gzip::Broken);
    m_server.setPage("/same-at-the-end", "last\n");

    const struct {
        QString address;
        QByteArray snapshot; // before the run; empty: none
        QByteArray after; // the snapshot after the run when the download replaced it or was the first
        const char* what;
    } favorites[] = {
        { m_server.url("/changed"), "old\r\n", "a page that has grown\r\n", "a longer page" },
        { m_server.url("/shorter"), "a much longer old page\r\n", "short\r\n", "a shorter page" },
        { m_server.url("/same"), "0123\r\n", {}, "the same length" },
        { m_server.url("/error-page"), "old\r\n", {}, "an error page is a failure that touches nothing" },
        { QStringLiteral("http://127.0.0.1:%1/refused").arg(closedPort), "old\r\n", {}, "a refused connection" },
        { m_server.url("/stalled"), "old\r\n", {}, "a stalled page" },
        { m_server.url("/hang-up"), "old\r\n", {}, "a page cut off" },
        { m_server.url("/to-file"), "old\r\n", {}, "a redirect to a local file" },
        { m_server.url("/slow"), "old\r\n", "a slow page\r\n", "a slow page is a page" },
        { m_server.url("/huge"), "old\r\n", {}, "a page over the size limit" },
        { m_server.url("/no-snapshot"), {}, "a page without a snapshot\r\n", "a first snapshot, stamped, unmarked" },
        { m_server.url("/shared"), "old\r\n", "one page for two rows\r\n", "the first row of a shared snapshot" },
        { m_server.url("/shared"), "old\r\n", {}, "the second row of a shared snapshot finds it new" },
        { "file://" + pipe, "old\r\n", {}, "a named pipe" },
        { m_server.url("/compressed"), "old\r\n", QByteArray(3000, 'z') + "\r\n", "a compressed page" },
        { m_server.url("/broken-gzip"), "old\r\n", {}, "a page that does not decompress" },
        { m_server.url("/same-at-the-end"), "abcd\r\n", {}, "the same length, last" },
    };
    for (const auto& favorite : favorites) {
        addRow(m_list, favorite.address);
        if (!favorite.snapshot.isEmpty())
            WriteAll(SnapshotFileName(favorite.address), favorite.snapshot);
    }

    CheckRun run(m_list, m_options);
    for (int row = 0; row < m_list.count(); ++row)
        run.addCheck(row);
    int reports = 0;
    QObject::connect(&run, &CheckRun::progress, [&](int done, int total) {
        ++reports;
        EXPECT_EQ(done, reports);
        EXPECT_EQ(total, m_list.count());
    });
    RunToEnd(run);

    EXPECT_EQ(reports, m_list.count()) << "one progress report per row";
    EXPECT_TRUE(run.anyChanged());
    for (int row = 0; row < m_list.count(); ++row) {
        const auto& favorite = favorites[row];
        SCOPED_TRACE(favorite.what);
        const bool stamped = !favorite.after.isEmpty();
        const bool marked = stamped && !favorite.snapshot.isEmpty();
        EXPECT_EQ(cells(row),
            (FavoritesList::Cells { favorite.address, "H", stamped ? kStamp : "Never", marked ? "YES" : "" }));
        // A snapshot shared with an earlier row is checked with that row.
        const bool sharedEarlier = std::any_of(
            std::begin(favorites), &favorite, [&](const auto& earlier) { return earlier.address == favorite.address; });
        if (!sharedEarlier) {
            EXPECT_EQ(ReadAll(SnapshotFileName(favorite.address)), stamped ? favorite.after : favorite.snapshot);
        }
    }
    EXPECT_EQ(ReadAll("tempupd.nvd"), "last\r\n") << "the last row's download stays as the last download";
    EXPECT_TRUE(leftoverDownloads().isEmpty()) << leftoverDownloads().join(' ').toStdString();
}

TEST_F(CheckRunTest, ALongerOrShorterPageReplacesTheSnapshotAndMarksTheRow)
{
    const int row = addRow("/news");
    m_server.setPage("/news", "first\n");
    snapshotAsServed(row);

    m_server.setPage("/news", "first\nsecond\n");
    EXPECT_TRUE(check({ row }));
    EXPECT_EQ(cells(row), (FavoritesList::Cells { address(row), "H", kStamp, "YES" }));
    EXPECT_EQ(ReadAll(snapshot(row)), "first\r\nsecond\r\n");
    EXPECT_FALSE(FileExists(kTempDownloadFileName)) << "the download must have become the snapshot";

    // Shorter, down to an empty page, is a change too.
    m_clock.set(QDateTime(QDate(2026, 12, 6), QTime(2, 35)));
    m_server.setPage("/news", "");
    EXPECT_TRUE(check({ row })) << "a page that got shorter was not counted as changed";
    EXPECT_EQ(m_list.text(row, FavoritesList::LastUpdated), "12/06/26 02:35 AM");
    EXPECT_EQ(ReadAll(snapshot(row)), "");

    // The clock of the run's options stamps the row.
    m_options.now = [] { return QDateTime(QDate(2026, 12, 7), QTime(9, 15)); };
    m_server.setPage("/news", "x\n");
    EXPECT_TRUE(check({ row }));
    EXPECT_EQ(m_list.text(row, FavoritesList::LastUpdated), "12/07/26 09:15 AM");
}

TEST_F(CheckRunTest, TheSameLengthIsNoChangeAndAFavoriteWithoutSnapshotGetsItsFirst)
{
    const int counter = addRow("/counter");
    const int marked = addRow("/marked", "01/02/03 04:05 AM", "YES");
    const int fresh = addRow("/new");
    m_server.setPage("/counter", "visits: 1234\n");
    m_server.setPage("/marked", "same\n");
    m_server.setPage("/new", "page text\n");
    snapshotAsServed(counter);
    snapshotAsServed(marked);
    const std::vector<Favorite> before = m_list.rows();

    m_server.setPage("/counter", "visits: 1235\n");
    EXPECT_FALSE(check({ counter, marked, fresh })) << "a change that keeps the length is not seen";
    EXPECT_EQ(m_list.at(counter), before[counter]);
    EXPECT_EQ(m_list.at(marked), before[marked]) << "a marked row keeps its mark and time";
    EXPECT_EQ(cells(fresh), (FavoritesList::Cells { address(fresh), "H", kStamp, "" }));
    EXPECT_EQ(ReadAll(snapshot(counter)), "visits: 1234\r\n");
    EXPECT_EQ(ReadAll(snapshot(fresh)), "page text\r\n");
    EXPECT_EQ(ReadAll(kTempDownloadFileName), "same\r\n") << "the latest download that became no snapshot";

    // Lengths are those of the files as written, so line ends on the wire do not count.
    m_server.setPage("/counter", "visits: 1236\r\n");
    EXPECT_FALSE(check({ counter }));
    EXPECT_EQ(m_list.at(counter), before[counter]);
    EXPECT_EQ(ReadAll(kTempDownloadFileName), "visits: 1236\r\n");
}

TEST_F(CheckRunTest, EachResultFindsItsOwnRowAmongRowsThatShareAnAddress)
{
    // The two rows of /shared are checked one after the other; the page grows in between, so
    // only the second row sees a change.
    m_server.setPages("/shared", { "same\n", "grown since\n" });
    m_server.setPage("/other", "other\n");
    const int first = addRow("/shared");
    const int other = addRow("/other");
    const int second = addRow("/shared");
    WriteAll(snapshot(first), "same\r\n");
    WriteAll(snapshot(other), "other\r\n");

    EXPECT_TRUE(check({ first, other, second }));
    EXPECT_EQ(cells(first), (FavoritesList::Cells { address(first), "H", "Never", "" }))
        << "the second row's result went to the first";
    EXPECT_EQ(cells(other), (FavoritesList::Cells { address(other), "H", "Never", "" }));
    EXPECT_EQ(cells(second), (FavoritesList::Cells { address(second), "H", kStamp, "YES" }));
    EXPECT_EQ(ReadAll(snapshot(second)), "grown since\r\n");
}

TEST_F(CheckRunTest, AChangeKeepsTheReplacedSnapshotAsThePreviousCopyOneGenerationOnly)
{
    // A short address, and one whose snapshot name is as long as a file name can be.
    const std::string longPath = "/" + std::string(300, 'p');
    for (const std::string& path : { std::string("/news"), longPath }) {
        SCOPED_TRACE(path.size());
        const int row = addRow(path);
        const QString previous = PreviousCopyName(snapshot(row));
        ASSERT_TRUE(previous.endsWith(".old"));
        ASSERT_NE(previous, PreviousCopyName(SnapshotFileName(address(row) + "x"))) << "long names must stay apart";
        m_server.setPage(path, "first\n");
        snapshotAsServed(row);

        m_server.setPage(path, "frist\n");
        EXPECT_FALSE(check({ row }));
        EXPECT_FALSE(FileExists(previous)) << "a check that found no change keeps no copy";

        m_server.setPage(path, "first\nsecond\n");
        EXPECT_TRUE(check({ row }));
        EXPECT_EQ(ReadAll(snapshot(row)), "first\r\nsecond\r\n");
        EXPECT_EQ(ReadAll(previous), "first\r\n");

        m_server.setPage(path, "third\n");
        EXPECT_TRUE(check({ row }));
        EXPECT_EQ(ReadAll(snapshot(row)), "third\r\n");
        EXPECT_EQ(ReadAll(previous), "first\r\nsecond\r\n") << "the copy must be the page just replaced";
        const QStringList files = QDir().entryList(QDir::Files | QDir::Hidden, QDir::Name);
        // The download of the check that found no change stays as the last download.
        QStringList expected = { snapshot(row), previous, kTempDownloadFileName };
        expected.sort();
        EXPECT_TRUE(files == expected) << "one generation, nothing left over: " << files.join(' ').toStdString();

        // The two are files of their own: a download written into the snapshot, as Add and
        // Edit write theirs, leaves the previous copy as it was.
        m_server.setPage(path, "rewritten\n");
        snapshotAsServed(row);
        EXPECT_EQ(ReadAll(previous), "first\r\nsecond\r\n");

        QFile::remove(snapshot(row));
        QFile::remove(previous);
    }
}

TEST_F(CheckRunTest, ADownloadFileThatCannotBeCreatedLeavesTheRowAlone)
{
    // The first check's own file cannot be created, nor the last download that the second
    // check's would become.
    const int blocked = addRow("/blocked");
    const int unchanged = addRow("/unchanged");
    WriteAll(snapshot(blocked), "old\r\n");
    WriteAll(snapshot(unchanged), "same\r\n");
    m_server.setPage("/blocked", "much longer than before\n");
    m_server.setPage("/unchanged", "same\n");
    ASSERT_TRUE(QDir().mkdir("tempupd.nvd.0"));
    ASSERT_TRUE(QDir().mkdir(kTempDownloadFileName));
    const std::vector<Favorite> before = m_list.rows();

    EXPECT_FALSE(check({ blocked, unchanged }));
    EXPECT_EQ(m_list.rows(), before);
    EXPECT_EQ(ReadAll(snapshot(blocked)), "old\r\n");
    EXPECT_TRUE(leftoverDownloads().isEmpty()) << leftoverDownloads().join(' ').toStdString();
}

// Makes a file immutable, so that even root cannot rename over it, for the life of the
// object. Only some file systems support it.
class ImmutableFile {
public:
    explicit ImmutableFile(const QString& fileName)
        : m_fileName(fileName)
        , m_set(setFlag(true))
    {
    }
    ~ImmutableFile()
    {
        if (m_set)
            setFlag(false);
    }
    bool isSet() const { return m_set; }

private:
    bool setFlag(bool on) const
    {
        const int descriptor = ::open(QFile::encodeName(m_fileName).constData(), O_RDONLY);
        if (descriptor < 0)
            return false;
        int flags = 0;
        bool done = ::ioctl(descriptor, FS_IOC_GETFLAGS, &flags) == 0;
        if (done) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            done = ::ioctl(descriptor, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(descriptor);
        return done;
    }

    QString m_fileName;
    bool m_set;
};

TEST_F(CheckRunTest, AFailedReplacementKeepsTheOldSnapshot)
{
    const int row = addRow("/page");
    WriteAll(snapshot(row), "old\r\n");
    m_server.setPage("/page", "a longer page\n");
    const ImmutableFile locked(snapshot(row));
    if (!locked.isSet())
        GTEST_SKIP() << "this file system or user cannot make a file immutable";

    const FavoritesList::Cells before = cells(row);
    EXPECT_FALSE(check({ row }));
    EXPECT_EQ(cells(row), before);
    EXPECT_EQ(ReadAll(snapshot(row)), "old\r\n") << "the favorite lost its snapshot";
    EXPECT_EQ(ReadAll(kTempDownloadFileName), "a longer page\r\n");
}

TEST_F(CheckRunTest, KeepsToTheLimitsInAllPerHostAndPerSnapshot)
{
    const struct {
        int maxTransfers;
        int maxPerHost;
        bool oneAddress;
        int expected;
        const char* what;
    } cases[] = {
        { 3, 100, false, 3, "transfers in all" },
        { 16, 2, false, 2, "transfers to one host" },
        { 16, 100, true, 1, "transfers into one snapshot" },
    };
    for (const auto& limits : cases) {
        HttpServer server;
        TransferOptions options;
        options.now = m_clock.function();
        options.maxTransfers = limits.maxTransfers;
        options.maxPerHost = limits.maxPerHost;
        FavoritesList list;
        for (int page = 0; page < 7; ++page) {
            const std::string path = "/page" + std::to_string(limits.oneAddress ? 0 : page);
            server.setSlowPage(path, "a slow page\n", 150ms);
            addRow(list, server.url(path));
        }
        CheckRun run(list, options);
        for (int row = 0; row < list.count(); ++row)
            run.addCheck(row);
        RunToEnd(run);
        EXPECT_EQ(run.done(), 7) << limits.what;
        EXPECT_EQ(server.mostAtOnce(), limits.expected) << limits.what;
        EXPECT_EQ(static_cast<int>(server.requests().size()), 7) << limits.what;
    }
}

TEST_F(CheckRunTest, StopKeepsWhatFinishedAndLeavesTheRestAsItWas)
{
    m_server.setPage("/first", "the first page has grown\n");
    m_server.setPage("/second", "the second page has grown\n");
    m_server.setStall("/stalled", "the start of a page\n", 5000);
    m_server.setStall("/also-stalled", "the start of another page\n", 5000);
    for (const char* path : { "/stalled", "/first", "/also-stalled", "/second" }) {
        addRow(path);
        WriteAll(SnapshotFileName(m_server.url(path)), "old\r\n");
    }
    // A run that a killed program left behind, and a snapshot whose name looks alike.
    WriteAll("tempupd.nvd.12", "left by a killed run");
    WriteAll("tempupd.nvd.12.NVD", "a snapshot");

    // The stalled pages must not hold up the others.
    m_options.maxPerHost = 4;
    CheckRun run(m_list, m_options);
    for (int row = 0; row < m_list.count(); ++row)
        run.addCheck(row);
    int finishedSignals = 0;
    QObject::connect(&run, &CheckRun::finished, [&] { ++finishedSignals; });
    RunToEnd(run, [&] {
        // Stop comes once both pages that answer have been checked and both stalled pages
        // are on their way into their downloads.
        const QRegularExpression download("^tempupd\\.nvd\\.[0-9]+$");
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return run.done() == 2 && leftoverDownloads().filter(download).size() == 2; }, 10'000));
        run.stop();
    });

    EXPECT_TRUE(run.wasStopped());
    EXPECT_EQ(finishedSignals, 1);
    EXPECT_EQ(run.done(), 2);
    EXPECT_TRUE(run.anyChanged());
    EXPECT_EQ(m_list.text(1, FavoritesList::Changed), "YES");
    EXPECT_EQ(m_list.text(3, FavoritesList::Changed), "YES");
    for (int row : { 0, 2 }) {
        EXPECT_EQ(m_list.text(row, FavoritesList::Changed), "") << "row " << row;
        EXPECT_EQ(m_list.text(row, FavoritesList::LastUpdated), "Never") << "row " << row;
        EXPECT_EQ(ReadAll(snapshot(row)), "old\r\n") << "row " << row;
    }
    EXPECT_EQ(ReadAll(SnapshotFileName(m_server.url("/first"))), "the first page has grown\r\n");
    EXPECT_TRUE(leftoverDownloads() == QStringList { "tempupd.nvd.12.NVD" })
        << "abandoned and left-over downloads go, snapshots stay: " << leftoverDownloads().join(' ').toStdString();
    EXPECT_FALSE(FileExists("tempupd.nvd")) << "both downloads that finished became snapshots";

    // Stopping again, or a late answer, changes nothing.
    run.stop();
    EXPECT_EQ(finishedSignals, 1);
}

// A check that had finished before the stop keeps what it found: its next check asks "has
// it changed since?" rather than downloading the whole page again.
TEST_F(CheckRunTest, StateOfFinishedChecksKeptThroughAStop)
{
    m_server.setConditionalPage("/done", "a page that answers at once\n", "\"v1\"", "");
    m_server.setStall("/stalled", "the start of a page\n", 5000);
    addRow("/done");
    addRow("/stalled");
    WriteAll(SnapshotFileName(m_server.url("/stalled")), "old\r\n");
    FavoriteStates states;
    {
        CheckRun run(m_list, m_options);
        run.setStates(&states);
        for (int row = 0; row < m_list.count(); ++row)
            run.addCheck(row);
        RunToEnd(run, [&] {
            EXPECT_TRUE(QTest::qWaitFor([&] { return run.done() == 1; }, 10'000));
            run.stop();
        });
    }
    EXPECT_EQ(states.at(m_server.url("/done")).outcome, FavoriteState::Outcome::Unchanged);
    EXPECT_EQ(states.at(m_server.url("/stalled")).outcome, FavoriteState::Outcome::Stopped);

    check({ 0 }, &states);
    std::string sent = "(no request)";
    for (const HttpServer::Request& request : m_server.requests()) {
        if (request.target == "/done")
            sent = request.headers.count("If-None-Match") ? request.headers.find("If-None-Match")->second : "(none)";
    }
    EXPECT_EQ(sent, "\"v1\"") << "the finished check's validators were lost to the stop";
}

const ChangeRule kPageText { ChangeRule::Kind::PageText, true, false, {}, {} };

// The queue on the thread pool on its own: two comparisons of one snapshot never run at once,
// each result comes back with its check, and a cancel drops what waits.
TEST_F(CheckRunTest, TheComparisonQueueComparesOneSnapshotAtATime)
{
    WriteAll("a.NVD", "<p>one</p>\r\n");
    WriteAll("b.NVD", "<p>two</p>\r\n");
    WriteAll("download.0", "<p>one</p>\n");
    WriteAll("download.1", "<p>one, changed</p>\n");
    WriteAll("download.2", "<p>two</p>\n");
    ComparisonQueue queue;
    QMap<int, Verdict> verdicts;
    QObject::connect(
        &queue, &ComparisonQueue::compared, [&](const QList<int>& checks, const QList<SnapshotComparison>& results) {
            ASSERT_EQ(checks.size(), results.size());
            for (qsizetype at = 0; at < checks.size(); ++at)
                verdicts.insert(checks[at], results[at].judgement.verdict);
        });
    queue.add({ 0, "a.NVD", "download.0", kPageText });
    queue.add({ 1, "a.NVD", "download.1", kPageText });
    queue.add({ 2, "b.NVD", "download.2", kPageText });
    queue.start();
    EXPECT_TRUE(queue.isComparing(0));
    EXPECT_FALSE(queue.isComparing(1)) << "the second comparison of a.NVD must wait for the first";
    ASSERT_TRUE(QTest::qWaitFor([&] { return verdicts.contains(0) && verdicts.contains(2); }, 10'000));
    EXPECT_FALSE(verdicts.contains(1));
    queue.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return verdicts.contains(1); }, 10'000));
    EXPECT_EQ(verdicts.value(0), Verdict::Unchanged);
    EXPECT_EQ(verdicts.value(1), Verdict::Changed);
    EXPECT_EQ(verdicts.value(2), Verdict::Unchanged);

    queue.add({ 3, "a.NVD", "download.1", kPageText });
    queue.cancel();
    queue.start();
    EXPECT_EQ(queue.inFlight(), 0) << "a cancelled queue starts nothing";
}
const ChangeRule kWithoutNumbers { ChangeRule::Kind::PageText, true, true, {}, {} };

TEST_F(CheckRunTest, EachRuleTellsTheEditsAReaderSeesFromNoise)
{
    const QByteArray page = "<!DOCTYPE html>\n<html><head><title>Garden notes</title>\n"
                            "<link rel=\"stylesheet\" href=\"/site.css?v=1041\">\n"
                            "<script src=\"/app.js?v=1041\"></script>\n"
                            "<script nonce=\"9f8e7d6c5b4a\">var ready = true;</script>\n"
                            "</head><body>\n<article><h1>Spring planting</h1>\n"
                            "<p>Sow the beans once the soil is warm.</p>\n"
                            "<p>Bean packs cost $4.95 each.</p>\n"
                            "<p><a href=\"/files/planner-2.4.1.zip\">Download the planner</a></p>\n"
                            "</article>\n<iframe src=\"https://ads.example/slot?id=73a9\"></iframe>\n"
                            "<p>Updated 9 minutes ago</p>\n<p>8,204 views</p>\n"
                            "<form><input type=\"hidden\" name=\"token\" value=\"9f8e7d6c5b4a\"></form>\n"
                            "</body></html>\n<!-- served in 12 ms -->\n";
    // Whether Page length, Page text and Page text without numbers find the edit.
    const struct {
        const char* what;
        QByteArray from, to;
        bool found[3];
    } edits[] = {
        { "one word, same length", "warm", "damp", { false, true, true } },
        { "one digit of a price", "$4.95", "$5.95", { false, true, false } },
        { "a sentence added", "</article>", "<p>Water them each morning.</p></article>", { true, true, true } },
        { "a link's target", "2.4.1.zip", "2.4.2.zip", { false, true, false } },
        { "a rotating advertisement", "id=73a9", "id=c5e21b0", { true, false, false } },
        { "cache-busting", "?v=1041", "?v=20261208", { true, false, false } },
        { "markup re-indented", "\n<p>", "\n    <p>", { true, false, false } },
        { "a server timing comment", "12 ms", "108 ms", { true, false, false } },
        { "a relative time", "9 minutes", "10 minutes", { true, true, false } },
        { "a counter", "8,204 views", "12,087 views", { true, true, false } },
        { "a nonce and a form token", "9f8e7d6c5b4a", "0a1b2c3d4e5f", { false, false, false } },
    };
    const ChangeRule rules[] = { {}, kPageText, kWithoutNumbers };
    const char* const ruleNames[] = { "Page length", "Page text", "Page text without numbers" };
    const QByteArray before = QByteArray(page).replace("\n", "\r\n");
    std::vector<int> rows;
    for (const auto& edit : edits) {
        ASSERT_TRUE(page.contains(edit.from)) << edit.what;
        for (const ChangeRule& rule : rules) {
            const std::string path = "/" + std::to_string(m_list.count());
            m_server.setPage(path, QByteArray(page).replace(edit.from, edit.to));
            rows.push_back(addRow(path));
            m_rules.setRule(address(rows.back()), rule);
            WriteAll(snapshot(rows.back()), before);
        }
    }
    check(rows);
    for (int row : rows) {
        const auto& edit = edits[row / 3];
        const bool found = edit.found[row % 3];
        EXPECT_EQ(m_list.text(row, FavoritesList::Changed), found ? QString("YES") : QString())
            << edit.what << " under " << ruleNames[row % 3];
        EXPECT_EQ(ReadAll(snapshot(row)), found ? QByteArray(before).replace(edit.from, edit.to) : before);
    }
}

TEST_F(CheckRunTest, PageTextKeepsTheCopiesOnNoiseFailsWithoutItsPartAndComparesLargePagesByLength)
{
    const int noisy = addRow("/noisy");
    const int lost = addRow("/lost");
    const int found = addRow("/found");
    const int large = addRow("/large");
    m_rules.setRule(address(noisy), kPageText);
    m_rules.setRule(address(lost), { ChangeRule::Kind::PageText, true, false, {}, "#price" });
    m_rules.setRule(address(found), m_rules.rule(address(lost)));
    m_rules.setRule(address(large), kPageText);
    WriteAll(snapshot(noisy), "<p>News</p>\r\n");
    WriteAll(PreviousCopyName(snapshot(noisy)), "<p>Old news</p>\r\n");
    m_server.setConditionalPage("/noisy", "<p>News</p>\n<!-- served in 8 ms -->\n", "\"v1\"", {});
    WriteAll(snapshot(lost), "<p id=\"price\">$4</p>\r\n");
    m_server.setPage("/lost", "<p id=\"cost\">$4</p>\n");
    WriteAll(snapshot(found), "<p>$4</p>\r\n");
    m_server.setPage("/found", "<p id=\"price\">$4</p>\n");
    // Over the size whose text is read, the same length with other text is no change.
    const qint64 units = PageChanges::kMaxPageBytes / 10 + 1;
    WriteAll(snapshot(large), QByteArray("<p>a</p>\r\n").repeated(units));
    m_server.setRepeatedPage("/large", "<p>b</p>\n", 9 * units, true);
    const std::vector<Favorite> before = m_list.rows();
    FavoriteStates states;

    EXPECT_TRUE(check({ noisy, lost, found, large }, &states));
    EXPECT_EQ(m_list.at(noisy), before[noisy]);
    EXPECT_EQ(ReadAll(snapshot(noisy)), "<p>News</p>\r\n");
    EXPECT_EQ(ReadAll(PreviousCopyName(snapshot(noisy))), "<p>Old news</p>\r\n") << "noise pushed the copy away";
    EXPECT_EQ(m_list.at(lost), before[lost]);
    EXPECT_EQ(ReadAll(snapshot(lost)), "<p id=\"price\">$4</p>\r\n");
    EXPECT_EQ(states.at(address(lost)).outcome, FavoriteState::Outcome::Failed);
    EXPECT_EQ(states.at(address(lost)).failure, PartMissingReason());
    EXPECT_EQ(m_list.text(found, FavoritesList::Changed), "YES") << "the part came onto the page";
    EXPECT_EQ(m_list.at(large), before[large]);

    // A rule changed since is the rule of the next check.
    m_rules.setRule(address(noisy), {});
    EXPECT_TRUE(check({ noisy }, &states));
    EXPECT_EQ(ReadAll(PreviousCopyName(snapshot(noisy))), "<p>News</p>\r\n");
}

TEST_F(CheckRunTest, WhatIsKnownOfASnapshotsTextHoldsForItsBytesAndRuleOnly)
{
    const int row = addRow("/same");
    m_rules.setRule(address(row), { ChangeRule::Kind::PageText, true, false, {}, "#price" });
    m_server.setPage("/same", "<p id=\"price\">$4</p>\n");
    WriteAll(snapshot(row), "<p id=\"price\">$4</p>\r\n");
    EXPECT_FALSE(check({ row }));
    ASSERT_TRUE(m_known.contains(snapshot(row)));

    WriteAll(snapshot(row), "<p id=\"price\">$5</p>\r\n");
    EXPECT_TRUE(check({ row })) << "a snapshot written since was taken for the one known";
    FavoriteStates states;
    m_rules.setRule(address(row), { ChangeRule::Kind::PageText, true, false, {}, "#gone" });
    EXPECT_FALSE(check({ row }, &states));
    EXPECT_EQ(states.at(address(row)).failure, PartMissingReason()) << "the snapshot was known under another rule";
}

TEST_F(CheckRunTest, StopEndsTheRunOnceTheComparisonsUnderWayHaveEnded)
{
    // Pages whose text takes a while to read, all changed.
    m_server.setRepeatedPage("/page", "<p>A line of news</p>\n", 22 * 90'000, true);
    for (int favorite = 0; favorite < 24; ++favorite) {
        const int row = addRow("/page?" + std::to_string(favorite));
        m_rules.setRule(address(row), kPageText);
        WriteAll(snapshot(row), QByteArray("<p>Old news</p>\r\n").repeated(100'000));
    }
    CheckRun run(m_list, m_options);
    run.setRules(&m_rules);
    for (int row = 0; row < m_list.count(); ++row)
        run.addCheck(row);
    bool comparing = false;
    int doneAtFinish = -1;
    QObject::connect(&run, &CheckRun::finished, [&] { doneAtFinish = run.done(); });
    RunToEnd(run, [&] {
        EXPECT_TRUE(QTest::qWaitFor([&] { return run.done() > 0; }, 20'000));
        comparing = QThreadPool::globalInstance()->activeThreadCount() > 0;
        run.stop();
        EXPECT_FALSE(run.isFinished()) << "the run ended with comparisons under way";
    });
    EXPECT_TRUE(comparing) << "no comparison was under way at Stop";
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    EXPECT_EQ(run.done(), doneAtFinish);
    int changed = 0;
    for (int row = 0; row < m_list.count(); ++row) {
        const bool marked = m_list.text(row, FavoritesList::Changed) == "YES";
        changed += marked;
        if (!marked) {
            EXPECT_EQ(QFileInfo(snapshot(row)).size(), 1'700'000) << "row " << row;
        }
    }
    EXPECT_EQ(changed, run.done()) << "a comparison after Stop was applied";
    EXPECT_TRUE(leftoverDownloads().isEmpty()) << leftoverDownloads().join(' ').toStdString();
}

// A page as a live site serves it: a view counter, a session token, an advertisement and the
// token of a link differ at every load; the relative time and the price only when the test
// says.
struct LivePage {
    std::atomic<int> loads { 0 };
    std::atomic<int> minutes { 9 };
    // From this load on the price is another.
    std::atomic<int> newPriceFrom { 1'000 };

    QByteArray operator()()
    {
        const int load = ++loads;
        static const char* const ads[] = { "garden tools on sale", "rain boots for all", "flower bulbs half price" };
        const QByteArray token
            = "a1" + QCryptographicHash::hash(QByteArray::number(load), QCryptographicHash::Md5).toHex().left(12);
        return "<html><body><h1>Spring planting</h1>\n<p>Bean packs cost "
            + QByteArray(load >= newPriceFrom ? "$5.95" : "$4.95") + " each.</p>\n<p>Updated "
            + QByteArray::number(minutes.load()) + " minutes ago</p>\n<p>" + QByteArray::number(8'000 + 37 * load)
            + " views</p>\n<p>Session " + token + "</p>\n<p>Sponsored: " + ads[load % 3]
            + "</p>\n<p><a href=\"/news?t=" + token + "\">Garden news</a></p>\n</body></html>\n";
    }
};

TEST_F(CheckRunTest, WhatChangesByItselfIsLearnedFromASecondLoadAndAPriceStillCounts)
{
    m_options.secondLoadDelay = 1ms;
    LivePage noisyPage, pricedPage, plainPage;
    m_server.setGeneratedPage("/noisy", [&] { return noisyPage(); });
    m_server.setGeneratedPage("/priced", [&] { return pricedPage(); });
    m_server.setGeneratedPage("/plain", [&] { return plainPage(); });
    const int noisy = addRow("/noisy");
    const int priced = addRow("/priced");
    const int plain = addRow("/plain");
    ChangeRule selfChanging = kPageText;
    selfChanging.ignoreSelfChanging = true;
    m_rules.setRule(address(noisy), selfChanging);
    m_rules.setRule(address(priced), selfChanging);
    m_rules.setRule(address(plain), kPageText);
    for (const int row : { noisy, priced, plain })
        snapshotAsServed(row);
    pricedPage.newPriceFrom = 2;
    const QByteArray noisySnapshot = ReadAll(snapshot(noisy));

    EXPECT_TRUE(check({ noisy, priced, plain }));
    EXPECT_EQ(m_list.text(noisy, FavoritesList::Changed), "") << "the page only changed by itself";
    EXPECT_EQ(ReadAll(snapshot(noisy)), noisySnapshot);
    EXPECT_EQ(m_list.text(priced, FavoritesList::Changed), "YES") << "the price changed";
    EXPECT_TRUE(ReadAll(snapshot(priced)).contains("$5.95"));
    EXPECT_EQ(m_list.text(plain, FavoritesList::Changed), "YES") << "Page text without the option counts it all";
    EXPECT_EQ(m_server.requestCount("/noisy"), 3) << "one snapshot, one check and its second load";
    EXPECT_EQ(m_server.requestCount("/plain"), 2) << "a second load without the option";
    const ChangeRule learned = m_rules.rule(address(noisy));
    EXPECT_EQ(learned.learnedLines, QStringList({ "# views", "Session #", "Sponsored: *" }));
    EXPECT_EQ(learned.learnedLinks, QStringList({ "/news?t=#" }));
    EXPECT_EQ(m_rules.rule(address(priced)).learnedLines, learned.learnedLines);

    // What was learned needs no second load; a relative time moved on is no change.
    for (LivePage* page : { &noisyPage, &pricedPage })
        page->minutes = 15;
    EXPECT_FALSE(check({ noisy, priced }));
    EXPECT_EQ(m_server.requestCount("/noisy"), 4);
    EXPECT_EQ(m_server.requestCount("/priced"), 4);
    EXPECT_TRUE(leftoverDownloads().isEmpty()) << leftoverDownloads().join(' ').toStdString();
}

TEST_F(CheckRunTest, WithoutASecondLoadTheFirstVerdictStandsAndARandomPageEndsWithOne)
{
    m_options.secondLoadDelay = 1ms;
    ChangeRule selfChanging = kPageText;
    selfChanging.ignoreSelfChanging = true;
    // Every line of a random page changes at every load.
    const int random = addRow("/random");
    std::atomic<int> loads { 0 };
    m_server.setGeneratedPage("/random", [&] {
        QByteArray page;
        for (int line = 0; line < 300; ++line)
            page += "<p>" + QByteArray::number(++loads * 7919 % 104729, 36) + " zq" + QByteArray::number(loads)
                + "</p>\n";
        return page;
    });
    // The second load finds the server asking to be left alone.
    const int refused = addRow("/refused");
    m_server.setPage("/refused", "<p>$4.95</p>\n");
    for (const int row : { refused, random }) {
        m_rules.setRule(address(row), selfChanging);
        snapshotAsServed(row);
    }
    FavoriteStates states;
    for (const int check : { 1, 2 }) {
        this->check({ random }, &states);
        EXPECT_EQ(states.at(address(random)).outcome, FavoriteState::Outcome::Changed) << "check " << check;
        EXPECT_EQ(m_server.requestCount("/random"), 1 + 2 * check);
        EXPECT_EQ(m_rules.rule(address(random)).learnedLines.size(), kMostLearned) << "check " << check;
    }
    m_server.setPages("/refused", { { 200, "<p>$5.95</p>\n" }, { 503, "busy" } }, { { "Retry-After", "3600" } });
    check({ refused }, &states);
    EXPECT_EQ(m_list.text(refused, FavoritesList::Changed), "YES") << "the first load's verdict";
    EXPECT_EQ(states.at(address(refused)).outcome, FavoriteState::Outcome::Changed);
    EXPECT_EQ(m_server.requestCount("/refused"), 3);
    EXPECT_TRUE(m_rules.rule(address(refused)).learnedLines.isEmpty());
    EXPECT_TRUE(leftoverDownloads().isEmpty()) << leftoverDownloads().join(' ').toStdString();
}

TEST_F(CheckRunTest, ALineWhoseNumbersChangedAtEveryCopyOfTheHistoryIsACounter)
{
    m_options.secondLoadDelay = 1ms;
    ChangeRule selfChanging = kPageText;
    selfChanging.ignoreSelfChanging = true;
    const auto page = [](int views, const char* price) {
        return "<h1>Beans</h1><p>" + QByteArray::number(views) + " views</p><p>Price " + price + "</p>\n";
    };
    // The views moved on between checks, never between two loads.
    const int counted = addRow("/counted");
    const int alone = addRow("/alone");
    const int priced = addRow("/priced");
    {
        HistoryDatabase history;
        history.open();
        for (const int row : { counted, priced }) {
            for (const int copy : { 1, 2, 3 }) {
                HistoryEntry entry;
                entry.address = address(row);
                entry.page = { page(100 * copy, "$4"), QDateTime::currentDateTimeUtc().addDays(copy - 4) };
                history.keep(entry);
            }
        }
    }
    for (const int row : { counted, alone, priced }) {
        m_rules.setRule(address(row), selfChanging);
        WriteAll(snapshot(row), page(300, "$4"));
    }
    m_server.setPage("/counted", page(400, "$4"));
    m_server.setPage("/alone", page(400, "$4"));
    m_server.setPage("/priced", page(400, "$5"));
    HistoryRecorder recorder;
    CheckRun run(m_list, m_options);
    run.setRules(&m_rules);
    run.setLearnedRules(&m_rules);
    run.setHistory(&recorder);
    for (const int row : { counted, alone, priced })
        run.addCheck(row);
    RunToEnd(run);
    EXPECT_EQ(m_list.text(counted, FavoritesList::Changed), "");
    EXPECT_EQ(m_rules.rule(address(counted)).learnedLines, QStringList { "# views" });
    EXPECT_EQ(m_list.text(alone, FavoritesList::Changed), "YES") << "no history to tell a counter by";
    EXPECT_EQ(m_list.text(priced, FavoritesList::Changed), "YES") << "the price changed with the counter";
    EXPECT_EQ(m_server.requestCount("/counted"), 2);
}

TEST_F(CheckRunTest, ASecondLoadWaitsWithoutHoldingTheOtherChecksAndStopEndsIt)
{
    m_options.secondLoadDelay = std::chrono::hours(1);
    LivePage noisyPage;
    m_server.setGeneratedPage("/noisy", [&] { return noisyPage(); });
    const int noisy = addRow("/noisy");
    const int other = addRow("/other");
    ChangeRule selfChanging = kPageText;
    selfChanging.ignoreSelfChanging = true;
    m_rules.setRule(address(noisy), selfChanging);
    snapshotAsServed(noisy);
    const QByteArray noisySnapshot = ReadAll(snapshot(noisy));
    // Answered once the noisy page had time for its second load, were it not waiting.
    m_server.setSlowPage("/other", "<p>New</p>\n", 500ms);
    WriteAll(snapshot(other), "old\r\n");
    CheckRun run(m_list, m_options);
    run.setRules(&m_rules);
    run.setLearnedRules(&m_rules);
    run.addCheck(noisy);
    run.addCheck(other);
    RunToEnd(run, [&] {
        EXPECT_TRUE(QTest::qWaitFor([&] { return run.done() == 1; }, 20'000));
        EXPECT_EQ(m_list.text(other, FavoritesList::Changed), "YES") << "the other check waited";
        EXPECT_FALSE(run.isFinished());
        run.stop();
    });
    EXPECT_TRUE(run.wasStopped());
    EXPECT_EQ(m_list.text(noisy, FavoritesList::Changed), "");
    EXPECT_EQ(ReadAll(snapshot(noisy)), noisySnapshot);
    EXPECT_EQ(m_server.requestCount("/noisy"), 2) << "the second load was not stopped";
    EXPECT_TRUE(leftoverDownloads().isEmpty()) << leftoverDownloads().join(' ').toStdString();
}

} // namespace
