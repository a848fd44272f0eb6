// Delete Selected Favorites: each selected favorite loses its snapshot (unless another row
// still uses it), then its row, and its rule with the last row of its address; the list is then sorted and saved.
// A favorite that says YES or has a rule of its own is only deleted after the user says Yes.
#include "app/CNelvoxDlg.h"
#include "check/SnapshotRemoval.h"

#include <QMessageBox>

void CNelvoxDlg::OnDeleteSelected()
{
    const std::vector<int> rows = GetSelectedRows();
    // A change not yet seen or a rule the user set up would be lost for good; a plain favorite
    // costs nothing to add again.
    const auto dear = std::count_if(rows.cbegin(), rows.cend(), [this](int row) {
        return m_favorites.text(row, FavoritesList::Changed) == u"YES"
            || !m_scheduler.rules().rule(m_favorites.text(row, FavoritesList::WebSite)).isPageLength();
    });
    if (dear > 0) {
        const QString which = rows.size() == 1
            ? tr("The selected favorite changed or has a rule other than Page length.")
            : tr("%1 of the %2 selected favorites changed or have a rule other than Page length.")
                  .arg(dear)
                  .arg(rows.size());
        QMessageBox box(QMessageBox::Question, QStringLiteral("Nelvox"),
            tr("Delete the favorites that changed or have a rule of their own?") + QStringLiteral("\n\n") + which
                + QLatin1Char(' ') + tr("Yes deletes every selected favorite, No keeps them all."),
            QMessageBox::Yes | QMessageBox::No, boxOwner());
        box.setDefaultButton(QMessageBox::No);
        if (box.exec() != QMessageBox::Yes)
            return;
    }
    // Highest row first, so that the rows still to come keep their indices. A snapshot that
    // cannot be removed ends the command at its row: that row and those above it stay, and
    // nothing is sorted or saved.
    for (const int row : rows) {
        RemoveUnsharedSnapshot(m_favorites, row);
        const QString address = m_favorites.text(row, FavoritesList::WebSite);
        m_favorites.deleteFavorite(row);
        if (!m_favorites.containsAddress(address))
            m_scheduler.rules().remove(address);
    }
    SortFavorites(m_favorites);
    SaveFavoritesOrWarn();
}
