// The history's tables: favorites (an address, the copy its user last looked at), contents
// (each distinct page of a favorite, whole or as a difference to another content of the same
// favorite) and copies (a time and the content taken then). The schema's version is the
// database's user_version and the file is marked as ours by its application_id; a newer
// version is never touched.
#include "history/HistoryDatabase.h"

#include "history/HistoryQuery.h"
#include "history/StoredCopy.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <QtEndian>

namespace {

constexpr int kApplicationId = 0x4e565848; // "NVXH"
constexpr int kSchemaVersion = 1;
QAtomicInt s_nextConnection;

// A page's hash, to find a page the history has already: 64 bits of a multiply-and-rotate
// mix over its bytes read as little-endian words, the same on every machine. SHA-1 took
// eight times as long, twice a copy; a page it names is also compared by its length.
qint64 pageHash(const QByteArray& page)
{
    const char* bytes = page.constData();
    const qsizetype size = page.size();
    quint64 hash = 0x9e3779b97f4a7c15ull ^ static_cast<quint64>(size);
    qsizetype at = 0;
    for (; at + 8 <= size; at += 8) {
        quint64 word = qFromLittleEndian<quint64>(bytes + at) * 0xbf58476d1ce4e5b9ull;
        word ^= word >> 31;
        hash = (hash ^ word) * 0x94d049bb133111ebull;
        hash = (hash << 27) | (hash >> 37);
    }
    for (; at < size; ++at)
        hash = (hash ^ static_cast<quint8>(bytes[at])) * 0x100000001b3ull;
    hash ^= hash >> 33;
    hash *= 0xff51afd7ed558ccdull;
    hash ^= hash >> 33;
    return static_cast<qint64>(hash);
}

} // namespace

HistoryDatabase::HistoryDatabase(QString fileName, HistoryLimits limits)
    : m_fileName(std::move(fileName))
    , m_connection(QStringLiteral("nelvox-history-%1").arg(s_nextConnection.fetchAndAddRelaxed(1)))
    , m_limits(limits)
{
}

HistoryDatabase::~HistoryDatabase()
{
    if (QSqlDatabase::contains(m_connection)) {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

void HistoryDatabase::open()
{
    if (m_open)
        return;
    auto refuse = [this](const QString& reason) { throw HistoryError(HistoryFailure(m_fileName, reason)); };
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        refuse(QCoreApplication::translate("History", "Qt's SQLite driver is not installed"));
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    database.setDatabaseName(m_fileName);
    // Another program that holds the file gets a short while to let go.
    database.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
    if (!database.open())
        FailHistory(m_fileName, database.lastError());
    const qint64 applicationId = query(QStringLiteral("PRAGMA application_id")).single();
    const qint64 tables = query(QStringLiteral("SELECT count(*) FROM sqlite_master")).single();
    if (applicationId == 0 && tables == 0) {
        create();
    } else {
        if (applicationId != kApplicationId)
            refuse(QCoreApplication::translate("History", "it is not a history of Nelvox, and is left as it is"));
        const qint64 version = query(QStringLiteral("PRAGMA user_version")).single();
        if (version > kSchemaVersion)
            refuse(
                QCoreApplication::translate("History", "a newer version of Nelvox wrote it, and it is left as it is"));
        if (version != kSchemaVersion)
            refuse(QCoreApplication::translate("History", "it is damaged, and is left as it is"));
        query(QStringLiteral("PRAGMA journal_mode=WAL")).run();
    }
    // A write-ahead log that is synced at its checkpoints: a killed program loses nothing it
    // committed, and a commit does not wait for the disk.
    query(QStringLiteral("PRAGMA synchronous=NORMAL")).run();
    // The tables must be ours, whatever the version says.
    query(QStringLiteral("SELECT id, address, last_looked FROM favorites LIMIT 0")).run();
    query(QStringLiteral("SELECT id, favorite, hash, size, base, data FROM contents LIMIT 0")).run();
    query(QStringLiteral("SELECT id, favorite, taken, content FROM copies LIMIT 0")).run();
    m_pageSize = query(QStringLiteral("PRAGMA page_size")).single();
    m_open = true;
}

void HistoryDatabase::create()
{
    // Space freed by thinning goes back to the file system after each thinning.
    query(QStringLiteral("PRAGMA auto_vacuum=INCREMENTAL")).run();
    query(QStringLiteral("PRAGMA journal_mode=WAL")).run();
    HistoryTransaction transaction(m_connection, m_fileName);
    query(QStringLiteral("CREATE TABLE favorites(id INTEGER PRIMARY KEY, address TEXT NOT NULL UNIQUE, "
                         "last_looked INTEGER)"))
        .run();
    query(QStringLiteral("CREATE TABLE contents(id INTEGER PRIMARY KEY, favorite INTEGER NOT NULL, "
                         "hash INTEGER NOT NULL, size INTEGER NOT NULL, base INTEGER, data BLOB NOT NULL)"))
        .run();
    query(QStringLiteral("CREATE INDEX contents_by_hash ON contents(favorite, hash)")).run();
    query(QStringLiteral("CREATE TABLE copies(id INTEGER PRIMARY KEY, favorite INTEGER NOT NULL, "
                         "taken INTEGER NOT NULL, content INTEGER NOT NULL)"))
        .run();
    query(QStringLiteral("CREATE INDEX copies_by_time ON copies(favorite, taken)")).run();
    query(QStringLiteral("PRAGMA application_id=%1").arg(kApplicationId)).run();
    query(QStringLiteral("PRAGMA user_version=%1").arg(kSchemaVersion)).run();
    transaction.commit();
}

std::optional<qint64> HistoryDatabase::favoriteId(const QString& address, bool make)
{
    if (const auto known = m_favoriteIds.constFind(address); known != m_favoriteIds.cend())
        return *known;
    HistoryQuery find = query(QStringLiteral("SELECT id FROM favorites WHERE address = ?"));
    if (find.bind(address).run().next())
        return m_favoriteIds.insert(address, find.number(0)).value();
    if (!make)
        return std::nullopt;
    HistoryQuery add = query(QStringLiteral("INSERT INTO favorites(address) VALUES(?)"));
    add.bind(address).run();
    return m_favoriteIds.insert(address, add.lastInsertId()).value();
}

std::optional<HistoryDatabase::Content> HistoryDatabase::newestContent(qint64 favorite)
{
    HistoryQuery newest
        = query(QStringLiteral("SELECT t.id, t.hash, t.size FROM copies c JOIN contents t ON t.id = c.content "
                               "WHERE c.favorite = ? ORDER BY c.id DESC LIMIT 1"));
    if (!newest.bind(favorite).run().next())
        return std::nullopt;
    return Content { newest.number(0), newest.number(1), newest.number(2) };
}

void HistoryDatabase::keep(const HistoryEntry& entry)
{
    keep(std::vector<HistoryEntry> { entry });
}

void HistoryDatabase::keep(const std::vector<HistoryEntry>& entries)
{
    open();
    // When each favorite's last copy of these was taken.
    QHash<qint64, QDateTime> kept;
    {
        HistoryTransaction transaction(m_connection, m_fileName);
        for (const HistoryEntry& entry : entries)
            kept.insert(keepOne(entry), entry.page.taken);
        transaction.commit();
    }
    for (auto favorite = kept.cbegin(); favorite != kept.cend(); ++favorite)
        thinFavorite(favorite.key(), favorite.value());
    if (bytesUsed() > m_limits.maxBytes)
        thinOldest();
}

qint64 HistoryDatabase::keepOne(const HistoryEntry& entry)
{
    const qint64 favorite = *favoriteId(entry.address, true);
    std::optional<std::pair<Content, QByteArray>> base;
    if (const std::optional<Content> newest = newestContent(favorite)) {
        // The snapshot that the copy replaced is mostly the history's newest copy: then its
        // page need not be put together from the differences.
        QByteArray replaced = entry.replaced ? entry.replaced->bytes : QByteArray();
        if (!entry.replaced && !entry.replacedFile.isEmpty()) {
            QFile file(entry.replacedFile);
            if (file.open(QIODevice::ReadOnly) && file.size() == newest->size)
                replaced = file.readAll();
        }
        const bool replacedIsNewest = replaced.size() == newest->size && pageHash(replaced) == newest->hash;
        base.emplace(*newest, replacedIsNewest ? replaced : pageOf(newest->id));
    } else {
        // A favorite's first history starts with the copies its snapshot files kept.
        if (entry.previous)
            addCopy(favorite, *entry.previous, base);
        if (entry.replaced)
            addCopy(favorite, *entry.replaced, base);
    }
    // The copy kept last, before this one, is the snapshot this one replaced.
    const qint64 replacedCopy
        = query(QStringLiteral("SELECT coalesce(max(id), 0) FROM copies WHERE favorite = ?")).bind(favorite).single();
    addCopy(favorite, entry.page, base);
    if (entry.replacedWasSeen && replacedCopy != 0)
        query(QStringLiteral("UPDATE favorites SET last_looked = ? WHERE id = ?"))
            .bind(replacedCopy)
            .bind(favorite)
            .run();
    return favorite;
}

void HistoryDatabase::addCopy(
    qint64 favorite, const PageFile& page, std::optional<std::pair<Content, QByteArray>>& base)
{
    const qint64 hash = pageHash(page.bytes);
    const qint64 size = page.bytes.size();
    if (base && base->first.hash == hash && base->first.size == size)
        return;
    HistoryQuery same = query(QStringLiteral("SELECT id FROM contents WHERE favorite = ? AND hash = ? AND size = ?"));
    std::optional<qint64> content;
    if (same.bind(favorite).bind(hash).bind(size).run().next())
        content = same.number(0);
    if (!content) {
        const QByteArray stored = base ? StoreDifference(base->second, page.bytes) : StoreWhole(page.bytes);
        HistoryQuery add
            = query(QStringLiteral("INSERT INTO contents(favorite, hash, size, base, data) VALUES(?, ?, ?, ?, ?)"));
        add.bind(favorite).bind(hash).bind(size);
        add.bind(IsDifference(stored) ? QVariant(base->first.id) : QVariant(QMetaType(QMetaType::LongLong)));
        add.bind(stored).run();
        content = add.lastInsertId();
    }
    query(QStringLiteral("INSERT INTO copies(favorite, taken, content) VALUES(?, ?, ?)"))
        .bind(favorite)
        .bind(toMs(page.taken))
        .bind(*content)
        .run();
    ++m_copyCounts[favorite];
    base.emplace(Content { *content, hash, size }, page.bytes);
}
