// Loading and saving "nelvox.ini", byte for byte.
#include "store/FavoritesFile.h"
#include "AddRow.h"
#include "platform/NelvoxError.h"
#include "store/FavoritesList.h"
#include "support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <array>

namespace {

// A favorite's four cells as the file writes them.
using Row = std::array<QString, FavoritesList::ColumnCount>;

std::vector<Row> cellsOf(const FavoritesList& list)
{
    std::vector<Row> rows(static_cast<size_t>(list.count()));
    for (int row = 0; row < list.count(); ++row) {
        for (int column = 0; column < FavoritesList::ColumnCount; ++column)
            rows[static_cast<size_t>(row)][static_cast<size_t>(column)] = list.text(row, column);
    }
    return rows;
}

std::vector<Row> loadFile(const QByteArray& bytes, bool* opened = nullptr)
{
    WriteAll(QStringLiteral("nelvox.ini"), bytes);
    FavoritesList list;
    const bool result = LoadFavorites(list);
    if (opened)
        *opened = result;
    return cellsOf(list);
}

std::string describe(const Row& row)
{
    std::string text;
    for (const QString& cell : row)
        text += "[" + cell.toStdString() + "]";
    return text;
}

class FavoritesFile : public InTempDir { };

TEST_F(FavoritesFile, RoundTripsChangedAndUnchangedRowsWithoutGrowingSpaces)
{
    FavoritesList list;
    AddRow(list, { "http://a.example/", "H", "07/09/04 05:03 PM", "" });
    AddRow(list, { "http://b.example/x", "M", "Never", "YES" });
    SaveFavorites(list);
    EXPECT_EQ(ReadAll("nelvox.ini"),
        QByteArray("2\r\nhttp://a.example/ H07/09/04 05:03 PM \r\nhttp://b.example/x MNever YES\r\n"));

    for (int round = 0; round < 3; ++round) {
        FavoritesList again;
        ASSERT_TRUE(LoadFavorites(again));
        ASSERT_EQ(cellsOf(again), cellsOf(list)) << "round " << round;
        SaveFavorites(again);
    }
    EXPECT_EQ(ReadAll("nelvox.ini"),
        QByteArray("2\r\nhttp://a.example/ H07/09/04 05:03 PM \r\nhttp://b.example/x MNever YES\r\n"));
}

// The list holds values: a frequency, a time or never, a mark. Text that is none of them is
// kept as it stood until the program sets the value, so a hand-edited file saves back the same.
TEST_F(FavoritesFile, ReadsValuesAndKeepsTextThatIsNone)
{
    const QByteArray file = "6\r\nhttp://a/ H12/06/26 02:35 AM YES\r\nhttp://b/ M07/09/04 12:03 PM \r\n"
                            "http://c/ ?Never \r\nhttp://d/ D12/06/26 02:35 am \r\nhttp://e/ W13/40/26 02:35 AM \r\n"
                            "http://f/ D12/06/26 2:35 AM YES\r\n";
    WriteAll(QStringLiteral("nelvox.ini"), file);
    FavoritesList list;
    ASSERT_TRUE(LoadFavorites(list));
    ASSERT_EQ(list.count(), 6);
    EXPECT_EQ(list.at(0).frequency, FREQ_HOURLY);
    EXPECT_EQ(list.at(0).lastUpdated, QDateTime(QDate(2026, 12, 6), QTime(2, 35)));
    EXPECT_TRUE(list.at(0).changed);
    EXPECT_EQ(list.at(1).lastUpdated, QDateTime(QDate(2004, 7, 9), QTime(12, 3))) << "two digits of the year";
    EXPECT_FALSE(list.at(1).changed);
    EXPECT_EQ(list.at(2).frequency, FREQ_NONE);
    EXPECT_FALSE(list.at(2).lastUpdated.isValid());
    EXPECT_FALSE(list.at(2).unreadLastUpdated) << "Never is a value";
    for (int row : { 3, 4, 5 })
        EXPECT_FALSE(list.at(row).lastUpdated.isValid()) << list.text(row, FavoritesList::LastUpdated).toStdString();
    SaveFavorites(list);
    EXPECT_EQ(ReadAll(QStringLiteral("nelvox.ini")), file);

    // A value set by the program takes the place of the text it could not read.
    list.setFrequency(2, FREQ_WEEKLY);
    list.setLastUpdated(4, QDateTime(QDate(2026, 12, 8), QTime(17, 5, 59)));
    EXPECT_EQ(list.cells(2), (FavoritesList::Cells { "http://c/", "W", "Never", "" }));
    EXPECT_EQ(list.cells(4), (FavoritesList::Cells { "http://e/", "W", "12/08/26 05:05 PM", "" }));
    EXPECT_EQ(list.at(4).lastUpdated, QDateTime(QDate(2026, 12, 8), QTime(17, 5))) << "kept to the minute";
}

TEST_F(FavoritesFile, OnlyTrailingYesMarksARowChanged)
{
    const auto rows = loadFile("4\r\n"
                               "http://YES.example/YES DNever \r\n"
                               "http://x.example/ WNever YES\r\n"
                               "http://y.example/ HNeverYES\r\n"
                               "http://z.example/ H07/09/04 05:03 PM   YES\r\n");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(describe(rows[0]), "[http://YES.example/YES][D][Never][]");
    EXPECT_EQ(describe(rows[1]), "[http://x.example/][W][Never][YES]");
    EXPECT_EQ(describe(rows[2]), "[http://y.example/][H][NeverYES][]") << "YES without its space is text";
    EXPECT_EQ(describe(rows[3]), "[http://z.example/][H][07/09/04 05:03 PM][YES]") << "spaces before YES trimmed";

    // An address holding YES survives a save and load with its mark still clear.
    FavoritesList list;
    AddRow(list, { "http://host/ YES", "D", "Never", "" });
    SaveFavorites(list);
    FavoritesList again;
    LoadFavorites(again);
    ASSERT_EQ(again.count(), 1);
    EXPECT_EQ(describe(cellsOf(again)[0]), "[http://host/][Y][ES DNever][]")
        << "a space cuts the address and the next character becomes the Updates letter";
}

TEST_F(FavoritesFile, ReadsTheCountTheWayAtoiDoes)
{
    const QByteArray rows3 = "a H1 \r\nb D2 \r\nc W3 \r\n";
    struct Case {
        QByteArray countLine;
        size_t expected;
    };
    const Case cases[] = {
        { "0", 0 },
        { "-2", 0 },
        { "abc", 0 },
        { "", 0 },
        { "  2", 2 },
        { "+2", 2 },
        { "2 favorites", 2 },
        { "3", 3 },
        { "9", 3 }, // more than the lines present: stops at the end of the file
        { "99999999999999999999", 3 },
    };
    for (const Case& test : cases) {
        bool opened = false;
        const auto rows = loadFile(test.countLine + "\r\n" + rows3, &opened);
        EXPECT_TRUE(opened) << test.countLine.constData();
        EXPECT_EQ(rows.size(), test.expected) << "count line \"" << test.countLine.constData() << "\"";
        for (const Row& row : rows)
            EXPECT_FALSE(row[0].isEmpty()) << "no rows of empty cells for \"" << test.countLine.constData() << "\"";
    }
    EXPECT_EQ(ParseCount("\t\n 12x"), 12);
    EXPECT_EQ(ParseCount("- 3"), 0);
}

TEST_F(FavoritesFile, SplitsOddLines)
{
    const auto rows = loadFile("5\n"
                               "nospaceatall\n"
                               "\n"
                               "http://h/ \n"
                               " H\n"
                               "http://h/ Dx\n"
                               "ignored after the count\n");
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(describe(rows[0]), "[][n][ospaceatall][]") << "no space: empty address, first character as Updates";
    EXPECT_EQ(describe(rows[1]), "[][][][]") << "an empty line within the count is a row";
    EXPECT_EQ(describe(rows[2]), "[http://h/][][][]");
    EXPECT_EQ(describe(rows[3]), "[][H][][]");
    EXPECT_EQ(describe(rows[4]), "[http://h/][D][x][]");
}

TEST_F(FavoritesFile, AcceptsBareLineFeedsAndKeepsOtherBytes)
{
    const auto lf = loadFile("2\nhttp://a/ HNever \nhttp://b/ DNever YES\n");
    const auto crlf = loadFile("2\r\nhttp://a/ HNever \r\nhttp://b/ DNever YES\r\n");
    EXPECT_EQ(lf, crlf);
    ASSERT_EQ(lf.size(), 2u);
    EXPECT_EQ(describe(lf[1]), "[http://b/][D][Never][YES]");

    // A lone CR inside a line is part of the line; no last line end is needed.
    const auto noFinalEnd = loadFile("1\r\nhttp://a/\rb HNever YES");
    ASSERT_EQ(noFinalEnd.size(), 1u);
    EXPECT_EQ(noFinalEnd[0][0], QStringLiteral("http://a/\rb"));
    EXPECT_EQ(noFinalEnd[0][3], QStringLiteral("YES"));
}

TEST_F(FavoritesFile, ReadsUtf8AndFallsBackToLatin1)
{
    const auto rows = loadFile("3\r\n"
                               "http://caf\xc3\xa9.example/ HNever \r\n"
                               "http://caf\xe9.example/ DNever YES\r\n"
                               "http://\xff\xfe\x80/ WNever \r\n");
    ASSERT_EQ(rows.size(), 3u) << "invalid UTF-8 must not drop a row";
    EXPECT_EQ(rows[0][0], QString::fromUtf8("http://caf\xc3\xa9.example/"));
    EXPECT_EQ(rows[1][0], QString::fromUtf8("http://caf\xc3\xa9.example/")) << "Latin-1 é";
    EXPECT_EQ(rows[1][3], QStringLiteral("YES"));
    EXPECT_EQ(rows[2][1], QStringLiteral("W"));

    // Saved back, every line is UTF-8.
    FavoritesList list;
    LoadFavorites(list);
    SaveFavorites(list);
    EXPECT_TRUE(ReadAll("nelvox.ini").contains("http://caf\xc3\xa9.example/ DNever YES\r\n"));
}

TEST_F(FavoritesFile, EmptyListSavesAsZeroAndMissingFileIsNotOpened)
{
    FavoritesList empty;
    EXPECT_FALSE(LoadFavorites(empty)) << "no file yet";
    EXPECT_EQ(empty.count(), 0);

    SaveFavorites(empty);
    EXPECT_EQ(ReadAll("nelvox.ini"), QByteArray("0\r\n")) << "the file is created when missing";

    bool opened = false;
    EXPECT_TRUE(loadFile("0", &opened).empty());
    EXPECT_TRUE(opened);
}

TEST_F(FavoritesFile, SaveShortensALongerOldFile)
{
    WriteAll("nelvox.ini", "3\r\na HNever \r\nb HNever \r\nc HNever \r\n");
    FavoritesList list;
    AddRow(list, { "z", "D", "Never", "" });
    SaveFavorites(list);
    EXPECT_EQ(ReadAll("nelvox.ini"), QByteArray("1\r\nz DNever \r\n"));
}

TEST_F(FavoritesFile, LoadsMoreThanTheAddLimitWhole)
{
    QByteArray text = "1500\r\n";
    for (int i = 0; i < 1500; ++i)
        text += "http://host/" + QByteArray::number(i) + " HNever \r\n";
    EXPECT_EQ(loadFile(text).size(), 1500u);
}

TEST_F(FavoritesFile, FailedSaveLeavesTheOldFileAndSaysWhy)
{
    // A directory in the way of the temporary file cannot be beaten by root either: the
    // save target's directory is a regular file.
    WriteAll("notadir", "x");
    FavoritesList list;
    AddRow(list, { "a", "H", "Never", "" });
    try {
        SaveFavorites(list, QStringLiteral("notadir/nelvox.ini"));
        FAIL() << "a save into a file as directory must fail";
    } catch (const FileError& error) {
        EXPECT_TRUE(error.message().contains("notadir/nelvox.ini")) << error.message().toStdString();
    }
    EXPECT_EQ(ReadAll("notadir"), QByteArray("x"));
}

} // namespace
