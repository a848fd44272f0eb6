// The history of the pages, measured:
//   run   1,000 favorites whose article pages of 75 KB all changed, from a server inside the
//         benchmark on 127.0.0.1: Update All Now's run of checks, sort and save with the
//         history (until it has written every copy) against the same run without it, by turns;
//   size  1,000 favorites each changed 200 times by one paragraph, half an hour apart, kept in
//         the history as the checks keep them: the file's size, and for the first 20 favorites
//         what the same copies would take stored whole (zlib at three levels) or as
//         uncompressed differences;
//   window a favorite with 500 copies of a 75 KB article, each one paragraph changed: the
//         Changes window from its construction until it is on the (offscreen) screen,
//         picker filled and the copy last looked at compared with the newest; then the oldest
//         copy picked against the newest.
// Usage: HistoryBench [run] [size] [window] [--repetitions=N]; without a part, all three.
#include "BenchMemory.h"
#include "BenchRun.h"
#include "LoopbackServer.h"
#include "app/CChangesDlg.h"
#include "check/SnapshotName.h"
#include "history/HistoryDatabase.h"
#include "history/HistoryRecorder.h"
#include "history/PageDelta.h"
#include "history/StoredCopy.h"
#include "store/FavoritesFile.h"
#include "store/FavoritesList.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
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
constexpr int kWindowCopies = 500;
constexpr double kWindowTargetMs = 200;

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

bool benchWindow(int repetitions)
{
    const QString address = QStringLiteral("http://news.example/article.html");
    // Ten minutes apart: all of them within the days of which every copy is kept.
    const QDateTime start = QDateTime::currentDateTimeUtc().addSecs(-kWindowCopies * 600);
    Article article(7);
    {
        HistoryDatabase history;
        QByteArray previous;
        for (int copy = 0; copy < kWindowCopies; ++copy) {
            HistoryEntry entry { address, { article.page(), start.addSecs(copy * 600) }, std::nullopt, std::nullopt,
                {} };
            if (copy > 0)
                entry.replaced = PageFile { previous, start.addSecs((copy - 1) * 600) };
            history.keep(entry);
            previous = article.page();
            article.change();
        }
        const QList<HistoryCopy> copies = history.copies(address);
        if (copies.size() != kWindowCopies) {
            std::printf(
                "  the history kept %lld copies, not %d\n", static_cast<long long>(copies.size()), kWindowCopies);
            return false;
        }
        // The user last looked a day's worth of copies ago.
        history.setLastLooked(address, copies[144].id);
    }
    std::vector<double> opening;
    std::vector<double> picking;
    bool shown = true;
    for (int repetition = 0; repetition < repetitions; ++repetition) {
        QElapsedTimer timer;
        timer.start();
        auto* changes = new CChangesDlg(address);
        changes->show();
        QCoreApplication::processEvents();
        opening.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        auto* earlier = changes->findChild<QComboBox*>("pickEarlier");
        auto* counts = changes->findChild<QLabel*>("labelCounts");
        // Paragraphs rewritten since the look, each a line of the text.
        shown = shown && earlier && earlier->count() == kWindowCopies && earlier->currentIndex() == 144 && counts
            && counts->text().contains(QLatin1String(" lines added")) && !counts->text().startsWith(u'0');
        if (repetition == 0)
            std::printf("  shown: %s\n", counts ? qPrintable(counts->text()) : "nothing");
        timer.restart();
        earlier->setCurrentIndex(kWindowCopies - 1);
        QCoreApplication::processEvents();
        picking.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        delete changes;
    }
    std::sort(opening.begin(), opening.end());
    std::sort(picking.begin(), picking.end());
    auto median = [](const std::vector<double>& times) { return times[times.size() / 2]; };
    std::printf("Changes window of a favorite with %d copies of a 75 KB article (%d repetitions)\n", kWindowCopies,
        repetitions);
    std::printf("  open, the picker filled and the last look compared: median %.0f ms, slowest %.0f ms; target under "
                "%.0f ms: %s\n",
        median(opening), opening.back(), kWindowTargetMs, opening.back() < kWindowTargetMs ? "met" : "NOT MET");
    std::printf("  the oldest copy picked against the newest: median %.0f ms, slowest %.0f ms\n", median(picking),
        picking.back());
    return shown;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    return RunParts(argc, argv, 5, { { "run", benchRun }, { "size", benchSize }, { "window", benchWindow } });
}
