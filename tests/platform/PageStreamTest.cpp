// Reading a page line by line: line ends, bytes that are not text, long lines in pieces,
// pages larger than the read-ahead, and transfers that fail while the page is read.
#include "platform/InternetSession.h"
#include "platform/NelvoxError.h"
#include "platform/NetworkTesting.h"
#include "support/HttpServer.h"

using Lines = QList<QByteArray>;

class PageStreamTest : public ::testing::Test {
protected:
    ScopedProxyEnvironment m_noProxy;
    ScopedDownloadLimits m_limits;
    HttpServer m_server;
};

TEST_F(PageStreamTest, SplitsLinesAtLineFeedsAndDropsTheirCarriageReturns)
{
    const struct {
        const char* path;
        QByteArray body;
        Lines lines;
    } cases[] = {
        { "/crlf", "one\r\ntwo\r\n", { "one", "two" } },
        { "/lf", "one\ntwo\n", { "one", "two" } },
        { "/blank-lines", "\n\r\nthree\n\n", { "", "", "three", "" } },
        { "/no-final-line-feed", "one\r\ntwo", { "one", "two" } },
        { "/lone-carriage-returns", "a\rb\r\r\nc\r", { "a\rb\r", "c\r" } },
        { "/empty", "", {} },
        { "/single-line-feed", "\n", { "" } },
    };
    InternetSession session;
    for (const auto& page : cases) {
        SCOPED_TRACE(page.path);
        m_server.setPage(page.path, page.body);
        EXPECT_EQ(DownloadWholePage(session, m_server.url(page.path)).lines, page.lines);
    }
}

TEST_F(PageStreamTest, KeepsEveryByteOfPagesThatAreNotText)
{
    const QByteArray nul("before\0after", 12);
    const QByteArray invalidUtf8("\xff\xfe\xc3(\xed\xa0\x80 latin1 caf\xe9");
    const QByteArray lone(1, '\0');
    m_server.setPage("/bytes", nul + "\r\n" + invalidUtf8 + "\n" + lone + "\n" + lone);
    InternetSession session;
    const Lines expected { nul, invalidUtf8, lone, lone };
    EXPECT_EQ(DownloadWholePage(session, m_server.url("/bytes")).lines, expected);
}

TEST_F(PageStreamTest, JoinsLinesSplitAcrossChunks)
{
    // CR and LF arrive in different chunks, so the reader must not decide on a CR early.
    m_server.setChunkedPage("/chunks", { "fir", "st\r", "\nsec", "ond\r", "\n\r", "\n", "last" });
    InternetSession session;
    const Lines expected { "first", "second", "", "last" };
    EXPECT_EQ(DownloadWholePage(session, m_server.url("/chunks")).lines, expected);
}

TEST_F(PageStreamTest, HandsOutLongLinesInPieces)
{
    const qsizetype piece = PageStream::kMaxPieceBytes;
    const QByteArray huge(3 * piece + 10, 'x');
    const QByteArray fullPiece(piece, 'f'); // then CR LF just past the first piece
    const QByteArray crInside = QByteArray(piece - 1, 'c') + "\rz"; // the CR is content
    const QByteArray justFits(piece - 1, 'j'); // then CR LF at the piece's end
    m_server.setPage("/long",
        huge + "\r\n" + fullPiece + "\r\n" + crInside + "\r\n" + justFits + "\r\nshort\n" + QByteArray(piece + 5, 'e'));
    InternetSession session;
    const ReadPage page = DownloadWholePage(session, m_server.url("/long"));
    const Lines expected { huge, fullPiece, crInside, justFits, "short", QByteArray(piece + 5, 'e') };
    ASSERT_EQ(page.lines.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i)
        EXPECT_TRUE(page.lines[i] == expected[i])
            << "line " << i << " has " << page.lines[i].size() << " bytes, " << expected[i].size() << " expected";
    EXPECT_LE(page.longestPiece, piece) << "a piece is longer than the reader promises";
    EXPECT_GT(page.pieces, page.lines.size()) << "long lines came out whole";
}

TEST_F(PageStreamTest, ReadsPagesMuchLargerThanItsReadAhead)
{
    // Every line is the same, so a lost, repeated or reordered block shows in some line.
    const QByteArray line = QByteArray("0123456789abcdefghijklmnopqrstuvwxyz").repeated(27) + "!\n";
    const qint64 lineCount = 8000;
    m_server.setRepeatedPage("/sized", line, lineCount * line.size(), true);
    m_server.setRepeatedPage("/unsized", line, lineCount * line.size(), false);
    InternetSession session;
    for (const char* path : { "/sized", "/unsized" }) {
        SCOPED_TRACE(path);
        const ReadPage page = DownloadWholePage(session, m_server.url(path));
        EXPECT_EQ(page.lines.size(), lineCount);
        const auto wrong = std::find_if(
            page.lines.begin(), page.lines.end(), [&](const QByteArray& read) { return read != line.chopped(1); });
        EXPECT_TRUE(wrong == page.lines.end()) << "line " << (wrong - page.lines.begin()) << " differs";
    }
}

TEST_F(PageStreamTest, APageClosedHalfReadLeavesNothingBehindForTheNext)
{
    // The first page is large enough that its transfer is paused when it is closed.
    m_server.setRepeatedPage("/large", QByteArray(99, 'x') + "\n", 4 * 1024 * 1024, false);
    m_server.setPage("/small", "small\n");
    InternetSession session;
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        std::unique_ptr<PageStream> large = session.OpenURL(m_server.url("/large"));
        QByteArray line;
        ASSERT_TRUE(large->ReadString(line));
        EXPECT_EQ(line, QByteArray(99, 'x'));
        large->Close();
        EXPECT_FALSE(large->ReadString(line)) << "a closed page reads on";
        EXPECT_EQ(DownloadWholePage(session, m_server.url("/small")).lines, Lines { "small" });
    }
}

TEST_F(PageStreamTest, AConnectionClosedMidPageFailsAfterTheLinesReceived)
{
    m_server.setHangUp("/hang-up", "one\ntwo\npartial", 1000);
    InternetSession session;
    std::unique_ptr<PageStream> stream = session.OpenURL(m_server.url("/hang-up"));
    QByteArray line;
    ASSERT_TRUE(stream->ReadString(line));
    EXPECT_EQ(line, "one");
    ASSERT_TRUE(stream->ReadString(line));
    EXPECT_EQ(line, "two");
    try {
        stream->ReadString(line);
        FAIL() << "the broken page read to an end; last line: " << line.toStdString();
    } catch (const InternetError& error) {
        EXPECT_TRUE(error.message().contains(m_server.url("/hang-up"))) << error.what();
    }
}

TEST_F(PageStreamTest, AStalledPageFailsAfterTheLowSpeedTime)
{
    DownloadLimits::lowSpeedTimeSeconds = 1;
    // Any byte received would keep libcurl's speed above the limit for seconds, so the
    // server stalls right after its headers.
    m_server.setStall("/stall", "", 5000);
    InternetSession session;
    std::unique_ptr<PageStream> stream = session.OpenURL(m_server.url("/stall"));
    QByteArray line;
    EXPECT_THROW(stream->ReadString(line), InternetError);
}

TEST_F(PageStreamTest, APageThatNeverEndsFailsAfterTheTotalTime)
{
    // One byte every 100 ms is fast enough for the low-speed rule, so only the total time
    // can end it.
    DownloadLimits::totalTimeoutSeconds = 1;
    m_server.setTrickle("/trickle", QByteArray(100, 'x') + "\n", std::chrono::milliseconds(100));
    InternetSession session;
    EXPECT_THROW(DownloadWholePage(session, m_server.url("/trickle")), InternetError);
}

TEST_F(PageStreamTest, PagesAboveTheSizeLimitFailWithOrWithoutALength)
{
    DownloadLimits::maxBytes = 100000;
    const QByteArray line(99, 'x');
    m_server.setRepeatedPage("/announced", line + "\n", 200000, true);
    m_server.setRepeatedPage("/unannounced", line + "\n", 200000, false);
    m_server.setRepeatedPage("/at-limit", line + "\n", 100000, false);
    InternetSession session;
    for (const char* path : { "/announced", "/unannounced" }) {
        SCOPED_TRACE(path);
        try {
            DownloadWholePage(session, m_server.url(path));
            FAIL() << "a page of 200000 bytes passed a limit of 100000";
        } catch (const InternetError& error) {
            EXPECT_TRUE(error.message().contains("100000")) << error.what();
        }
    }
    EXPECT_EQ(DownloadWholePage(session, m_server.url("/at-limit")).lines.size(), 1000)
        << "a page of exactly the limit is allowed";
}
