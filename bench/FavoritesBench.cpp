// Load, sort and save of 1,024 favorites whose file lists them in reverse order; load and save
// of what the checks found for 10,000 favorites.
#include "BenchWorkDir.h"
#include "store/FavoriteStates.h"
#include "store/FavoritesFile.h"
#include "store/FavoritesList.h"

#include <QFile>

#include <benchmark/benchmark.h>

namespace {

constexpr int kRows = 1024;

QByteArray reverseOrderFile()
{
    QByteArray text = QByteArray::number(kRows) + "\r\n";
    for (int i = kRows - 1; i >= 0; --i)
        text += "http://www.example.com/pages/" + QByteArray::number(100000 + i) + "/index.html D12/06/26 02:35 AM "
            + (i % 3 ? "" : "YES") + "\r\n";
    return text;
}

// A working directory holding the favorites file.
class FavoritesDir {
public:
    FavoritesDir()
    {
        QFile file(QString::fromLatin1(kFavoritesFileName));
        if (file.open(QIODevice::WriteOnly))
            file.write(reverseOrderFile());
    }

private:
    BenchWorkDir m_dir;
};

void BM_LoadFavorites(benchmark::State& state)
{
    FavoritesDir dir;
    for (auto _ : state) {
        FavoritesList list;
        benchmark::DoNotOptimize(LoadFavorites(list));
        if (list.count() != kRows)
            state.SkipWithError("the load lost rows");
    }
}
BENCHMARK(BM_LoadFavorites)->Unit(benchmark::kMillisecond);

void BM_SortFavorites(benchmark::State& state)
{
    FavoritesDir dir;
    FavoritesList loaded;
    LoadFavorites(loaded);
    for (auto _ : state) {
        state.PauseTiming();
        FavoritesList list;
        for (int i = 0; i < kRows; ++i) {
            list.insertFavorite(i, loaded.text(i, FavoritesList::WebSite));
            for (int column = FavoritesList::Updates; column < FavoritesList::ColumnCount; ++column)
                list.setText(i, column, loaded.text(i, column));
        }
        state.ResumeTiming();
        SortFavorites(list);
    }
}
BENCHMARK(BM_SortFavorites)->Unit(benchmark::kMillisecond);

void BM_SaveFavorites(benchmark::State& state)
{
    FavoritesDir dir;
    FavoritesList list;
    LoadFavorites(list);
    SortFavorites(list);
    for (auto _ : state)
        SaveFavorites(list);
}
BENCHMARK(BM_SaveFavorites)->Unit(benchmark::kMillisecond);

// Writes what the checks found for 10,000 favorites, every field set, and fills their list.
constexpr int kStates = 10'000;
void writeStates(FavoritesList& list)
{
    FavoriteStates states;
    const QDateTime time(QDate(2026, 12, 7), QTime(17, 0), Qt::UTC);
    for (int i = 0; i < kStates; ++i) {
        const QString address = QStringLiteral("http://www.example.com/pages/%1/index.html").arg(100000 + i);
        list.insertFavorite(i, address);
        FavoriteState& found = states.at(address);
        found.checked = found.failingSince = found.fetched = time;
        found.outcome = FavoriteState::Outcome::Failed;
        found.failure = QStringLiteral("HTTP 503 Service Unavailable");
        found.failuresInARow = 3;
        found.etag = "\"5f3a9c-2e41\"";
        found.lastModified = "Mon, 07 Dec 2026 10:00:00 GMT";
    }
    states.save(list);
}

void BM_LoadStates(benchmark::State& state)
{
    BenchWorkDir dir;
    FavoritesList list;
    writeStates(list);
    for (auto _ : state) {
        FavoriteStates states;
        states.load();
        if (states.failingCount(list) != kStates)
            state.SkipWithError("the load lost states");
    }
}
BENCHMARK(BM_LoadStates)->Unit(benchmark::kMillisecond);

void BM_SaveStates(benchmark::State& state)
{
    BenchWorkDir dir;
    FavoritesList list;
    writeStates(list);
    FavoriteStates states;
    states.load();
    for (auto _ : state)
        states.save(list);
}
BENCHMARK(BM_SaveStates)->Unit(benchmark::kMillisecond);

} // namespace
