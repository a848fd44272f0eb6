// The bookmarks readers on files in each of the three kinds, and files that are damaged, huge,
// nested or not bookmarks at all. The export is read back by the list menu's test.
#include "store/Bookmarks.h"
#include "platform/NelvoxError.h"
#include "support/TempWorkDir.h"
#include "support/TestData.h"

#include <QSqlDatabase>
#include <QSqlQuery>

#include <gtest/gtest.h>

namespace {

// Every link in the file's order as "folder/subfolder: title <address>", below the top folder.
QStringList links(const BookmarkTree& tree)
{
    QStringList lines;
    for (const BookmarkEntry& entry : tree.entries()) {
        if (entry.isFolder)
            continue;
        QStringList path;
        for (int folder = entry.parent; folder >= 0; folder = tree.entries()[folder].parent)
            path.prepend(tree.entries()[folder].title);
        // Every link lies below the file's top folder; one outside it is the reader's fault.
        if (path.isEmpty()) {
            ADD_FAILURE() << "a link outside the top folder: " << entry.title.toStdString() << " <"
                          << entry.address.toStdString() << ">";
            lines << "(outside the top folder) " + entry.title + " <" + entry.address + ">";
            continue;
        }
        path.removeFirst();
        lines << (path.isEmpty() ? QString() : path.join('/') + ": ") + entry.title + " <" + entry.address + ">";
    }
    return lines;
}

const QStringList kLinks = { "News: Example <https://example.com/news>", "News/Local: Town <http://town.example/>",
    "News: Example again <https://example.com/news>", "Script <javascript:void(0)>",
    "Home <file:///home/u/index.html>" };

// Firefox's tables as far as Nelvox reads them, written through a write-ahead log that the
// connection keeps open, as a running Firefox does.
void writePlaces(QSqlDatabase& database, const QString& fileName)
{
    database.setDatabaseName(fileName);
    ASSERT_TRUE(database.open());
    QSqlQuery query(database);
    for (const char* statement : { "PRAGMA journal_mode=WAL", "PRAGMA user_version=74",
             "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url TEXT, title TEXT)",
             "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER, parent INTEGER, "
             "position INTEGER, title TEXT, guid TEXT)",
             "INSERT INTO moz_places VALUES (1, 'https://example.com/news', 'x'), (2, 'http://town.example/', NULL), "
             "(3, 'javascript:void(0)', NULL), (4, 'file:///home/u/index.html', NULL)",
             "INSERT INTO moz_bookmarks VALUES (1, 2, NULL, 0, 0, '', 'root________'), "
             "(2, 2, NULL, 1, 0, '', 'toolbar_____'), (3, 2, NULL, 1, 1, '', 'tags________'), "
             "(10, 2, NULL, 2, 0, 'News', 'a'), (12, 2, NULL, 10, 1, 'Local', 'b'), (11, 1, 1, 10, 0, 'Example', 'c'), "
             "(13, 1, 2, 12, 0, 'Town', 'd'), (14, 1, 1, 10, 2, 'Example again', 'e'), (15, 3, NULL, 2, 1, '', 'f'), "
             "(16, 1, 3, 2, 2, 'Script', 'g'), (17, 1, 4, 2, 3, 'Home', 'h'), (20, 2, NULL, 3, 0, 'a tag', 'i'), "
             "(21, 1, 2, 20, 0, 'Tagged', 'j')" })
        ASSERT_TRUE(query.exec(QString::fromLatin1(statement))) << statement;
}

class Bookmarks : public InTempDir { };

TEST_F(Bookmarks, TheThreeKindsGiveTheSameFoldersAndLinks)
{
    WriteAll("bookmarks.html", TestData("bookmarks.html"));
    const QByteArray chromium = TestData("chromium-bookmarks.json");
    WriteAll("Bookmarks", chromium);
    EXPECT_EQ(links(ReadBookmarks("bookmarks.html")), kLinks);
    EXPECT_EQ(links(ReadBookmarks("Bookmarks")), kLinks);
    {
        // Firefox running: its log not yet written back and the database locked.
        QSqlDatabase firefox = QSqlDatabase::addDatabase("QSQLITE", "firefox");
        writePlaces(firefox, "places.sqlite");
        ASSERT_TRUE(QSqlQuery(firefox).exec("BEGIN EXCLUSIVE"));
        ASSERT_TRUE(FileExists("places.sqlite-wal"));
        EXPECT_EQ(links(ReadBookmarks("places.sqlite")), kLinks);
        EXPECT_EQ(ReadBookmarks("places.sqlite").entries()[0].title, "Bookmarks Toolbar");
        // A damaged table that makes the top folder a child of its own subfolder.
        ASSERT_TRUE(QSqlQuery(firefox).exec("UPDATE moz_bookmarks SET parent = 12 WHERE id = 1"));
        ASSERT_TRUE(QSqlQuery(firefox).exec("COMMIT"));
        EXPECT_EQ(links(ReadBookmarks("places.sqlite")), kLinks);
        firefox.close();
    }
    QSqlDatabase::removeDatabase("firefox");
}

TEST_F(Bookmarks, BadFilesSayWhichFileAndWhatIsWrong)
{
    const QByteArray chromium = TestData("chromium-bookmarks.json");
    QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other");
    other.setDatabaseName("other.sqlite");
    ASSERT_TRUE(other.open() && QSqlQuery(other).exec("CREATE TABLE notes (id INTEGER)"));
    other.close();
    const std::pair<QByteArray, QString> cases[] = {
        { "\x89PNG\r\n\x1a\n\0\0", "it is not a bookmarks file" },
        { chromium.left(300), "it is cut short or damaged" },
        { "{\"roots\":" + QByteArray(3000, '[') + QByteArray(3000, ']') + "}", "nested deeper than Nelvox can read" },
        { "{\"version\": 1}", "not a Chromium or Google Chrome bookmarks file" },
        { "<!DOCTYPE NETSCAPE-Bookmark-file-1><DL><p></DL>", "it holds no bookmarks" },
        { QByteArray("SQLite format 3\0", 16) + QByteArray(4000, 'x'), "it is damaged" },
        { ReadAll("other.sqlite"), "not those of Firefox's bookmarks (schema version 0" },
    };
    for (const auto& [bytes, reason] : cases) {
        WriteAll("bad file", bytes);
        try {
            ReadBookmarks("bad file");
            ADD_FAILURE() << "read without a word: " << reason.toStdString();
        } catch (const FileError& error) {
            EXPECT_TRUE(error.message().startsWith("Cannot read the bookmarks in \"bad file\": "))
                << error.message().toStdString();
            EXPECT_TRUE(error.message().contains(reason)) << error.message().toStdString();
        }
    }
    QSqlDatabase::removeDatabase("other");
    EXPECT_THROW(ReadBookmarks("missing.html"), FileError);
}

TEST_F(Bookmarks, LargeDeepAndCutShortHtmlGivesWhatCanBeRead)
{
    // 10,000 folders deep: the link at the bottom lands in the deepest folder kept.
    QByteArray deep = "<!DOCTYPE NETSCAPE-Bookmark-file-1><DL><p>";
    for (int i = 0; i < 10'000; ++i)
        deep += "<DT><H3>F</H3><DL><p>";
    deep += "<DT><A HREF=\"http://deep.example/\">Deep</A>";
    BookmarkTree tree = ReadBookmarksHtml(deep);
    EXPECT_TRUE(tree.isFlattened());
    EXPECT_EQ(links(tree),
        QStringList({ QStringList(BookmarkTree::kMaxDepth - 1, "F").join('/')
            + ": Deep "
              "<http://deep.example/>" }));

    // Cut short inside the third link, with addresses of 10,000 characters.
    const QByteArray address = "http://long.example/" + QByteArray(10'000, 'a');
    const QByteArray link = "<DT><A HREF=\"" + address + "\">Long</A>\n";
    tree = ReadBookmarksHtml("<DL><p>" + link + link + link.left(5000));
    ASSERT_EQ(tree.linkCount(), 2);
    EXPECT_EQ(tree.entries()[1].address, address);

    // 50 MB: the icons that browsers put into their exports.
    const QByteArray icon
        = "<DT><A HREF=\"https://i.example/\" ICON=\"data:image/png;base64," + QByteArray(25'000, 'Q') + "\">I</A>\n";
    tree = ReadBookmarksHtml("<DL><p>" + icon.repeated(2'000));
    EXPECT_EQ(tree.linkCount(), 2'000);
}

} // namespace
