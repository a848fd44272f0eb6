// Edit Selected Favorites: the dialog once per selected favorite, bottom-up; on OK the old
// snapshot goes unless another row still uses it, the row takes the new address, frequency and
// rule and the page is downloaded into a fresh snapshot; a kept address keeps its snapshot. Rows
// stay where they are; the file is written only after an OK.
#include "commands/FavoriteCommands.h"

#include "check/ChangeRule.h"
#include "check/CheckScheduler.h"
#include "check/SnapshotRemoval.h"
#include "commands/CAddEditDlg.h"
#include "store/FavoritesList.h"

void FavoriteCommands::edit(const std::vector<int>& rows)
{
    if (rows.empty())
        return;
    // Ids, since the rows are edited over several runs of the event loop.
    std::vector<FavoritesList::Id> ids;
    for (const int row : rows)
        ids.push_back(m_favorites.idOf(row));
    editFrom(std::make_shared<CAddEditDlg>(m_window.dialogParent()), std::move(ids), 0, false);
}

void FavoriteCommands::editFrom(
    std::shared_ptr<CAddEditDlg> dialog, std::vector<FavoritesList::Id> ids, size_t next, bool confirmed)
{
    // After Quit no further dialog is offered.
    for (; next < ids.size() && !m_window.isQuitting(); ++next) {
        const int row = m_favorites.rowOf(ids[next]);
        if (row < 0)
            continue;
        const QString oldAddress = m_favorites.at(row).address;
        dialog->setShown({ oldAddress, FREQ_NONE, m_scheduler.rules().rule(oldAddress) });
        m_window.execHoldingTicks(*dialog);
        if (m_window.isQuitting())
            break;
        confirmed = dialog->choice().has_value();
        if (!confirmed)
            continue;

        const FavoriteChoice choice = *dialog->choice();
        if (choice.address == oldAddress) {
            // The page is not fetched again: a change the check has not yet reported stays in
            // the snapshot, to be found under the new rule. Last Updated and CHANGED stay too,
            // and what the favorite learned changes by itself while the rule still ignores it.
            m_scheduler.rules().setRule(
                choice.address, KeepingLearned(choice.rule, m_scheduler.rules().rule(oldAddress)));
            m_favorites.setFrequency(row, choice.frequency);
            continue;
        }
        // The row still holds the old address. A failure here ends the command with this
        // row unchanged, the rows above it not offered, and nothing written.
        RemoveUnsharedSnapshot(m_favorites, row, PreviousCopy::Remove, &m_scheduler.history());
        m_favorites.setAddress(row, choice.address);
        // The rule goes with the address, and is the rule of every row of the new address.
        if (!m_favorites.containsAddress(oldAddress))
            m_scheduler.rules().rename(oldAddress, choice.address);
        m_scheduler.rules().setRule(choice.address, choice.rule);
        m_favorites.setFrequency(row, choice.frequency);
        // When the snapshot file cannot be created, the page is still fetched and the row
        // still stamped.
        downloadFirstSnapshots(
            { choice.address }, [this, dialog, ids = std::move(ids), next, choice](const RunReport& report) mutable {
                if (const int row = m_favorites.rowOf(ids[next]); row >= 0)
                    m_favorites.setLastUpdated(row, report.firstSnapshotTimes.value(choice.address));
                warnOfMissingPart(choice.address, choice.rule);
                editFrom(std::move(dialog), std::move(ids), next + 1, true);
            });
        return;
    }

    // Only a run whose last dialog ended with OK is written; earlier edits of a run whose
    // last dialog was cancelled stay in the list until the next save.
    if (confirmed)
        save();
}
