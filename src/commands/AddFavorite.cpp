// Add Favorite: the dialog collects an address, a frequency and a rule, the new row gets a first
// snapshot of the page and its stamp, then the list is sorted and saved.
#include "app/CNelvoxDlg.h"
#include "commands/CAddEditDlg.h"
#include "commands/MissingPart.h"
#include "store/DialogValues.h"
#include "check/ChangeRule.h"

#include <QMessageBox>

void CNelvoxDlg::OnAddFavorite()
{
    addFavorite(QString());
}

void CNelvoxDlg::addFavorite(const QString& address)
{
    if (m_favorites.count() >= FavoritesList::kMaxFavorites) {
        QMessageBox box(
            QMessageBox::Information, QStringLiteral("Nelvox"), FavoritesList::limitMessage(), QMessageBox::Ok, this);
        box.exec();
        return;
    }

    // The dialog opens on this address: empty, or one dropped on the window.
    g_strCurrentUrl = address;
    g_currentRule = m_lastAddedRule;
    {
        CAddEditDlg dialog(this);
        ExecHoldingTicks(dialog);
    }

    if (!g_strCurrentUrl.isEmpty()) {
        const QString added = g_strCurrentUrl;
        m_lastAddedRule = g_currentRule;
        // Rows of one address share its rule.
        m_scheduler.rules().setRule(added, g_currentRule);
        const int row = m_favorites.count();
        m_favorites.insertFavorite(row, added);
        m_favorites.setText(row, FavoritesList::Updates, FrequencyCode(g_nCurrentFrequency));

        // The first snapshot goes straight into the snapshot file. When that file cannot be
        // created the page is still fetched and the row still stamped.
        const QString stamp = DownloadFirstSnapshot(added);
        m_favorites.setText(row, FavoritesList::LastUpdated, stamp);
        WarnOfMissingPart(added, g_currentRule);
    }

    // Also after a cancelled dialog.
    SortFavorites(m_favorites);
    SaveFavoritesOrWarn();
}

void CNelvoxDlg::WarnOfMissingPart(const QString& address, const ChangeRule& rule)
{
    if (!IsPartMissing(address, rule))
        return;
    QMessageBox box(
        QMessageBox::Information, QStringLiteral("Nelvox"), PartMissingReason(), QMessageBox::Ok, boxOwner());
    box.exec();
}
