// One stored copy: whole or a difference, read back exactly, small for a changed paragraph,
// and damage found rather than read.
#include "history/PageDelta.h"
#include "history/StoredCopy.h"

#include "HistoryPages.h"

#include <gtest/gtest.h>

namespace {

TEST(StoredCopy, EveryPageComesBackExactlyWholeOrAsADifference)
{
    const QList<QByteArray> paragraphs = ArticleParagraphs(75'000, 1);
    const QByteArray article = JoinPage(paragraphs);
    QList<QByteArray> moved = paragraphs;
    moved.move(3, 200);
    const QList<std::pair<QByteArray, QByteArray>> pairs {
        { article, ChangedArticle(paragraphs, 120, 1) },
        { article, article },
        { article, QByteArray() },
        { QByteArray(), article },
        { article, JoinPage(moved) },
        { article, JoinPage(ArticleParagraphs(75'000, 2)) },
        { "abcabcabc", "cbacbacba" },
        // What the two ends share overlaps in the shorter copy.
        { "aa", "a" },
        { "abcab", "ab" },
        { "ab", "abcab" },
        { QByteArray(1000, 'x'), QByteArray(1001, 'x') },
    };
    for (const auto& [base, page] : pairs) {
        SCOPED_TRACE(testing::Message() << base.size() << " bytes to " << page.size());
        EXPECT_EQ(ReadStoredCopy(StoreWhole(page)), page);
        EXPECT_EQ(ReadStoredCopy(StoreDifference(base, page), base), page);
        EXPECT_EQ(ApplyDelta(base, MakeDelta(base, page), 1 << 20), page);
    }
}

TEST(StoredCopy, AChangedParagraphTakesAFewHundredBytesAndAMovedOneLittleMore)
{
    const QList<QByteArray> paragraphs = ArticleParagraphs(75'000, 3);
    const QByteArray article = JoinPage(paragraphs);
    const QByteArray changed = StoreDifference(article, ChangedArticle(paragraphs, 100, 5));
    EXPECT_TRUE(IsDifference(changed));
    EXPECT_LT(changed.size(), 400) << "one paragraph of about 300 bytes changed";
    QList<QByteArray> moved = paragraphs;
    moved.move(10, 150);
    EXPECT_LT(MakeDelta(article, JoinPage(moved)).size(), 100) << "nothing new, only a paragraph elsewhere";
    // A page that shares nothing with the other is stored whole.
    EXPECT_FALSE(IsDifference(StoreDifference(article, JoinPage(ArticleParagraphs(75'000, 4)))));
}

TEST(StoredCopy, DamageIsFoundAndNothingIsMadeOfIt)
{
    const QList<QByteArray> paragraphs = ArticleParagraphs(20'000, 6);
    const QByteArray base = JoinPage(paragraphs);
    const QByteArray whole = StoreWhole(base);
    const QByteArray difference = StoreDifference(base, ChangedArticle(paragraphs, 10, 1));
    QByteArray flipped = whole;
    flipped[whole.size() / 2] = static_cast<char>(flipped[whole.size() / 2] ^ 0x55);
    QByteArray claimsTooMuch = whole;
    claimsTooMuch[1] = '\x7f'; // the length in front of the zlib stream: about 2 GiB
    QByteArray otherKind = whole;
    otherKind[0] = 'X';
    const QList<std::pair<const char*, QByteArray>> damaged {
        { "empty", QByteArray() },
        { "cut short", whole.left(whole.size() / 2) },
        { "a flipped byte", flipped },
        { "a length beyond any page", claimsTooMuch },
        { "another kind", otherKind },
        { "the kind alone", whole.left(1) },
    };
    for (const auto& [what, stored] : damaged)
        EXPECT_EQ(ReadStoredCopy(stored), std::nullopt) << what;
    EXPECT_EQ(ReadStoredCopy(difference, base.left(base.size() / 2)), std::nullopt) << "a base too short";

    // Steps that reach beyond their base or their copy's length.
    const QByteArray delta = MakeDelta(base, ChangedArticle(paragraphs, 10, 1));
    EXPECT_EQ(ApplyDelta(base.left(100), delta, 1 << 20), std::nullopt);
    EXPECT_EQ(ApplyDelta(base, delta.left(delta.size() - 1), 1 << 20), std::nullopt);
    EXPECT_EQ(ApplyDelta(base, delta, 1000), std::nullopt) << "longer than allowed";
    EXPECT_EQ(ApplyDelta(base,
                  QByteArray("\x03\x0b"
                             "abcde"),
                  10),
        std::nullopt)
        << "more than the length said";
    EXPECT_EQ(ApplyDelta(base, QByteArray("\x05\x00", 2), 10), std::nullopt) << "a step of no length";
    EXPECT_EQ(ApplyDelta(base, QByteArray("\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\x01"), 10), std::nullopt);
}

} // namespace
