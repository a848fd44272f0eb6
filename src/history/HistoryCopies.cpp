// Reading the history's copies back, and thinning them: a content that no copy needs any
// more goes, and the contents stored as differences to it are stored again against what it
// was stored against.
#include "history/HistoryDatabase.h"

#include "history/StoredCopy.h"

#include <QCoreApplication>
#include <QVariant>

#include <vector>

namespace {

// Far more differences in a row than the rule lets one favorite keep: a longer chain is a
// loop in a damaged file.
constexpr int kMaxChain = 100'000;
// Thinning for the bound on the whole history goes a little below it, so that it does not
// come back at the next copy.
constexpr double kThinnedShare = 0.95;

} // namespace

void HistoryDatabase::damaged() const
{
    throw HistoryError(HistoryFailure(
        m_fileName, QCoreApplication::translate("History", "a copy in it cannot be read, and it is left as it is")));
}

QByteArray HistoryDatabase::pageOf(qint64 content)
{
    // The chain of differences down to a whole page, then the pages back up it.
    std::vector<QByteArray> chain;
    qint64 at = content;
    for (;;) {
        if (chain.size() > static_cast<size_t>(kMaxChain))
            damaged();
        HistoryQuery stored = query(QStringLiteral("SELECT base, data FROM contents WHERE id = ?"));
        if (!stored.bind(at).run().next())
            damaged();
        chain.push_back(stored.value(1).toByteArray());
        if (stored.value(0).isNull())
            break;
        at = stored.number(0);
    }
    if (IsDifference(chain.back()))
        damaged();
    std::optional<QByteArray> page = ReadStoredCopy(chain.back());
    for (auto link = chain.rbegin() + 1; page && link != chain.rend(); ++link)
        page = ReadStoredCopy(*link, *page);
    if (!page)
        damaged();
    return *page;
}

QStringList HistoryDatabase::addresses()
{
    open();
    QStringList addresses;
    HistoryQuery all = query(QStringLiteral("SELECT address FROM favorites f WHERE EXISTS (SELECT 1 FROM copies c "
                                            "WHERE c.favorite = f.id)"));
    all.run();
    while (all.next())
        addresses.append(all.value(0).toString());
    return addresses;
}

QList<HistoryCopy> HistoryDatabase::copies(const QString& address)
{
    open();
    QList<HistoryCopy> copies;
    const std::optional<qint64> favorite = favoriteId(address, false);
    if (!favorite)
        return copies;
    HistoryQuery all = query(QStringLiteral("SELECT c.id, c.taken, t.size FROM copies c JOIN contents t ON t.id = "
                                            "c.content WHERE c.favorite = ? ORDER BY c.id DESC"));
    all.bind(*favorite).run();
    while (all.next())
        copies.append({ all.number(0), fromMs(all.number(1)), all.number(2) });
    return copies;
}

std::optional<QByteArray> HistoryDatabase::read(qint64 id)
{
    open();
    HistoryQuery copy = query(QStringLiteral("SELECT content FROM copies WHERE id = ?"));
    if (!copy.bind(id).run().next())
        return std::nullopt;
    return pageOf(copy.number(0));
}

void HistoryDatabase::setLastLooked(const QString& address, qint64 id)
{
    open();
    const qint64 favorite = *favoriteId(address, true);
    query(QStringLiteral("UPDATE favorites SET last_looked = ? WHERE id = ?")).bind(id).bind(favorite).run();
}

std::optional<qint64> HistoryDatabase::lastLooked(const QString& address)
{
    open();
    const std::optional<qint64> favorite = favoriteId(address, false);
    if (!favorite)
        return std::nullopt;
    HistoryQuery looked = query(QStringLiteral("SELECT last_looked FROM favorites WHERE id = ?"));
    if (!looked.bind(*favorite).run().next() || looked.value(0).isNull())
        return std::nullopt;
    return looked.number(0);
}

void HistoryDatabase::forget(const QString& address)
{
    open();
    const std::optional<qint64> favorite = favoriteId(address, false);
    if (!favorite)
        return;
    HistoryTransaction transaction(m_connection, m_fileName);
    query(QStringLiteral("DELETE FROM copies WHERE favorite = ?")).bind(*favorite).run();
    query(QStringLiteral("DELETE FROM contents WHERE favorite = ?")).bind(*favorite).run();
    query(QStringLiteral("DELETE FROM favorites WHERE id = ?")).bind(*favorite).run();
    transaction.commit();
    m_favoriteIds.remove(address);
    m_thinned.remove(*favorite);
    m_copyCounts.remove(*favorite);
    vacuum();
}

qint64 HistoryDatabase::bytesUsed()
{
    open();
    return query(QStringLiteral("SELECT (SELECT page_count FROM pragma_page_count()) - (SELECT freelist_count FROM "
                                "pragma_freelist_count())"))
               .single()
        * m_pageSize;
}

void HistoryDatabase::thinFavorite(qint64 favorite, const QDateTime& now)
{
    // The rule changes its mind about a favorite's copies only as days pass or copies come:
    // once an hour is enough, unless the favorite has more copies than it may keep.
    const auto thinned = m_thinned.constFind(favorite);
    if (thinned != m_thinned.cend() && m_copyCounts.value(favorite) <= m_limits.maxCopiesPerFavorite && *thinned <= now
        && thinned->secsTo(now) < 3600)
        return;
    QList<qint64> ids;
    QList<QDateTime> taken;
    HistoryQuery all = query(QStringLiteral("SELECT id, taken FROM copies WHERE favorite = ? ORDER BY id"));
    all.bind(favorite).run();
    while (all.next()) {
        ids.append(all.number(0));
        taken.append(fromMs(all.number(1)));
    }
    QList<qsizetype> drop = CopiesToThin(taken, now, m_limits);
    // The copy kept last is the snapshot, whatever time the clock gave it.
    drop.removeAll(ids.size() - 1);
    if (!drop.isEmpty()) {
        HistoryTransaction transaction(m_connection, m_fileName);
        for (const qsizetype index : drop)
            dropCopy(favorite, ids[index]);
        transaction.commit();
        vacuum();
    }
    m_thinned.insert(favorite, now);
    m_copyCounts.insert(favorite, static_cast<int>(ids.size() - drop.size()));
}

void HistoryDatabase::thinOldest()
{
    const auto target = static_cast<qint64>(static_cast<double>(m_limits.maxBytes) * kThinnedShare);
    while (bytesUsed() > target) {
        // The oldest copies that are not the one its favorite kept last.
        HistoryQuery oldest = query(QStringLiteral(
            "SELECT c.id, c.favorite FROM copies c WHERE EXISTS (SELECT 1 FROM copies n WHERE n.favorite = "
            "c.favorite AND n.id > c.id) ORDER BY c.taken, c.id "
            "LIMIT 64"));
        oldest.run();
        std::vector<std::pair<qint64, qint64>> drop;
        while (oldest.next())
            drop.emplace_back(oldest.number(0), oldest.number(1));
        if (drop.empty())
            return;
        HistoryTransaction transaction(m_connection, m_fileName);
        for (const auto& [copy, favorite] : drop) {
            dropCopy(favorite, copy);
            if (m_copyCounts.contains(favorite))
                --m_copyCounts[favorite];
        }
        transaction.commit();
        vacuum();
    }
}

void HistoryDatabase::dropCopy(qint64 favorite, qint64 copy)
{
    HistoryQuery which = query(QStringLiteral("SELECT content FROM copies WHERE id = ?"));
    if (!which.bind(copy).run().next())
        return;
    const qint64 content = which.number(0);
    query(QStringLiteral("DELETE FROM copies WHERE id = ?")).bind(copy).run();
    HistoryQuery still = query(QStringLiteral("SELECT 1 FROM copies WHERE favorite = ? AND content = ? LIMIT 1"));
    if (!still.bind(favorite).bind(content).run().next())
        dropContent(favorite, content);
}

void HistoryDatabase::dropContent(qint64 favorite, qint64 content)
{
    HistoryQuery own = query(QStringLiteral("SELECT base FROM contents WHERE id = ?"));
    if (!own.bind(content).run().next())
        return;
    const QVariant base = own.value(0);
    std::vector<std::pair<qint64, QByteArray>> dependents;
    HistoryQuery on = query(QStringLiteral("SELECT id, data FROM contents WHERE favorite = ? AND base = ?"));
    on.bind(favorite).bind(content).run();
    while (on.next())
        dependents.emplace_back(on.number(0), on.value(1).toByteArray());
    if (!dependents.empty()) {
        const QByteArray page = pageOf(content);
        const std::optional<QByteArray> basePage
            = base.isNull() ? std::nullopt : std::optional<QByteArray>(pageOf(base.toLongLong()));
        for (const auto& [id, data] : dependents) {
            const std::optional<QByteArray> dependent = ReadStoredCopy(data, page);
            if (!dependent)
                damaged();
            const QByteArray stored = basePage ? StoreDifference(*basePage, *dependent) : StoreWhole(*dependent);
            query(QStringLiteral("UPDATE contents SET base = ?, data = ? WHERE id = ?"))
                .bind(IsDifference(stored) ? base : QVariant(QMetaType(QMetaType::LongLong)))
                .bind(stored)
                .bind(id)
                .run();
        }
    }
    query(QStringLiteral("DELETE FROM contents WHERE id = ?")).bind(content).run();
}

void HistoryDatabase::vacuum()
{
    // The pragma gives back one page each time Qt's driver steps it, and the driver steps it
    // once: so once a free page, in one transaction.
    const qint64 freePages = query(QStringLiteral("PRAGMA freelist_count")).single();
    if (freePages == 0)
        return;
    HistoryTransaction transaction(m_connection, m_fileName);
    for (qint64 page = 0; page < freePages; ++page)
        query(QStringLiteral("PRAGMA incremental_vacuum(1)")).single();
    transaction.commit();
}
