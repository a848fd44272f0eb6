// Add Favorite: the dialog collects an address, a frequency and a rule, the new row gets a first
// snapshot of the page and its stamp, then the list is sorted and saved.
#include "app/CNelvoxDlg.h"
#include "commands/CAddEditDlg.h"
#include "store/DialogValues.h"

#include <QMessageBox>

void CNelvoxDlg::OnAddFavorite()
{
    if (m_favorites.count() >= FavoritesList::kMaxFavorites) {
        QMessageBox box(QMessageBox::Information, QStringLiteral("Nelvox"),
            QStringLiteral("Nelvox can watch at most %1 favorites.").arg(FavoritesList::kMaxFavorites), QMessageBox::Ok,
            this);
        box.exec();
        return;
    }

    g_strCurrentUrl.clear();
    g_currentRule = m_lastAddedRule;
    {
        CAddEditDlg dialog(this);
        ExecHoldingTicks(dialog);
    }

    if (!g_strCurrentUrl.isEmpty()) {
        const QString address = g_strCurrentUrl;
        m_lastAddedRule = g_currentRule;
        // Rows of one address share its rule.
        m_scheduler.rules().setRule(address, g_currentRule);
        const int row = m_favorites.count();
        m_favorites.insertFavorite(row, address);
        m_favorites.setText(row, FavoritesList::Updates, FrequencyCode(g_nCurrentFrequency));

        // The first snapshot goes straight into the snapshot file. When that file cannot be
        // created the page is still fetched and the row still stamped.
        const QString stamp = DownloadFirstSnapshot(address);
        m_favorites.setText(row, FavoritesList::LastUpdated, stamp);
    }

    // Also after a cancelled dialog.
    SortFavorites(m_favorites);
    SaveFavoritesOrWarn();
}
