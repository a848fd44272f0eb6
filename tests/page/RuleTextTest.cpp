// The text a Page text rule compares, on pages the tests write: link targets, the part of the
// page a selector chooses, selectors that cannot be used, the ignored lines and numbers, and
// pages too large or too slow to read.
#include "page/RuleText.h"
#include "page/PageDiff.h"
#include "page/PageText.h"

#include <QElapsedTimer>

#include <future>

#include <gtest/gtest.h>

namespace {

const QDeadlineTimer kPlenty { std::chrono::seconds(30) };

ChangeRule pageText(const QString& part = {}, bool links = true)
{
    ChangeRule rule;
    rule.kind = ChangeRule::Kind::PageText;
    rule.linkAddresses = links;
    rule.part = part;
    return rule;
}

// The lines as one string, link lines marked "->", ignored ones "(...)".
std::string shown(const RuleText& text)
{
    QStringList lines;
    for (const RuleLine& line : text.lines) {
        const QString shown = (line.link ? QStringLiteral("->") : QString()) + line.text;
        lines.append(line.ignored ? u'(' + shown + u')' : shown);
    }
    return lines.join(u'|').toStdString();
}

const QByteArray kShop = "<html><head><title>Shop</title><meta charset=utf-8></head><body>"
                         "<div id=nav><a href='/'>Home</a> <a href=' /cart '>Cart</a></div>"
                         "<div class='item sale' data-sku=A1><h2>Tea</h2><p>Price <b>2.50</b></p>"
                         "<a href='/tea?x=1&amp;y=2'>More</a></div>"
                         "<div class=item data-sku=\"B 2\"><h2>Cake</h2><p class=price>3.00</p></div>"
                         "<noscript><a href='/hidden'>no</a></noscript>"
                         "<footer><p>Updated 9 minutes ago</p></footer></body></html>";

TEST(RuleText, LinkTargetsFollowTheLineTheyAreIn)
{
    EXPECT_EQ(shown(ReadRuleText(kShop, pageText(), kPlenty)),
        "Shop|Home Cart|->/|->/cart|Tea|Price 2.50|More|->/tea?x=1&y=2|Cake|3.00|Updated 9 minutes ago");
    EXPECT_EQ(shown(ReadRuleText(kShop, pageText({}, false), kPlenty)),
        "Shop|Home Cart|Tea|Price 2.50|More|Cake|3.00|Updated 9 minutes ago");
    EXPECT_EQ(shown(ReadRuleText("<p>a <a>no target</a> <a href=''>empty</a> <a href=x>x</a>", pageText(), kPlenty)),
        "a no target empty x|->x");
}

// Checks read their pages on a pool of threads: the parser's state is each parse's own.
TEST(RuleText, ReadsTheSameOnSeveralThreadsAtOnce)
{
    const auto readBoth = [] {
        return shown(ReadRuleText(kShop, pageText(QStringLiteral("div p, h2")), kPlenty)) + " / "
            + shown(ReadRuleText(kShop, pageText(QStringLiteral("//h2 | //p")), kPlenty));
    };
    const std::string alone = readBoth();
    ASSERT_EQ(alone, "Tea|Price 2.50|Cake|3.00 / Tea|Price 2.50|Cake|3.00|Updated 9 minutes ago");
    std::vector<std::future<bool>> threads;
    for (int thread = 0; thread < 4; ++thread) {
        threads.push_back(std::async(std::launch::async, [&] {
            bool same = true;
            for (int i = 0; i < 100; ++i)
                same = same && readBoth() == alone && !IsValidPart(QStringLiteral("//p["));
            return same;
        }));
    }
    for (std::future<bool>& thread : threads)
        EXPECT_TRUE(thread.get());
}

TEST(RuleText, SelectorsChooseThePartCompared)
{
    const struct {
        const char* part;
        const char* lines;
    } cases[] = {
        { "h2", "Tea|Cake" },
        { "H2", "Tea|Cake" },
        { "#nav", "Home Cart|->/|->/cart" },
        { ".sale h2", "Tea" },
        { ".item > p", "Price 2.50|3.00" },
        { "div > b", "" }, // <b> is inside a <p>
        { "div p b", "2.50" },
        { "[data-sku]", "Tea|Price 2.50|More|->/tea?x=1&y=2|Cake|3.00" },
        { "div[data-sku=A1] h2", "Tea" },
        { "[data-sku=\"B 2\"] p.price", "3.00" },
        { "[data-sku='B 2']>h2", "Cake" },
        { "p.price, #nav a, title", "Shop|Home|->/|Cart|->/cart|3.00" },
        { "*.item.sale", "Tea|Price 2.50|More|->/tea?x=1&y=2" },
        { "div, h2", "Home Cart|->/|->/cart|Tea|Price 2.50|More|->/tea?x=1&y=2|Cake|3.00" },
        { "//div[@class='item']//p", "3.00" },
        { "(//h2)[2]", "Cake" },
        { "//a/@href", "/|/cart|/tea?x=1&y=2|/hidden" },
        { "//footer//text()", "Updated 9 minutes ago" },
    };
    for (const auto& example : cases) {
        const RuleText text = ReadRuleText(kShop, pageText(QString::fromUtf8(example.part)), kPlenty);
        if (std::string(example.lines).empty()) {
            EXPECT_EQ(text.status, RuleText::Status::PartMissing) << example.part << ": " << shown(text);
            continue;
        }
        EXPECT_EQ(text.status, RuleText::Status::Read) << example.part;
        EXPECT_EQ(shown(text), example.lines) << "part: " << example.part;
    }
    EXPECT_EQ(ReadRuleText(kShop, pageText(QStringLiteral("#basket")), kPlenty).status, RuleText::Status::PartMissing);
    EXPECT_EQ(ReadRuleText(kShop, pageText(QStringLiteral("div[")), kPlenty).status, RuleText::Status::PartMissing);
    EXPECT_EQ(
        ReadRuleText(kShop, pageText(QStringLiteral("//p[nosuch()]")), kPlenty).status, RuleText::Status::PartMissing);
}

TEST(RuleText, SelectorsThatCannotBeUsedSayWhere)
{
    const struct {
        const char* part;
        const char* problem;
    } cases[] = {
        { "div]", "Unexpected \"]\" at character 4." },
        { "div[a]]", "Unexpected \"]\" at character 7." },
        { "div >", "The selector ends too early, after character 5." },
        { "a,,b", "Unexpected \",\" at character 3." },
        { "div[x~=y]", "Unexpected \"~\" at character 6." },
        { "p:first-child", "Unexpected \":\" at character 2." },
        { "[x=\"y]", "The quote at character 4 is not closed." },
        { "count(//a)", "Unexpected \"(\" at character 6." },
        { "//div[", "XPath: Invalid expression at the end of the expression." },
        { "  //p)", "XPath: Invalid expression at character 6." },
        { "//div[contains(@class,'x')", "XPath: Invalid predicate at the end of the expression." },
        { "(1 + 2)", "The XPath expression gives a number, not a part of the page." },
        { "//p[nosuch()]", "XPath: Unregistered function." },
    };
    for (const auto& example : cases) {
        QString problem;
        EXPECT_FALSE(IsValidPart(QString::fromUtf8(example.part), &problem)) << example.part;
        EXPECT_EQ(problem.toStdString(), example.problem) << "part: " << example.part;
    }
    for (const char* good :
        { "", "  ", "h1", "#main .price > b, [data-x='a\"b']", ".md\\:flex", "//a/@href", "(//p)[1]" }) {
        QString problem;
        EXPECT_TRUE(IsValidPart(QString::fromUtf8(good), &problem)) << good << ": " << problem.toStdString();
    }
}

TEST(RuleText, IgnoredLinesAndNumbersAreLeftOutOfWhatCounts)
{
    ChangeRule rule = pageText();
    rule.ignoreLines = QStringList { QStringLiteral("MINUTES AGO"), QStringLiteral("/^Price \\d/"),
        QStringLiteral("/cart"), QStringLiteral(" ") };
    const RuleText text = ReadRuleText(kShop, rule, kPlenty);
    EXPECT_EQ(shown(text),
        "Shop|Home Cart|->/|(->/cart)|Tea|(Price 2.50)|More|->/tea?x=1&y=2|Cake|3.00|(Updated 9 "
        "minutes ago)");
    EXPECT_EQ(text.counted(rule).join(u'|'), QStringLiteral("Shop|Home Cart|/|Tea|More|/tea?x=1&y=2|Cake|3.00"));
    rule.ignoreNumbers = true;
    EXPECT_EQ(text.counted(rule).join(u'|'), QStringLiteral("Shop|Home Cart|/|Tea|More|/tea?x=&y=|Cake|."));
}

TEST(RuleText, PagesTooLargeOrTooSlowAreComparedByLength)
{
    const QByteArray huge = "<p>" + QByteArray(kMaxPageBytes, 'x');
    EXPECT_EQ(ReadRuleText(huge, pageText(), kPlenty).status, RuleText::Status::TooLarge);
    EXPECT_EQ(ReadRuleText(kShop, pageText(), QDeadlineTimer(0)).status, RuleText::Status::TooLarge);

    // 100,000 nested elements: read, selected and walked well within the time a check has.
    QByteArray deep = "<title>deep</title>";
    for (int i = 0; i < 100000; ++i)
        deep += i % 1000 == 999 ? "<div class=k>" : "<div>";
    deep += "<a href=/end>end</a>";
    QElapsedTimer timer;
    timer.start();
    const RuleText text
        = ReadRuleText(deep, pageText(QStringLiteral("div.k > a")), QDeadlineTimer(PageDiff::kTimeBudget));
    EXPECT_EQ(text.status, RuleText::Status::Read) << "after " << timer.elapsed() << " ms";
    EXPECT_EQ(shown(text), "end|->/end");
    EXPECT_EQ(shown(ReadRuleText(deep, pageText(QStringLiteral("div div div.k > a")), kPlenty)), "end|->/end");
    // Selectors whose work grows with the square of the depth are stopped: one that makes
    // every element look at all its ancestors, and XPath, whose steps can be quadratic.
    for (const char* slow : { "nosuch div", "//div//div" }) {
        timer.start();
        const RuleText text
            = ReadRuleText(deep, pageText(QString::fromUtf8(slow)), QDeadlineTimer(PageDiff::kTimeBudget));
        EXPECT_LT(timer.elapsed(), PageDiff::kTimeBudget.count() + 1000) << slow;
        EXPECT_EQ(text.status, RuleText::Status::TooLarge) << slow;
    }
}

TEST(RuleText, RelativeTimesCompareAsTimesInEveryLanguageAndDatesAsDigits)
{
    ChangeRule rule = pageText();
    rule.ignoreSelfChanging = true;
    const auto counted = [&rule](const QByteArray& line) {
        RuleText text;
        text.lines.append({ QString::fromUtf8(line) });
        return text.counted(rule).join(u'|').toStdString();
    };
    const std::pair<const char*, const char*> same[] = {
        { "Updated 9 minutes ago", "Updated 12 minutes ago" },
        { "Posted an hour ago by Ann", "Posted 3 hours ago by Ann" },
        { "Seen just now", "Seen yesterday" },
        { "Aktualisiert vor 9 Minuten", "Aktualisiert gestern" },
        { "Mis à jour il y a 9 minutes", "Mis à jour hier" },
        { "Mis à jour il y a une heure", "Mis à jour à l'instant" },
    };
    for (const auto& [before, after] : same)
        EXPECT_EQ(counted(before), counted(after)) << before;
    const std::pair<const char*, const char*> changed[] = {
        { "Open 9 to 17", "Open 9 to 18" },
        { "Updated 9 minutes ago by Ann", "Updated 9 minutes ago by Bob" },
        { "Updated 2026-12-08", "Updated 2026-12-09" },
        { "9 minutes agony", "12 minutes agony" },
    };
    for (const auto& [before, after] : changed)
        EXPECT_NE(counted(before), counted(after)) << before;
    rule.ignoreSelfChanging = false;
    EXPECT_NE(counted("Updated 9 minutes ago"), counted("Updated 12 minutes ago")) << "without the option";
}

TEST(RuleText, WhatDiffersBetweenTwoLoadsIsLearnedAsItsShape)
{
    ChangeRule rule = pageText();
    rule.ignoreSelfChanging = true;
    const auto read = [&rule](const QByteArray& page) { return ReadRuleText(page, rule, kPlenty); };
    EXPECT_EQ(MaskedShape("8,204 views, session a1b2c3d4e5, v2"), "# views, session #, v#");
    const RuleText first = read("<p>Tea 2.50</p><p>8,204 views</p><p>Sponsored: rain boots</p>"
                                "<p>Updated 9 minutes ago</p><a href='/n?t=9f8e7d6c'>News</a><p>Buy now</p>");
    const RuleText second = read("<p>Tea 2.50</p><p>8,207 views</p><p>Sponsored: rubber boots</p>"
                                 "<p>Updated 10 minutes ago</p><a href='/n?t=0a1b2c3d'>News</a><p>Try our app</p>");
    const SelfChangingShapes found = FindSelfChanging(first, second, rule);
    EXPECT_EQ(found.lines, QStringList({ "# views", "Sponsored: * boots", "Buy now", "Try our app" }));
    EXPECT_EQ(found.links, QStringList({ "/n?t=#" }));

    // A learned shape counts as itself wherever it is, and only there.
    rule.learnedLines = found.lines;
    rule.learnedLinks = found.links;
    const RuleText later = read("<p>Tea 2.60</p><p>9,000 views</p><p>Sponsored: snow boots</p>"
                                "<p>Updated an hour ago</p><a href='/n?t=77aa88bb'>News</a><p>Buy now</p>");
    const QStringList before = first.counted(rule);
    const QStringList after = later.counted(rule);
    ASSERT_EQ(before.size(), after.size());
    for (qsizetype line = 0; line < before.size(); ++line)
        EXPECT_EQ(before[line] == after[line], line != 0) << before[line].toStdString();
}

} // namespace
