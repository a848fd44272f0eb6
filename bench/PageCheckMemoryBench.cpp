// Peak resident memory while the page check downloads a 60 MiB page, against the resident
// memory before the check: the page must stream through, never be held whole.
#include "BenchMemory.h"
#include "BenchServer.h"
#include "BenchWorkDir.h"
#include "platform/InternetSession.h"
#include "store/FavoritesList.h"
#include "update/PageCheck.h"

#include <QFile>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

constexpr size_t kPageBytes = size_t(60) * 1024 * 1024;
constexpr double kAllowedGrowthMiB = 8.0;

void writeSnapshot(const QString& fileName)
{
    QFile file(fileName);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write("an older, shorter page\r\n");
}

// range(0): the length of the page's lines; 0 makes the whole page one line.
void BM_CheckLargePage(benchmark::State& state)
{
    BenchWorkDir workDir;
    BenchServer server;
    const auto lineBytes = static_cast<size_t>(state.range(0));
    server.setBigPage(lineBytes ? std::string(lineBytes - 1, 'x') + '\n' : std::string(128, 'x'), kPageBytes);
    server.setBody("a small page\n");

    FavoritesList list;
    const QString address = server.url("/big");
    list.insertFavorite(0, address);
    InternetSession session;
    // One small check first, so that what libcurl sets up once is not counted.
    CheckPage(session, list, 0, server.url("/small"));

    double before = 0;
    double growth = 0;
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        writeSnapshot(SnapshotFileName(address));
        const double rssBefore = StatusMiB("VmRSS");
        if (!ResetPeakMemory())
            state.SkipWithError("cannot reset the peak through /proc/self/clear_refs");
        state.ResumeTiming();

        if (!CheckPage(session, list, 0, address))
            state.SkipWithError("the large page was not stored as a change");

        state.PauseTiming();
        const double iterationPeak = StatusMiB("VmHWM");
        // Keeps the figures of the check that grew the most.
        if (iterationPeak - rssBefore >= growth) {
            growth = iterationPeak - rssBefore;
            before = rssBefore;
            peak = iterationPeak;
        }
        state.ResumeTiming();
    }
    state.counters["rss_before_MiB"] = before;
    state.counters["peak_MiB"] = peak;
    state.counters["growth_MiB"] = growth;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPageBytes));
    std::printf(
        "%s lines: resident before %.1f MiB, peak during the check %.1f MiB, growth %.1f MiB (allowed %.0f): %s\n",
        lineBytes ? (std::to_string(lineBytes) + "-byte").c_str() : "one 60 MiB", before, peak, growth,
        kAllowedGrowthMiB, growth <= kAllowedGrowthMiB ? "within" : "OVER");
}

BENCHMARK(BM_CheckLargePage)->Arg(100)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

BENCHMARK_MAIN();
