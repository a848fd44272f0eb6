// Line differences: lines added, removed, moved and changed, the folding of unchanged text,
// and the time limit; and the two copies of a favorite compared from their files.
#include "page/PageDiff.h"

#include "check/ChangeRule.h"
#include "check/PageChanges.h"
#include "check/SnapshotName.h"
#include "check/SnapshotReplace.h"
#include "support/TempWorkDir.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

namespace {

using Kind = PageDiff::Kind;

// A hunk written as text: "-" removed, "+" added, " " unchanged, one line each.
QStringList marked(const PageDiff::Hunk& hunk)
{
    QStringList lines;
    for (const PageDiff::Line& line : hunk.lines)
        lines << (line.kind == Kind::Removed ? "-" : line.kind == Kind::Added ? "+" : " ") + line.text;
    return lines;
}

QStringList numbered(int count, const QString& prefix = QStringLiteral("line "))
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << prefix + QString::number(i);
    return lines;
}

TEST(PageDiff, AddedRemovedMovedAndChangedLines)
{
    const struct {
        const char* what;
        QStringList before;
        QStringList after;
        QStringList hunk;
        int added;
        int removed;
    } cases[] = {
        { "added", { "a", "b" }, { "a", "new", "b" }, { " a", "+new", " b" }, 1, 0 },
        { "removed", { "a", "old", "b" }, { "a", "b" }, { " a", "-old", " b" }, 0, 1 },
        { "changed", { "a", "price 5", "b" }, { "a", "price 6", "b" }, { " a", "-price 5", "+price 6", " b" }, 1, 1 },
        { "moved", { "m", "a", "b" }, { "a", "b", "m" }, { "-m", " a", " b", "+m" }, 1, 1 },
        { "all new", {}, { "x", "y" }, { "+x", "+y" }, 2, 0 },
        { "all gone", { "x", "y" }, {}, { "-x", "-y" }, 0, 2 },
        { "repeated lines", { "x", "x", "x" }, { "x", "x" }, { " x", " x", "-x" }, 0, 1 },
    };
    for (const auto& example : cases) {
        const PageDiff diff(example.before, example.after);
        ASSERT_FALSE(diff.tooLarge()) << example.what;
        EXPECT_EQ(diff.added(), example.added) << example.what;
        EXPECT_EQ(diff.removed(), example.removed) << example.what;
        ASSERT_EQ(diff.hunks().size(), 1) << example.what;
        EXPECT_EQ(marked(diff.hunks().first()), example.hunk)
            << example.what << ": " << marked(diff.hunks().first()).join('|').toStdString();
    }

    // Nothing changed: no hunk, every line folded.
    const PageDiff same(numbered(5), numbered(5));
    EXPECT_TRUE(same.isEmpty());
    EXPECT_TRUE(same.hunks().isEmpty());
    EXPECT_EQ(same.foldedAtEnd(), 5);
}

TEST(PageDiff, FoldsUnchangedTextToThreeLinesAroundEachChange)
{
    QStringList after = numbered(100);
    after[20] = "changed 20";
    after[26] = "changed 26"; // 5 unchanged lines from 20: one hunk
    after[60] = "changed 60"; // far away: a hunk of its own
    after.removeAt(98); // near the end: joined with nothing, context cut by the end
    const PageDiff diff(numbered(100), after);
    EXPECT_EQ(diff.added(), 3);
    EXPECT_EQ(diff.removed(), 4);
    ASSERT_EQ(diff.hunks().size(), 3);

    const PageDiff::Hunk& first = diff.hunks()[0];
    EXPECT_EQ(first.foldedBefore, 17);
    EXPECT_EQ(first.oldStart, 17);
    EXPECT_EQ(first.newStart, 17);
    EXPECT_EQ(marked(first).first(), " line 17");
    EXPECT_EQ(marked(first).last(), " line 29");
    EXPECT_EQ(first.lines.size(), 3 + 2 + 5 + 2 + 3);

    const PageDiff::Hunk& second = diff.hunks()[1];
    EXPECT_EQ(second.foldedBefore, 57 - 30);
    EXPECT_EQ(marked(second),
        QStringList(
            { " line 57", " line 58", " line 59", "-line 60", "+changed 60", " line 61", " line 62", " line 63" }));

    const PageDiff::Hunk& third = diff.hunks()[2];
    EXPECT_EQ(third.foldedBefore, 95 - 64);
    EXPECT_EQ(third.oldStart, 95);
    EXPECT_EQ(marked(third), QStringList({ " line 95", " line 96", " line 97", "-line 98", " line 99" }));
    EXPECT_EQ(diff.foldedAtEnd(), 0);

    // Every old line is in a hunk or folded away, once.
    qsizetype oldLines = diff.foldedAtEnd();
    for (const PageDiff::Hunk& hunk : diff.hunks()) {
        oldLines += hunk.foldedBefore;
        for (const PageDiff::Line& line : hunk.lines)
            oldLines += line.kind != Kind::Added;
    }
    EXPECT_EQ(oldLines, 100);
}

TEST(PageDiff, GivesUpAsTooLargeWhenTheTimeIsSpent)
{
    // Two long pages with nothing in common but every other line: the search for the shortest
    // edit takes far longer than the time allowed.
    QStringList before;
    QStringList after;
    for (int i = 0; i < 40000; ++i) {
        before << QStringLiteral("old %1").arg(i) << QStringLiteral("same %1").arg(i % 7);
        after << QStringLiteral("new %1").arg(i) << QStringLiteral("same %1").arg(i % 5);
    }
    QElapsedTimer timer;
    timer.start();
    const PageDiff diff(before, after, std::chrono::milliseconds(100));
    EXPECT_TRUE(diff.tooLarge());
    EXPECT_TRUE(diff.hunks().isEmpty());
    EXPECT_LT(timer.elapsed(), 1500) << "the comparison did not stop when its time was spent";

    // The time limit does not cut short a comparison that fits in it.
    const PageDiff small(before.mid(0, 200), after.mid(0, 200), std::chrono::milliseconds(2000));
    EXPECT_FALSE(small.tooLarge());
    EXPECT_GT(small.added(), 0);
}

class PageChangesOfAFavorite : public InTempDir {
protected:
    const QString m_address = QStringLiteral("http://example.org/news.html");
    QString snapshot() const { return SnapshotFileName(m_address); }
    QString previous() const { return PreviousCopyName(snapshot()); }
};

TEST_F(PageChangesOfAFavorite, TellsTextFromMarkupChangesAndMissingOrLargeCopies)
{
    using State = PageChanges::State;
    EXPECT_EQ(PageChanges(m_address).state(), State::NoPreviousCopy) << "no files at all";
    WriteAll(snapshot(), "<p>one</p>\r\n<p>two</p>\r\n");
    EXPECT_EQ(PageChanges(m_address).state(), State::NoPreviousCopy) << "a snapshot only";

    WriteAll(previous(), "<p>one</p>\r\n");
    PageChanges text(m_address);
    ASSERT_EQ(text.state(), State::TextChanged);
    ASSERT_TRUE(text.textDiff().has_value());
    EXPECT_EQ(text.textDiff()->added(), 1);
    EXPECT_EQ(text.textDiff()->removed(), 0);
    ASSERT_TRUE(text.sourceDiff().has_value());
    EXPECT_EQ(text.sourceDiff()->added(), 1);
    EXPECT_TRUE(text.previousTime().isValid() && text.snapshotTime().isValid());

    WriteAll(previous(), "<p class=x>one</p>\r\n<div>two</div>\r\n");
    PageChanges markup(m_address);
    EXPECT_EQ(markup.state(), State::MarkupOnly);
    ASSERT_TRUE(markup.sourceDiff().has_value());
    EXPECT_EQ(markup.sourceDiff()->added() + markup.sourceDiff()->removed(), 4);

    WriteAll(previous(), ReadAll(snapshot()));
    EXPECT_EQ(PageChanges(m_address).state(), State::Same);

    WriteAll(previous(), QByteArray(PageChanges::kMaxPageBytes + 1, 'x'));
    PageChanges large(m_address);
    EXPECT_EQ(large.state(), State::TooLarge);
    EXPECT_FALSE(large.sourceDiff().has_value()) << "a page over the limit is not compared at all";
    WriteAll(previous(), QByteArray(PageChanges::kMaxPageBytes, 'x'));
    EXPECT_NE(PageChanges(m_address).state(), State::TooLarge) << "the limit itself is allowed";

    // A small page that the parser would take minutes over runs out of the comparison's time,
    // which the reading of the text shares with the diff; its source lines need no parse.
    // (Each of 100,000 stray end tags makes the parser search 100,000 open elements.)
    WriteAll(previous(), "<p>one</p>\r\n" + QByteArray("<b>").repeated(100000) + QByteArray("</i>").repeated(100000));
    QElapsedTimer timer;
    timer.start();
    PageChanges slow(m_address, std::chrono::milliseconds(300));
    EXPECT_EQ(slow.state(), State::TooLarge);
    EXPECT_LT(timer.elapsed(), 5000) << "reading the text went on past the comparison's time";
    ASSERT_TRUE(slow.sourceDiff().has_value());
    EXPECT_FALSE(slow.sourceDiff()->tooLarge());
    EXPECT_EQ(slow.sourceDiff()->removed(), 1);
    EXPECT_EQ(slow.sourceDiff()->added(), 1);
}

// Under Page length, re-indented markup and a counter ring; the window names the Page text
// rule under which they would not have, and shows the text that rule compares.
TEST_F(PageChangesOfAFavorite, OffersTheStricterRuleUnderWhichTheLatestChangeWouldNotCount)
{
    using Offer = PageChanges::Offer;
    const ChangeRule pageText = ChangeRule::pageText();
    ChangeRule withNumbers = pageText;
    withNumbers.ignoreNumbers = true;
    WriteAll(previous(), "<p>Price 12 EUR</p><p>Seen 8,204 times</p>");

    WriteAll(snapshot(), "<p>Price 12 EUR</p>\n  <p>Seen 8,204 times</p>");
    PageChanges markup(m_address);
    EXPECT_EQ(markup.offer(), Offer::IgnoreMarkup);
    EXPECT_EQ(markup.offeredRule(), pageText);
    EXPECT_EQ(PageChanges(m_address, pageText).offer(), Offer::None) << "nothing to offer a rule it already has";

    WriteAll(snapshot(), "<p>Price 12 EUR</p><p>Seen 8,311 times</p>");
    EXPECT_EQ(PageChanges(m_address).offer(), Offer::IgnoreNumbers);
    EXPECT_EQ(PageChanges(m_address).offeredRule(), withNumbers);
    ChangeRule own = pageText;
    own.ignoreLines = { "nothing here" };
    PageChanges counter(m_address, own);
    EXPECT_EQ(counter.offer(), Offer::IgnoreNumbers);
    withNumbers.ignoreLines = own.ignoreLines;
    EXPECT_EQ(counter.offeredRule(), withNumbers) << "the favorite's own options stay";

    WriteAll(snapshot(), "<p>Price 13 EUR</p><p>Seen 8,311 times</p>");
    EXPECT_EQ(PageChanges(m_address).offer(), Offer::IgnoreNumbers) << "a price is a number too";
    WriteAll(snapshot(), "<p>Price 12 USD</p><p>Seen 8,311 times</p>");
    EXPECT_EQ(PageChanges(m_address).offer(), Offer::None) << "the text changed";

    // The lines the rule ignores are known to the window, which greys them.
    own.ignoreLines = { "seen" };
    PageChanges ignoring(m_address, own);
    EXPECT_EQ(ignoring.state(), PageChanges::State::TextChanged);
    EXPECT_TRUE(ignoring.isIgnored("Seen 8,311 times"));
    EXPECT_FALSE(ignoring.isIgnored("Price 12 USD"));
}

TEST_F(PageChangesOfAFavorite, ShowsWhatChangesByItselfCountsALearnedLineAgainAndOffersTheOption)
{
    using Offer = PageChanges::Offer;
    ChangeRule rule = ChangeRule::pageText();
    const QByteArray page = "<p>Price 12 EUR</p><p>Updated 9 minutes ago</p><p>Seen 8,204 times</p>"
                            "<a href='/n?t=9f8e7d6c'>News</a>";
    WriteAll(previous(), page);
    WriteAll(snapshot(), QByteArray(page).replace("9 minutes", "3 hours"));
    PageChanges timeOnly(m_address, rule);
    EXPECT_EQ(timeOnly.offer(), Offer::IgnoreSelfChanging);
    EXPECT_TRUE(timeOnly.offeredRule().ignoreSelfChanging);
    EXPECT_FALSE(timeOnly.changesByItself("Updated 3 hours ago")) << "shown so only under the option";
    WriteAll(snapshot(), QByteArray(page).replace("9 minutes", "3 hours").replace("12 EUR", "13 EUR"));
    EXPECT_NE(PageChanges(m_address, rule).offer(), Offer::IgnoreSelfChanging) << "the price changed too";

    rule.ignoreSelfChanging = true;
    rule.learnedLines = QStringList { "Seen # times" };
    rule.learnedLinks = QStringList { "/n?t=#" };
    WriteAll(snapshot(),
        QByteArray(page).replace("9 minutes", "3 hours").replace("8,204", "8,311").replace("9f8e7d6c", "0a1b2c3d"));
    PageChanges learned(m_address, rule);
    EXPECT_EQ(learned.state(), PageChanges::State::TextChanged);
    EXPECT_EQ(learned.offer(), Offer::None);
    for (const QString& line : { QStringLiteral("Seen 8,311 times"), QStringLiteral("Seen 8,204 times"),
             QStringLiteral("Updated 3 hours ago"), PageChanges::LinkLine("/n?t=0a1b2c3d") })
        EXPECT_TRUE(learned.changesByItself(line)) << line.toStdString();
    EXPECT_FALSE(learned.changesByItself("Price 12 EUR"));

    // The dialog's rule keeps what was learned while it still ignores what changes by itself.
    ChangeRule chosen = ChangeRule::pageText();
    chosen.ignoreSelfChanging = true;
    EXPECT_EQ(KeepingLearned(chosen, rule), rule);
    chosen.ignoreSelfChanging = false;
    EXPECT_EQ(KeepingLearned(chosen, rule), chosen);

    EXPECT_TRUE(PageChanges::CountAgain(rule, "Seen 8,311 times"));
    EXPECT_TRUE(rule.learnedLines.isEmpty());
    EXPECT_FALSE(PageChanges::CountAgain(rule, "Seen 8,311 times")) << "nothing left to forget";
    EXPECT_FALSE(PageChanges(m_address, rule).changesByItself("Seen 8,311 times"));
    EXPECT_EQ(rule.learnedLinks, QStringList { "/n?t=#" });
    EXPECT_TRUE(PageChanges::CountAgain(rule, PageChanges::LinkLine("/n?t=0a1b2c3d")));
    EXPECT_TRUE(rule.learnedLinks.isEmpty());
}

} // namespace
