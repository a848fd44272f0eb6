// The favorites as the program holds them while it runs: rows of four text cells
// (Web Site, Updates, Last Updated, CHANGED). The main window's list shows this model;
// every command reads and writes its cells, and the favorites file is a copy of it.
#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

class FavoritesList : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { WebSite = 0, Updates = 1, LastUpdated = 2, Changed = 3, ColumnCount = 4 };
    using Row = std::array<QString, ColumnCount>;

    // The most favorites Add accepts. Loading a longer file keeps every row.
    static constexpr int kMaxFavorites = 1024;

    explicit FavoritesList(QObject* parent = nullptr);

    int count() const { return static_cast<int>(m_rows.size()); }
    QString text(int row, int column) const;
    void setText(int row, int column, const QString& text);
    // Inserts a row at position (0 to count()) whose Web Site cell is webSite and whose
    // other cells are empty.
    void insertFavorite(int position, const QString& webSite);
    void deleteFavorite(int row);

    // All four cells of every row, row 0 first.
    const std::vector<Row>& rows() const { return m_rows; }
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
    std::vector<Row> m_rows;
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
