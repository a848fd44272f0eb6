// The favorites model and the sort by address.
#include "store/FavoritesList.h"
#include "AddRow.h"

#include <QItemSelectionModel>

#include <gtest/gtest.h>

namespace {

QStringList column(const FavoritesList& list, int which)
{
    QStringList texts;
    for (int row = 0; row < list.count(); ++row)
        texts << list.text(row, which);
    return texts;
}

TEST(SortFavorites, OrdersByByteValue)
{
    FavoritesList list;
    AddRow(list, { "http://host/b", "H", "", "" });
    AddRow(list, { "http://host/B", "D", "", "" });
    AddRow(list, { "http://host/a", "W", "", "" });
    AddRow(list, { "http://host/", "M", "", "" });
    AddRow(list, { QString::fromUtf8("http://host/\xc3\xa9"), "H", "", "" });
    AddRow(list, { QString::fromUtf8("http://host/\xf0\x9f\x98\x80"), "D", "", "" });
    AddRow(list, { QString::fromUtf8("http://host/\xef\xbc\xa1"), "W", "", "" });
    SortFavorites(list);
    EXPECT_EQ(column(list, 0),
        QStringList({ "http://host/", "http://host/B", "http://host/a", "http://host/b",
            QString::fromUtf8("http://host/\xc3\xa9"), QString::fromUtf8("http://host/\xef\xbc\xa1"),
            QString::fromUtf8("http://host/\xf0\x9f\x98\x80") }))
        << "a prefix first, upper case before lower case, characters by code (U+FF21 before U+1F600)";
    EXPECT_EQ(column(list, 1), QStringList({ "M", "D", "W", "H", "H", "W", "D" })) << "cells travel with their row";
}

TEST(SortFavorites, IsStableAndLeavesTrivialListsAlone)
{
    FavoritesList list;
    SortFavorites(list);
    EXPECT_EQ(list.count(), 0);
    AddRow(list, { "z", "H", "Never", "YES" });
    SortFavorites(list);
    EXPECT_EQ(column(list, 3), QStringList({ "YES" }));

    AddRow(list, { "same", "H", "01/01/26 01:00 AM", "YES" });
    AddRow(list, { "a", "D", "Never", "" });
    AddRow(list, { "same", "M", "02/02/26 02:00 PM", "" });
    AddRow(list, { "same", "W", "Never", "YES" });
    SortFavorites(list);
    EXPECT_EQ(column(list, 0), QStringList({ "a", "same", "same", "same", "z" }));
    EXPECT_EQ(column(list, 1), QStringList({ "D", "H", "M", "W", "H" }));
    EXPECT_EQ(column(list, 2), QStringList({ "Never", "01/01/26 01:00 AM", "02/02/26 02:00 PM", "Never", "Never" }));
    EXPECT_EQ(column(list, 3), QStringList({ "", "YES", "", "YES", "YES" }));
}

// After an Add or Update All Now the sort moved cells under a selection that stayed on its
// row number, and the next Delete removed another favorite.
TEST(SortFavorites, SelectionFollowsItsFavoriteAndRowsKeepTheirIds)
{
    FavoritesList list;
    AddRow(list, { "c", "H", "", "" });
    AddRow(list, { "b", "H", "", "" });
    AddRow(list, { "a", "H", "", "" });
    const FavoritesList::Id c = list.idOf(0);
    const FavoritesList::Id a = list.idOf(2);
    QItemSelectionModel selection(&list);
    selection.select(list.index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selection.setCurrentIndex(list.index(2, 0), QItemSelectionModel::NoUpdate);
    SortFavorites(list);
    EXPECT_EQ(column(list, 0), QStringList({ "a", "b", "c" }));
    ASSERT_EQ(selection.selectedRows().size(), 1);
    EXPECT_EQ(selection.selectedRows().first().row(), 2) << "the selection must stay on its favorite";
    EXPECT_EQ(selection.currentIndex().row(), 0) << "and so must the current row";
    EXPECT_EQ(list.rowOf(c), 2);
    EXPECT_EQ(list.rowOf(a), 0);
    EXPECT_EQ(list.idOf(2), c);

    list.deleteFavorite(1);
    EXPECT_EQ(list.rowOf(c), 1);
    list.insertFavorite(0, "new");
    EXPECT_NE(list.idOf(0), a);
    EXPECT_NE(list.idOf(0), c);
    EXPECT_EQ(list.rowOf(a), 1);
    EXPECT_EQ(list.rowOf(FavoritesList::Id(12345)), -1);
}

TEST(FavoritesList, HasFourColumnsAndIgnoresADeleteOutOfRange)
{
    FavoritesList list;
    AddRow(list, { "http://a/", "H", "Never", "YES" });
    ASSERT_EQ(list.columnCount(), 4);
    list.deleteFavorite(0);
    EXPECT_EQ(list.count(), 0);
    list.deleteFavorite(5); // out of range: nothing happens
}

} // namespace
