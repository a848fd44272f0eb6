// Favorites whose file:// address names something other than a regular file: a named pipe
// with or without a writer, a device, a directory, a socket. Each must fail at once, since a
// read of such a file can wait for good inside one system call.
#include "platform/Clock.h"
#include "platform/InternetSession.h"
#include "platform/NelvoxError.h"
#include "platform/NetworkTesting.h"
#include "store/FavoritesList.h"
#include "support/TempWorkDir.h"
#include "update/PageCheck.h"

#include <QDir>
#include <QElapsedTimer>
#include <QStringList>

#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Runs `release` on a thread of its own, again and again, while the test is still busy
// after `after`, so that reads the program should never have begun cannot hang the test.
class Rescue {
public:
    Rescue(std::function<void()> release, std::chrono::milliseconds after)
        : m_thread([this, release = std::move(release), after] {
            std::unique_lock lock(m_mutex);
            auto wait = after;
            while (!m_wake.wait_for(lock, wait, [this] { return m_finished; })) {
                release();
                wait = std::chrono::milliseconds(200);
            }
        })
    {
    }
    ~Rescue()
    {
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    Rescue(const Rescue&) = delete;
    Rescue& operator=(const Rescue&) = delete;

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_finished = false;
    std::thread m_thread;
};

// Lets a reader stuck in opening a pipe without a writer go: a writer comes and leaves.
void passWriterThrough(const QByteArray& fifo)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int writer = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) {
            ::close(writer);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// A row's cells, readable in a failure message.
std::string cellsOf(const FavoritesList::Row& row)
{
    return QStringList(row.begin(), row.end()).join(QLatin1Char('|')).toStdString();
}

class LocalFile : public InTempDir {
protected:
    void SetUp() override
    {
        Clock::SetTimeSource([] { return QDateTime(QDate(2024, 2, 29), QTime(8, 15, 0)); });
        // Without the check, /dev/zero would be read up to this limit.
        DownloadLimits::maxBytes = 1024 * 1024;
    }
    void TearDown() override { Clock::SetTimeSource({}); }

    ScopedDownloadLimits m_limits;
    InternetSession m_session;
    FavoritesList m_list;
};

TEST_F(LocalFile, EverythingButARegularFileFailsAtOnceAndLeavesTheRowAlone)
{
    const QByteArray lonely = QDir::current().absoluteFilePath("lonely.fifo").toUtf8();
    const QByteArray fed = QDir::current().absoluteFilePath("fed.fifo").toUtf8();
    const QByteArray socketPath = QDir::current().absoluteFilePath("listening.sock").toUtf8();
    ASSERT_EQ(::mkfifo(lonely.constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(fed.constData(), 0600), 0);
    // A writer that has written a line and never ends: this test keeps it open.
    int writer = ::open(fed.constData(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::write(writer, "a line\n", 7), 7);
    ASSERT_TRUE(QDir().mkdir("folder"));
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un socketAddress {};
    socketAddress.sun_family = AF_UNIX;
    ASSERT_LT(static_cast<size_t>(socketPath.size()), sizeof socketAddress.sun_path);
    std::memcpy(socketAddress.sun_path, socketPath.constData(), static_cast<size_t>(socketPath.size()));
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&socketAddress), sizeof socketAddress), 0);
    ASSERT_EQ(::listen(listener, 1), 0);

    const struct {
        const char* kind;
        QByteArray path;
        std::function<void()> release;
    } files[] = {
        { "a named pipe without a writer", lonely, [&] { passWriterThrough(lonely); } },
        { "a named pipe whose writer never ends", fed,
            [&] {
                if (writer >= 0)
                    ::close(std::exchange(writer, -1));
                passWriterThrough(fed);
            } },
        { "a device", "/dev/zero", {} },
        { "a directory", QDir::current().absoluteFilePath("folder").toUtf8(), {} },
        { "a socket", socketPath, {} },
    };
    WriteAll("regular.txt", "a page on disk\n");
    for (const auto& file : files) {
        SCOPED_TRACE(file.kind);
        const QString address = "file://" + QString::fromUtf8(file.path);
        const int row = m_list.count();
        m_list.insertFavorite(row, address);
        m_list.setText(row, FavoritesList::Updates, "D");
        m_list.setText(row, FavoritesList::LastUpdated, "01/02/24 03:04 AM");
        WriteAll(SnapshotFileName(address), "snapshot\r\n");
        const std::string before = cellsOf(m_list.rows().at(row));

        Rescue rescue(
            file.release ? file.release : [] {}, std::chrono::seconds(3));
        QElapsedTimer timer;
        timer.start();
        try {
            DownloadPage(m_session, address, "download.txt");
            ADD_FAILURE() << "the download did not fail";
        } catch (const InternetError& error) {
            EXPECT_TRUE(error.message().contains(address)) << error.what();
            EXPECT_TRUE(error.message().contains("not a regular file")) << error.what();
        }
        EXPECT_THROW(CheckPage(m_session, m_list, row, address), InternetError);
        EXPECT_LT(timer.elapsed(), 1000) << "the program waited for the file";

        EXPECT_EQ(cellsOf(m_list.rows().at(row)), before);
        EXPECT_EQ(ReadAll(SnapshotFileName(address)), "snapshot\r\n");
        EXPECT_FALSE(FileExists("download.txt"));
        EXPECT_FALSE(FileExists(kTempDownloadFileName));
    }

    // A regular file is still a page.
    EXPECT_TRUE(DownloadPage(m_session, "file://" + QDir::current().absoluteFilePath("regular.txt"), "download.txt"));
    EXPECT_EQ(ReadAll("download.txt"), "a page on disk\r\n");

    if (writer >= 0)
        ::close(writer);
    ::close(listener);
}

} // namespace
