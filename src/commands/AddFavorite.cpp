// The commands' set-up, their save, the wait for first snapshots, and Add Favorite: the dialog
// collects an address, a frequency and a rule, the new row gets a first snapshot of the page and
// its stamp, then the list is sorted and saved.
#include "commands/FavoriteCommands.h"

#include "check/CheckScheduler.h"
#include "commands/CAddEditDlg.h"
#include "commands/MissingPart.h"
#include "platform/NelvoxError.h"
#include "store/FavoritesFile.h"
#include "store/FavoritesList.h"

QString FavoritesLimitMessage()
{
    return FavoriteCommands::tr("Nelvox can watch at most %1 favorites.").arg(FavoritesList::kMaxFavorites);
}

FavoriteCommands::FavoriteCommands(FavoritesList& favorites, CheckScheduler& scheduler, CommandWindow& window)
    : m_favorites(favorites)
    , m_scheduler(scheduler)
    , m_window(window)
{
}

FavoriteCommands::~FavoriteCommands() = default;

void FavoriteCommands::save()
{
    try {
        SaveFavorites(m_favorites);
        m_scheduler.rules().save(m_favorites);
    } catch (const NelvoxError& error) {
        m_window.showError(error.message());
    }
}

void FavoriteCommands::downloadFirstSnapshots(const QStringList& addresses, Continuation then)
{
    m_waiting = true;
    auto connection = std::make_shared<QMetaObject::Connection>();
    auto resume = [this, then = std::move(then)](const RunReport& report) {
        // From the event loop, once the run's last slot has returned: never inside the run.
        QMetaObject::invokeMethod(
            this,
            [this, then, report] {
                m_waiting = false;
                m_window.resumeCommand([&] { then(report); });
            },
            Qt::QueuedConnection);
    };
    *connection = connect(&m_scheduler, &CheckScheduler::finished, this, [connection, resume](const RunReport& report) {
        QObject::disconnect(*connection);
        resume(report);
    });
    if (!m_scheduler.startFirstSnapshots(addresses)) {
        // Another run is under way: to the command, every download failed.
        QObject::disconnect(*connection);
        RunReport report;
        report.kind = RunReport::Kind::FirstSnapshots;
        resume(report);
    }
}

void FavoriteCommands::add(const QString& address)
{
    if (m_favorites.count() >= FavoritesList::kMaxFavorites) {
        m_window.showInformation(FavoritesLimitMessage());
        return;
    }

    std::optional<FavoriteChoice> choice;
    {
        CAddEditDlg dialog(m_window.dialogParent());
        dialog.setShown({ address, FREQ_NONE, m_lastAddedRule });
        m_window.execHoldingTicks(dialog);
        choice = dialog.choice();
    }
    if (!choice) {
        // Also after a cancelled dialog.
        SortFavorites(m_favorites);
        save();
        return;
    }

    m_lastAddedRule = choice->rule;
    // Rows of one address share its rule.
    m_scheduler.rules().setRule(choice->address, choice->rule);
    Favorite favorite;
    favorite.address = choice->address;
    favorite.frequency = choice->frequency;
    // Empty until the first snapshot has come.
    favorite.unreadLastUpdated = QString();
    const int row = m_favorites.count();
    m_favorites.insertFavorite(row, std::move(favorite));
    const FavoritesList::Id id = m_favorites.idOf(row);

    // The first snapshot goes straight into the snapshot file. When that file cannot be created
    // the page is still fetched and the row still stamped.
    downloadFirstSnapshots({ choice->address }, [this, id, choice = *choice](const RunReport& report) {
        if (const int row = m_favorites.rowOf(id); row >= 0)
            m_favorites.setLastUpdated(row, report.firstSnapshotTimes.value(choice.address));
        warnOfMissingPart(choice.address, choice.rule);
        SortFavorites(m_favorites);
        save();
    });
}

void FavoriteCommands::warnOfMissingPart(const QString& address, const ChangeRule& rule)
{
    if (!m_window.isQuitting() && IsPartMissing(address, rule))
        m_window.showInformation(PartMissingReason());
}
