// What keeping the previous copy costs a changed page: 1,000 changes, each a fresh 20 KB
// download written to a file of its own and put in place of its favorite's snapshot, as a run
// of checks does. Three ways: a plain rename (a change as it was before previous copies were
// kept), the swap of names, and the hard link first where names cannot be swapped. Run with
// --benchmark_enable_random_interleaving=true so that the ways take turns.
#include "BenchWorkDir.h"
#include "platform/Files.h"
#include "check/SnapshotReplace.h"

#include <QFile>

#include <benchmark/benchmark.h>

namespace {

constexpr int kFavorites = 1000;
const QByteArray kPage(20 * 1024, 'x');

QString snapshotName(int favorite)
{
    return QStringLiteral("nv.example.org!page%1.html.NVD").arg(favorite);
}

void writeDownload(const QString& name, int length)
{
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(kPage.left(length)) != length)
        throw std::runtime_error("cannot write the download");
}

enum Way { PlainRename, Swap, LinkFirst };

void BM_ThousandChanges(benchmark::State& state)
{
    const Way way = static_cast<Way>(state.range(0));
    BenchWorkDir dir;
    for (int favorite = 0; favorite < kFavorites; ++favorite) {
        writeDownload(snapshotName(favorite), kPage.size());
        // Each favorite has a previous copy already, as after its first change.
        writeDownload(PreviousCopyName(snapshotName(favorite)), kPage.size());
    }
    int round = 0;
    for (auto _ : state) {
        ++round;
        for (int favorite = 0; favorite < kFavorites; ++favorite) {
            const QString download = QStringLiteral("tempupd.nvd.%1").arg(favorite);
            writeDownload(download, kPage.size() - round % 2);
            switch (way) {
            case PlainRename:
                RenameFile(download, snapshotName(favorite));
                break;
            case Swap:
                ReplaceSnapshot(download, snapshotName(favorite), {}, ReplaceWay::SwapWhenPossible);
                break;
            case LinkFirst:
                ReplaceSnapshot(download, snapshotName(favorite), {}, ReplaceWay::LinkFirst);
                break;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kFavorites);
}
BENCHMARK(BM_ThousandChanges)
    ->ArgName("way")
    ->Arg(PlainRename)
    ->Arg(Swap)
    ->Arg(LinkFirst)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();

} // namespace
