// Delete Selected Favorites: each selected favorite loses its snapshot, then its row; the
// list is then sorted and saved. No question is asked.
#include "app/CNelvoxDlg.h"
#include "update/SnapshotRemoval.h"

void CNelvoxDlg::OnDeleteSelected()
{
    // Highest row first, so that the rows still to come keep their indices. A snapshot that
    // cannot be removed ends the command at its row: that row and those above it stay, and
    // nothing is sorted or saved.
    for (const int row : GetSelectedRows()) {
        RemoveSnapshot(m_favorites.text(row, FavoritesList::WebSite));
        m_favorites.deleteFavorite(row);
    }
    SortFavorites(m_favorites);
    SaveFavoritesOrWarn();
}
