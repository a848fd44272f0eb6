// Update All Now: every favorite is checked at once, whatever its frequency, the downloads
// side by side; then the prompt if any changed, the sort and the save.
#include "app/CNelvoxDlg.h"
#include "store/DialogValues.h"
#include "platform/NelvoxError.h"
#include "update/CheckRun.h"

#include <memory>

void CNelvoxDlg::OnUpdateAllNow()
{
    bool anyChanged = false;
    std::unique_ptr<CheckRun> run;
    try {
        run = std::make_unique<CheckRun>(m_favorites);
    } catch (const NelvoxError&) {
        // Without an internet session every favorite fails as a download that fails.
    }
    for (int row = 0; row < m_favorites.count(); ++row) {
        g_strCurrentUrl = m_favorites.text(row, FavoritesList::WebSite);
        if (run)
            run->addCheck(row);
    }
    if (run) {
        RunChecks(*run);
        anyChanged = run->anyChanged();
    }

    // The notification box is not asked: the user asked for this check. After Quit the
    // program ends without asking.
    if (anyChanged && !m_quitRequested)
        NotifyChanges();
    SortFavorites(m_favorites);
    SaveFavoritesOrWarn();
}
