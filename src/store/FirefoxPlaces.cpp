// Firefox's bookmarks, kept in the SQLite database "places.sqlite" of a profile: moz_bookmarks
// holds the folders and links (type 2 and 1) with their parent and position, moz_places the
// addresses. Firefox keeps the file open and writes through a write-ahead log beside it, so
// Nelvox reads a copy of both, made in a folder of its own, through Qt's SQLite driver.
#include "store/Bookmarks.h"

#include "platform/NelvoxError.h"
#include "platform/Reasons.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <vector>

namespace {

// Firefox names its built-in folders by their guid and leaves their titles empty.
QString rootTitle(const QString& guid, const QString& title)
{
    if (guid == u"menu________")
        return QCoreApplication::translate("Bookmarks", "Bookmarks Menu");
    if (guid == u"toolbar_____")
        return QCoreApplication::translate("Bookmarks", "Bookmarks Toolbar");
    if (guid == u"unfiled_____")
        return QCoreApplication::translate("Bookmarks", "Other Bookmarks");
    if (guid == u"mobile______")
        return QCoreApplication::translate("Bookmarks", "Mobile Bookmarks");
    return title;
}

// One Qt database connection, removed when the reading ends however it ends.
class Connection {
public:
    Connection()
        : m_name(QStringLiteral("nelvox-places-%1").arg(s_next.fetchAndAddRelaxed(1)))
    {
    }
    ~Connection()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    const QString& name() const { return m_name; }

private:
    static inline QAtomicInt s_next;
    QString m_name;
};

struct Row {
    int type = 0;
    QString title;
    QString address;
    QString guid;
};

BookmarkTree readTree(QSqlDatabase& database, const QString& fileName)
{
    QSqlQuery query(database);
    int schema = 0;
    if (query.exec(QStringLiteral("PRAGMA user_version")) && query.next())
        schema = query.value(0).toInt();
    else
        FailToReadBookmarks(
            fileName, QCoreApplication::translate("Bookmarks", "it is damaged (%1).").arg(query.lastError().text()));
    if (!query.exec(QStringLiteral("SELECT b.id, b.parent, b.type, b.title, b.guid, p.url FROM moz_bookmarks b "
                                   "LEFT JOIN moz_places p ON p.id = b.fk ORDER BY b.parent, b.position"))) {
        const QString why = query.lastError().text();
        if (why.contains(QLatin1String("no such")))
            FailToReadBookmarks(fileName,
                QCoreApplication::translate(
                    "Bookmarks", "its tables are not those of Firefox's bookmarks (schema version %1: %2).")
                    .arg(schema)
                    .arg(why));
        FailToReadBookmarks(fileName, QCoreApplication::translate("Bookmarks", "it is damaged (%1).").arg(why));
    }
    // The children of each folder in their order, and the folders that are no one's child.
    QHash<qint64, std::vector<qint64>> children;
    QHash<qint64, Row> rows;
    while (query.next()) {
        const qint64 id = query.value(0).toLongLong();
        const qint64 parent = query.value(1).toLongLong();
        rows.insert(id,
            { query.value(2).toInt(), query.value(3).toString(), query.value(5).toString(),
                query.value(4).toString() });
        if (parent != id)
            children[parent].push_back(id);
    }
    if (query.lastError().isValid())
        FailToReadBookmarks(
            fileName, QCoreApplication::translate("Bookmarks", "it is damaged (%1).").arg(query.lastError().text()));

    BookmarkTree tree;
    qint64 root = -1;
    for (auto row = rows.cbegin(); row != rows.cend(); ++row) {
        if (row->guid == u"root________")
            root = row.key();
    }
    if (root < 0)
        return tree;
    // The entries still to be read, the next at the back, each with the tree folder it goes into.
    std::vector<std::pair<qint64, int>> pending;
    const auto queueChildren = [&](qint64 folder, int into) {
        const std::vector<qint64> ids = children.value(folder);
        for (auto id = ids.crbegin(); id != ids.crend(); ++id)
            pending.emplace_back(*id, into);
    };
    queueChildren(root, -1);
    // A damaged table may make a folder its own ancestor; each entry is read once.
    QSet<qint64> read { root };
    while (!pending.empty()) {
        const auto [id, into] = pending.back();
        pending.pop_back();
        const Row& row = rows[id];
        // The tags folder lists every tagged link again under its tag.
        if (read.contains(id) || row.guid == u"tags________")
            continue;
        read.insert(id);
        if (row.type == 1)
            tree.addLink(into, row.title, row.address);
        else if (row.type == 2)
            queueChildren(id, tree.addFolder(into, rootTitle(row.guid, row.title)));
    }
    return tree;
}

} // namespace

BookmarkTree ReadFirefoxPlaces(const QString& fileName)
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        FailToReadBookmarks(fileName,
            QCoreApplication::translate(
                "Bookmarks", "Qt's SQLite driver is not installed (Debian: libqt6sql6-sqlite)."));
    QTemporaryDir folder;
    const QString copy = folder.filePath(QStringLiteral("places.sqlite"));
    QFile original(fileName);
    if (!folder.isValid() || !original.copy(copy))
        FailToReadBookmarks(fileName,
            QCoreApplication::translate("Bookmarks", "no copy of it could be made to read (%1).")
                .arg(Reasons::Translated(original.errorString())));
    // The log holds what Firefox wrote last; without it those bookmarks would be missing.
    QFile log(fileName + QStringLiteral("-wal"));
    if (log.exists() && !log.copy(copy + QStringLiteral("-wal")))
        FailToReadBookmarks(fileName,
            QCoreApplication::translate("Bookmarks", "no copy of its log could be made to read (%1).")
                .arg(Reasons::Translated(log.errorString())));

    Connection connection;
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection.name());
    database.setDatabaseName(copy);
    if (!database.open())
        FailToReadBookmarks(fileName,
            QCoreApplication::translate("Bookmarks", "it cannot be opened as a database (%1).")
                .arg(database.lastError().text()));
    return readTree(database, fileName);
}
