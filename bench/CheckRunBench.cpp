// Update All Now's run of checks side by side, timed against other ways of fetching the same
// pages in the same process run, taking turns so that whatever else the machine does slows all:
//   latency   300 favorites on 127.0.0.2 to 127.0.0.9, every answer 50 ms late, against
//             curl --parallel --parallel-max 16; with the longest lateness of a 10 ms timer
//             on the event loop that drives the run;
//   loopback  1,000 favorites from nginx on 127.0.0.1, against plain curl -K;
//   plain     1,000 favorites of 8 KiB, then of 64 KiB, from a server inside the benchmark on
//             127.0.0.1, against plain libcurl downloads into a file with one reused handle,
//             with the processor time of the benchmark's thread;
//   conditional  1,000 unchanged favorites from nginx checked twice, the second time with the
//             validators the first found: the bytes read and the time of each;
//   rules     1,000 unchanged article pages of 75 KB from a server inside the benchmark, every
//             favorite under Page text with Numbers and a part of the page, against Page length;
//             with the longest lateness of a 10 ms timer and the peak memory above the resident
//             memory before each run; and the same when every answer ends with a comment that
//             differs from the snapshot's, so that both copies' text is read.
//   self-changing  the same 1,000 unchanged article pages under Page text with "Ignore what
//             changes by itself" against Page text without it, side by side; and the same when
//             every answer ends with a timing comment, so that the download's text is read.
// Usage: CheckRunBench [latency] [loopback] [plain] [conditional] [rules] [self-changing]
//        [--repetitions=N];
// without a part, all.
#include "BenchMemory.h"
#include "BenchRun.h"
#include "LoopbackServer.h"
#include "NginxServer.h"
#include "check/SnapshotName.h"
#include "store/ChangeRules.h"
#include "store/FavoriteStates.h"
#include "store/FavoritesFile.h"
#include "store/FavoritesList.h"

#include <QAbstractEventDispatcher>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int kLatencyFavorites = 300;
constexpr int kLatencyHosts = 8;
constexpr int kLatencyMs = 50;
constexpr int kLoopbackFavorites = 1000;
constexpr size_t kPageBytes = 8 * 1024;
constexpr double kLatencyTarget = 1.15;
constexpr double kLoopbackTarget = 1.0;
constexpr double kPlainTarget = 1.15;
constexpr double kLatenessTargetMs = 50;
constexpr size_t kArticleBytes = 75 * 1024;
constexpr double kRulesTarget = 1.5;
constexpr double kRulesMemoryTargetMiB = 32;
constexpr double kSelfChangingTarget = 1.1;

struct RunFigures {
    double longestLatenessMs = 0;
    // The peak resident memory of the run above the resident memory before it.
    double peakGrowthMiB = 0;
    // The longest turn of the event loop from waking to waiting again, in processor time of
    // the loop's thread: the work of our own that held the loop, without the time the
    // machine gave to other programs.
    double longestTurnMs = 0;
};

double threadProcessorMs()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

// Update All Now from the start of the run to the rewritten favorites file: every row
// checked side by side, then sort and save. A 10 ms timer on the same event loop measures
// how late the loop comes round to it. True when every row was checked and none changed.
bool checkAndSave(FavoritesList& list, std::vector<RunFigures>* runs = nullptr, const ChangeRules* rules = nullptr,
    KnownSnapshots* known = nullptr)
{
    RunFigures figures;
    const double residentBefore = StatusMiB("VmRSS");
    ResetPeakMemory();
    QElapsedTimer clock;
    clock.start();
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
    const bool whole = CheckAll(list, {}, 10, nullptr, rules, known);
    tick.stop();
    QObject::disconnect(awake);
    QObject::disconnect(aboutToBlock);
    SortFavorites(list);
    SaveFavorites(list);
    figures.peakGrowthMiB = StatusMiB("VmHWM") - residentBefore;
    if (runs)
        runs->push_back(figures);
    return whole && ChangedRows(list) == 0;
}

// A favorite for every address, its snapshot the page as served, in the order a saved
// favorites file holds them.
void addFavorites(FavoritesList& list, const QStringList& addresses, const std::string& body)
{
    for (const QString& address : addresses) {
        list.insertFavorite(list.count(), address);
        WriteFile(SnapshotFileName(address), AsSnapshot(body));
    }
    SortFavorites(list);
}

// curl, the command-line tool, fetching every address into a file of its own.
Way curlWay(const QStringList& addresses, const QStringList& options)
{
    QDir().mkpath(QStringLiteral("curl"));
    QByteArray config;
    for (int index = 0; index < addresses.size(); ++index)
        config += "url = \"" + addresses[index].toUtf8() + "\"\noutput = \"curl/" + QByteArray::number(index) + "\"\n";
    WriteFile(QStringLiteral("curl.cfg"), config);
    const QString last = QStringLiteral("curl/%1").arg(addresses.size() - 1);
    return { ("curl " + (options + QStringList { "-K" }).join(' ')).toStdString(), [=] {
                QFile::remove(last);
                QProcess curl;
                // -q first: no ~/.curlrc.
                curl.start(QStringLiteral("curl"),
                    QStringList { "-q", "-s", "-S" } + options + QStringList { "-K", "curl.cfg" });
                const bool ok = curl.waitForFinished(300000) && curl.exitStatus() == QProcess::NormalExit
                    && curl.exitCode() == 0 && QFile(last).size() == qint64(kPageBytes);
                if (!ok)
                    std::fprintf(stderr, "curl: %s\n", curl.readAllStandardError().constData());
                return ok;
            } };
}

bool benchLatency(int repetitions)
{
    LoopbackServer hosts(kLatencyHosts, 2);
    if (!hosts.ok())
        return false;
    const std::string body = PageBody(kPageBytes);
    hosts.setBody(body);
    hosts.setDelay(kLatencyMs);
    QStringList addresses;
    for (int favorite = 0; favorite < kLatencyFavorites; ++favorite)
        addresses << hosts.url(favorite % kLatencyHosts, "/page/" + std::to_string(favorite) + ".html");
    FavoritesList list;
    addFavorites(list, addresses, body);

    std::vector<RunFigures> runs;
    const double ratio = CompareByTurns("300 favorites on 8 hosts, answers 50 ms late",
        { { "Nelvox (CheckRun, sort, save)", [&] { return checkAndSave(list, &runs); } },
            curlWay(addresses, { "--parallel", "--parallel-max", "16" }),
            curlWay(addresses, { "--parallel", "--parallel-max", "16", "--parallel-immediate" }) },
        repetitions);
    std::printf("  ratio to curl --parallel --parallel-max 16, target at most %.2f: %s\n", kLatencyTarget,
        ratio > 0 && ratio <= kLatencyTarget ? "met" : "NOT MET");
    // The first run is the round that is not counted.
    if (!runs.empty())
        runs.erase(runs.begin());
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

// 1,000 pages written for nginx to serve from 127.0.0.1, and favorites for them with their
// snapshots in place. ok() tells whether nginx came up.
struct NginxPages {
    explicit NginxPages(bool countBytes)
        : body(PageBody(kPageBytes))
        , root(QDir::current().filePath(QStringLiteral("html")))
        , nginx((writePages(root, body), root), QDir::current().filePath(QStringLiteral("nginx")),
              { QStringLiteral("127.0.0.1") }, countBytes)
    {
        if (!nginx.ok()) {
            std::fprintf(stderr, "nginx did not start: %s\n", nginx.errors().toUtf8().constData());
            return;
        }
        for (int favorite = 0; favorite < kLoopbackFavorites; ++favorite)
            addresses << nginx.url(QStringLiteral("127.0.0.1"), QStringLiteral("/page/%1.html").arg(favorite));
        addFavorites(list, addresses, body);
    }
    static void writePages(const QString& root, const std::string& body)
    {
        QDir().mkpath(root + QStringLiteral("/page"));
        for (int favorite = 0; favorite < kLoopbackFavorites; ++favorite)
            WriteFile(QStringLiteral("%1/page/%2.html").arg(root).arg(favorite), QByteArray::fromStdString(body));
    }
    bool ok() const { return nginx.ok(); }

    const std::string body;
    const QString root;
    NginxServer nginx;
    QStringList addresses;
    FavoritesList list;
};

bool benchLoopback(int repetitions)
{
    NginxPages pages(false);
    if (!pages.ok())
        return false;
    FavoritesList& list = pages.list;
    const QStringList& addresses = pages.addresses;
    const double ratio = CompareByTurns("1,000 favorites from nginx on 127.0.0.1",
        { { "Nelvox (CheckRun, sort, save)", [&] { return checkAndSave(list); } }, curlWay(addresses, {}) },
        repetitions);
    std::printf("  ratio target at most %.2f: %s\n", kLoopbackTarget,
        ratio > 0 && ratio <= kLoopbackTarget ? "met" : "NOT MET");
    return ratio > 0;
}

bool benchConditional(int repetitions)
{
    NginxPages pages(true);
    if (!pages.ok())
        return false;
    FavoritesList& list = pages.list;
    NginxServer& nginx = pages.nginx;
    std::vector<double> byteRatios;
    std::vector<double> timeRatios;
    for (int repetition = 0; repetition <= repetitions; ++repetition) {
        // The first check knows nothing and asks for every page whole; the second asks "only if
        // changed since" with what the first found.
        FavoriteStates states;
        double seconds[2] = {};
        qint64 bytes[2] = {};
        for (int check = 0; check < 2; ++check) {
            const qint64 before = nginx.bytesSent();
            QElapsedTimer clock;
            clock.start();
            if (!CheckAll(list, {}, 10, &states) || ChangedRows(list) != 0)
                return false;
            seconds[check] = static_cast<double>(clock.nsecsElapsed()) / 1e9;
            bytes[check] = nginx.bytesSent() - before;
        }
        std::printf("  whole %.3f s, %lld bytes sent; conditional %.3f s, %lld bytes sent\n", seconds[0],
            static_cast<long long>(bytes[0]), seconds[1], static_cast<long long>(bytes[1]));
        // The first round warms up and is not counted.
        if (repetition > 0) {
            byteRatios.push_back(static_cast<double>(bytes[1]) / static_cast<double>(bytes[0]));
            timeRatios.push_back(seconds[1] / seconds[0]);
        }
    }
    const double byteRatio = Median(byteRatios);
    const double timeRatio = Median(timeRatios);
    std::printf("1,000 unchanged favorites from nginx checked twice: median bytes %.1f %% (target at most 3 %%): %s; "
                "median time %.2f (target at most 0.5): %s\n",
        byteRatio * 100, byteRatio <= 0.03 ? "met" : "NOT MET", timeRatio, timeRatio <= 0.5 ? "met" : "NOT MET");
    return true;
}

bool benchPlain(int repetitions)
{
    LoopbackServer server;
    if (!server.ok())
        return false;
    bool ok = true;
    for (const size_t size : { kPageBytes, 8 * kPageBytes }) {
        const std::string body = PageBody(size);
        server.setBody(body);
        QStringList addresses;
        for (int favorite = 0; favorite < kLoopbackFavorites; ++favorite)
            addresses << server.url(0, "/page/" + std::to_string(size) + "/" + std::to_string(favorite));
        FavoritesList list;
        addFavorites(list, addresses, body);
        std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
        const auto plain = [&] {
            bool fetched = true;
            for (const QString& address : addresses) {
                // One file rewritten for every page, as a check writes its download.
                FILE* file = std::fopen("plain.nvd", "wb");
                const QByteArray url = address.toUtf8();
                curl_easy_setopt(curl.get(), CURLOPT_URL, url.constData());
                curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, file);
                fetched = curl_easy_perform(curl.get()) == CURLE_OK && fetched;
                std::fclose(file);
            }
            return fetched;
        };
        const std::string title = "1,000 favorites of " + std::to_string(size / 1024) + " KiB on 127.0.0.1";
        const double ratio = CompareByTurns(title,
            { { "Nelvox (CheckRun, sort, save)", [&] { return checkAndSave(list); } },
                { "plain libcurl, one handle, one page after another", plain } },
            repetitions, true);
        std::printf(
            "  ratio target at most %.2f: %s\n", kPlainTarget, ratio > 0 && ratio <= kPlainTarget ? "met" : "NOT MET");
        ok = ratio > 0 && ok;
    }
    return ok;
}

// Prints one figure of each run, the first one too (it is not timed, but it is the first of its
// kind in the process); true when the largest is at most `target`.
bool printPerRun(
    const char* what, const std::vector<RunFigures>& runs, double RunFigures::*figure, const char* unit, double target)
{
    double largest = runs.empty() ? -1 : 0;
    std::printf("  %s per run:", what);
    for (const RunFigures& run : runs) {
        std::printf(" %.1f", run.*figure);
        largest = std::max(largest, run.*figure);
    }
    const bool met = largest >= 0 && largest <= target;
    std::printf(" %s; target at most %.0f %s: %s\n", unit, target, unit, met ? "met" : "NOT MET");
    return met;
}

// 1,000 favorites of one unchanged article page of 75 KB that `server` answers, each with its
// snapshot, in `list`; their addresses.
QStringList serveArticles(LoopbackServer& server, FavoritesList& list)
{
    const std::string body = ArticlePage(kArticleBytes);
    server.setBody(body);
    QStringList addresses;
    for (int favorite = 0; favorite < kLoopbackFavorites; ++favorite)
        addresses << server.url(0, "/news/" + std::to_string(favorite) + ".html");
    addFavorites(list, addresses, body);
    return addresses;
}

bool benchRules(int repetitions)
{
    LoopbackServer server;
    if (!server.ok())
        return false;
    FavoritesList list;
    const QStringList addresses = serveArticles(server, list);
    ChangeRules pageText;
    for (const QString& address : addresses) {
        pageText.setRule(
            address, { ChangeRule::Kind::PageText, true, true, {}, QStringLiteral("#main article .story") });
    }
    // What the runs before learnt of the snapshots' text, as the program keeps it from one
    // check to the next; and a run that knows nothing yet, as the first after a start.
    KnownSnapshots known;
    std::vector<RunFigures> unchanged;
    std::vector<RunFigures> first;
    std::vector<RunFigures> noisy;
    const double ratio = CompareByTurns("1,000 unchanged article pages of 75 KB on 127.0.0.1",
        { { "Page text, Numbers, part of the page", [&] { return checkAndSave(list, &unchanged, &pageText, &known); } },
            { "Page length", [&] { return checkAndSave(list); } },
            { "Page text, Numbers, part; nothing known yet", [&] { return checkAndSave(list, &first, &pageText); } },
            { "Page text, Numbers, part; answers with a timing comment",
                [&] {
                    server.setTimingComment(true);
                    const bool quiet = checkAndSave(list, &noisy, &pageText, &known);
                    server.setTimingComment(false);
                    return quiet;
                } } },
        repetitions, true);
    std::printf("  Page text / Page length, target at most %.2f: %s\n", kRulesTarget,
        ratio > 0 && ratio <= kRulesTarget ? "met" : "NOT MET");
    bool met = ratio > 0 && ratio <= kRulesTarget;
    for (const auto& [title, runs] : { std::pair { "unchanged pages", &unchanged },
             std::pair { "nothing known yet", &first }, std::pair { "timing comments", &noisy } }) {
        std::printf("  Page text, %s:\n", title);
        met = printPerRun(
                  "longest lateness of a 10 ms timer", *runs, &RunFigures::longestLatenessMs, "ms", kLatenessTargetMs)
            && met;
        met = printPerRun("peak memory above the resident memory before the run", *runs, &RunFigures::peakGrowthMiB,
                  "MiB", kRulesMemoryTargetMiB)
            && met;
        // Whether a late timer waited for work of our own or for the processor.
        printPerRun("longest turn of the event loop, processor time", *runs, &RunFigures::longestTurnMs, "ms",
            kLatenessTargetMs);
    }
    return ratio > 0;
}

bool benchSelfChanging(int repetitions)
{
    LoopbackServer server;
    if (!server.ok())
        return false;
    FavoritesList list;
    const QStringList addresses = serveArticles(server, list);
    ChangeRules pageText;
    ChangeRules selfChanging;
    ChangeRule ignoring = ChangeRule::pageText();
    ignoring.ignoreSelfChanging = true;
    for (const QString& address : addresses) {
        pageText.setRule(address, ChangeRule::pageText());
        selfChanging.setRule(address, ignoring);
    }
    KnownSnapshots knownPageText;
    KnownSnapshots knownSelfChanging;
    const auto withTimingComments = [&server](const std::function<bool()>& run) {
        server.setTimingComment(true);
        const bool quiet = run();
        server.setTimingComment(false);
        return quiet;
    };
    const double ratio = CompareByTurns("1,000 unchanged article pages of 75 KB on 127.0.0.1",
        { { "Page text, ignore what changes by itself",
              [&] { return checkAndSave(list, nullptr, &selfChanging, &knownSelfChanging); } },
            { "Page text", [&] { return checkAndSave(list, nullptr, &pageText, &knownPageText); } } },
        repetitions, true);
    std::printf("  ignore what changes by itself / Page text, target at most %.2f: %s\n", kSelfChangingTarget,
        ratio > 0 && ratio <= kSelfChangingTarget ? "met" : "NOT MET");
    const double commented = CompareByTurns("the same, every answer with a timing comment",
        { { "Page text, ignore what changes by itself",
              [&] {
                  return withTimingComments(
                      [&] { return checkAndSave(list, nullptr, &selfChanging, &knownSelfChanging); });
              } },
            { "Page text",
                [&] {
                    return withTimingComments([&] { return checkAndSave(list, nullptr, &pageText, &knownPageText); });
                } } },
        repetitions, true);
    std::printf("  with timing comments, ignore what changes by itself / Page text: %.3f\n", commented);
    return ratio > 0 && commented > 0;
}

} // namespace

int main(int argc, char** argv)
{
    return RunParts(argc, argv, 5,
        { { "latency", benchLatency }, { "loopback", benchLoopback }, { "plain", benchPlain },
            { "conditional", benchConditional }, { "rules", benchRules }, { "self-changing", benchSelfChanging } });
}
