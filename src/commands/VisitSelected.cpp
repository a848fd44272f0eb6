// Visit Selected Favorites: each selected favorite opens in the user's browser and loses
// its changed mark. Nothing is saved; the cleared marks reach the file with the next save.
#include "app/CNelvoxDlg.h"
#include "platform/BrowserAddress.h"

#include <QDesktopServices>

void CNelvoxDlg::OnVisitSelected()
{
    QStringList notOpened;
    for (const int row : GetSelectedRows()) {
        // An address that is no web address is not handed on, but the user has seen the
        // favorite all the same, so its mark goes. One that the desktop could not open (no
        // browser, no launcher) has not been seen and keeps it.
        const QString address = m_favorites.text(row, FavoritesList::WebSite);
        const QUrl url = BrowserUrl(address);
        if (!url.isEmpty() && !QDesktopServices::openUrl(url)) {
            notOpened << address;
            continue;
        }
        m_favorites.setText(row, FavoritesList::Changed, QString());
    }
    // Qt only says that it failed; its reason went to standard error.
    if (!notOpened.isEmpty())
        ShowError(QStringLiteral("Nelvox could not hand this address to a web browser:\n\n%1")
                      .arg(notOpened.join(QLatin1Char('\n'))));
}
