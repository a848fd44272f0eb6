// Throughput of the page check on 1,000 favorites served from 127.0.0.1, against plain
// libcurl downloads of the same pages into a file with one reused handle. Three ways take
// turns page by page: the plain download, CheckPage on one session for all checks (the
// timer) and CheckPage on a session of its own (Update All Now), so that whatever else
// the machine does slows all three alike. Reports each one's time per page and the ratios.
#include "BenchServer.h"
#include "BenchWorkDir.h"
#include "platform/InternetSession.h"
#include "store/FavoritesList.h"
#include "update/PageCheck.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <vector>

namespace {

constexpr int kFavorites = 1000;

BenchServer* server = nullptr;

std::string pageBody(size_t size)
{
    std::string body;
    for (int line = 0; body.size() < size; ++line)
        body += "<p>Line " + std::to_string(line) + " of a page that Nelvox watches, with some words in it.</p>\n";
    body.resize(size - 1);
    body += '\n';
    return body;
}

QString address(int favorite)
{
    return server->url("/page/" + std::to_string(favorite));
}

enum Way { Plain, OneSession, SessionPerCheck, WayCount };

// Seconds per page of each way, by page size, for the summary: real time, and the
// processor time of the benchmark's thread, which leaves out the server and the waits.
struct PerPage {
    double real = 0;
    double processor = 0;
};
std::map<int64_t, std::array<PerPage, WayCount>> results;

double threadProcessorSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void BM_CheckThroughput(benchmark::State& state)
{
    server->setBody(pageBody(static_cast<size_t>(state.range(0))));
    FavoritesList list;
    std::vector<std::string> urls;
    {
        // Every favorite gets a snapshot of the same length, so that a check finds no
        // change, as most checks do.
        InternetSession session;
        for (int favorite = 0; favorite < kFavorites; ++favorite) {
            list.insertFavorite(favorite, address(favorite));
            urls.push_back(address(favorite).toStdString());
            DownloadPage(session, address(favorite), SnapshotFileName(address(favorite)));
        }
    }
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    std::array<std::chrono::duration<double>, WayCount> spent {};
    std::array<double, WayCount> processor {};

    auto runWay = [&](int way, int favorite, InternetSession& sharedSession) {
        const auto start = std::chrono::steady_clock::now();
        const double processorStart = threadProcessorSeconds();
        if (way == Plain) {
            // One file rewritten for every page, as the checks rewrite "tempupd.nvd".
            FILE* file = std::fopen("plain.nvd", "wb");
            curl_easy_setopt(curl.get(), CURLOPT_URL, urls[favorite].c_str());
            curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, file);
            if (curl_easy_perform(curl.get()) != CURLE_OK)
                state.SkipWithError("a plain download failed");
            std::fclose(file);
        } else if (way == OneSession) {
            if (CheckPage(sharedSession, list, favorite, address(favorite)))
                state.SkipWithError("a page that did not change was reported changed");
        } else {
            InternetSession session;
            if (CheckPage(session, list, favorite, address(favorite)))
                state.SkipWithError("a page that did not change was reported changed");
            session.Close();
        }
        spent[way] += std::chrono::steady_clock::now() - start;
        processor[way] += threadProcessorSeconds() - processorStart;
    };

    for (auto _ : state) {
        InternetSession sharedSession;
        for (int favorite = 0; favorite < kFavorites; ++favorite) {
            // The order turns too, so that no way always follows the same other one.
            for (int step = 0; step < WayCount; ++step)
                runWay((favorite + step) % WayCount, favorite, sharedSession);
        }
        sharedSession.Close();
    }

    const double pages = static_cast<double>(state.iterations()) * kFavorites;
    auto& result = results[state.range(0)];
    for (int way = 0; way < WayCount; ++way)
        result[way] = { spent[way].count() / pages, processor[way] / pages };
    state.counters["plain_us"] = result[Plain].real * 1e6;
    state.counters["one_session_us"] = result[OneSession].real * 1e6;
    state.counters["session_per_check_us"] = result[SessionPerCheck].real * 1e6;
}

BENCHMARK(BM_CheckThroughput)
    ->Arg(8 * 1024)
    ->Arg(64 * 1024)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    BenchWorkDir workDir;
    BenchServer benchServer;
    server = &benchServer;
    benchmark::RunSpecifiedBenchmarks();

    std::printf("\nCheckPage time over plain libcurl time per page (target at most 1.15):\n");
    for (const auto& [size, perPage] : results) {
        const PerPage& plain = perPage[Plain];
        std::printf("  pages of %lld bytes: plain libcurl %.0f us (processor %.0f us)\n", static_cast<long long>(size),
            plain.real * 1e6, plain.processor * 1e6);
        for (const auto& [way, name] :
            { std::pair { OneSession, "one session" }, std::pair { SessionPerCheck, "session per check" } }) {
            const PerPage& check = perPage[way];
            std::printf("    %-18s %.0f us (processor %.0f us): ratio %.3f (processor %.3f)\n", name, check.real * 1e6,
                check.processor * 1e6, check.real / plain.real, check.processor / plain.processor);
        }
    }
    benchmark::Shutdown();
    return 0;
}
