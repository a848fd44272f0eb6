// The history of the pages, measured:
//   run   1,000 favorites whose article pages of 75 KB all changed, from a server inside the
//         benchmark on 127.0.0.1: Update All Now's run of checks, sort and save with the
//         history (until it has written every copy) against the same run without it, by turns;
//   size  1,000 favorites each changed 200 times by one paragraph, half an hour apart, kept in
//         the history as the checks keep them: the file's size, and for the first 20 favorites
//         what the same copies would take stored whole (zlib at three levels) or as
//         uncompressed differences.
// Usage: HistoryBench [run] [size] [--repetitions=N]; without a part, both.
#include "BenchMemory.h"
#include "BenchRun.h"
#include "LoopbackServer.h"
#include "store/FavoritesFile.h"
#include "store/FavoritesList.h"
#include "history/HistoryDatabase.h"
#include "history/HistoryRecorder.h"
#include "history/PageDelta.h"
#include "history/StoredCopy.h"
#include "check/SnapshotName.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cstdio>
#include <vector>

namespace {

constexpr int kFavorites = 1000;
constexpr int kChanges = 200;
constexpr qsizetype kArticleBytes = 75 * 1024;
constexpr double kRunTarget = 1.15;
constexpr double kSizeTargetMiB = 64;

const char* const kWords[] = { "council", "river", "the", "market", "of", "new", "said", "bridge", "and", "school",
    "week", "a", "plans", "road", "mayor", "in", "budget", "to", "residents", "station", "harbour", "would", "for",
    "years", "figures", "vote", "members", "asked", "review", "committee", "Tuesday", "longer", "coming", "year",
    "before", "with", "their", "city", "project", "million", "people", "public", "said", "spokesman", "local", "police",
    "houses", "traffic", "summer", "parents" };

QByteArray paragraph(QRandomGenerator& random)
{
    QByteArray text = "  <p>";
    while (text.size() < 300) {
        text += kWords[random.bounded(static_cast<int>(std::size(kWords)))];
        text += random.bounded(9) == 0 ? ". " : " ";
    }
    return text + "</p>\n";
}

// An article of 75 KB: the markup of a news page around paragraphs of prose, a different one
// for every draw of it.
struct Article {
    explicit Article(quint32 draw)
        : random(draw)
    {
        const std::string page = ArticlePage(kArticleBytes);
        const size_t story = page.find("<div class=\"story\">") + 20;
        head = QByteArray::fromStdString(page.substr(0, story));
        tail = QByteArray::fromStdString(page.substr(page.find("</div></article>")));
        for (qsizetype bytes = head.size() + tail.size(); bytes < kArticleBytes;) {
            paragraphs.append(paragraph(random));
            bytes += paragraphs.last().size();
        }
    }
    // The next version: one paragraph rewritten, to a length of its own so that a check by
    // the page's length finds the change.
    void change()
    {
        QByteArray& changed = paragraphs[random.bounded(static_cast<int>(paragraphs.size()))];
        const qsizetype before = changed.size();
        do
            changed = paragraph(random);
        while (changed.size() == before);
    }
    QByteArray page() const { return head + paragraphs.join() + tail; }

    QRandomGenerator random;
    QByteArray head;
    QByteArray tail;
    QList<QByteArray> paragraphs;
};

double fileMiB(const QString& name)
{
    return static_cast<double>(QFileInfo(name).size()) / (1024.0 * 1024.0);
}

bool benchRun(int repetitions)
{
    LoopbackServer server;
    if (!server.ok())
        return false;
    Article article(1);
    server.setBody(article.page().toStdString());
    FavoritesList list;
    for (int favorite = 0; favorite < kFavorites; ++favorite) {
        const QString address = server.url(0, "/news/" + std::to_string(favorite) + ".html");
        list.insertFavorite(list.count(), address);
        WriteFile(SnapshotFileName(address), AsSnapshot(article.page().toStdString()));
    }
    SortFavorites(list);
    HistoryRecorder history;
    // The peak resident memory of each run above the resident memory before it.
    std::vector<double> peaks[2];
    // Every run finds every page changed by a paragraph, and the history writes all it got.
    auto changedRun = [&](HistoryRecorder* recorder) {
        const double residentBefore = StatusMiB("VmRSS");
        ResetPeakMemory();
        article.change();
        server.setBody(article.page().toStdString());
        for (int row = 0; row < list.count(); ++row)
            list.setText(row, FavoritesList::Changed, QString());
        const bool whole = CheckAll(list, {}, 10, nullptr, nullptr, nullptr, recorder);
        SortFavorites(list);
        SaveFavorites(list);
        const bool written = !recorder || recorder->waitUntilWritten(600'000);
        peaks[recorder ? 0 : 1].push_back(StatusMiB("VmHWM") - residentBefore);
        return whole && written && ChangedRows(list) == kFavorites && (!recorder || recorder->isAvailable());
    };
    const double ratio = CompareByTurns("1,000 changed article pages of 75 KB on 127.0.0.1",
        { { "with the history, until written", [&] { return changedRun(&history); } },
            { "without the history", [&] { return changedRun(nullptr); } } },
        repetitions, true);
    std::printf("  with / without, target at most %.2f: %s\n", kRunTarget,
        ratio > 0 && ratio <= kRunTarget ? "met" : "NOT MET");
    for (const int way : { 0, 1 }) {
        std::printf("  peak memory above the resident memory before the run, %s:", way ? "without" : "with");
        for (const double peak : peaks[way])
            std::printf(" %.0f", peak);
        std::printf(" MiB\n");
    }
    std::printf("  nelvox.history after the runs: %.1f MiB\n", fileMiB(kHistoryFileName));
    return ratio > 0;
}

bool benchSize(int)
{
    const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-5);
    qint64 whole[3] = {}; // zlib levels 1, 6, 9 over every copy of the first favorites
    qint64 differences = 0;
    qint64 stored = 0;
    QElapsedTimer timer;
    timer.start();
    double keptMs = 0;
    {
        HistoryDatabase history;
        for (int favorite = 0; favorite < kFavorites; ++favorite) {
            Article article(static_cast<quint32>(favorite) + 100);
            const QString address = QStringLiteral("http://news.example/%1.html").arg(favorite);
            QByteArray previous;
            for (int change = 0; change <= kChanges; ++change) {
                const QByteArray page = article.page();
                HistoryEntry entry { address, { page, start.addSecs(change * 1800) }, std::nullopt, std::nullopt, {} };
                if (change > 0)
                    entry.replaced = PageFile { previous, start.addSecs((change - 1) * 1800) };
                QElapsedTimer one;
                one.start();
                history.keep(entry);
                keptMs += static_cast<double>(one.nsecsElapsed()) / 1e6;
                if (favorite < 20) {
                    int at = 0;
                    for (const int level : { 1, 6, 9 })
                        whole[at++] += qCompress(page, level).size();
                    if (change > 0) {
                        differences += MakeDelta(previous, page).size();
                        stored += StoreDifference(previous, page).size();
                    } else {
                        differences += page.size();
                        stored += StoreWhole(page).size();
                    }
                }
                previous = page;
                article.change();
            }
            if (favorite % 100 == 99)
                std::printf("  %d favorites, %.0f s\n", favorite + 1, static_cast<double>(timer.elapsed()) / 1e3);
        }
        const qsizetype copies = history.copies(QStringLiteral("http://news.example/0.html")).size();
        std::printf("  copies kept of one favorite: %lld\n", static_cast<long long>(copies));
    }
    const double mib = fileMiB(kHistoryFileName) + fileMiB(QStringLiteral("nelvox.history-wal"));
    const double perCopy = mib * 1024 * 1024 / (kFavorites * (kChanges + 1.0));
    std::printf("1,000 favorites, 201 copies each (75 KB articles, one paragraph changed each time)\n");
    std::printf("  nelvox.history: %.1f MiB, %.0f bytes a copy; target at most %.0f MiB: %s\n", mib, perCopy,
        kSizeTargetMiB, mib <= kSizeTargetMiB ? "met" : "NOT MET");
    std::printf("  keeping one copy: %.2f ms on average\n", keptMs / (kFavorites * (kChanges + 1.0)));
    const double copies20 = 20.0 * (kChanges + 1);
    std::printf("  the first 20 favorites' copies, bytes a copy: whole with zlib level 1 %.0f, level 6 %.0f, level 9 "
                "%.0f; differences uncompressed %.0f; as stored (first whole, then differences, zlib 6) %.0f\n",
        static_cast<double>(whole[0]) / copies20, static_cast<double>(whole[1]) / copies20,
        static_cast<double>(whole[2]) / copies20, static_cast<double>(differences) / copies20,
        static_cast<double>(stored) / copies20);
    return mib <= kSizeTargetMiB;
}

} // namespace

int main(int argc, char** argv)
{
    return RunParts(argc, argv, 5, { { "run", benchRun }, { "size", benchSize } });
}
