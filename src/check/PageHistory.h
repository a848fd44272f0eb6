// A favorite's copies in the history, as the Changes window offers them: which copies there are,
// which one the user last looked at, the page of each, and any two of them compared. A history
// that is missing or cannot be read shows as one without copies, and is never made here: the
// window then compares the snapshot files as it always did.
#pragma once

#include "check/PageChanges.h"
#include "history/HistoryDatabase.h"

#include <QHash>
#include <QList>
#include <QString>

#include <cstdlib>
#include <memory>
#include <optional>

class PageHistory {
public:
    // Reads the list of copies of `address` from `historyFile` at once.
    explicit PageHistory(const QString& address, const QString& historyFile = QString::fromLatin1(kHistoryFileName));
    ~PageHistory();
    PageHistory(const PageHistory&) = delete;
    PageHistory& operator=(const PageHistory&) = delete;

    // The copies, the one kept last first; empty when the history has none or cannot be read.
    const QList<HistoryCopy>& copies() const { return m_copies; }
    // The copy the user looked at last, when it is still kept.
    std::optional<qint64> lastLooked() const { return m_looked; }
    // Where copy `id` stands in copies(); -1 for none.
    qsizetype indexOf(qint64 id) const;
    // How many copies lie between copies `one` and `other`.
    int between(qint64 one, qint64 other) const
    {
        return static_cast<int>(std::abs(indexOf(one) - indexOf(other))) - 1;
    }

    // Why the history could not be read, when it could not.
    const QString& failure() const { return m_failure; }

    // The page of copy `id`; none when it cannot be read (the history is given up then).
    std::optional<QByteArray> page(qint64 id);
    // Copy `earlier` compared with copy `later` under `rule`; none when one cannot be read.
    std::optional<PageChanges> compare(qint64 earlier, qint64 later, const ChangeRule& rule);
    // The copy the user looked at last against the newest; none when that is the newest, or
    // without such a copy.
    std::optional<PageChanges> sinceLastLooked(const ChangeRule& rule);

private:
    QString m_address;
    std::unique_ptr<HistoryDatabase> m_database;
    QList<HistoryCopy> m_copies;
    std::optional<qint64> m_looked;
    QString m_failure;
    // The pages read last: a window that switches between copies reads each once.
    QHash<qint64, QByteArray> m_pages;
};
