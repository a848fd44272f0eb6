// The favorites as the program holds them while it runs, one Favorite a row, in the order the
// list shows them. As a table model its four columns (Web Site, Updates, Last Updated, CHANGED)
// give each favorite's cells as the favorites file writes them, which the main window shows.
#pragma once

#include "store/Favorite.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <vector>

class FavoritesList : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { WebSite = 0, Updates = 1, LastUpdated = 2, Changed = 3, ColumnCount = 4 };
    // A favorite's four cells as the favorites file writes them.
    using Cells = std::array<QString, ColumnCount>;

    // The most favorites Add accepts. Loading a longer file keeps every row.
    static constexpr int kMaxFavorites = 1024;

    explicit FavoritesList(QObject* parent = nullptr);

    int count() const { return static_cast<int>(m_rows.size()); }
    // The favorite in `row`, which must be one of the list's.
    const Favorite& at(int row) const { return m_rows[static_cast<size_t>(row)]; }
    // Every favorite, row 0 first.
    const std::vector<Favorite>& rows() const { return m_rows; }

    // The values of the favorite in `row`; a row out of range is left alone.
    void setAddress(int row, const QString& address);
    void setFrequency(int row, int frequency);
    // An invalid time means never; the time is kept to the minute, as the file keeps it.
    void setLastUpdated(int row, const QDateTime& time);
    void setChanged(int row, bool changed);

    // A cell's text as the favorites file writes it, and a cell read back from such text (a
    // text that is no value is kept as it stands). Empty, and nothing, out of range.
    QString text(int row, int column) const;
    Cells cells(int row) const;
    void setText(int row, int column, const QString& text);
    // Inserts `favorite` at position (0 to count()); by address alone, a favorite of no
    // frequency, never updated, with empty Updates and Last Updated cells.
    void insertFavorite(int position, Favorite favorite);
    void insertFavorite(int position, const QString& webSite);
    void deleteFavorite(int row);

    // Each Web Site once, in the rows' order.
    QStringList addresses() const;
    // Whether a row has exactly this Web Site.
    bool containsAddress(const QString& webSite) const;
    // Every row has an id, given when it is inserted and kept wherever the row moves, so that
    // work that outlasts a sort or a delete (a run of checks) can find its row again. Ids are
    // never given twice while the list lives.
    using Id = quint64;
    Id idOf(int row) const;
    // The row of `id` now, or -1 when it is gone.
    int rowOf(Id id) const;
    // Moves the rows so that new row i is old row order[i], as a change of the model's layout:
    // a view's selection and current row follow their favorites. `order` must be a
    // permutation of 0 to count() - 1.
    void moveRows(const std::vector<int>& order);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    // Edits the favorite in `row` and tells the views that its cell in `column` changed.
    void change(int row, int column, const std::function<void(Favorite&)>& edit);

    std::vector<Favorite> m_rows;
    std::vector<Id> m_ids;
    Id m_nextId = 1;
    // The row of each id, built again once rows have come, gone or moved.
    mutable QHash<Id, int> m_rowOfId;
    mutable bool m_rowOfIdValid = false;
};

// Orders the rows by their Web Site text, comparing the UTF-8 bytes as unsigned values
// (upper case before lower case, a prefix before the longer text). Equal addresses keep
// their order. The rows move as a change of the list's layout.
void SortFavorites(FavoritesList& list);
