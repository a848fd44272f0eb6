// Import Bookmarks and Export Favorites.
#include "commands/FavoriteCommands.h"

#include "check/CheckScheduler.h"
#include "commands/CImportDlg.h"
#include "store/Bookmarks.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QScopeGuard>
#include <QSet>
#include <QStandardPaths>

namespace {

// The file names in brackets are the dialog's filters and stay as they are in every language.
QString htmlFilter()
{
    return FavoriteCommands::tr("Bookmarks HTML files (*.html *.htm)");
}
QString chromiumFilter()
{
    return FavoriteCommands::tr("Chromium and Google Chrome bookmarks (Bookmarks)");
}
QString firefoxFilter()
{
    return FavoriteCommands::tr("Firefox bookmarks (places.sqlite)");
}

} // namespace

void FavoriteCommands::importBookmarks()
{
    // Where the browsers keep their profiles, when there are any: the user picks one there.
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const std::pair<QString, QString> places[] = {
        { QDir::home().filePath(QStringLiteral(".mozilla/firefox")), firefoxFilter() },
        { config + QStringLiteral("/chromium"), chromiumFilter() },
        { config + QStringLiteral("/google-chrome"), chromiumFilter() },
    };
    QString folder = QDir::homePath();
    QString filter = htmlFilter();
    for (const auto& [place, itsFilter] : places) {
        if (QFileInfo(place).isDir()) {
            folder = place;
            filter = itsFilter;
            break;
        }
    }
    QFileDialog dialog(m_window.dialogParent(), tr("Import Bookmarks"), folder);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({ htmlFilter(), chromiumFilter(), firefoxFilter(), tr("All files (*)") });
    dialog.selectNameFilter(filter);
    // Profiles live in hidden folders.
    dialog.setFilter(dialog.filter() | QDir::Hidden);
    if (m_window.execHoldingTicks(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    importFrom(dialog.selectedFiles().first());
}

void FavoriteCommands::importFrom(const QString& fileName)
{
    BookmarkTree tree;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        tree = ReadBookmarks(fileName);
    }
    std::vector<CImportDlg::Choice> choices;
    {
        CImportDlg chooser(fileName, tree, m_favorites, m_window.dialogParent());
        if (m_window.execHoldingTicks(chooser) != QDialog::Accepted)
            return;
        choices = chooser.chosen();
    }
    if (choices.empty())
        return;

    QStringList addresses;
    for (const CImportDlg::Choice& choice : choices) {
        Favorite favorite;
        favorite.address = choice.address;
        favorite.readFrequency(choice.updates);
        m_favorites.insertFavorite(m_favorites.count(), std::move(favorite));
        addresses << choice.address;
    }
    SortFavorites(m_favorites);
    save();

    // The chosen addresses were no favorites before, so each names its own row.
    downloadFirstSnapshots(addresses, [this](const RunReport& report) {
        if (report.firstSnapshotsDownloaded.isEmpty())
            return;
        const QSet<QString> stamped(report.firstSnapshotsDownloaded.cbegin(), report.firstSnapshotsDownloaded.cend());
        for (int row = 0; row < m_favorites.count(); ++row) {
            const QString& address = m_favorites.at(row).address;
            if (stamped.contains(address))
                m_favorites.setLastUpdated(row, report.firstSnapshotTimes.value(address));
        }
        save();
    });
}

void FavoriteCommands::exportFavorites()
{
    QFileDialog dialog(m_window.dialogParent(), tr("Export Favorites"),
        QDir::home().filePath(QStringLiteral("nelvox-favorites.html")), htmlFilter());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("html"));
    if (m_window.execHoldingTicks(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    // Stamped by the clock of the checks, as the favorites' Last Updated are.
    ExportFavorites(m_favorites, dialog.selectedFiles().first(), m_scheduler.transferOptions().currentTime());
}
