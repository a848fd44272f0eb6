// Peak resident memory while a run of checks downloads large pages, against the resident
// memory before the run: every page must stream through its own file, never be held whole.
//   sixteen  sixteen 60 MiB pages at once, two on each of 127.0.0.2 to 127.0.0.9, served by
//            nginx;
//   one      one 60 MiB page from a server inside the benchmark on 127.0.0.1, sent with no
//            length announced, in lines of 100 bytes and then as one line.
// Usage: CheckRunMemoryBench [sixteen] [one] [--repetitions=N]; without a part, both.
#include "BenchMemory.h"
#include "BenchRun.h"
#include "LoopbackServer.h"
#include "NginxServer.h"
#include "store/FavoritesList.h"
#include "check/SnapshotName.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

constexpr qint64 kPageBytes = qint64(60) * 1024 * 1024;
constexpr int kPages = 16;
constexpr int kHosts = 8;

// Checks every row of `list`, after one run of `warmUp` so that what libcurl and Qt set up
// once is not counted, `repetitions` times: every snapshot is older and shorter than its page
// before each run. Prints the figures of each run; true when every run stored every page as a
// change and grew the resident memory by at most `allowedMiB`.
bool measureGrowth(const char* title, FavoritesList& list, FavoritesList& warmUp, int repetitions, double allowedMiB)
{
    CheckAll(warmUp);
    double worstGrowth = -1;
    bool within = true;
    for (int repetition = 0; repetition < repetitions; ++repetition) {
        for (int row = 0; row < list.count(); ++row) {
            WriteFile(SnapshotFileName(list.text(row, FavoritesList::WebSite)), "an older, shorter page\r\n");
            list.setText(row, FavoritesList::Changed, QString());
        }
        const double before = StatusMiB("VmRSS");
        if (!ResetPeakMemory()) {
            std::fprintf(stderr, "cannot reset the peak through /proc/self/clear_refs\n");
            return false;
        }
        // How many downloads are under way at once at the most, seen as the run's temporary
        // files that exist side by side.
        int mostAtOnce = 0;
        const bool whole = CheckAll(list, [&] {
            const auto present = QDir::current().entryList({ "tempupd.nvd.*" }, QDir::Files).size();
            mostAtOnce = std::max(mostAtOnce, static_cast<int>(present));
        });
        const bool allChanged = whole && ChangedRows(list) == list.count();
        const double peak = StatusMiB("VmHWM");
        const double growth = peak - before;
        worstGrowth = std::max(worstGrowth, growth);
        within = within && growth <= allowedMiB && allChanged;
        std::printf("%s, run %d: resident before %.1f MiB, peak %.1f MiB, growth %.1f MiB; %d downloads at once at "
                    "the most; %s\n",
            title, repetition + 1, before, peak, growth, mostAtOnce,
            allChanged ? "every page stored as a change" : "NOT every page stored as a change");
    }
    std::printf(
        "%s: largest growth %.1f MiB, allowed %.0f: %s\n", title, worstGrowth, allowedMiB, within ? "within" : "OVER");
    return within;
}

bool benchSixteen(int repetitions)
{
    const QString root = QDir::current().filePath(QStringLiteral("html"));
    QDir().mkpath(root + QStringLiteral("/big"));
    {
        // One page of 100-byte lines, under sixteen names.
        QFile page(root + QStringLiteral("/big/0.html"));
        if (!page.open(QIODevice::WriteOnly))
            return false;
        const QByteArray line = QByteArray(99, 'x') + '\n';
        QByteArray block;
        for (int index = 0; index < 1024; ++index)
            block += line;
        for (qint64 written = 0; written < kPageBytes; written += block.size())
            page.write(block.constData(), std::min<qint64>(block.size(), kPageBytes - written));
    }
    for (int index = 1; index < kPages; ++index)
        QFile::link(root + QStringLiteral("/big/0.html"), root + QStringLiteral("/big/%1.html").arg(index));
    WriteFile(root + QStringLiteral("/small.html"), "a small page\n");
    QStringList addresses;
    for (int host = 0; host < kHosts; ++host)
        addresses << QStringLiteral("127.0.0.%1").arg(2 + host);
    NginxServer nginx(root, QDir::current().filePath(QStringLiteral("nginx")), addresses);
    if (!nginx.ok()) {
        std::fprintf(stderr, "nginx did not start: %s\n", nginx.errors().toUtf8().constData());
        return false;
    }
    FavoritesList list;
    FavoritesList small;
    for (int index = 0; index < kPages; ++index) {
        list.insertFavorite(index, nginx.url(addresses[index % kHosts], QStringLiteral("/big/%1.html").arg(index)));
        small.insertFavorite(index, nginx.url(addresses[index % kHosts], QStringLiteral("/small.html?%1").arg(index)));
    }
    return measureGrowth("sixteen 60 MiB pages at once", list, small, repetitions, 24.0);
}

bool benchOne(int repetitions)
{
    LoopbackServer server;
    if (!server.ok())
        return false;
    server.setBody("a small page\n");
    bool within = true;
    for (const size_t lineBytes : { size_t(100), size_t(0) }) {
        server.setBigPage(
            lineBytes ? std::string(lineBytes - 1, 'x') + '\n' : std::string(128, 'x'), size_t(kPageBytes));
        FavoritesList list;
        list.insertFavorite(0, server.url(0, "/big"));
        FavoritesList small;
        small.insertFavorite(0, server.url(0, "/small"));
        const std::string title = lineBytes ? "one 60 MiB page of 100-byte lines" : "one 60 MiB page of one line";
        within = measureGrowth(title.c_str(), list, small, repetitions, 8.0) && within;
    }
    return within;
}

} // namespace

int main(int argc, char** argv)
{
    return RunParts(argc, argv, 3, { { "sixteen", benchSixteen }, { "one", benchOne } });
}
