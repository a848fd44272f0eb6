// A simulated week of Nelvox: the real program on Xvfb under libfaketime's sped-up clock,
// one hourly tick about every 0.75 s, against a loopback server whose pages change length
// at random. Change prompts are answered with xdotool as a user would. Afterwards every
// snapshot, every row and the favorites file must agree with what the server served, and
// the program must hold no more memory or file descriptors than after its first ticks.
#include "platform/Clock.h"
#include "store/FavoritesFile.h"
#include "store/FavoritesList.h"
#include "support/DesktopSession.h"
#include "support/HttpServer.h"
#include "support/TempWorkDir.h"
#include "check/SnapshotName.h"

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

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <limits>
#include <map>
#include <mutex>

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
        for (int path = 0; path < pages; ++path) {
            m_lines[path] = 10 + path;
            m_server.setGeneratedPage("/page/" + std::to_string(path), [this, path] {
                std::lock_guard lock(m_mutex);
                if (!m_frozen && m_random.bounded(2) == 0)
                    m_lines[path] = m_random.bounded(0, 400);
                const QByteArray page = pageOfLines(m_lines[path], path);
                m_served[path].insert(stored(page));
                ++m_requests[path];
                return page;
            });
        }
    }

    QString url(int path) const { return m_server.url("/page/" + std::to_string(path)); }
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
    std::mutex m_mutex;
    QRandomGenerator m_random { 1207 };
    bool m_frozen = false;
    std::map<int, int> m_lines;
    std::map<int, QSet<QByteArray>> m_served;
    std::map<int, int> m_requests;
    // Last, so that the server stops before the rest goes.
    HttpServer m_server;
};

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

class Soak : public InTempDir {
protected:
    void TearDown() override
    {
        if (HasFailure())
            std::cerr << m_session.logs();
    }

    // Answers every change prompt that is up. The prompt's caption is "Nelvox"; the main
    // window's is "Nelvox v1.0".
    void answerPrompts()
    {
        for (const QString& prompt : m_session.windows("^Nelvox$")) {
            m_session.focusAndType(prompt, "Return");
            ++m_promptsAnswered;
        }
    }

    // Waits for `condition`, answering prompts meanwhile.
    bool waitAnswering(const std::function<bool()>& condition, int timeoutMs)
    {
        return e2e::pollUntil(
            [&] {
                answerPrompts();
                return condition();
            },
            timeoutMs);
    }

    // The visible windows and their captions, for failure messages.
    QString windows()
    {
        QString list;
        for (const QString& window : m_session.windows("."))
            list += window + " \"" + m_session.run("xdotool", { "getwindowname", window }).trimmed() + "\" ";
        return list;
    }

    e2e::Session m_session;
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
    for (const char* tool : { "Xvfb", "xdotool", "xev", "xprop", "xwininfo" })
        ASSERT_FALSE(QStandardPaths::findExecutable(tool).isEmpty())
            << tool << " is missing: run scripts/setup.sh --tests";
    ASSERT_TRUE(m_session.startDisplay()) << "Xvfb did not start";
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

    QProcessEnvironment environment;
    environment.insert("TZ", "UTC");
    environment.insert("LD_PRELOAD", NELVOX_FAKETIME_LIBRARY);
    environment.insert("FAKETIME", QStringLiteral("@%1 x%2").arg(kStart).arg(kSpeedUp));
    environment.insert("NO_FAKE_STAT", "1");
    environment.insert("ASAN_OPTIONS", qEnvironmentVariable("ASAN_OPTIONS") + ":verify_asan_link_order=0");
    QProcess& nelvox = m_session.startNelvox(NELVOX_EXECUTABLE, QDir::currentPath(), 0, environment);
    ASSERT_EQ(nelvox.state(), QProcess::Running);
    const qint64 pid = nelvox.processId();

    // Quiet moments between ticks show the program's lasting use of memory and descriptors.
    const auto hourly = [&] { return server.requests(0); };
    const auto settle = [&](int ticks) {
        const int until = hourly() + ticks;
        return waitAnswering([&] { return hourly() >= until; }, ticks * 3600 * 1000 / kSpeedUp * 4 + 20000);
    };
    ASSERT_TRUE(settle(3)) << "no ticks came";
    const auto [memoryAtStart, descriptorsAtStart] = lastingUse(pid, [&] { answerPrompts(); });

    const int ticks = simulatedDays * 24;
    ASSERT_TRUE(settle(ticks - 6)) << "the week did not pass";
    ASSERT_EQ(nelvox.state(), QProcess::Running) << "Nelvox ended during the week";

    // The pages stop changing: within a few ticks every hourly snapshot holds the last page.
    server.freeze();
    const bool caughtUp = waitAnswering(
        [&] {
            for (size_t row = 0; row < favorites.size(); ++row) {
                if (QByteArray(favorites[row].updates) == "H"
                    && ReadAll(SnapshotFileName(server.url(favorites[row].path)))
                        != server.current(favorites[row].path))
                    return false;
            }
            return true;
        },
        30 * 3600 * 1000 / kSpeedUp);
    EXPECT_TRUE(caughtUp) << "the hourly snapshots did not catch up with the pages";
    ASSERT_TRUE(settle(3));
    const auto [memoryAtEnd, descriptorsAtEnd] = lastingUse(pid, [&] { answerPrompts(); });

    // Quit (Alt+Q) saves the favorites and ends the program.
    const QStringList main = m_session.windows("^" + e2e::kCaption + "$");
    ASSERT_EQ(main.size(), 1) << "the main window is not on the screen";
    ASSERT_TRUE(waitAnswering(
        [&] {
            m_session.focusAndType(main.first(), "alt+q");
            return nelvox.waitForFinished(500);
        },
        20000))
        << "Nelvox did not end; windows on the screen: " << windows().toStdString();
    EXPECT_EQ(nelvox.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(nelvox.exitCode(), 0);

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
