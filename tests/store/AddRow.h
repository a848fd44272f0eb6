// A favorite appended with its four cells as the file holds them: address, frequency code,
// Last Updated and CHANGED.
#pragma once

#include "store/FavoritesList.h"

inline void AddRow(FavoritesList& list, const FavoritesList::Cells& row)
{
    const int at = list.count();
    list.insertFavorite(at, row[0]);
    for (int column = 1; column < FavoritesList::ColumnCount; ++column)
        list.setText(at, column, row[column]);
}
