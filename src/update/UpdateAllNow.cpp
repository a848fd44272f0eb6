// Update All Now: every favorite is checked at once, whatever its frequency, each in an
// internet session of its own.
#include "app/BusyCursor.h"
#include "app/CNelvoxDlg.h"
#include "commands/DialogValues.h"
#include "platform/InternetSession.h"
#include "platform/NelvoxError.h"
#include "update/PageCheck.h"

void CNelvoxDlg::OnUpdateAllNow()
{
    bool anyChanged = false;
    {
        BusyCursor busy;
        for (int row = 0; row < m_favorites.count(); ++row) {
            g_strCurrentUrl = m_favorites.text(row, FavoritesList::WebSite);
            try {
                // A session that cannot be created fails this row like a download that fails.
                InternetSession session;
                if (CheckPage(session, m_favorites, row, g_strCurrentUrl))
                    anyChanged = true;
                session.Close();
            } catch (const NelvoxError&) {
                // A favorite that cannot be checked keeps its cells; the user is not told.
            }
        }
    }

    // The notification box is not asked: the user asked for this check.
    if (anyChanged)
        NotifyChanges();
    SortFavorites(m_favorites);
    SaveFavoritesOrWarn();
}
