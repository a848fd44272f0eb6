// "nelvox.history": every copy of every favorite's page that became its snapshot, with the
// time it was taken, in an SQLite database beside the favorites file. One object is one
// connection, to be used on the thread that opened it. Failures throw HistoryError, whose
// message says why the history cannot be kept; a file that is not a history of this program,
// or one of a newer version, is left exactly as it is.
#pragma once

#include "platform/NelvoxError.h"
#include "history/HistoryQuery.h"
#include "history/HistoryRule.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

inline constexpr char kHistoryFileName[] = "nelvox.history";

class HistoryError : public NelvoxError {
public:
    using NelvoxError::NelvoxError;
};

// A page as a snapshot file held it, and the time it was taken.
struct PageFile {
    QByteArray bytes;
    QDateTime taken;
};

// A copy that has just become a favorite's snapshot, with what the snapshot files held before:
// the snapshot it replaced, which the new copy is stored as a difference to, and the previous
// copy. A favorite without a history takes those two as its first copies.
struct HistoryEntry {
    QString address;
    PageFile page;
    std::optional<PageFile> replaced;
    std::optional<PageFile> previous;
    // Without `replaced`, a file that may still hold the snapshot replaced (the previous copy,
    // read when the entry is kept): used only when it is the history's newest copy.
    QString replacedFile;
    // The favorite showed no change when this copy came: its user had seen the snapshot it
    // replaced, which becomes the copy last looked at.
    bool replacedWasSeen = false;
};

// One copy in the history of a favorite.
struct HistoryCopy {
    qint64 id = 0;
    QDateTime taken;
    qint64 size = 0; // bytes of the page
};

class HistoryDatabase {
public:
    explicit HistoryDatabase(QString fileName = QString::fromLatin1(kHistoryFileName), HistoryLimits limits = {});
    ~HistoryDatabase();
    HistoryDatabase(const HistoryDatabase&) = delete;
    HistoryDatabase& operator=(const HistoryDatabase&) = delete;

    // Opens the history, making a new one where the file is missing or empty.
    void open();
    bool isOpen() const { return m_open; }

    // Keeps the copy of `entry` as the newest of its favorite, in one transaction, then thins
    // the favorite's copies by the rule at the copy's time. A copy identical to one the
    // favorite already has is stored once; one identical to the newest is not kept again.
    void keep(const HistoryEntry& entry);
    // Keeps several copies, in their order, in one transaction: none of them when one fails.
    void keep(const std::vector<HistoryEntry>& entries);
    // Drops every copy of `address`.
    void forget(const QString& address);

    // The addresses that have copies.
    QStringList addresses();
    // The copies of `address`, the one kept last first: the order they became snapshots.
    QList<HistoryCopy> copies(const QString& address);
    // The page of copy `id`; none when there is no such copy.
    std::optional<QByteArray> read(qint64 id);
    // The copy of `address` that its user last looked at.
    void setLastLooked(const QString& address, qint64 id);
    std::optional<qint64> lastLooked(const QString& address);

    // The bytes the history's pages take in the file.
    qint64 bytesUsed();

private:
    struct Content {
        qint64 id = 0;
        qint64 hash = 0;
        qint64 size = 0;
    };
    HistoryQuery query(const QString& statement) const { return { m_connection, m_fileName, statement }; }
    void create();
    std::optional<qint64> favoriteId(const QString& address, bool make);
    std::optional<Content> newestContent(qint64 favorite);
    // Keeps the copy of `entry` inside the transaction under way; its favorite.
    qint64 keepOne(const HistoryEntry& entry);
    // Adds one copy, stored against `base` (the favorite's newest content and its page) if any.
    void addCopy(qint64 favorite, const PageFile& page, std::optional<std::pair<Content, QByteArray>>& base);
    QByteArray pageOf(qint64 content);
    void thinFavorite(qint64 favorite, const QDateTime& now);
    void thinOldest();
    void dropCopy(qint64 favorite, qint64 copy);
    void dropContent(qint64 favorite, qint64 content);
    [[noreturn]] void damaged() const;
    void vacuum();

    QString m_fileName;
    QString m_connection;
    HistoryLimits m_limits;
    bool m_open = false;
    qint64 m_pageSize = 4096;
    QHash<QString, qint64> m_favoriteIds;
    // When each favorite was last thinned while the history was open, and how many copies it
    // had then or got since.
    QHash<qint64, QDateTime> m_thinned;
    QHash<qint64, int> m_copyCounts;
};
