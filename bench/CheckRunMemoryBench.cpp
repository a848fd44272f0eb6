// Peak resident memory while one run checks sixteen 60 MiB pages at once (two on each of
// 127.0.0.2 to 127.0.0.9, served by nginx), against the resident memory before the run:
// every page must stream through its own file, never be held whole.
// Usage: CheckRunMemoryBench [--repetitions=N]
#include "BenchMemory.h"
#include "BenchWorkDir.h"
#include "NginxServer.h"
#include "store/FavoritesList.h"
#include "update/CheckRun.h"
#include "update/SnapshotName.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

constexpr qint64 kPageBytes = qint64(60) * 1024 * 1024;
constexpr int kPages = 16;
constexpr int kHosts = 8;
constexpr double kAllowedGrowthMiB = 24.0;

bool writeFile(const QString& name, const QByteArray& bytes)
{
    QFile file(name);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Checks every row; returns how many downloads were under way at once at the most, seen
// as the run's temporary files that exist side by side.
int checkAll(FavoritesList& list, bool* allChanged)
{
    CheckRun run(list);
    for (int row = 0; row < list.count(); ++row)
        run.addCheck(row);
    int mostAtOnce = 0;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        const int present = static_cast<int>(QDir::current().entryList({ "tempupd.nvd.*" }, QDir::Files).size());
        mostAtOnce = std::max(mostAtOnce, present);
    });
    look.start(10);
    QEventLoop loop;
    QObject::connect(&run, &CheckRun::finished, &loop, &QEventLoop::quit);
    run.start();
    if (!run.isFinished())
        loop.exec();
    *allChanged = run.done() == list.count() && run.anyChanged();
    for (int row = 0; row < list.count(); ++row)
        *allChanged = *allChanged && list.text(row, FavoritesList::Changed) == QLatin1String("YES");
    return mostAtOnce;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    int repetitions = 3;
    for (const QString& argument : application.arguments().mid(1)) {
        if (argument.startsWith(QLatin1String("--repetitions=")))
            repetitions = std::max(1, argument.section('=', 1).toInt());
    }
    BenchWorkDir workDir;
    const QString root = QDir::current().filePath(QStringLiteral("html"));
    QDir().mkpath(root + QStringLiteral("/big"));
    {
        // One page of 100-byte lines, under sixteen names.
        QFile page(root + QStringLiteral("/big/0.html"));
        if (!page.open(QIODevice::WriteOnly))
            return 1;
        const QByteArray line = QByteArray(99, 'x') + '\n';
        QByteArray block;
        for (int index = 0; index < 1024; ++index)
            block += line;
        for (qint64 written = 0; written < kPageBytes; written += block.size())
            page.write(block.constData(), std::min<qint64>(block.size(), kPageBytes - written));
    }
    for (int index = 1; index < kPages; ++index)
        QFile::link(root + QStringLiteral("/big/0.html"), root + QStringLiteral("/big/%1.html").arg(index));
    QStringList addresses;
    for (int host = 0; host < kHosts; ++host)
        addresses << QStringLiteral("127.0.0.%1").arg(2 + host);
    NginxServer nginx(root, QDir::current().filePath(QStringLiteral("nginx")), addresses);
    if (!nginx.ok()) {
        std::fprintf(stderr, "nginx did not start: %s\n", nginx.errors().toUtf8().constData());
        return 1;
    }

    FavoritesList list;
    for (int index = 0; index < kPages; ++index)
        list.insertFavorite(index, nginx.url(addresses[index % kHosts], QStringLiteral("/big/%1.html").arg(index)));
    // One run of small pages first, so that what libcurl and Qt set up once is not counted.
    {
        FavoritesList small;
        writeFile(root + QStringLiteral("/small.html"), "a small page\n");
        for (int index = 0; index < kPages; ++index)
            small.insertFavorite(
                index, nginx.url(addresses[index % kHosts], QStringLiteral("/small.html?%1").arg(index)));
        bool changed = false;
        checkAll(small, &changed);
    }

    double worstGrowth = -1;
    bool within = true;
    for (int repetition = 0; repetition < repetitions; ++repetition) {
        for (int row = 0; row < list.count(); ++row) {
            writeFile(SnapshotFileName(list.text(row, FavoritesList::WebSite)), "an older, shorter page\r\n");
            list.setText(row, FavoritesList::Changed, QString());
        }
        const double before = StatusMiB("VmRSS");
        if (!ResetPeakMemory()) {
            std::fprintf(stderr, "cannot reset the peak through /proc/self/clear_refs\n");
            return 1;
        }
        bool allChanged = false;
        const int mostAtOnce = checkAll(list, &allChanged);
        const double peak = StatusMiB("VmHWM");
        const double growth = peak - before;
        worstGrowth = std::max(worstGrowth, growth);
        within = within && growth <= kAllowedGrowthMiB && allChanged;
        std::printf("run %d: resident before %.1f MiB, peak %.1f MiB, growth %.1f MiB; %d downloads at once at the "
                    "most; %s\n",
            repetition + 1, before, peak, growth, mostAtOnce,
            allChanged ? "every page stored as a change" : "NOT every page stored as a change");
    }
    std::printf("sixteen 60 MiB pages at once: largest growth %.1f MiB, allowed %.0f: %s\n", worstGrowth,
        kAllowedGrowthMiB, within ? "within" : "OVER");
    return within ? 0 : 1;
}
