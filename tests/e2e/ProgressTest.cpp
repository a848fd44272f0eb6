// Nelvox on Xvfb during a long Update All Now: the progress dialog comes up over the main
// window, the window keeps repainting while pages are still downloading, and Escape stops
// the run, which keeps what the finished checks found. The pages come through a loopback
// proxy that answers the first few at once and holds the others in the middle of their
// page until the test ends, so the run is in flight for as long as the test needs.
#include "check/SnapshotName.h"
#include "history/HistoryDatabase.h"
#include "support/DesktopSession.h"
#include "support/HttpServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

const QString kProgressTitle = QStringLiteral("^Nelvox v1\\.0 - Checking Favorites$");

using namespace e2e;

constexpr int kFavorites = 40;
// The pages that answer at once; the rest wait until the proxy lets them go.
constexpr int kQuickPages = 6;
const QByteArray kOldSnapshot = "<html><body>Old</body></html>\r\n";
const QString kOldCells = QStringLiteral(" D07/09/04 05:03 PM ");

QString address(int page)
{
    return QStringLiteral("http://slow.example.com/page%1.html").arg(page, 2, 10, QLatin1Char('0'));
}

QByteArray newPage(int page)
{
    return "<html><body>Page " + QByteArray::number(page) + ", with something new on it</body></html>\n";
}

// The proxy for every favorite: the quick pages answer at once; the others send their
// headers and a first line, then nothing until the proxy goes at the test's end.
class HoldingProxy : public HttpServer {
public:
    HoldingProxy()
    {
        for (int page = 0; page < kFavorites; ++page) {
            if (page < kQuickPages)
                setPage(address(page).toStdString(), newPage(page));
            else
                setStall(address(page).toStdString(), "<html><body>\n", 100000);
        }
    }

    // The pages in [from, to) that were asked for.
    std::set<int> asked(int from, int to) const
    {
        std::set<int> pages;
        for (int page = from; page < to; ++page) {
            if (requestCount(address(page).toStdString()) > 0)
                pages.insert(page);
        }
        return pages;
    }
    std::set<int> answered() const { return asked(0, kQuickPages); }
    std::set<int> held() const { return asked(kQuickPages, kFavorites); }
};

// The run's own download files, "tempupd.nvd.<n>".
QStringList downloadsInFlight(const QString& directory)
{
    static const QRegularExpression runFile(QStringLiteral("^tempupd\\.nvd\\.[0-9]+$"));
    return QDir(directory).entryList(QDir::Files).filter(runFile);
}

class Progress : public DesktopFixture {
protected:
    Progress()
        : DesktopFixture({ "trayer", "import" })
    {
    }

    // Where the window is on the screen.
    QRect geometry(const QString& window)
    {
        const QString info = m_session.run("xwininfo", { "-id", window });
        auto field = [&](const char* name) {
            return QRegularExpression(QStringLiteral("%1:\\s+(-?\\d+)").arg(QLatin1String(name)))
                .match(info)
                .captured(1)
                .toInt();
        };
        return QRect(field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"), field("Height"));
    }

    // A capture of the window that two looks in a row agree on.
    QByteArray steadyCapture(const QString& window)
    {
        QByteArray previous;
        QByteArray current;
        pollUntil([&] {
            previous = std::exchange(current, m_session.capture(window));
            return !current.isEmpty() && current == previous;
        });
        return current;
    }

    void saveCapture(const QString& name, const QByteArray& image)
    {
        QFile file(QStringLiteral(NELVOX_E2E_OUTPUT_DIR "/") + name);
        if (file.open(QIODevice::WriteOnly))
            file.write(image);
    }

    // Snapshots of the old page and a favorites file of every favorite.
    void writeFavorites()
    {
        QByteArray favorites = QByteArray::number(kFavorites) + "\r\n";
        for (int page = 0; page < kFavorites; ++page) {
            favorites += (address(page) + kOldCells + "\r\n").toUtf8();
            writeData(SnapshotFileName(address(page)), kOldSnapshot);
        }
        writeData("nelvox.ini", favorites);
    }

    HoldingProxy m_proxy;
};

TEST_F(Progress, ALongRunShowsItsProgressRepaintsAndStopsOnEscape)
{
    writeFavorites();

    ASSERT_TRUE(m_session.startTray()) << "trayer did not announce its tray";
    QProcess& nelvox = startNelvox(m_proxy.port());
    ASSERT_EQ(nelvox.state(), QProcess::Running) << "Nelvox did not start";
    QString window;
    ASSERT_NO_FATAL_FAILURE(showFromTheTray(window));
    // The pointer away from the window, so that nothing under it changes its look.
    m_session.run("xdotool", { "mousemove", "1020", "760" });

    // Alt+U: the quick pages finish, the others are held while their files are written.
    m_session.focusAndType(window, "alt+u");
    QString dialog;
    ASSERT_TRUE(pollUntil([&] { return !(dialog = m_session.newWindow(kProgressTitle, { window })).isEmpty(); }))
        << "no progress dialog during a long run";
    EXPECT_TRUE(m_session.run("xprop", { "-id", dialog, "WM_TRANSIENT_FOR" })
                    .contains(QStringLiteral("0x%1").arg(window.toULongLong(), 0, 16)))
        << "the progress dialog belongs to the main window";
    ASSERT_TRUE(pollUntil([&] { return !downloadsInFlight(m_data.path()).isEmpty(); }))
        << "no download of a held page is in flight";
    ASSERT_EQ(m_proxy.answered().size(), size_t(kQuickPages));

    // Cover the window with one of our own and take it away again: only a window whose
    // event loop runs paints the uncovered part back.
    const QByteArray painted = steadyCapture(window);
    ASSERT_FALSE(painted.isEmpty()) << "no capture of the main window";
    const QRect area = geometry(window);
    QProcess& cover = m_session.startClient("xev",
        { "-geometry",
            QStringLiteral("%1x%2+%3+%4").arg(area.width()).arg(area.height()).arg(area.x()).arg(area.y()) });
    ASSERT_TRUE(pollUntil([&] { return m_session.capture(window) != painted; }))
        << "the covering window never showed over the main window";
    cover.terminate();
    ASSERT_TRUE(cover.waitForFinished(5000));
    const bool repainted = pollUntil([&] { return m_session.capture(window) == painted; }, 5000);
    if (!repainted) {
        saveCapture("progress-before-cover.ppm", painted);
        saveCapture("progress-after-cover.ppm", m_session.capture(window));
    }
    EXPECT_TRUE(repainted) << "the main window did not repaint while pages were downloading";
    EXPECT_FALSE(downloadsInFlight(m_data.path()).isEmpty()) << "the run ended before the repaint was seen";
    EXPECT_TRUE(m_session.windows(kProgressTitle).contains(dialog)) << "the progress dialog went before Escape";

    // Escape stops the run; the rows that changed bring the prompt, then sort and save.
    const std::set<int> finished = m_proxy.answered();
    m_session.focusAndType(dialog, "Escape");
    ASSERT_TRUE(pollUntil([&] { return !m_session.windows(kProgressTitle).contains(dialog); }))
        << "Escape did not end the run";
    QString prompt;
    ASSERT_TRUE(pollUntil([&] {
        return !(prompt = m_session.newWindow("^Nelvox$", { window, dialog })).isEmpty();
    })) << "no prompt for the rows that changed before the stop";
    m_session.focusAndType(prompt, "Return");
    ASSERT_TRUE(pollUntil([&] { return readFile(m_data.filePath("nelvox.ini")).contains(" YES\r\n"); }))
        << "the favorites file was not saved after the stop";
    EXPECT_TRUE(downloadsInFlight(m_data.path()).isEmpty())
        << downloadsInFlight(m_data.path()).join(' ').toStdString() << " left behind";

    const QStringList lines = QString::fromUtf8(readFile(m_data.filePath("nelvox.ini"))).split("\r\n");
    ASSERT_EQ(lines.size(), kFavorites + 2) << lines.join('\n').toStdString();
    EXPECT_EQ(lines[0], QString::number(kFavorites));
    for (int page = 0; page < kFavorites; ++page) {
        const QString& line = lines[page + 1];
        const QByteArray snapshot = readFile(m_data.filePath(SnapshotFileName(address(page))));
        if (finished.count(page)) {
            EXPECT_TRUE(line.startsWith(address(page) + " D") && line.endsWith(" YES") && !line.contains("07/09/04"))
                << "a finished row keeps its result: " << line.toStdString();
            EXPECT_EQ(snapshot, QByteArray(newPage(page)).replace("\n", "\r\n")) << address(page).toStdString();
        } else {
            EXPECT_EQ(line, address(page) + kOldCells) << "a row stopped in flight or never started keeps its cells";
            EXPECT_EQ(snapshot, kOldSnapshot) << address(page).toStdString();
        }
    }
    EXPECT_FALSE(m_proxy.held().empty());
}

// kill -9 while the pages that changed are kept and others are still in flight: the history
// stays whole and keeps every copy it was given, each one readable.
TEST_F(Progress, AKillDuringARunOfChangesLeavesTheHistoryWhole)
{
    writeFavorites();
    ASSERT_TRUE(m_session.startTray()) << "trayer did not announce its tray";
    QProcess& nelvox = startNelvox(m_proxy.port());
    QString window;
    ASSERT_NO_FATAL_FAILURE(showFromTheTray(window));
    m_session.focusAndType(window, "alt+u");
    const QString history = m_data.filePath(QString::fromLatin1(kHistoryFileName));
    // The old snapshot and the new page of each quick page, as the history has them.
    // While Nelvox writes, the history may be busy for a moment: only the last reading must succeed.
    QString failure;
    auto copiesOfQuickPages = [&] {
        std::vector<QList<QByteArray>> pages;
        failure.clear();
        try {
            HistoryDatabase database(history);
            for (int page = 0; page < kQuickPages; ++page) {
                QList<QByteArray> copies;
                for (const HistoryCopy& copy : database.copies(address(page)))
                    copies << database.read(copy.id).value_or("(unreadable)");
                pages.push_back(copies);
            }
        } catch (const HistoryError& error) {
            failure = error.message();
        }
        return pages;
    };
    auto allKept = [&] {
        if (!QFileInfo::exists(history))
            return false;
        const auto pages = copiesOfQuickPages();
        return pages.size() == size_t(kQuickPages)
            && std::all_of(pages.begin(), pages.end(), [](const auto& copies) { return copies.size() == 2; });
    };
    ASSERT_TRUE(pollUntil(allKept, 20000))
        << "the history did not get the pages that changed: " << failure.toStdString();
    // The held pages keep the run going; their downloads are under way once their files are there.
    ASSERT_TRUE(pollUntil([&] { return !downloadsInFlight(m_data.path()).isEmpty(); }))
        << "no download of a held page is in flight";
    nelvox.kill();
    ASSERT_TRUE(nelvox.waitForFinished(10000));

    {
        QSqlDatabase database = QSqlDatabase::addDatabase("QSQLITE", "integrity");
        database.setDatabaseName(history);
        QSqlQuery query(database);
        ASSERT_TRUE(database.open() && query.exec("PRAGMA integrity_check") && query.next());
        EXPECT_EQ(query.value(0).toString(), "ok");
    }
    QSqlDatabase::removeDatabase("integrity");
    const auto pages = copiesOfQuickPages();
    ASSERT_EQ(pages.size(), size_t(kQuickPages)) << failure.toStdString();
    for (int page = 0; page < kQuickPages; ++page) {
        EXPECT_EQ(pages[page], (QList<QByteArray> { QByteArray(newPage(page)).replace("\n", "\r\n"), kOldSnapshot }))
            << address(page).toStdString();
    }
}

} // namespace
