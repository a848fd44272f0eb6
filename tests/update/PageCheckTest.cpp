// Snapshot names, page downloads into text files, and the page check outcome by outcome
// against a loopback server.
#include "update/PageCheck.h"
#include "platform/Clock.h"
#include "platform/InternetSession.h"
#include "platform/NelvoxError.h"
#include "platform/NetworkTesting.h"
#include "store/FavoritesList.h"
#include "support/HttpServer.h"
#include "support/TempWorkDir.h"
#include "update/SnapshotReplace.h"

#include <QDir>
#include <QSet>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// All bytes of a literal, NUL bytes included.
template <size_t size> QByteArray bytes(const char (&literal)[size])
{
    return QByteArray(literal, size - 1);
}

} // namespace

TEST(SnapshotFileName, NamesFilesAfterAddresses)
{
    const struct {
        const char* address;
        const char* name;
    } cases[] = {
        { "http://host/news/index.html", "nv.host!news!index.html.NVD" },
        { "http://host/", "nv.host!.NVD" },
        { "https://host/a", "https:!!host!a.NVD" },
        { "HTTP://host/a", "HTTP:!!host!a.NVD" },
        { "http://host/go?to=http://other/page", "nv.host!go?to=nv.other!page.NVD" },
        { "http://host/a/b", "nv.host!a!b.NVD" },
        { "http://host/a!b", "nv.host!a!b.NVD" },
        { "host/a b:*?\"<>|%&#\\", "host!a b:*?\"<>|%&#\\.NVD" },
        { "", ".NVD" },
    };
    for (const auto& example : cases)
        EXPECT_EQ(SnapshotFileName(QString::fromUtf8(example.address)), QString::fromUtf8(example.name))
            << "address " << example.address;
}

TEST(SnapshotFileName, ShortensNamesTooLongForTheFileSystem)
{
    const QString a(QLatin1Char('a'));
    const QString e = QString::fromUtf8("é");
    const QString kanji = QString::fromUtf8("日");
    const QString emoji = QString::fromUtf8("😀");
    const struct {
        QString address;
        QString name;
    } cases[] = {
        // 255 bytes exactly: kept as it is.
        { "http://host/" + a.repeated(243), "nv.host!" + a.repeated(243) + ".NVD" },
        { "http://host/" + a.repeated(244), "nv.host!" + a.repeated(226) + "~9608e93410544017.NVD" },
        // Byte 234 falls inside a two-, a three- and a four-byte character.
        { "http://host/" + a.repeated(225) + e.repeated(20), "nv.host!" + a.repeated(225) + "~487085b973320d89.NVD" },
        { "http://host/" + kanji.repeated(100), "nv.host!" + kanji.repeated(75) + "~b6a93179b7e05c98.NVD" },
        { "http://host/" + a.repeated(224) + emoji.repeated(10),
            "nv.host!" + a.repeated(224) + "~e389f3df9e72d71d.NVD" },
    };
    for (const auto& example : cases) {
        const QString name = SnapshotFileName(example.address);
        EXPECT_EQ(name, example.name) << "address of " << example.address.size() << " characters";
        EXPECT_LE(name.toUtf8().size(), 255);
        EXPECT_EQ(QString::fromUtf8(name.toUtf8()), name) << "a character was cut in two";
    }

    // Names that fit stay as they were, however many characters they have.
    const QString fits = "http://host/" + e.repeated(121);
    EXPECT_EQ(SnapshotFileName(fits), "nv.host!" + e.repeated(121) + ".NVD");

    // Long addresses that differ only at their end get names of their own, which the file
    // system takes.
    TempWorkDir dir;
    const QString common = "http://host/search?q=" + a.repeated(1980);
    QSet<QString> names;
    for (const char* end : { "1", "2", "3&utm=x" }) {
        const QString name = SnapshotFileName(common + end);
        names.insert(name);
        WriteAll(name, end);
        EXPECT_EQ(ReadAll(name), QByteArray(end)) << name.toStdString();
    }
    EXPECT_EQ(names.size(), 3);
}

class PageCheck : public InTempDir {
protected:
    void SetUp() override
    {
        Clock::SetTimeSource([] { return QDateTime(QDate(2004, 7, 9), QTime(17, 3, 41)); });
    }
    void TearDown() override { Clock::SetTimeSource({}); }

    // Adds a favorite for the server's path and returns its row.
    int addFavorite(const std::string& path, const QString& lastUpdated = "Never", const QString& changed = "")
    {
        const int row = m_list.count();
        m_list.insertFavorite(row, m_server.url(path));
        m_list.setText(row, FavoritesList::Updates, "H");
        m_list.setText(row, FavoritesList::LastUpdated, lastUpdated);
        m_list.setText(row, FavoritesList::Changed, changed);
        return row;
    }
    QString address(int row) const { return m_list.text(row, FavoritesList::WebSite); }
    QString snapshot(int row) const { return SnapshotFileName(address(row)); }
    FavoritesList::Row cells(int row) const { return m_list.rows().at(row); }
    bool check(int row) { return CheckPage(m_session, m_list, row, address(row)); }

    ScopedProxyEnvironment m_noProxy;
    ScopedDownloadLimits m_limits;
    HttpServer m_server;
    InternetSession m_session;
    FavoritesList m_list;
};

TEST_F(PageCheck, DownloadStoresEveryLineWithCrLf)
{
    const qsizetype piece = PageStream::kMaxPieceBytes;
    const struct {
        const char* path;
        QByteArray body;
        QByteArray stored;
    } cases[] = {
        { "/crlf", "one\r\ntwo\r\n", "one\r\ntwo\r\n" },
        { "/lf", "one\n\ntwo\n", "one\r\n\r\ntwo\r\n" },
        { "/no-final-line-feed", "one\ntwo", "one\r\ntwo\r\n" },
        { "/empty", "", "" },
        { "/bytes", bytes("nul\0here\n\xff\xfe\xc3(\n"), bytes("nul\0here\r\n\xff\xfe\xc3(\r\n") },
        { "/long-line", QByteArray(3 * piece, 'x') + "\nend", QByteArray(3 * piece, 'x') + "\r\nend\r\n" },
    };
    for (const auto& page : cases) {
        SCOPED_TRACE(page.path);
        m_server.setPage(page.path, page.body);
        WriteAll("page.txt", QByteArray(4 * piece, '-')); // a longer old file must be truncated
        EXPECT_TRUE(DownloadPage(m_session, m_server.url(page.path), "page.txt"));
        const QByteArray stored = ReadAll("page.txt");
        EXPECT_TRUE(stored == page.stored) << stored.size() << " bytes stored, " << page.stored.size() << " expected";
    }
}

TEST_F(PageCheck, DownloadStoresErrorPagesAndTheEndOfRedirects)
{
    m_server.setPage("/missing", "Not Found\n", 404);
    m_server.setPage("/broken", "Server Error\n", 500);
    m_server.setRedirect("/old", "/older", 301);
    m_server.setRedirect("/older", "/new", 302);
    m_server.setPage("/new", "moved here\n");
    ASSERT_TRUE(DownloadPage(m_session, m_server.url("/missing"), "missing.txt"));
    ASSERT_TRUE(DownloadPage(m_session, m_server.url("/broken"), "broken.txt"));
    ASSERT_TRUE(DownloadPage(m_session, m_server.url("/old"), "moved.txt"));
    EXPECT_EQ(ReadAll("missing.txt"), "Not Found\r\n");
    EXPECT_EQ(ReadAll("broken.txt"), "Server Error\r\n");
    EXPECT_EQ(ReadAll("moved.txt"), "moved here\r\n");
}

TEST_F(PageCheck, DownloadGivesFalseWhenTheFileCannotBeCreated)
{
    m_server.setPage("/page", "text\n");
    QDir().mkdir("folder");
    EXPECT_FALSE(DownloadPage(m_session, m_server.url("/page"), "folder"));
    EXPECT_FALSE(DownloadPage(m_session, m_server.url("/page"), "no/such/dir.txt"));
    EXPECT_EQ(m_server.requestCount("/page"), 2) << "the page is opened before the file";
}

TEST_F(PageCheck, AChangedLengthReplacesTheSnapshotAndMarksTheRow)
{
    const int row = addFavorite("/news");
    m_server.setPage("/news", "first\n");
    ASSERT_TRUE(DownloadPage(m_session, address(row), snapshot(row)));

    m_server.setPage("/news", "first\nsecond\n");
    EXPECT_TRUE(check(row));
    EXPECT_EQ(cells(row), (FavoritesList::Row { address(row), "H", "07/09/04 05:03 PM", "YES" }));
    EXPECT_EQ(ReadAll(snapshot(row)), "first\r\nsecond\r\n");
    EXPECT_FALSE(FileExists(kTempDownloadFileName)) << "the download must have become the snapshot";

    // An empty page against a snapshot with text is a change too.
    Clock::SetTimeSource([] { return QDateTime(QDate(2026, 12, 6), QTime(2, 35)); });
    m_server.setPage("/news", "");
    EXPECT_TRUE(check(row));
    EXPECT_EQ(m_list.text(row, FavoritesList::LastUpdated), "12/06/26 02:35 AM");
    EXPECT_EQ(ReadAll(snapshot(row)), "");
}

TEST_F(PageCheck, AChangeKeepsTheReplacedSnapshotAsThePreviousCopyOneGenerationOnly)
{
    // A short address, and one whose snapshot name is as long as a file name can be.
    const std::string longPath = "/" + std::string(300, 'p');
    for (const std::string& path : { std::string("/news"), longPath }) {
        SCOPED_TRACE(path.size());
        const int row = addFavorite(path);
        const QString previous = PreviousCopyName(snapshot(row));
        ASSERT_TRUE(previous.endsWith(".old"));
        ASSERT_NE(previous, PreviousCopyName(SnapshotFileName(address(row) + "x"))) << "long names must stay apart";
        m_server.setPage(path, "first\n");
        ASSERT_TRUE(DownloadPage(m_session, address(row), snapshot(row)));

        m_server.setPage(path, "frist\n");
        EXPECT_FALSE(check(row));
        EXPECT_FALSE(FileExists(previous)) << "a check that found no change keeps no copy";

        m_server.setPage(path, "first\nsecond\n");
        EXPECT_TRUE(check(row));
        EXPECT_EQ(ReadAll(snapshot(row)), "first\r\nsecond\r\n");
        EXPECT_EQ(ReadAll(previous), "first\r\n");

        m_server.setPage(path, "third\n");
        EXPECT_TRUE(check(row));
        EXPECT_EQ(ReadAll(snapshot(row)), "third\r\n");
        EXPECT_EQ(ReadAll(previous), "first\r\nsecond\r\n") << "the copy must be the page just replaced";
        const QStringList files = QDir().entryList(QDir::Files | QDir::Hidden, QDir::Name);
        QStringList expected = { snapshot(row), previous };
        expected.sort();
        EXPECT_TRUE(files == expected) << "one generation, nothing left over: " << files.join(' ').toStdString();

        // The two are files of their own: a download written into the snapshot, as Add and
        // Edit write theirs, leaves the previous copy as it was.
        m_server.setPage(path, "rewritten\n");
        ASSERT_TRUE(DownloadPage(m_session, address(row), snapshot(row)));
        EXPECT_EQ(ReadAll(previous), "first\r\nsecond\r\n");

        QFile::remove(snapshot(row));
        QFile::remove(previous);
    }
}

TEST_F(PageCheck, TheSameLengthIsNoChange)
{
    const int row = addFavorite("/counter");
    m_server.setPage("/counter", "visits: 1234\n");
    ASSERT_TRUE(DownloadPage(m_session, address(row), snapshot(row)));
    const FavoritesList::Row before = cells(row);

    m_server.setPage("/counter", "visits: 1235\n");
    EXPECT_FALSE(check(row)) << "a change that keeps the length is not seen";
    EXPECT_EQ(cells(row), before);
    EXPECT_EQ(ReadAll(snapshot(row)), "visits: 1234\r\n");
    EXPECT_EQ(ReadAll(kTempDownloadFileName), "visits: 1235\r\n");

    // Lengths are those of the files as written, so line ends on the wire do not count.
    m_server.setPage("/counter", "visits: 1236\r\n");
    EXPECT_FALSE(check(row));
    EXPECT_EQ(cells(row), before);
}

TEST_F(PageCheck, AMarkedRowKeepsItsMarkAndTimeWhenNothingChanged)
{
    const int row = addFavorite("/page", "01/02/03 04:05 AM", "YES");
    m_server.setPage("/page", "same\n");
    ASSERT_TRUE(DownloadPage(m_session, address(row), snapshot(row)));
    EXPECT_FALSE(check(row));
    EXPECT_EQ(m_list.text(row, FavoritesList::Changed), "YES");
    EXPECT_EQ(m_list.text(row, FavoritesList::LastUpdated), "01/02/03 04:05 AM");
}

TEST_F(PageCheck, AFavoriteWithoutSnapshotIsNeverMarked)
{
    const int row = addFavorite("/new");
    m_server.setPage("/new", "page text\n");
    const FavoritesList::Row before = cells(row);
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_FALSE(check(row));
        EXPECT_EQ(cells(row), before);
        EXPECT_FALSE(FileExists(snapshot(row))) << "a check must not create a snapshot";
        EXPECT_EQ(ReadAll(kTempDownloadFileName), "page text\r\n");
    }
}

TEST_F(PageCheck, ATemporaryFileThatCannotBeCreatedStopsTheCheck)
{
    const int row = addFavorite("/page");
    WriteAll(snapshot(row), "old\r\n");
    m_server.setPage("/page", "much longer than before\n");
    QDir().mkdir(kTempDownloadFileName);
    const FavoritesList::Row before = cells(row);
    EXPECT_FALSE(check(row));
    EXPECT_EQ(cells(row), before);
    EXPECT_EQ(ReadAll(snapshot(row)), "old\r\n");
}

TEST_F(PageCheck, FailedDownloadsThrowAndLeaveSnapshotAndRowAlone)
{
    DownloadLimits::lowSpeedTimeSeconds = 1;
    DownloadLimits::maxBytes = 50000;
    QString refused;
    {
        HttpServer gone;
        refused = gone.url("/page");
    }
    m_server.setRedirect("/to-file", "file://" + QDir::current().absoluteFilePath("secret.txt").toStdString());
    m_server.setHangUp("/hang-up", "one\ntwo\nthr", 1000);
    m_server.setStall("/stall", "", 1000);
    m_server.setRepeatedPage("/too-large", "0123456789\n", 60000, false);

    // What "tempupd.nvd" holds afterwards: untouched when the page never opened, else the
    // lines that arrived before the failure (checked below for the large page).
    const QByteArray untouched = "previous download\r\n";
    const struct {
        QString address;
        const char* download;
    } cases[] = {
        { refused, untouched },
        { m_server.url("/to-file"), untouched },
        { m_server.url("/hang-up"), "one\r\ntwo\r\n" },
        { m_server.url("/stall"), "" },
        { m_server.url("/too-large"), nullptr },
    };
    WriteAll("secret.txt", "not for servers\n");
    for (const auto& failure : cases) {
        SCOPED_TRACE(failure.address.toStdString());
        const int row = m_list.count();
        m_list.insertFavorite(row, failure.address);
        WriteAll(SnapshotFileName(failure.address), "snapshot\r\n");
        WriteAll(kTempDownloadFileName, untouched);
        const FavoritesList::Row before = cells(row);

        EXPECT_THROW(CheckPage(m_session, m_list, row, failure.address), InternetError);
        EXPECT_EQ(cells(row), before);
        EXPECT_EQ(ReadAll(SnapshotFileName(failure.address)), "snapshot\r\n");
        if (failure.download) {
            EXPECT_EQ(ReadAll(kTempDownloadFileName), failure.download);
        }
    }
    // The lines received before the size limit stay in the file.
    const QByteArray partial = ReadAll(kTempDownloadFileName);
    const qsizetype lines = partial.size() / 12;
    EXPECT_GT(lines, 0);
    EXPECT_LE(lines, 50000 / 11);
    EXPECT_TRUE(partial == QByteArray("0123456789\r\n").repeated(lines)) << "partial download of the large page";

    // Every failure closed the file, so the next check can write it again.
    const int row = addFavorite("/fine");
    m_server.setPage("/fine", "fine\n");
    EXPECT_FALSE(check(row));
    EXPECT_EQ(ReadAll(kTempDownloadFileName), "fine\r\n");
}

namespace {

// Makes a file immutable, so that even root cannot rename over it, for the life of the
// object. Only some file systems support it.
class ImmutableFile {
public:
    explicit ImmutableFile(const QString& fileName)
        : m_fileName(fileName)
        , m_set(setFlag(true))
    {
    }
    ~ImmutableFile()
    {
        if (m_set)
            setFlag(false);
    }
    bool isSet() const { return m_set; }

private:
    bool setFlag(bool on) const
    {
        const int descriptor = ::open(QFile::encodeName(m_fileName).constData(), O_RDONLY);
        if (descriptor < 0)
            return false;
        int flags = 0;
        bool done = ::ioctl(descriptor, FS_IOC_GETFLAGS, &flags) == 0;
        if (done) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            done = ::ioctl(descriptor, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(descriptor);
        return done;
    }

    QString m_fileName;
    bool m_set;
};

} // namespace

TEST_F(PageCheck, AFailedReplacementKeepsTheOldSnapshot)
{
    const int row = addFavorite("/page");
    WriteAll(snapshot(row), "old\r\n");
    m_server.setPage("/page", "a longer page\n");
    const ImmutableFile locked(snapshot(row));
    if (!locked.isSet())
        GTEST_SKIP() << "this file system or user cannot make a file immutable";

    const FavoritesList::Row before = cells(row);
    EXPECT_THROW(check(row), FileError);
    EXPECT_EQ(cells(row), before);
    EXPECT_EQ(ReadAll(snapshot(row)), "old\r\n") << "the favorite lost its snapshot";
    EXPECT_EQ(ReadAll(kTempDownloadFileName), "a longer page\r\n");
}
