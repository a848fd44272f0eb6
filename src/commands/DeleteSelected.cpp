// Delete and Visit Selected Favorites.
#include "commands/FavoriteCommands.h"

#include "check/CheckScheduler.h"
#include "check/SnapshotRemoval.h"
#include "platform/BrowserAddress.h"

#include <QCoreApplication>
#include <QDesktopServices>

void FavoriteCommands::remove(const std::vector<int>& rows)
{
    // A change not yet seen or a rule the user set up would be lost for good; a plain favorite
    // costs nothing to add again.
    const auto dear = std::count_if(rows.cbegin(), rows.cend(), [this](int row) {
        return m_favorites.at(row).changed || !m_scheduler.rules().rule(m_favorites.at(row).address).isPageLength();
    });
    if (dear > 0) {
        const QString which = rows.size() == 1
            ? tr("The selected favorite changed or has a rule other than Page length.")
            : tr("%1 of the %2 selected favorites changed or have a rule other than Page length.")
                  .arg(dear)
                  .arg(rows.size());
        if (!m_window.confirm(tr("Delete the favorites that changed or have a rule of their own?")
                + QStringLiteral("\n\n") + which + QLatin1Char(' ')
                + tr("Yes deletes every selected favorite, No keeps them all.")))
            return;
    }
    // Highest row first, so that the rows still to come keep their indices. A snapshot that
    // cannot be removed ends the command at its row: that row and those above it stay, and
    // nothing is sorted or saved.
    for (const int row : rows) {
        RemoveUnsharedSnapshot(m_favorites, row, PreviousCopy::Remove, &m_scheduler.history());
        const QString address = m_favorites.at(row).address;
        m_favorites.deleteFavorite(row);
        if (!m_favorites.containsAddress(address))
            m_scheduler.rules().remove(address);
    }
    SortFavorites(m_favorites);
    save();
}

void FavoriteCommands::visit(const std::vector<int>& rows)
{
    // Nothing is saved; the cleared marks reach the file with the next save.
    QStringList notOpened;
    for (const int row : rows) {
        // An address that is no web address is not handed on, but the user has seen the
        // favorite all the same, so its mark goes. One that the desktop could not open (no
        // browser, no launcher) has not been seen and keeps it.
        const QString address = m_favorites.at(row).address;
        const QUrl url = BrowserUrl(address);
        if (!url.isEmpty() && !QDesktopServices::openUrl(url)) {
            notOpened << address;
            continue;
        }
        if (m_favorites.at(row).changed)
            m_scheduler.history().markLooked(address);
        m_favorites.setChanged(row, false);
    }
    // Qt only says that it failed; its reason went to standard error.
    if (!notOpened.isEmpty())
        m_window.showError(
            tr("Nelvox could not hand this address to a web browser:\n\n%1").arg(notOpened.join(QLatin1Char('\n'))));
}
