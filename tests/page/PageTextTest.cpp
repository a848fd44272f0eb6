// A page's readable text and source lines, on pages the tests write: what must go, what must
// stay, how lines are made, and character sets.
#include "page/PageText.h"

#include "page/PageDiff.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

QStringList readable(const QByteArray& page)
{
    return PageText(page).readableLines().value_or(QStringList { QStringLiteral("(the parse gave up)") });
}

std::string shown(const QStringList& lines)
{
    return ("[" + lines.join(QStringLiteral("|")) + "]").toStdString();
}

#define EXPECT_LINES(page, ...)                                                                                        \
    do {                                                                                                               \
        const QStringList actual = readable(page);                                                                     \
        const QStringList expected = __VA_ARGS__;                                                                      \
        EXPECT_TRUE(actual == expected) << "page: " << QByteArray(page).toStdString() << "\n  got " << shown(actual)   \
                                        << "\n  expected " << shown(expected);                                         \
    } while (false)

TEST(PageText, LeavesOutMarkupScriptsStylesAndComments)
{
    EXPECT_LINES("<!DOCTYPE html><html><head><title>News</title>"
                 "<style>p { color: red }</style><script>var shown = 'no';</script>"
                 "<meta name=description content='not text'></head>"
                 "<body><!-- a comment --><p class=lead>Hello <b>bold</b> <a href='/x'>world</a></p>"
                 "<script type=module>document.write('<p>late</p>')</script>"
                 "<noscript>Enable scripts</noscript><template><p>later</p></template>"
                 "<img alt=picture src=x.png><p>End</p></body></html>",
        { "News", "Hello bold world", "End" });
}

TEST(PageText, BlocksAndLineBreaksEndLinesAndWhiteSpaceCollapses)
{
    EXPECT_LINES("<div>one</div><div>two<br>three<br/><br>four</div>", { "one", "two", "three", "four" });
    EXPECT_LINES("<ul><li>a<li>b</ul><h1>Title</h1>text<p>para", { "a", "b", "Title", "text", "para" });
    EXPECT_LINES("  lots \t of\n\n   space  <span>in</span>\r\nline  ", { "lots of space in line" });
    EXPECT_LINES("in<b>line</b> <i>words</i> stay<em>together</em>", { "inline words staytogether" });
    EXPECT_LINES(
        "<pre>first  line\nsecond line\n\nthird</pre>after", { "first line", "second line", "third", "after" });
    EXPECT_LINES("a&nbsp;&nbsp;b", { "a b" });
}

TEST(PageText, TablesGiveARowPerLineWithItsCellsApart)
{
    EXPECT_LINES("<table><caption>Prices</caption><tr><th>Item<th>Price</tr>"
                 "<tr><td>Tea</td><td>2.50</td></tr><tr><td></td><td>3.00</td></tr>"
                 "<tr><td>Cake</td><td></td></tr></table>",
        { "Prices", "Item\tPrice", "Tea\t2.50", "3.00", "Cake" });
}

TEST(PageText, DecodesCharacterReferences)
{
    // The parser follows HTML 4 here: a name without its ";" stays as written, and references
    // to characters that cannot be are dropped.
    EXPECT_LINES("Fish &amp; chips &lt;3 &eacute;t&#233; &#x20AC;5 &copy &unknown; &#0; &#x110000;",
        { QString::fromUtf8("Fish & chips <3 été €5 &copy &unknown;") });
    EXPECT_LINES("<p title='&amp;'>&quot;quoted&quot;</p>", { "\"quoted\"" });
}

TEST(PageText, UnclosedAndBrokenTagsStillGiveTheText)
{
    EXPECT_LINES("<p>one<p>two<div><b>three", { "one", "two", "three" });
    EXPECT_LINES("<table><tr><td>cell<td>next", { "cell\tnext" });
    EXPECT_LINES("text <a href='x", { "text" });
    EXPECT_LINES("</p></div>stray end tags</b>", { "stray end tags" });
    EXPECT_LINES("<script>never closed <p>hidden", {});
    EXPECT_LINES("before<!-- never closed comment", { "before" });
}

TEST(PageText, ReadsTheDeclaredCharacterSet)
{
    const struct {
        QByteArray page;
        const char* declared;
        const char* text; // UTF-8
    } cases[] = {
        { "<meta charset=\"ISO-8859-1\"><p>caf\xE9 \x80", "ISO-8859-1", "café €" },
        { "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-15\"><p>\xA4", "iso-8859-15", "€" },
        { "<meta http-equiv=content-type content='text/html;charset=\"Shift_JIS\"'><p>\x93\xFA\x96\x7B", "Shift_JIS",
            "日本" },
        { "<meta charset=EUC-KR><p>\xC7\xD1\xB1\xDB", "EUC-KR", "한글" },
        { "<meta charset=gb2312><p>\xC4\xE3\xBA\xC3 \x81\x40", "gb2312", "你好 丂" },
        { "<meta charset=KOI8-R><p>\xF0\xD2\xC9\xD7\xC5\xD4", "KOI8-R", "Привет" },
        // Past the first kilobyte, where the search looks first.
        { "<!--" + QByteArray(2000, 'x') + "--><meta charset=KOI8-R><p>\xF0\xD2\xC9\xD7\xC5\xD4", "KOI8-R", "Привет" },
        { "<meta charset=utf-8><p>caf\xC3\xA9", "utf-8", "café" },
        { "<p>caf\xC3\xA9 without a tag", "", "café without a tag" },
        { "<meta charset=no-such-set><p>caf\xC3\xA9", "no-such-set", "café" },
    };
    for (const auto& example : cases) {
        const PageText text(example.page);
        EXPECT_EQ(text.declaredCharset(), QByteArray(example.declared)) << example.page.toStdString();
        EXPECT_EQ(readable(example.page), QStringList({ QString::fromUtf8(example.text) }))
            << example.declared << ": " << shown(readable(example.page));
    }
}

TEST(PageText, BytesNotValidInTheirCharacterSetBecomeReplacementCharacters)
{
    const QString bad = QString(QChar::ReplacementCharacter);
    // Invalid UTF-8: a lone continuation byte, a cut sequence, a byte never used.
    const QStringList utf8 = readable("<p>a\x80z b\xE2\x82z c\xFFz");
    ASSERT_EQ(utf8.size(), 1) << shown(utf8);
    EXPECT_TRUE(utf8[0].startsWith("a" + bad)) << shown(utf8);
    EXPECT_TRUE(utf8[0].contains("c" + bad + "z")) << shown(utf8);
    // Shift_JIS with a lead byte whose second byte is invalid, and a byte that is no lead.
    const QStringList sjis = readable("<meta charset=shift_jis><p>\x93\xFA\x81\x20x\xFF");
    ASSERT_EQ(sjis.size(), 1) << shown(sjis);
    EXPECT_TRUE(sjis[0].startsWith(QString::fromUtf8("日"))) << shown(sjis);
    EXPECT_TRUE(sjis[0].contains(bad)) << shown(sjis);
    for (const QChar character : sjis[0])
        EXPECT_GE(int(character.unicode()), 0x20) << "control character in " << shown(sjis);
    // The source view decodes the same way.
    const QStringList source = PageText("<meta charset=euc-kr>\r\n\xC7\xD1\xFF\r\n").sourceLines();
    EXPECT_EQ(source, QStringList({ "<meta charset=euc-kr>", QString::fromUtf8("한") + bad }));
}

TEST(PageText, EmptyAndBinaryPagesGiveNoTroubleAndNoControlCharacters)
{
    EXPECT_TRUE(readable("").isEmpty());
    EXPECT_TRUE(readable("   \r\n\t ").isEmpty());
    EXPECT_TRUE(PageText("").sourceLines().isEmpty());

    QByteArray binary("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16);
    QRandomGenerator random(13);
    for (int i = 0; i < 64 * 1024; ++i)
        binary += static_cast<char>(random.bounded(256));
    const PageText text(binary);
    for (const QStringList& lines : { readable(binary), text.sourceLines() }) {
        EXPECT_FALSE(lines.isEmpty());
        for (const QString& line : lines) {
            for (const QChar character : line)
                ASSERT_TRUE(character.unicode() >= 0x20 || character == QLatin1Char('\t'))
                    << "control character " << int(character.unicode());
        }
    }
}

TEST(PageText, SourceLinesAreTheSnapshotLinesWithTheirMarkup)
{
    EXPECT_EQ(PageText("<p>one</p>\r\n\r\n<p>two\rstill two</p>\r\n").sourceLines(),
        QStringList({ "<p>one</p>", "", QString::fromUtf8("<p>two\xEF\xBF\xBDstill two</p>") }));
    EXPECT_EQ(PageText("no line end").sourceLines(), QStringList({ "no line end" }));
}

// Pages that an HTML5 parser took minutes over (its time grew with the square of the unclosed
// tags), or that nest deeper than a recursive walk of the tree could go.
QByteArray repeated(const QByteArray& start, int times, const QByteArray& each = {})
{
    QByteArray page = start;
    for (int i = 0; i < times; ++i)
        page += QByteArray(each).replace("%1", QByteArray::number(i));
    return page;
}

TEST(PageText, ReadsPagesWithTensOfThousandsOfUnclosedTagsWithinItsDeadline)
{
    const struct {
        const char* what;
        QByteArray page;
    } pages[] = {
        { "200,000 unclosed <div>", repeated("<p>start", 200000, "<div>") },
        { "60,000 unclosed <b> with attributes", repeated("<p>start", 60000, "<b x=%1>x") },
        { "unclosed <div> in Latin-1", repeated("<meta charset=iso-8859-1><p>caf\xE9", 200000, "<div>") },
    };
    for (const auto& page : pages) {
        const std::optional<QStringList> lines
            = PageText(page.page, QDeadlineTimer(PageDiff::kTimeBudget)).readableLines();
        ASSERT_TRUE(lines.has_value()) << page.what << ": not read within " << PageDiff::kTimeBudget.count() << " ms";
        ASSERT_FALSE(lines->isEmpty()) << page.what;
        EXPECT_TRUE(lines->first().startsWith(QStringLiteral("start")) || lines->first() == QString::fromUtf8("café"))
            << page.what << ": " << lines->first().left(40).toStdString();
    }
}

TEST(PageText, GivesUpAtItsDeadline)
{
    const struct {
        const char* what;
        QByteArray page;
    } slowPages[] = {
        { "8 MiB of paragraphs", repeated("<title>T</title>", 200000, "<p>line %1 of a long page</p>\r\n") },
        // Each stray end tag makes the parser search all the open elements.
        { "stray end tags 60,000 deep", repeated(repeated("<p>", 60000, "<b>"), 60000, "</i>") },
    };
    for (const auto& slow : slowPages) {
        QElapsedTimer timer;
        timer.start();
        const PageText text(slow.page, QDeadlineTimer(std::chrono::milliseconds(20)));
        const std::optional<QStringList> lines = text.readableLines();
        EXPECT_LT(timer.elapsed(), 1000) << slow.what << ": the parse went on past its deadline";
        EXPECT_FALSE(lines.has_value()) << slow.what;
        EXPECT_FALSE(text.sourceLines().isEmpty()) << slow.what << ": the source lines need no parse";
    }

    // A deadline that leaves time enough changes nothing.
    const QByteArray page = repeated("<title>T</title>", 2000, "<p>line %1</p>\r\n");
    const std::optional<QStringList> lines = PageText(page, QDeadlineTimer(std::chrono::seconds(30))).readableLines();
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(lines->size(), 2001);
    EXPECT_EQ(lines->last(), QStringLiteral("line 1999"));
}

TEST(PageText, ReadsPagesNestedHundredsOfThousandsDeep)
{
    // Quick for the parser, but the tree is 400,000 elements deep: freeing it or walking it
    // recursively runs out of stack.
    const std::optional<QStringList> lines
        = PageText(repeated("<title>deep</title>", 400000, "<span>x")).readableLines();
    ASSERT_TRUE(lines.has_value());
    ASSERT_EQ(lines->size(), 2);
    EXPECT_EQ(lines->at(0), QStringLiteral("deep"));
    EXPECT_EQ(lines->at(1), QString(400000, QLatin1Char('x')));
}

} // namespace
