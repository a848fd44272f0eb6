// The favorites model and its sort.
#include "store/FavoritesList.h"

#include <QSet>

#include <algorithm>

FavoritesList::FavoritesList(QObject* parent)
    : QAbstractTableModel(parent)
{
}

QString FavoritesList::limitMessage()
{
    return QStringLiteral("Nelvox can watch at most %1 favorites.").arg(kMaxFavorites);
}

QString FavoritesList::text(int row, int column) const
{
    if (row < 0 || row >= count() || column < 0 || column >= ColumnCount)
        return {};
    return m_rows[row][column];
}

void FavoritesList::setText(int row, int column, const QString& text)
{
    if (row < 0 || row >= count() || column < 0 || column >= ColumnCount)
        return;
    m_rows[row][column] = text;
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell, { Qt::DisplayRole });
}

void FavoritesList::insertFavorite(int position, const QString& webSite)
{
    position = std::clamp(position, 0, count());
    beginInsertRows(QModelIndex(), position, position);
    Row row;
    row[WebSite] = webSite;
    m_rows.insert(m_rows.begin() + position, std::move(row));
    endInsertRows();
}

void FavoritesList::deleteFavorite(int row)
{
    if (row < 0 || row >= count())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

void FavoritesList::rewriteCells(std::vector<Row> rows)
{
    Q_ASSERT(rows.size() == m_rows.size());
    if (rows.size() != m_rows.size())
        return;
    m_rows = std::move(rows);
    if (!m_rows.empty())
        emit dataChanged(index(0, 0), index(count() - 1, ColumnCount - 1), { Qt::DisplayRole });
}

int FavoritesList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

int FavoritesList::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FavoritesList::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    if (role == Qt::DisplayRole)
        return m_rows[index.row()][index.column()];
    if (role == Qt::TextAlignmentRole)
        return int(alignment(index.column()));
    return {};
}

QVariant FavoritesList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return heading(section);
    if (role == Qt::TextAlignmentRole)
        return int(alignment(section));
    return {};
}

Qt::Alignment FavoritesList::alignment(int column)
{
    switch (column) {
    case WebSite:
        return Qt::AlignLeft | Qt::AlignVCenter;
    case Updates:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
        return Qt::AlignRight | Qt::AlignVCenter;
    }
}

QString FavoritesList::heading(int column)
{
    static const char* const kHeadings[ColumnCount] = { "Web Site", "Updates", "Last Updated", "CHANGED" };
    return (column >= 0 && column < ColumnCount) ? QString::fromLatin1(kHeadings[column]) : QString();
}

int FavoritesList::columnWidth(int column)
{
    static const int kWidths[ColumnCount] = { 254, 75, 85, 65 };
    return (column >= 0 && column < ColumnCount) ? kWidths[column] : 0;
}

void SortFavorites(FavoritesList& list)
{
    if (list.count() < 2)
        return;
    // Compare the UTF-8 bytes, which orders by character code like a byte-wise C compare.
    struct Entry {
        QByteArray key;
        FavoritesList::Row cells;
    };
    std::vector<Entry> entries;
    entries.reserve(list.rows().size());
    for (const FavoritesList::Row& row : list.rows())
        entries.push_back({ row[FavoritesList::WebSite].toUtf8(), row });
    // A stable sort: rows with equal addresses keep their order.
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return std::lexicographical_compare(a.key.begin(), a.key.end(), b.key.begin(), b.key.end(),
            [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); });
    });
    std::vector<FavoritesList::Row> rows;
    rows.reserve(entries.size());
    for (Entry& entry : entries)
        rows.push_back(std::move(entry.cells));
    list.rewriteCells(std::move(rows));
}

bool FavoritesList::containsAddress(const QString& webSite) const
{
    return std::any_of(m_rows.cbegin(), m_rows.cend(), [&](const Row& row) { return row[WebSite] == webSite; });
}

QStringList FavoritesList::addresses() const
{
    QStringList addresses;
    QSet<QString> seen;
    for (const Row& row : m_rows) {
        if (!seen.contains(row[WebSite])) {
            seen.insert(row[WebSite]);
            addresses << row[WebSite];
        }
    }
    return addresses;
}
