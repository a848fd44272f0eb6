// Edit Selected Favorites: the dialog once per selected favorite, bottom-up; on OK the old
// snapshot goes unless another row still uses it, the row takes the new address, frequency and rule
// and the page is downloaded into a fresh snapshot; a kept address keeps its snapshot. Rows stay where they are; the
// file is written only after an OK.
#include "app/CNelvoxDlg.h"
#include "commands/CAddEditDlg.h"
#include "commands/MissingPart.h"
#include "store/DialogValues.h"
#include "check/SnapshotRemoval.h"

void CNelvoxDlg::OnEditSelected()
{
    const std::vector<int> rows = GetSelectedRows();
    if (rows.empty())
        return;

    CAddEditDlg dialog(this);
    for (const int row : rows) {
        g_strCurrentUrl = m_favorites.text(row, FavoritesList::WebSite);
        // The dialog checks no frequency; an unknown code leaves the last one in place.
        const int frequency = FrequencyFromCode(m_favorites.text(row, FavoritesList::Updates));
        if (frequency != FREQ_NONE)
            g_nCurrentFrequency = frequency;
        g_currentRule = m_scheduler.rules().rule(g_strCurrentUrl);
        g_bDialogCancelled = true;
        ExecHoldingTicks(dialog);
        // After Quit no further dialog is offered.
        if (m_quitRequested)
            break;
        if (g_bDialogCancelled)
            continue;

        const QString address = g_strCurrentUrl;
        const QString oldAddress = m_favorites.text(row, FavoritesList::WebSite);
        if (address == oldAddress) {
            // The page is not fetched again: a change the check has not yet reported stays in
            // the snapshot, to be found under the new rule. Last Updated and CHANGED stay too.
            m_scheduler.rules().setRule(address, g_currentRule);
            if (const QString code = FrequencyCode(g_nCurrentFrequency); !code.isEmpty())
                m_favorites.setText(row, FavoritesList::Updates, code);
            continue;
        }
        // The row still holds the old address. A failure here ends the command with this
        // row unchanged, the rows above it not offered, and nothing written.
        RemoveUnsharedSnapshot(m_favorites, row, PreviousCopy::Remove);
        m_favorites.setText(row, FavoritesList::WebSite, address);
        // The rule goes with the address, and is the rule of every row of the new address.
        if (!m_favorites.containsAddress(oldAddress))
            m_scheduler.rules().rename(oldAddress, address);
        m_scheduler.rules().setRule(address, g_currentRule);
        if (const QString code = FrequencyCode(g_nCurrentFrequency); !code.isEmpty())
            m_favorites.setText(row, FavoritesList::Updates, code);
        // When the snapshot file cannot be created, the page is still fetched and the row
        // still stamped.
        m_favorites.setText(row, FavoritesList::LastUpdated, DownloadFirstSnapshot(address));
        WarnOfMissingPart(address, g_currentRule);
    }

    // Only a run whose last dialog ended with OK is written; earlier edits of a run whose
    // last dialog was cancelled stay in the list until the next save.
    if (!g_bDialogCancelled)
        SaveFavoritesOrWarn();
    g_bDialogCancelled = false;
}
