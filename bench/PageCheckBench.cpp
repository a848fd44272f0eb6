// Throughput of the page check on 1,000 favorites served from 127.0.0.1, against plain
// libcurl downloads of the same pages into a file with one reused handle. Prints the ratio
// of the medians for one session for all checks (the timer) and one session per check
// (Update All Now). Repetitions of the three run interleaved, so that a busy machine
// slows them alike.
#include "BenchServer.h"
#include "BenchWorkDir.h"
#include "platform/InternetSession.h"
#include "store/FavoritesList.h"
#include "update/PageCheck.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <cstdio>
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

// Serves pages of the benchmark's size and, for the checks, gives every favorite a
// snapshot of the same length so that a check finds no change, as most checks do.
void preparePages(benchmark::State& state, FavoritesList* list)
{
    server->setBody(pageBody(static_cast<size_t>(state.range(0))));
    if (!list)
        return;
    InternetSession session;
    for (int favorite = 0; favorite < kFavorites; ++favorite) {
        list->insertFavorite(favorite, address(favorite));
        DownloadPage(session, address(favorite), SnapshotFileName(address(favorite)));
    }
}

void BM_PlainLibcurl(benchmark::State& state)
{
    preparePages(state, nullptr);
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    std::vector<std::string> urls;
    for (int favorite = 0; favorite < kFavorites; ++favorite)
        urls.push_back(address(favorite).toStdString());
    for (auto _ : state) {
        for (int favorite = 0; favorite < kFavorites; ++favorite) {
            // One file rewritten for every page, as the checks rewrite "tempupd.nvd".
            FILE* file = std::fopen("plain.nvd", "wb");
            curl_easy_setopt(curl.get(), CURLOPT_URL, urls[favorite].c_str());
            curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, file);
            if (curl_easy_perform(curl.get()) != CURLE_OK)
                state.SkipWithError("a plain download failed");
            std::fclose(file);
        }
    }
}

void BM_CheckPageOneSession(benchmark::State& state)
{
    FavoritesList list;
    preparePages(state, &list);
    for (auto _ : state) {
        InternetSession session;
        for (int favorite = 0; favorite < kFavorites; ++favorite) {
            if (CheckPage(session, list, favorite, address(favorite)))
                state.SkipWithError("a page that did not change was reported changed");
        }
        session.Close();
    }
}

void BM_CheckPageSessionPerCheck(benchmark::State& state)
{
    FavoritesList list;
    preparePages(state, &list);
    for (auto _ : state) {
        for (int favorite = 0; favorite < kFavorites; ++favorite) {
            InternetSession session;
            if (CheckPage(session, list, favorite, address(favorite)))
                state.SkipWithError("a page that did not change was reported changed");
            session.Close();
        }
    }
}

void configure(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Arg(8 * 1024)->Arg(64 * 1024)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(9);
}

BENCHMARK(BM_PlainLibcurl)->Apply(configure);
BENCHMARK(BM_CheckPageOneSession)->Apply(configure);
BENCHMARK(BM_CheckPageSessionPerCheck)->Apply(configure);

// Keeps the median real time of every benchmark, by name and page size.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                medians[{ run.run_name.function_name, run.run_name.args }]
                    = { run.GetAdjustedRealTime(), run.GetAdjustedCPUTime() };
        }
    }

    // Real time and the benchmark thread's processor time.
    std::map<std::pair<std::string, std::string>, std::pair<double, double>> medians;
};

} // namespace

int main(int argc, char** argv)
{
    std::vector<char*> arguments(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    arguments.insert(arguments.begin() + 1, interleave);
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    BenchWorkDir workDir;
    BenchServer benchServer;
    server = &benchServer;
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    // Processor time leaves out the server's threads and the waits, so it shows what the
    // checks themselves cost even when other work slows the machine.
    std::printf("\nCheckPage time over plain libcurl time (medians; real time target at most 1.15):\n");
    for (const char* size : { "8192", "65536" }) {
        const auto plain = reporter.medians.find({ "BM_PlainLibcurl", size });
        if (plain == reporter.medians.end())
            continue;
        for (const char* check : { "BM_CheckPageOneSession", "BM_CheckPageSessionPerCheck" }) {
            const auto checked = reporter.medians.find({ check, size });
            if (checked != reporter.medians.end())
                std::printf("  %-28s pages of %6s bytes: real time %.3f, processor time %.3f\n", check, size,
                    checked->second.first / plain->second.first, checked->second.second / plain->second.second);
        }
    }
    benchmark::Shutdown();
    return 0;
}
