// The history file: every copy kept with its time and read back exactly, the first copies
// of a favorite that had none, the rule that thins them, and files it must leave alone.
#include "support/TempWorkDir.h"
#include "history/HistoryDatabase.h"
#include "history/HistoryRecorder.h"

#include "HistoryPages.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <gtest/gtest.h>

namespace {

const QString kAddress = QStringLiteral("http://news.example/today");
const QDateTime kStart(QDate(2022, 6, 1), QTime(8, 0), Qt::UTC);

HistoryEntry entry(
    const QString& address, const QByteArray& page, const QDateTime& taken, const QByteArray* replaced = nullptr)
{
    HistoryEntry made { address, { page, taken }, std::nullopt, std::nullopt, {} };
    if (replaced)
        made.replaced = PageFile { *replaced, taken.addSecs(-3600) };
    return made;
}

// Runs `statement` on a connection of the test's own.
void execute(const QString& fileName, const QString& statement)
{
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("test"));
        database.setDatabaseName(fileName);
        ASSERT_TRUE(database.open());
        QSqlQuery query(database);
        ASSERT_TRUE(query.exec(statement)) << statement.toStdString();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("test"));
}

class HistoryDatabaseTest : public InTempDir {
protected:
    // Versions of one article, each a paragraph apart from the one before.
    QList<QByteArray> versions(int count, quint32 draw = 1)
    {
        const QList<QByteArray> paragraphs = ArticleParagraphs(75'000, draw);
        QList<QByteArray> pages;
        for (int version = 0; version < count; ++version)
            pages.append(ChangedArticle(paragraphs, (version * 37) % paragraphs.size(), version + draw * 1000));
        return pages;
    }
    // Every copy of `address` read back, the newest first.
    QList<QByteArray> pages(HistoryDatabase& history, const QString& address = kAddress)
    {
        QList<QByteArray> read;
        for (const HistoryCopy& copy : history.copies(address))
            read.append(history.read(copy.id).value_or("(none)"));
        return read;
    }
};

TEST_F(HistoryDatabaseTest, EveryCopyIsKeptWithItsTimeAndComesBackAsItWas)
{
    const QList<QByteArray> pages = versions(30);
    {
        HistoryDatabase history;
        for (int version = 0; version < pages.size(); ++version) {
            const QByteArray* replaced = version > 0 ? &pages[version - 1] : nullptr;
            history.keep(entry(kAddress, pages[version], kStart.addSecs(version * 3600), replaced));
        }
        // One of them again, whose replaced snapshot is not the newest copy: stored once more
        // as a copy, its page not again.
        history.keep(entry(kAddress, pages[3], kStart.addSecs(30 * 3600)));
        // The newest again: no new copy.
        history.keep(entry(kAddress, pages[3], kStart.addSecs(31 * 3600), &pages[3]));
        EXPECT_LT(history.bytesUsed(), 75'000) << "one page whole, 29 as differences";
    }
    HistoryDatabase reopened;
    const QList<HistoryCopy> copies = reopened.copies(kAddress);
    ASSERT_EQ(copies.size(), 31);
    EXPECT_EQ(copies.first().taken, kStart.addSecs(30 * 3600));
    EXPECT_EQ(copies.last().taken, kStart);
    EXPECT_EQ(copies.first().size, pages[3].size());
    QList<QByteArray> expected { pages[3] };
    for (qsizetype version = pages.size() - 1; version >= 0; --version)
        expected.append(pages[version]);
    EXPECT_TRUE(this->pages(reopened) == expected) << "a copy came back other than it was kept";
    EXPECT_EQ(reopened.read(copies.first().id + 1000), std::nullopt);
    EXPECT_TRUE(reopened.copies(QStringLiteral("http://other.example/")).isEmpty());
    EXPECT_TRUE(QFileInfo::exists("nelvox.history"));
}

TEST_F(HistoryDatabaseTest, AFavoriteWithoutAHistoryStartsWithItsPreviousCopyAndTheSnapshotReplaced)
{
    const QList<QByteArray> pages = versions(4);
    HistoryDatabase history;
    HistoryEntry first = entry(kAddress, pages[2], kStart, &pages[1]);
    first.previous = PageFile { pages[0], kStart.addDays(-2) };
    history.keep(first);
    // Later copies bring them along too, and are not taken again.
    HistoryEntry second = entry(kAddress, pages[3], kStart.addSecs(60), &pages[2]);
    second.previous = PageFile { pages[1], kStart.addDays(-1) };
    history.keep(second);
    const QList<HistoryCopy> copies = history.copies(kAddress);
    ASSERT_EQ(copies.size(), 4);
    EXPECT_EQ(copies[2].taken, kStart.addSecs(-3600)) << "the snapshot replaced, at its file's time";
    EXPECT_EQ(copies[3].taken, kStart.addDays(-2)) << "the previous copy, at its file's time";
    EXPECT_TRUE(this->pages(history) == (QList<QByteArray> { pages[3], pages[2], pages[1], pages[0] }));

    // Copies kept together, as the history's thread keeps those that wait: in their order, a
    // favorite's second resting on its first.
    history.keep(std::vector<HistoryEntry> { entry("http://other.example/", pages[0], kStart),
        entry(kAddress, pages[0], kStart.addSecs(120), &pages[3]),
        entry("http://other.example/", pages[1], kStart.addSecs(1), &pages[0]) });
    EXPECT_TRUE(this->pages(history, "http://other.example/") == (QList<QByteArray> { pages[1], pages[0] }));
    EXPECT_EQ(this->pages(history).first(), pages[0]);
}

TEST_F(HistoryDatabaseTest, ThinnedCopiesGoAndEveryCopyLeftStillReads)
{
    const QList<QByteArray> pages = versions(12);
    HistoryLimits limits;
    limits.maxCopiesPerFavorite = 5;
    HistoryDatabase history(QStringLiteral("nelvox.history"), limits);
    // Back and forth, so that copies share pages and differences rest on thinned ones.
    const QList<int> order { 0, 1, 2, 1, 3, 4, 0, 5, 6, 7, 6, 8, 9, 10, 11 };
    for (qsizetype at = 0; at < order.size(); ++at) {
        history.keep(entry(kAddress, pages[order[at]], kStart.addSecs(at * 60)));
        QList<QByteArray> expected;
        for (qsizetype back = at; back >= 0 && expected.size() < 5; --back)
            expected.append(pages[order[back]]);
        ASSERT_TRUE(this->pages(history) == expected) << "after copy " << at;
    }
    // Days later the rule keeps the last copy of the day.
    history.keep(entry(kAddress, pages[0], kStart.addDays(30)));
    EXPECT_TRUE(this->pages(history) == (QList<QByteArray> { pages[0], pages[11] }));
}

TEST_F(HistoryDatabaseTest, PastItsSizeTheOldestCopiesOfAllGoFirstButNotTheNewestOfEach)
{
    HistoryLimits limits;
    limits.maxBytes = 400 * 1024;
    auto history = std::make_unique<HistoryDatabase>(QStringLiteral("nelvox.history"), limits);
    // Pages that share nothing are stored whole, about 25 KB each.
    for (int round = 0; round < 12; ++round) {
        for (int favorite = 0; favorite < 3; ++favorite) {
            const QString address = QStringLiteral("http://site%1.example/").arg(favorite);
            const QDateTime taken = kStart.addSecs((round * 3 + favorite) * 60);
            history->keep(entry(address, JoinPage(ArticleParagraphs(75'000, round * 10 + favorite + 1)), taken));
        }
    }
    EXPECT_LE(history->bytesUsed(), limits.maxBytes);
    QDateTime oldestLeft = kStart.addDays(1);
    int left = 0;
    for (int favorite = 0; favorite < 3; ++favorite) {
        const QList<HistoryCopy> copies = history->copies(QStringLiteral("http://site%1.example/").arg(favorite));
        ASSERT_FALSE(copies.isEmpty());
        EXPECT_EQ(copies.first().taken, kStart.addSecs((11 * 3 + favorite) * 60)) << "the newest stays";
        oldestLeft = std::min(oldestLeft, copies.last().taken);
        left += static_cast<int>(copies.size());
    }
    EXPECT_LT(left, 36) << "nothing was thinned";
    EXPECT_GE(left, 6);
    // Whatever is left is the newest of all: no copy older than the oldest left remains
    // elsewhere, and every one taken after it is still there.
    int newer = 0;
    for (int index = 0; index < 36; ++index)
        newer += kStart.addSecs(index * 60) >= oldestLeft;
    EXPECT_EQ(left, newer);
    // The space that copies took goes back to the file system when they go.
    history.reset();
    const qint64 full = QFileInfo("nelvox.history").size();
    EXPECT_LE(full, limits.maxBytes);
    {
        HistoryDatabase forgetting;
        forgetting.forget("http://site0.example/");
        forgetting.forget("http://site1.example/");
    }
    EXPECT_LT(QFileInfo("nelvox.history").size(), full / 2);
}

TEST_F(HistoryDatabaseTest, ForgettingAnAddressDropsItsCopiesAndTheLastLookedCopyIsRemembered)
{
    const QList<QByteArray> pages = versions(3);
    HistoryDatabase history;
    for (int version = 0; version < 3; ++version) {
        history.keep(entry(kAddress, pages[version], kStart.addSecs(version)));
        history.keep(entry("http://kept.example/", pages[version], kStart.addSecs(version)));
    }
    EXPECT_EQ(history.lastLooked(kAddress), std::nullopt);
    const qint64 looked = history.copies(kAddress)[1].id;
    history.setLastLooked(kAddress, looked);
    EXPECT_EQ(history.lastLooked(kAddress), looked);
    QStringList addresses = history.addresses();
    addresses.sort();
    EXPECT_EQ(addresses, (QStringList { "http://kept.example/", kAddress }));
    history.forget(kAddress);
    EXPECT_EQ(history.addresses(), QStringList { "http://kept.example/" });
    EXPECT_TRUE(history.copies(kAddress).isEmpty());
    EXPECT_EQ(history.lastLooked(kAddress), std::nullopt);
    EXPECT_TRUE(this->pages(history, "http://kept.example/") == (QList<QByteArray> { pages[2], pages[1], pages[0] }));
    // The address comes back with a history of its own.
    history.keep(entry(kAddress, pages[0], kStart.addSecs(10)));
    EXPECT_EQ(history.copies(kAddress).size(), 1);
}

// Files that are not a history this program can write: each stays byte for byte as it was.
TEST_F(HistoryDatabaseTest, AFileItCannotKeepIsLeftAsItIsWithAMessageThatSaysWhy)
{
    const QByteArray page = JoinPage(ArticleParagraphs(5'000, 9));
    auto refused = [&](const char* why) {
        const QByteArray before = ReadAll("nelvox.history");
        HistoryDatabase history;
        try {
            history.keep(entry(kAddress, page, kStart));
            ADD_FAILURE() << "kept in a file that " << why;
        } catch (const HistoryError& error) {
            EXPECT_TRUE(error.message().contains(QLatin1String(why))) << error.message().toStdString();
            EXPECT_TRUE(error.message().startsWith("The history of the pages cannot be kept in \"nelvox.history\""));
        }
        EXPECT_EQ(ReadAll("nelvox.history"), before) << why;
    };
    WriteAll("nelvox.history", "# notes, not a database\n" + QByteArray(5000, 'n'));
    refused("is not a database");
    QFile::remove("nelvox.history");
    execute("nelvox.history", "CREATE TABLE places(id INTEGER PRIMARY KEY, url TEXT)");
    refused("is not a history of Nelvox");
    QFile::remove("nelvox.history");
    {
        HistoryDatabase(QStringLiteral("nelvox.history")).keep(entry(kAddress, page, kStart));
    }
    execute("nelvox.history", "PRAGMA user_version=2");
    refused("a newer version of Nelvox wrote it");
}

TEST_F(HistoryDatabaseTest, ADamagedCopyOrALockedFileIsAFailureThatSaysSo)
{
    const QList<QByteArray> pages = versions(3);
    {
        HistoryDatabase history;
        history.keep(entry(kAddress, pages[0], kStart));
        history.keep(entry(kAddress, pages[1], kStart.addSecs(60), &pages[0]));
    }
    execute("nelvox.history", "UPDATE contents SET data = X'57000000ff78' WHERE base IS NULL");
    HistoryDatabase history;
    const QList<HistoryCopy> copies = history.copies(kAddress);
    ASSERT_EQ(copies.size(), 2);
    for (const HistoryCopy& copy : copies)
        EXPECT_THROW(history.read(copy.id), HistoryError);
    try {
        // The snapshot replaced is not the newest copy: its page must be read from the file.
        history.keep(entry(kAddress, pages[2], kStart.addSecs(120)));
        ADD_FAILURE() << "kept on a damaged copy";
    } catch (const HistoryError& error) {
        EXPECT_TRUE(error.message().contains("a copy in it cannot be read")) << error.message().toStdString();
    }

    QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
    other.setDatabaseName("nelvox.history");
    ASSERT_TRUE(other.open());
    ASSERT_TRUE(QSqlQuery(other).exec("BEGIN EXCLUSIVE"));
    HistoryDatabase locked;
    try {
        locked.keep(entry("http://new.example/", pages[0], kStart));
        ADD_FAILURE() << "kept in a file another program holds";
    } catch (const HistoryError& error) {
        EXPECT_TRUE(error.message().contains("another program keeps it locked")) << error.message().toStdString();
    }
    QSqlQuery(other).exec("ROLLBACK");
    other.close();
    other = {};
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
}

TEST_F(HistoryDatabaseTest, TheRecorderWritesOnItsOwnThreadAndSaysOnceThatItCannot)
{
    const QList<QByteArray> pages = versions(3);
    {
        HistoryRecorder recorder;
        EXPECT_FALSE(QFileInfo::exists("nelvox.history")) << "no history before the first copy";
        for (int version = 0; version < 3; ++version)
            recorder.keep(entry(kAddress, pages[version], kStart.addSecs(version)));
        EXPECT_TRUE(recorder.hasKept(kAddress));
        ASSERT_TRUE(recorder.waitUntilWritten(30'000));
        EXPECT_EQ(HistoryDatabase().copies(kAddress).size(), 3);
        ForgetHistory(&recorder, kAddress);
        ASSERT_TRUE(recorder.waitUntilWritten(30'000));
        EXPECT_TRUE(HistoryDatabase().copies(kAddress).isEmpty());
    }
    {
        // A recorder of a later start learns which favorites have a history when it opens it.
        {
            HistoryRecorder(QStringLiteral("nelvox.history")).keep(entry("http://kept.example/", pages[0], kStart));
        }
        HistoryRecorder later;
        EXPECT_FALSE(later.hasKept("http://kept.example/"));
        later.keep(entry(kAddress, pages[1], kStart.addSecs(20)));
        ASSERT_TRUE(later.waitUntilWritten(30'000));
        QCoreApplication::processEvents();
        EXPECT_TRUE(later.hasKept("http://kept.example/"));
        later.forget(kAddress);
    }

    WriteAll("nelvox.history", "not a database");
    HistoryRecorder recorder;
    QSignalSpy unavailable(&recorder, &HistoryRecorder::unavailable);
    for (int version = 0; version < 3; ++version)
        recorder.keep(entry(kAddress, pages[version], kStart.addSecs(version)));
    ASSERT_TRUE(unavailable.wait(30'000));
    recorder.keep(entry(kAddress, pages[0], kStart.addSecs(10)));
    ASSERT_TRUE(recorder.waitUntilWritten(30'000));
    EXPECT_FALSE(recorder.isAvailable());
    QCoreApplication::processEvents();
    EXPECT_EQ(unavailable.size(), 1) << "said once";
    EXPECT_EQ(ReadAll("nelvox.history"), "not a database");
}

} // namespace
