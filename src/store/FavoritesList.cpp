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
    if (row < 0 || row >= count())
        return {};
    const Favorite& favorite = at(row);
    switch (column) {
    case WebSite:
        return favorite.address;
    case Updates:
        return favorite.frequencyText();
    case LastUpdated:
        return favorite.lastUpdatedText();
    case Changed:
        return favorite.changedText();
    default:
        return {};
    }
}

FavoritesList::Cells FavoritesList::cells(int row) const
{
    Cells cells;
    for (int column = 0; column < ColumnCount; ++column)
        cells[static_cast<size_t>(column)] = text(row, column);
    return cells;
}

void FavoritesList::setText(int row, int column, const QString& text)
{
    change(row, column, [&](Favorite& favorite) {
        switch (column) {
        case WebSite:
            favorite.address = text;
            break;
        case Updates:
            favorite.readFrequency(text);
            break;
        case LastUpdated:
            favorite.readLastUpdated(text);
            break;
        case Changed:
            favorite.readChanged(text);
            break;
        default:
            break;
        }
    });
}

void FavoritesList::setAddress(int row, const QString& address)
{
    change(row, WebSite, [&](Favorite& favorite) { favorite.address = address; });
}

void FavoritesList::setFrequency(int row, int frequency)
{
    change(row, Updates, [&](Favorite& favorite) { favorite.setFrequency(frequency); });
}

void FavoritesList::setLastUpdated(int row, const QDateTime& time)
{
    QDateTime minute = time;
    if (minute.isValid())
        minute.setTime(QTime(time.time().hour(), time.time().minute()));
    change(row, LastUpdated, [&](Favorite& favorite) { favorite.setLastUpdated(minute); });
}

void FavoritesList::setChanged(int row, bool changed)
{
    change(row, Changed, [&](Favorite& favorite) { favorite.changed = changed; });
}

void FavoritesList::change(int row, int column, const std::function<void(Favorite&)>& edit)
{
    if (row < 0 || row >= count() || column < 0 || column >= ColumnCount)
        return;
    edit(m_rows[static_cast<size_t>(row)]);
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell, { Qt::DisplayRole });
}

void FavoritesList::insertFavorite(int position, const QString& webSite)
{
    Favorite favorite;
    favorite.address = webSite;
    // Empty cells, as a row that only names its address.
    favorite.unreadFrequency = QString();
    favorite.unreadLastUpdated = QString();
    insertFavorite(position, std::move(favorite));
}

void FavoritesList::insertFavorite(int position, Favorite favorite)
{
    position = std::clamp(position, 0, count());
    beginInsertRows(QModelIndex(), position, position);
    m_rows.insert(m_rows.begin() + position, std::move(favorite));
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
    std::vector<Favorite> rows;
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
        return text(index.row(), index.column());
    return {};
}

void SortFavorites(FavoritesList& list)
{
    if (list.count() < 2)
        return;
    // Compare the UTF-8 bytes, which orders by character code like a byte-wise C compare.
    std::vector<QByteArray> keys;
    keys.reserve(list.rows().size());
    for (const Favorite& row : list.rows())
        keys.push_back(row.address.toUtf8());
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
    return std::any_of(m_rows.cbegin(), m_rows.cend(), [&](const Favorite& row) { return row.address == webSite; });
}

QStringList FavoritesList::addresses() const
{
    QStringList addresses;
    QSet<QString> seen;
    for (const Favorite& row : m_rows) {
        if (!seen.contains(row.address)) {
            seen.insert(row.address);
            addresses << row.address;
        }
    }
    return addresses;
}
