// The file of what the checks found: read past what it does not know, keep it, lose only what
// cannot be read.
#include "store/FavoriteStates.h"
#include "platform/NelvoxError.h"
#include "store/FavoritesList.h"
#include "support/TempWorkDir.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

using FavoriteStatesTest = InTempDir;

TEST_F(FavoriteStatesTest, KeepsWhatItDoesNotKnowAndLosesOnlyLinesItCannotRead)
{
    WriteAll(kStatesFileName,
        "# a comment\r\n"
        "stray line before any block\r\n"
        "[http://a.example/]\r\n"
        "checked=2026-12-07T17:00:00\r\n"
        "outcome=failed\r\n"
        "failure=HTTP 404 Not Found\r\n"
        "failures-in-a-row=3\r\n"
        "failing-since=2026-12-07T15:00:00\r\n"
        "rule=text\r\n" // a key of a newer build
        "fetched=not a time\r\n"
        "failures-in-a-row=-4x\r\n"
        "etag=\"v1\"\r\n"
        "[http://gone.example/]\r\n"
        "outcome=unchanged\r\n"
        "[http://b.example/]\n" // a line end as an editor may leave it, and a file cut short
        "last-modified=Sat, 02 Oct 2021 09:00:00 GMT\r\n"
        "outco");
    FavoriteStates states;
    states.load();
    const FavoriteState* a = states.find("http://a.example/");
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(a->isFailing());
    EXPECT_EQ(a->failure, "HTTP 404 Not Found");
    EXPECT_EQ(a->failuresInARow, 0) << "the later, broken count replaces the earlier one with nothing";
    EXPECT_EQ(a->failingSince, QDateTime(QDate(2026, 12, 7), QTime(15, 0)));
    EXPECT_FALSE(a->fetched.isValid());
    EXPECT_EQ(a->etag, "\"v1\"");
    ASSERT_NE(states.find("http://b.example/"), nullptr);
    EXPECT_EQ(states.find("http://b.example/")->lastModified, "Sat, 02 Oct 2021 09:00:00 GMT");

    // Written back: the list's addresses only, the unknown key kept, in the file's own line ends.
    FavoritesList list;
    list.insertFavorite(0, "http://b.example/");
    list.insertFavorite(1, "http://a.example/");
    list.insertFavorite(2, "http://a.example/");
    states.save(list);
    const QByteArray saved = ReadAll(kStatesFileName);
    EXPECT_FALSE(saved.contains("gone.example")) << "a favorite no longer in the list";
    EXPECT_EQ(saved.count("[http://a.example/]"), 1) << "one block for rows that share an address";
    EXPECT_TRUE(saved.contains("\r\nrule=text\r\n"));
    EXPECT_TRUE(saved.contains("\r\n# a comment\r\nstray line before any block\r\n"));
    EXPECT_TRUE(saved.contains("\r\noutco\r\n")) << "a line cut short is kept as it was";
    FavoriteStates again;
    again.load();
    EXPECT_EQ(again.find("http://a.example/")->failure, "HTTP 404 Not Found");
    EXPECT_EQ(again.failingCount(list), 2);

    // A missing file is an empty store, and so is one that is not a file.
    QFile::remove(kStatesFileName);
    QDir().mkdir(kStatesFileName);
    again.load();
    EXPECT_EQ(again.find("http://a.example/"), nullptr);
    EXPECT_THROW(states.save(list), FileError);
}

TEST_F(FavoriteStatesTest, ReadsHandEditedLinesAndKeepsACountOfOne)
{
    WriteAll(kStatesFileName,
        "[http://a.example/]\r\n"
        "outcome = failed\r\n"
        " failure= HTTP 404 Not Found \r\n"
        "failures-in-a-row =2\r\n");
    FavoriteStates states;
    states.load();
    const FavoriteState* a = states.find("http://a.example/");
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(a->isFailing()) << "a hand-edited outcome was not read";
    EXPECT_EQ(a->failure, "HTTP 404 Not Found");
    EXPECT_EQ(a->failuresInARow, 2);

    // The first failure's count survives a restart, so that the next one counts two.
    FavoriteState& b = states.at("http://b.example/");
    b.outcome = FavoriteState::Outcome::Failed;
    b.failuresInARow = 1;
    FavoritesList list;
    list.insertFavorite(0, "http://a.example/");
    list.insertFavorite(1, "http://b.example/");
    states.save(list);
    const QByteArray saved = ReadAll(kStatesFileName);
    EXPECT_TRUE(saved.contains("[http://a.example/]\r\noutcome=failed\r\nfailure=HTTP 404 Not Found\r\n"
                               "failures-in-a-row=2\r\n"))
        << "written as the program writes it: " << saved.constData();
    FavoriteStates again;
    again.load();
    ASSERT_NE(again.find("http://b.example/"), nullptr);
    EXPECT_EQ(again.find("http://b.example/")->failuresInARow, 1);
}

} // namespace
