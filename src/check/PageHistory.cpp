// Reading a favorite's copies for the Changes window.
#include "check/PageHistory.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>

namespace {

// Pages kept in memory for a window that switches between copies.
constexpr qsizetype kPagesKept = 8;

} // namespace

PageHistory::PageHistory(const QString& address, const QString& historyFile)
    : m_address(address)
{
    if (!QFileInfo::exists(historyFile))
        return;
    try {
        m_database = std::make_unique<HistoryDatabase>(historyFile);
        m_copies = m_database->copies(address);
        m_looked = m_database->lastLooked(address);
        if (m_looked && indexOf(*m_looked) < 0)
            m_looked.reset(); // thinned away since
    } catch (const HistoryError& error) {
        m_failure = error.message();
        m_copies.clear();
        m_looked.reset();
        m_database.reset();
    }
}

PageHistory::~PageHistory() = default;

qsizetype PageHistory::indexOf(qint64 id) const
{
    const auto at
        = std::find_if(m_copies.cbegin(), m_copies.cend(), [id](const HistoryCopy& copy) { return copy.id == id; });
    return at == m_copies.cend() ? -1 : at - m_copies.cbegin();
}

std::optional<QByteArray> PageHistory::page(qint64 id)
{
    if (const auto kept = m_pages.constFind(id); kept != m_pages.cend())
        return *kept;
    if (!m_database)
        return std::nullopt;
    try {
        std::optional<QByteArray> page = m_database->read(id);
        if (!page) {
            m_failure = QCoreApplication::translate("PageHistory", "this copy is no longer kept");
            return page;
        }
        if (m_pages.size() >= kPagesKept)
            m_pages.clear();
        m_pages.insert(id, *page);
        return page;
    } catch (const HistoryError& error) {
        m_failure = error.message();
        // A history that fails once is not read again while the window is open.
        m_database.reset();
        return std::nullopt;
    }
}

std::optional<PageChanges> PageHistory::compare(qint64 earlier, qint64 later, const ChangeRule& rule)
{
    const qsizetype earlierAt = indexOf(earlier);
    const qsizetype laterAt = indexOf(later);
    if (earlierAt < 0 || laterAt < 0)
        return std::nullopt;
    std::optional<QByteArray> earlierPage = page(earlier);
    std::optional<QByteArray> laterPage = page(later);
    if (!earlierPage || !laterPage)
        return std::nullopt;
    return PageChanges(m_address, { std::move(*earlierPage), m_copies[earlierAt].taken },
        { std::move(*laterPage), m_copies[laterAt].taken }, rule);
}

std::optional<PageChanges> PageHistory::sinceLastLooked(const ChangeRule& rule)
{
    if (!m_looked || m_copies.isEmpty() || *m_looked == m_copies.first().id)
        return std::nullopt;
    return compare(*m_looked, m_copies.first().id, rule);
}
