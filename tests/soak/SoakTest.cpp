// A simulated week of Nelvox: the real program on Xvfb under libfaketime's sped-up clock,
// one hourly tick about every 0.75 s, against a loopback server whose pages change length
// at random. Change prompts are answered with xdotool as a user would. Afterwards every
// snapshot, every row and the favorites file must agree with what the server served, and
// the program must hold no more memory or file descriptors than after its first ticks.
#include "platform/Clock.h"
#include "store/FavoritesFile.h"
#include "store/FavoritesList.h"
#include "support/ServerThread.h"
#include "support/TempWorkDir.h"
#include "update/SnapshotName.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <httplib.h>

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <limits>
#include <map>
#include <mutex>
#include <thread>

namespace {

// One simulated hour takes 3600 / kSpeedUp real seconds.
constexpr int kSpeedUp = 4800;
constexpr int kDefaultDays = 7;
const char* const kStart = "2026-12-01 00:00:00"; // a Tuesday: Friday the 4th, 1st of the month

// A page of `lines` lines of 40 bytes; its stored length, 41 bytes a line, tells every
// page apart, so a snapshot of the same length is the same page.
QByteArray pageOfLines(int lines, int path)
{
    QByteArray page;
    for (int i = 0; i < lines; ++i)
        page += QByteArray("page %1 line %2")
                    .replace("%1", QByteArray::number(path))
                    .replace("%2", QByteArray::number(i))
                    .leftJustified(39, '.')
            + '\n';
    return page;
}

QByteArray stored(const QByteArray& page)
{
    return QByteArray(page).replace("\n", "\r\n");
}

// Pages that keep or change their length at random on every request; remembers what it
// served. While frozen, every page stays as it was last served.
class ChangingPages {
public:
    explicit ChangingPages(int pages)
    {
        for (int path = 0; path < pages; ++path)
            m_lines[path] = 10 + path;
        m_server.set_keep_alive_max_count(1);
        m_server.set_tcp_nodelay(true);
        m_server.Get(R"(/page/(\d+))", [this](const httplib::Request& request, httplib::Response& response) {
            const int path = std::stoi(request.matches[1].str());
            std::lock_guard lock(m_mutex);
            if (!m_frozen && m_random.bounded(2) == 0)
                m_lines[path] = m_random.bounded(0, 400);
            const QByteArray page = pageOfLines(m_lines[path], path);
            m_served[path].insert(stored(page));
            ++m_requests[path];
            // Not labelled as text, so that the server library sends the page as it is.
            response.set_content(page.toStdString(), "application/octet-stream");
        });
        m_running = std::make_unique<ServerThread>(m_server);
    }

    QString url(int path) const
    {
        return QStringLiteral("http://127.0.0.1:%1/page/%2").arg(m_running->port()).arg(path);
    }
    QByteArray current(int path)
    {
        std::lock_guard lock(m_mutex);
        return stored(pageOfLines(m_lines[path], path));
    }
    bool wasServed(int path, const QByteArray& storedPage)
    {
        std::lock_guard lock(m_mutex);
        return m_served[path].contains(storedPage);
    }
    int requests(int path)
    {
        std::lock_guard lock(m_mutex);
        return m_requests[path];
    }
    void freeze()
    {
        std::lock_guard lock(m_mutex);
        m_frozen = true;
    }

private:
    httplib::Server m_server;
    std::mutex m_mutex;
    QRandomGenerator m_random { 1207 };
    bool m_frozen = false;
    std::map<int, int> m_lines;
    std::map<int, QSet<QByteArray>> m_served;
    std::map<int, int> m_requests;
    // Last, so that the server stops before the rest goes.
    std::unique_ptr<ServerThread> m_running;
};

QString run(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(10000))
        process.kill();
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// Resident memory in KiB and open file descriptors of a process.
qint64 residentKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

int openDescriptors(qint64 pid)
{
    return static_cast<int>(QDir(QStringLiteral("/proc/%1/fd").arg(pid))
                                .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot)
                                .size());
}

// The least memory (KiB) and fewest descriptors seen over two ticks: a tick's downloads and
// files come and go, what stays between ticks is the program's lasting use.
std::pair<qint64, int> lastingUse(qint64 pid, const std::function<void()>& meanwhile)
{
    qint64 memory = std::numeric_limits<qint64>::max();
    int descriptors = std::numeric_limits<int>::max();
    const QDeadlineTimer deadline(2 * 3600 * 1000 / kSpeedUp);
    while (!deadline.hasExpired()) {
        memory = std::min(memory, residentKiB(pid));
        descriptors = std::min(descriptors, openDescriptors(pid));
        meanwhile();
        QThread::msleep(5);
    }
    return { memory, descriptors };
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs, const std::function<void()>& meanwhile = {})
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        if (meanwhile)
            meanwhile();
        QThread::msleep(20);
    }
    return true;
}

class Soak : public InTempDir {
protected:
    void TearDown() override
    {
        for (QProcess* process : { &m_nelvox, &m_xvfb }) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(5000);
            }
        }
    }

    bool startDisplay()
    {
        // No reset when the last client leaves, so the probe below cannot leave it resetting.
        m_xvfb.start("Xvfb", { "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset" });
        QString number;
        if (!waitUntil(
                [&] {
                    m_xvfb.waitForReadyRead(50);
                    number += QString::fromLatin1(m_xvfb.readAllStandardOutput());
                    return number.contains('\n');
                },
                15000))
            return false;
        m_x11 = QProcessEnvironment::systemEnvironment();
        m_x11.insert("DISPLAY", ":" + number.trimmed());
        m_x11.remove("WAYLAND_DISPLAY");
        m_x11.insert("XDG_RUNTIME_DIR", m_runtimeDir.path());
        // Under a full test run, Nelvox started right after the number came was once refused
        // by the new server: go on only once a client gets in.
        return waitUntil(
            [&] { return !run("xdotool", { "getdisplaygeometry" }, m_x11).trimmed().isEmpty(); }, 15000);
    }

    // Answers every change prompt that is up. The prompt's caption is "Nelvox"; the main
    // window's is "Nelvox v1.0".
    void answerPrompts()
    {
        const QStringList prompts = run("xdotool", { "search", "--onlyvisible", "--name", "^Nelvox$" }, m_x11)
                                        .split('\n', Qt::SkipEmptyParts);
        for (const QString& prompt : prompts) {
            run("xdotool", { "windowfocus", "--sync", prompt }, m_x11);
            run("xdotool", { "key", "--clearmodifiers", "Return" }, m_x11);
            ++m_promptsAnswered;
        }
    }

    // The visible windows and their captions, for failure messages.
    QString windows()
    {
        QString list;
        for (const QString& window :
            run("xdotool", { "search", "--onlyvisible", "--name", "." }, m_x11).split('\n', Qt::SkipEmptyParts))
            list += window + " \"" + run("xdotool", { "getwindowname", window }, m_x11).trimmed() + "\" ";
        return list;
    }

    QTemporaryDir m_runtimeDir;
    QProcessEnvironment m_x11;
    QProcess m_xvfb;
    QProcess m_nelvox;
    int m_promptsAnswered = 0;
};

struct Favorite {
    int path;
    const char* updates;
};

TEST_F(Soak, AWeekOfHourlyTicksLosesNothingAndLeaksNothing)
{
    ASSERT_TRUE(QFileInfo(NELVOX_FAKETIME_LIBRARY).isFile())
        << "libfaketime is missing (" << NELVOX_FAKETIME_LIBRARY << "): scripts/setup.sh --tests installs it";
    for (const char* tool : { "Xvfb", "xdotool" })
        ASSERT_FALSE(QStandardPaths::findExecutable(tool).isEmpty()) << tool << " is missing: run scripts/setup.sh --tests";
    ASSERT_TRUE(startDisplay()) << "Xvfb did not start";
    // NELVOX_SOAK_DAYS lengthens or shortens the simulated time.
    const int simulatedDays = qEnvironmentVariableIntValue("NELVOX_SOAK_DAYS") > 0
        ? qEnvironmentVariableIntValue("NELVOX_SOAK_DAYS")
        : kDefaultDays;

    // Rows in sorted order, so that nothing moves; all but the hourly ones wait for 5 PM.
    const std::vector<Favorite> favorites
        = { { 0, "H" }, { 1, "H" }, { 2, "D" }, { 3, "H" }, { 4, "W" }, { 5, "M" }, { 6, "H" }, { 7, "D" } };
    ChangingPages server(static_cast<int>(favorites.size()));
    FavoritesList initial;
    for (const Favorite& favorite : favorites) {
        const int row = initial.count();
        initial.insertFavorite(row, server.url(favorite.path));
        initial.setText(row, FavoritesList::Updates, favorite.updates);
        initial.setText(row, FavoritesList::LastUpdated, "11/30/26 09:00 AM");
        WriteAll(SnapshotFileName(server.url(favorite.path)), server.current(favorite.path));
    }
    SaveFavorites(initial);

    QProcessEnvironment environment = m_x11;
    for (const char* name : { "http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY", "QT_QPA_PLATFORM" })
        environment.remove(QString::fromLatin1(name));
    environment.insert("QT_QPA_PLATFORM", "xcb");
    environment.insert("TZ", "UTC");
    environment.insert("LD_PRELOAD", NELVOX_FAKETIME_LIBRARY);
    environment.insert("FAKETIME", QStringLiteral("@%1 x%2").arg(kStart).arg(kSpeedUp));
    environment.insert("NO_FAKE_STAT", "1");
    environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
    m_nelvox.setProcessEnvironment(environment);
    m_nelvox.setWorkingDirectory(QDir::currentPath());
    m_nelvox.setProcessChannelMode(QProcess::ForwardedChannels);
    m_nelvox.start(NELVOX_EXECUTABLE, {});
    ASSERT_TRUE(m_nelvox.waitForStarted(10000));
    const qint64 pid = m_nelvox.processId();

    // Quiet moments between ticks show the program's lasting use of memory and descriptors.
    const auto hourly = [&] { return server.requests(0); };
    const auto settle = [&](int ticks) {
        const int until = hourly() + ticks;
        return waitUntil(
            [&] { return hourly() >= until; }, ticks * 3600 * 1000 / kSpeedUp * 4 + 20000, [&] { answerPrompts(); });
    };
    ASSERT_TRUE(settle(3)) << "no ticks came";
    const auto [memoryAtStart, descriptorsAtStart] = lastingUse(pid, [&] { answerPrompts(); });

    const int ticks = simulatedDays * 24;
    ASSERT_TRUE(settle(ticks - 6)) << "the week did not pass";
    ASSERT_EQ(m_nelvox.state(), QProcess::Running) << "Nelvox ended during the week";

    // The pages stop changing: within a few ticks every hourly snapshot holds the last page.
    server.freeze();
    const bool caughtUp = waitUntil(
        [&] {
            for (size_t row = 0; row < favorites.size(); ++row) {
                if (QByteArray(favorites[row].updates) == "H"
                    && ReadAll(SnapshotFileName(server.url(favorites[row].path)))
                        != server.current(favorites[row].path))
                    return false;
            }
            return true;
        },
        30 * 3600 * 1000 / kSpeedUp, [&] { answerPrompts(); });
    EXPECT_TRUE(caughtUp) << "the hourly snapshots did not catch up with the pages";
    ASSERT_TRUE(settle(3));
    const auto [memoryAtEnd, descriptorsAtEnd] = lastingUse(pid, [&] { answerPrompts(); });

    // Quit (Alt+Q) saves the favorites and ends the program.
    const QStringList main = run("xdotool", { "search", "--onlyvisible", "--name", "^Nelvox v1.0$" }, m_x11)
                                 .split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(main.size(), 1) << "the main window is not on the screen";
    ASSERT_TRUE(waitUntil(
        [&] {
            answerPrompts();
            run("xdotool", { "windowfocus", "--sync", main.first() }, m_x11);
            run("xdotool", { "key", "--clearmodifiers", "alt+q" }, m_x11);
            return m_nelvox.waitForFinished(500);
        },
        20000))
        << "Nelvox did not end; windows on the screen: " << windows().toStdString();
    EXPECT_EQ(m_nelvox.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_nelvox.exitCode(), 0);

    FavoritesList saved;
    ASSERT_TRUE(LoadFavorites(saved));
    ASSERT_EQ(saved.count(), initial.count()) << "rows were lost or added";
    int changedRows = 0;
    const QDateTime start = QDateTime::fromString(kStart, "yyyy-MM-dd HH:mm:ss");
    for (int row = 0; row < saved.count(); ++row) {
        SCOPED_TRACE("row " + std::to_string(row));
        const int path = favorites[row].path;
        EXPECT_EQ(saved.text(row, FavoritesList::WebSite), server.url(path)) << "a row moved";
        EXPECT_EQ(saved.text(row, FavoritesList::Updates), favorites[row].updates);
        const QByteArray snapshot = ReadAll(SnapshotFileName(server.url(path)));
        const bool replaced = snapshot != stored(pageOfLines(10 + path, path));
        EXPECT_TRUE(!replaced || server.wasServed(path, snapshot)) << "the snapshot is no page the server sent";
        if (replaced) {
            ++changedRows;
            EXPECT_EQ(saved.text(row, FavoritesList::Changed), "YES");
            const QDateTime stamp
                = QDateTime::fromString(saved.text(row, FavoritesList::LastUpdated), "MM/dd/yy hh:mm AP").addYears(100);
            EXPECT_TRUE(stamp >= start && stamp <= start.addDays(simulatedDays + 2))
                << "Last Updated " << saved.text(row, FavoritesList::LastUpdated).toStdString();
        } else {
            EXPECT_EQ(saved.rows().at(row), initial.rows().at(row)) << "a row changed without a new snapshot";
        }
        if (QByteArray(favorites[row].updates) == "H") {
            EXPECT_EQ(snapshot, server.current(path)) << "the last page of an hourly favorite was not kept";
        }
    }
    // Daily favorites are due once a day at 5 PM, weekly ones on Friday, monthly on the 1st.
    EXPECT_GE(server.requests(2), simulatedDays - 2);
    EXPECT_LE(server.requests(2), simulatedDays + 1);
    EXPECT_LE(server.requests(4), 2);
    EXPECT_LE(server.requests(5), 2);

    [[maybe_unused]] const qint64 grown = memoryAtEnd - memoryAtStart;
    std::cout << "Soak: " << hourly() << " ticks over " << simulatedDays << " simulated days, " << m_promptsAnswered
              << " change prompts answered, " << changedRows << " of " << saved.count() << " rows changed; VmRSS "
              << memoryAtStart << " KiB after the first ticks, " << memoryAtEnd << " KiB at the end; "
              << descriptorsAtStart << " open descriptors then, " << descriptorsAtEnd << " at the end." << std::endl;
    EXPECT_GE(hourly(), ticks);
    EXPECT_GT(m_promptsAnswered, 0) << "no change was ever announced";
#ifndef __SANITIZE_ADDRESS__
    // Under AddressSanitizer freed memory stays in quarantine; only the figures are shown.
    EXPECT_LT(grown, 4 * 1024) << "memory grew by " << grown << " KiB";
#endif
    // libcurl's connection cache may still hold the socket of the last download, which the
    // server has closed; a descriptor lost per tick or per download would show by the hundred.
    EXPECT_LE(descriptorsAtEnd, descriptorsAtStart + 1) << "file descriptors leaked";
}

} // namespace
