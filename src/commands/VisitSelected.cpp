// Visit Selected Favorites: each selected favorite opens in the user's browser and loses
// its changed mark. Nothing is saved; the cleared marks reach the file with the next save.
#include "app/CNelvoxDlg.h"
#include "platform/BrowserAddress.h"

#include <QDesktopServices>

void CNelvoxDlg::OnVisitSelected()
{
    for (const int row : GetSelectedRows()) {
        // An address that is no web address is not handed on, but the user has seen the
        // favorite all the same, so its mark goes.
        const QUrl url = BrowserUrl(m_favorites.text(row, FavoritesList::WebSite));
        if (!url.isEmpty())
            QDesktopServices::openUrl(url);
        m_favorites.setText(row, FavoritesList::Changed, QString());
    }
}
