// Nelvox itself, killed with SIGKILL again and again while it saves its favorites: the
// favorites file must be whole after every kill. The hourly tick saves the file; under
// libfaketime's sped-up clock a tick comes ten times a second, so the test can kill the
// program in the middle of its saves as well as at random moments.
#include "store/FavoritesFile.h"
#include "support/ProxyEnvironment.h"
#include "support/TempWorkDir.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <gtest/gtest.h>

#include <iostream>

namespace {

constexpr int kRuns = 50;

// 1024 favorites, sorted, in the form the program saves them, so that every save writes
// exactly these bytes. The letter "X" is no frequency: no row is ever due, and each tick
// only saves.
QByteArray favoritesFile()
{
    QByteArray text = "1024\r\n";
    for (int i = 0; i < 1024; ++i) {
        text += "http://127.0.0.1:9/page/" + QByteArray::number(i).rightJustified(4, '0') + "/"
            + QByteArray(3000, 'a' + i % 26) + " XNever " + (i % 3 == 0 ? "YES" : "") + "\r\n";
    }
    return text;
}

// Whether the process has a file open in `directory` for writing the favorites: QSaveFile
// writes a new file next to the old one (named, or unnamed but in that directory).
bool isSaving(qint64 pid, const QString& directory)
{
    const QDir descriptors(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QFileInfo& descriptor :
        descriptors.entryInfoList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot)) {
        const QString target = descriptor.symLinkTarget();
        if (target.startsWith(directory + '/') && !target.endsWith(QLatin1String("/nelvox.lock"))
            && target != directory + QStringLiteral("/") + kFavoritesFileName)
            return true;
    }
    return false;
}

class KillDuringSave : public InTempDir { };

TEST_F(KillDuringSave, TheFavoritesFileStaysWholeAfterEveryKill)
{
    ASSERT_TRUE(QFileInfo(NELVOX_FAKETIME_LIBRARY).isFile())
        << "libfaketime is missing (" << NELVOX_FAKETIME_LIBRARY << "): scripts/setup.sh --tests installs it";
    const QByteArray canonical = favoritesFile();
    WriteAll(kFavoritesFileName, canonical);
    const QString directory = QDir::current().canonicalPath();

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    RemoveProxyVariables(environment);
    for (const char* name : { "DISPLAY", "WAYLAND_DISPLAY" })
        environment.remove(QString::fromLatin1(name));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("TZ", "UTC");
    environment.insert("LD_PRELOAD", NELVOX_FAKETIME_LIBRARY);
    environment.insert("FAKETIME", "+0 x36000"); // from now on, an hour every 0.1 s
    environment.insert("NO_FAKE_STAT", "1"); // real file times, or fontconfig rebuilds its caches
    // A sanitizer build must accept libfaketime loaded ahead of its runtime.
    environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");

    QRandomGenerator random(4711);
    int killedWhileSaving = 0;
    for (int run = 0; run < kRuns; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        QProcess nelvox;
        nelvox.setProcessEnvironment(environment);
        nelvox.setWorkingDirectory(directory);
        nelvox.setStandardOutputFile(QProcess::nullDevice());
        nelvox.setStandardErrorFile(QProcess::nullDevice());
        nelvox.start(NELVOX_EXECUTABLE, {});
        ASSERT_TRUE(nelvox.waitForStarted(10000)) << nelvox.errorString().toStdString();

        if (run % 2 == 0) {
            // Kill the moment a save is under way.
            const QDeadlineTimer deadline(30000);
            bool saving = false;
            while (!deadline.hasExpired() && nelvox.state() == QProcess::Running
                && !(saving = isSaving(nelvox.processId(), directory)))
                QThread::usleep(200);
            ASSERT_TRUE(saving) << "no save began within 30 s";
            nelvox.kill();
            ++killedWhileSaving;
        } else {
            // Kill at a random moment, from its start-up to several ticks later.
            const int delayMs = random.bounded(20, 1500);
            ASSERT_FALSE(nelvox.waitForFinished(delayMs)) << "Nelvox ended by itself, exit " << nelvox.exitCode();
            nelvox.kill();
        }
        ASSERT_TRUE(nelvox.waitForFinished(10000));

        const QByteArray file = ReadAll(kFavoritesFileName);
        ASSERT_TRUE(file == canonical) << "the favorites file is damaged: " << file.size() << " bytes of "
                                       << canonical.size() << ", count line " << ParseCount(file.left(10));
    }
    std::cout << "Nelvox was killed " << kRuns << " times, " << killedWhileSaving
              << " of them while saving; the favorites file stayed whole." << std::endl;
    const QStringList leftovers = QDir().entryList(QDir::Files | QDir::Hidden);
    std::cout << "Files left in the data directory: " << leftovers.join(' ').toStdString() << std::endl;
}

} // namespace
