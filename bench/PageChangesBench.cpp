// The Changes window's work on a large page: two copies of a 1 MiB page of 20,000 lines with
// 100 lines changed, the readable text of both extracted and compared. Target: 200 ms.
#include "BenchWorkDir.h"
#include "check/PageChanges.h"
#include "check/SnapshotName.h"
#include "check/SnapshotReplace.h"

#include <QFile>

#include <benchmark/benchmark.h>

namespace {

const QString kAddress = QStringLiteral("http://127.0.0.1/big.html");

// Line `i` of the page: a paragraph, a list item or a table row, about 52 bytes each.
QByteArray pageLine(int i, bool changed)
{
    const QByteArray number = QByteArray::number(i).rightJustified(5, '0');
    const QByteArray text = changed ? "Revised entry " + number : "Entry number " + number;
    switch (i % 3) {
    case 0:
        return "<p>" + text + " with some words of text.</p>\r\n";
    case 1:
        return "<li><a href=\"/i/" + number + "\">" + text + "</a></li>\r\n";
    default:
        return "<tr><td>" + text + "</td><td>42 &euro;</td></tr>\r\n";
    }
}

void writePage(const QString& fileName, bool changed)
{
    QByteArray page = "<!DOCTYPE html><html><head><meta charset=utf-8><title>Big</title></head><body>\r\n";
    for (int i = 0; i < 20000; ++i)
        page += pageLine(i, changed && i % 200 == 7);
    page += "</body></html>\r\n";
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(page) != page.size())
        std::abort();
}

void BM_ChangesOfALargePage(benchmark::State& state)
{
    BenchWorkDir dir;
    const QString snapshot = SnapshotFileName(kAddress);
    writePage(PreviousCopyName(snapshot), false);
    writePage(snapshot, true);
    state.counters["bytes"] = static_cast<double>(QFile(snapshot).size());
    for (auto _ : state) {
        PageChanges changes(kAddress);
        if (changes.state() != PageChanges::State::TextChanged || changes.textDiff()->added() != 100
            || changes.textDiff()->removed() != 100)
            state.SkipWithError("the page's changes were not found");
        benchmark::DoNotOptimize(changes);
    }
}
BENCHMARK(BM_ChangesOfALargePage)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Repetitions(9)
    ->ReportAggregatesOnly();

} // namespace
