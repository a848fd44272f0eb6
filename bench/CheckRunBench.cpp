// Update All Now's run of checks side by side, timed against curl fetching the same pages
// in the same run, the two taking turns so that whatever else the machine does slows both:
//   latency   300 favorites on 127.0.0.2 to 127.0.0.9, every answer 50 ms late, against
//             curl --parallel --parallel-max 16; with the longest lateness of a 10 ms timer
//             on the event loop that drives the run;
//   loopback  1,000 favorites from nginx on 127.0.0.1, against plain curl -K.
// Usage: CheckRunBench [latency] [loopback] [--repetitions=N]; without a part, both.
#include "BenchWorkDir.h"
#include "LoopbackHosts.h"
#include "NginxServer.h"
#include "store/FavoritesFile.h"
#include "store/FavoritesList.h"
#include "update/CheckRun.h"
#include "update/PageCheck.h"
#include "update/SnapshotName.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr int kLatencyFavorites = 300;
constexpr int kLatencyHosts = 8;
constexpr int kLatencyMs = 50;
constexpr int kLoopbackFavorites = 1000;
constexpr size_t kPageBytes = 8 * 1024;
constexpr double kLatencyTarget = 1.15;
constexpr double kLoopbackTarget = 1.0;
constexpr double kLatenessTargetMs = 50;

std::string pageBody()
{
    std::string body;
    for (int line = 0; body.size() < kPageBytes; ++line)
        body += "<p>Line " + std::to_string(line) + " of a page that Nelvox watches, with some words in it.</p>\n";
    body.resize(kPageBytes - 1);
    body += '\n';
    return body;
}

// The page as a check stores it: every line ended by CR LF.
QByteArray asSnapshot(const std::string& body)
{
    return QByteArray::fromStdString(body).replace("\n", "\r\n");
}

bool writeFile(const QString& name, const QByteArray& bytes)
{
    QFile file(name);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct RunFigures {
    double seconds = 0;
    double longestLatenessMs = 0;
    // The longest turn of the event loop from waking to waiting again, in processor time of
    // the loop's thread: the work of our own that held the loop, without the time the
    // machine gave to other programs.
    double longestTurnMs = 0;
    bool whole = false;
};

double threadProcessorMs()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

// Update All Now from the start of the run to the rewritten favorites file: every row
// checked side by side, then sort and save. A 10 ms timer on the same event loop measures
// how late the loop comes round to it.
RunFigures checkAll(FavoritesList& list)
{
    RunFigures figures;
    QElapsedTimer clock;
    clock.start();
    CheckRun run(list);
    for (int row = 0; row < list.count(); ++row)
        run.addCheck(row);

    QTimer tick;
    tick.setSingleShot(true);
    tick.setTimerType(Qt::PreciseTimer);
    qint64 armedNs = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const double lateMs = static_cast<double>(clock.nsecsElapsed() - armedNs) / 1e6 - 10;
        figures.longestLatenessMs = std::max(figures.longestLatenessMs, lateMs);
        armedNs = clock.nsecsElapsed();
        tick.start(10);
    });
    armedNs = clock.nsecsElapsed();
    tick.start(10);
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    double awakeMs = threadProcessorMs();
    const auto awake
        = QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, [&] { awakeMs = threadProcessorMs(); });
    const auto aboutToBlock = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock,
        [&] { figures.longestTurnMs = std::max(figures.longestTurnMs, threadProcessorMs() - awakeMs); });

    QEventLoop loop;
    QObject::connect(&run, &CheckRun::finished, &loop, &QEventLoop::quit);
    run.start();
    if (!run.isFinished())
        loop.exec();
    tick.stop();
    QObject::disconnect(awake);
    QObject::disconnect(aboutToBlock);
    SortFavorites(list);
    SaveFavorites(list);
    figures.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    figures.whole = run.done() == list.count() && !run.anyChanged() && !run.wasStopped();
    return figures;
}

// curl, the command-line tool, fetching every address into a file of its own.
double runCurl(const QStringList& addresses, const QStringList& options, bool* ok)
{
    QDir().mkpath(QStringLiteral("curl"));
    QByteArray config;
    for (int index = 0; index < addresses.size(); ++index)
        config += "url = \"" + addresses[index].toUtf8() + "\"\noutput = \"curl/" + QByteArray::number(index) + "\"\n";
    writeFile(QStringLiteral("curl.cfg"), config);
    QFile::remove(QStringLiteral("curl/%1").arg(addresses.size() - 1));
    QProcess curl;
    QElapsedTimer clock;
    clock.start();
    // -q first: no ~/.curlrc.
    curl.start(QStringLiteral("curl"), QStringList { "-q", "-s", "-S" } + options + QStringList { "-K", "curl.cfg" });
    const bool finished = curl.waitForFinished(300000);
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    *ok = finished && curl.exitStatus() == QProcess::NormalExit && curl.exitCode() == 0
        && QFile(QStringLiteral("curl/%1").arg(addresses.size() - 1)).size() == qint64(kPageBytes);
    if (!*ok)
        std::fprintf(stderr, "curl failed: %s\n", curl.readAllStandardError().constData());
    return seconds;
}

void printSeconds(const char* name, const std::vector<double>& seconds)
{
    std::printf("  %-50s", name);
    for (double value : seconds)
        std::printf(" %.3f", value);
    std::printf(" s, median %.3f s\n", median(seconds));
}

// Runs the checks and each way of curl by turns, `repetitions` times each after one round
// that is not counted; prints every figure and returns the ratio of the check's median to
// the median of the first way of curl.
double compare(const char* part, FavoritesList& list, const std::vector<QStringList>& curlWays, int repetitions,
    std::vector<RunFigures>* runs)
{
    QStringList addresses;
    for (int row = 0; row < list.count(); ++row)
        addresses << list.text(row, FavoritesList::WebSite);
    const int ways = 1 + static_cast<int>(curlWays.size());
    std::vector<std::vector<double>> seconds(static_cast<size_t>(ways));
    for (int turn = -1; turn < repetitions; ++turn) {
        // Who goes first changes from turn to turn.
        for (int step = 0; step < ways; ++step) {
            const int way = (step + turn + ways) % ways;
            if (way == 0) {
                const RunFigures figures = checkAll(list);
                if (!figures.whole)
                    std::fprintf(stderr, "%s: the run did not check every row as unchanged\n", part);
                if (turn >= 0) {
                    seconds[0].push_back(figures.seconds);
                    runs->push_back(figures);
                }
            } else {
                bool ok = false;
                const double time = runCurl(addresses, curlWays[static_cast<size_t>(way - 1)], &ok);
                if (turn >= 0 && ok)
                    seconds[static_cast<size_t>(way)].push_back(time);
            }
        }
    }
    for (const auto& times : seconds) {
        if (times.empty())
            return -1;
    }
    std::printf("%s, %d repetitions each:\n", part, repetitions);
    printSeconds("Nelvox (CheckRun, sort, save):", seconds[0]);
    for (size_t way = 1; way < seconds.size(); ++way) {
        const QByteArray name = ("curl " + (curlWays[way - 1] + QStringList { "-K" }).join(' ') + ":").toUtf8();
        printSeconds(name.constData(), seconds[way]);
        const double ratio = median(seconds[0]) / median(seconds[way]);
        std::printf("    Nelvox / this curl: median %.3f (fastest run %.3f, slowest %.3f)\n", ratio,
            *std::min_element(seconds[0].begin(), seconds[0].end()) / median(seconds[way]),
            *std::max_element(seconds[0].begin(), seconds[0].end()) / median(seconds[way]));
    }
    return median(seconds[0]) / median(seconds[1]);
}

bool benchLatency(int repetitions)
{
    LoopbackHosts hosts(kLatencyHosts);
    if (!hosts.ok())
        return false;
    const std::string body = pageBody();
    hosts.setBody(body);
    hosts.setDelay(kLatencyMs);
    FavoritesList list;
    for (int favorite = 0; favorite < kLatencyFavorites; ++favorite) {
        const QString address = hosts.url(favorite % kLatencyHosts, "/page/" + std::to_string(favorite) + ".html");
        list.insertFavorite(favorite, address);
        writeFile(SnapshotFileName(address), asSnapshot(body));
    }
    // In the order a saved favorites file holds them: by address, so by host.
    SortFavorites(list);

    std::vector<RunFigures> runs;
    const double ratio = compare("300 favorites on 8 hosts, answers 50 ms late", list,
        { { "--parallel", "--parallel-max", "16" }, { "--parallel", "--parallel-max", "16", "--parallel-immediate" } },
        repetitions, &runs);
    std::printf("  ratio to curl --parallel --parallel-max 16, target at most %.2f: %s\n", kLatencyTarget,
        ratio > 0 && ratio <= kLatencyTarget ? "met" : "NOT MET");
    double longest = runs.empty() ? -1 : 0;
    std::printf("  longest lateness of a 10 ms timer per run:");
    for (const RunFigures& run : runs) {
        std::printf(" %.1f", run.longestLatenessMs);
        longest = std::max(longest, run.longestLatenessMs);
    }
    std::printf(" ms; target at most %.0f ms: %s\n", kLatenessTargetMs,
        longest >= 0 && longest <= kLatenessTargetMs ? "met" : "NOT MET");
    std::printf("  longest turn of the event loop per run, processor time:");
    for (const RunFigures& run : runs)
        std::printf(" %.1f", run.longestTurnMs);
    std::printf(" ms\n");
    return ratio > 0;
}

bool benchLoopback(int repetitions)
{
    const QString root = QDir::current().filePath(QStringLiteral("html"));
    QDir().mkpath(root + QStringLiteral("/page"));
    const std::string body = pageBody();
    for (int favorite = 0; favorite < kLoopbackFavorites; ++favorite)
        writeFile(QStringLiteral("%1/page/%2.html").arg(root).arg(favorite), QByteArray::fromStdString(body));
    NginxServer nginx(root, QDir::current().filePath(QStringLiteral("nginx")), { QStringLiteral("127.0.0.1") });
    if (!nginx.ok()) {
        std::fprintf(stderr, "nginx did not start: %s\n", nginx.errors().toUtf8().constData());
        return false;
    }
    FavoritesList list;
    for (int favorite = 0; favorite < kLoopbackFavorites; ++favorite) {
        const QString address = nginx.url(QStringLiteral("127.0.0.1"), QStringLiteral("/page/%1.html").arg(favorite));
        list.insertFavorite(favorite, address);
        writeFile(SnapshotFileName(address), asSnapshot(body));
    }
    SortFavorites(list);
    std::vector<RunFigures> runs;
    const double ratio = compare("1,000 favorites from nginx on 127.0.0.1", list, { {} }, repetitions, &runs);
    std::printf("  ratio target at most %.2f: %s\n", kLoopbackTarget,
        ratio > 0 && ratio <= kLoopbackTarget ? "met" : "NOT MET");
    return ratio > 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QStringList parts;
    int repetitions = 5;
    for (const QString& argument : application.arguments().mid(1)) {
        if (argument.startsWith(QLatin1String("--repetitions=")))
            repetitions = std::max(1, argument.section('=', 1).toInt());
        else
            parts << argument;
    }
    if (parts.isEmpty())
        parts = QStringList { "latency", "loopback" };
    bool ok = true;
    for (const QString& part : parts) {
        // Each part in a fresh folder of its own, as the data directory.
        BenchWorkDir workDir;
        if (part == QLatin1String("latency"))
            ok = benchLatency(repetitions) && ok;
        else if (part == QLatin1String("loopback"))
            ok = benchLoopback(repetitions) && ok;
        else {
            std::fprintf(stderr, "unknown part: %s\n", part.toUtf8().constData());
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
