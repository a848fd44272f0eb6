// Delete Selected Favorites: each selected favorite loses its snapshot (unless another row
// still uses it), then its row, and its rule with the last row of its address; the list is then sorted and saved. No
// question is asked.
#include "app/CNelvoxDlg.h"
#include "check/SnapshotRemoval.h"

void CNelvoxDlg::OnDeleteSelected()
{
    // Highest row first, so that the rows still to come keep their indices. A snapshot that
    // cannot be removed ends the command at its row: that row and those above it stay, and
    // nothing is sorted or saved.
    for (const int row : GetSelectedRows()) {
        RemoveUnsharedSnapshot(m_favorites, row);
        const QString address = m_favorites.text(row, FavoritesList::WebSite);
        m_favorites.deleteFavorite(row);
        if (!m_favorites.containsAddress(address))
            m_scheduler.rules().remove(address);
    }
    SortFavorites(m_favorites);
    SaveFavoritesOrWarn();
}
