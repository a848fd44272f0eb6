// The favorites model and its sort.
#include "store/FavoritesList.h"

#include <QSet>

#include <algorithm>
#include <numeric>

FavoritesList::FavoritesList(QObject* parent)
    : QAbstractTableModel(parent)
{
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
    m_ids.insert(m_ids.begin() + position, m_nextId++);
    m_rowOfIdValid = false;
    endInsertRows();
}

void FavoritesList::deleteFavorite(int row)
{
    if (row < 0 || row >= count())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.erase(m_rows.begin() + row);
    m_ids.erase(m_ids.begin() + row);
    m_rowOfIdValid = false;
    endRemoveRows();
}

FavoritesList::Id FavoritesList::idOf(int row) const
{
    return row >= 0 && row < count() ? m_ids[static_cast<size_t>(row)] : 0;
}

int FavoritesList::rowOf(Id id) const
{
    if (!m_rowOfIdValid) {
        m_rowOfId.clear();
        for (int row = 0; row < count(); ++row)
            m_rowOfId.insert(m_ids[static_cast<size_t>(row)], row);
        m_rowOfIdValid = true;
    }
    return m_rowOfId.value(id, -1);
}

void FavoritesList::moveRows(const std::vector<int>& order)
{
    Q_ASSERT(order.size() == m_rows.size());
    if (order.size() != m_rows.size())
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOf(order.size());
    std::vector<Row> rows;
    std::vector<Id> ids;
    rows.reserve(order.size());
    ids.reserve(order.size());
    for (size_t newRow = 0; newRow < order.size(); ++newRow) {
        const auto oldRow = static_cast<size_t>(order[newRow]);
        newRowOf[oldRow] = static_cast<int>(newRow);
        rows.push_back(std::move(m_rows[oldRow]));
        ids.push_back(m_ids[oldRow]);
    }
    m_rows = std::move(rows);
    m_ids = std::move(ids);
    m_rowOfIdValid = false;
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after << (index.isValid() ? this->index(newRowOf[static_cast<size_t>(index.row())], index.column()) : index);
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
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
    return {};
}

void SortFavorites(FavoritesList& list)
{
    if (list.count() < 2)
        return;
    // Compare the UTF-8 bytes, which orders by character code like a byte-wise C compare.
    std::vector<QByteArray> keys;
    keys.reserve(list.rows().size());
    for (const FavoritesList::Row& row : list.rows())
        keys.push_back(row[FavoritesList::WebSite].toUtf8());
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    // A stable sort: rows with equal addresses keep their order.
    std::stable_sort(order.begin(), order.end(), [&keys](int a, int b) {
        const QByteArray& x = keys[static_cast<size_t>(a)];
        const QByteArray& y = keys[static_cast<size_t>(b)];
        return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(),
            [](char l, char r) { return static_cast<unsigned char>(l) < static_cast<unsigned char>(r); });
    });
    if (!std::is_sorted(order.begin(), order.end()))
        list.moveRows(order);
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
