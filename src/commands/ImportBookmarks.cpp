// Import Bookmarks, Export Favorites and what is dropped on the window: the list's own menu
// offers the first two, on a row (beside Show Changes) and below the last row.
#include "app/CNelvoxDlg.h"
#include "commands/CImportDlg.h"
#include "store/Bookmarks.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QMenu>
#include <QMimeData>
#include <QScopeGuard>
#include <QStandardPaths>

namespace {

const QString kHtmlFilter = QStringLiteral("Bookmarks HTML files (*.html *.htm)");
const QString kChromiumFilter = QStringLiteral("Chromium and Google Chrome bookmarks (Bookmarks)");
const QString kFirefoxFilter = QStringLiteral("Firefox bookmarks (places.sqlite)");

// The one address a drop carries, as the uri-list or the text gives it: an http, https or file
// address without blanks. Empty for anything else, several addresses included.
QString droppedAddress(const QMimeData& data)
{
    QStringList lines;
    if (data.hasFormat(QStringLiteral("text/uri-list"))) {
        for (const QByteArray& line : data.data(QStringLiteral("text/uri-list")).split('\n')) {
            if (!line.trimmed().isEmpty() && !line.startsWith('#'))
                lines << QString::fromUtf8(line.trimmed());
        }
    } else if (data.hasText()) {
        lines << data.text().trimmed();
    }
    if (lines.size() != 1 || !BookmarkRefusal(lines.first()).isEmpty())
        return {};
    const QString scheme = QUrl(lines.first()).scheme().toLower();
    return scheme == u"http" || scheme == u"https" || scheme == u"file" ? lines.first() : QString();
}

// The local file that a dropped address names, when it is a bookmarks HTML file.
QString droppedBookmarks(const QString& address)
{
    const QUrl url(address);
    return url.isLocalFile() && IsBookmarksHtml(url.toLocalFile()) ? url.toLocalFile() : QString();
}

} // namespace

void CNelvoxDlg::addListCommands(QMenu& menu)
{
    if (!menu.isEmpty())
        menu.addSeparator();
    menu.addAction(QStringLiteral("&Import Bookmarks..."), this, [this] { runLater([this] { OnImportBookmarks(); }); });
    menu.addAction(QStringLiteral("E&xport Favorites..."), this, [this] { runLater([this] { OnExportFavorites(); }); });
}

void CNelvoxDlg::runLater(std::function<void()> command)
{
    QMetaObject::invokeMethod(
        this,
        [this, command = std::move(command)] {
            if (!isRunInProgress() && !m_ended)
                RunCommand(command);
        },
        Qt::QueuedConnection);
}

void CNelvoxDlg::OnImportBookmarks()
{
    // Where the browsers keep their profiles, when there are any: the user picks one there.
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const std::pair<QString, QString> places[] = {
        { QDir::home().filePath(QStringLiteral(".mozilla/firefox")), kFirefoxFilter },
        { config + QStringLiteral("/chromium"), kChromiumFilter },
        { config + QStringLiteral("/google-chrome"), kChromiumFilter },
    };
    QString folder = QDir::homePath();
    QString filter = kHtmlFilter;
    for (const auto& [place, itsFilter] : places) {
        if (QFileInfo(place).isDir()) {
            folder = place;
            filter = itsFilter;
            break;
        }
    }
    QFileDialog dialog(this, QStringLiteral("Import Bookmarks"), folder);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({ kHtmlFilter, kChromiumFilter, kFirefoxFilter, QStringLiteral("All files (*)") });
    dialog.selectNameFilter(filter);
    // Profiles live in hidden folders.
    dialog.setFilter(dialog.filter() | QDir::Hidden);
    if (ExecHoldingTicks(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    ImportBookmarksFrom(dialog.selectedFiles().first());
}

void CNelvoxDlg::ImportBookmarksFrom(const QString& fileName)
{
    BookmarkTree tree;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        tree = ReadBookmarks(fileName);
    }
    std::vector<CImportDlg::Choice> choices;
    {
        CImportDlg chooser(fileName, tree, m_favorites, this);
        if (ExecHoldingTicks(chooser) != QDialog::Accepted)
            return;
        choices = chooser.chosen();
    }
    if (choices.empty())
        return;

    QStringList addresses;
    for (const CImportDlg::Choice& choice : choices) {
        const int row = m_favorites.count();
        m_favorites.insertFavorite(row, choice.address);
        m_favorites.setText(row, FavoritesList::Updates, choice.updates);
        m_favorites.setText(row, FavoritesList::LastUpdated, QStringLiteral("Never"));
        addresses << choice.address;
    }
    SortFavorites(m_favorites);
    SaveFavoritesOrWarn();

    // The chosen addresses were no favorites before, so each names its own row.
    const RunReport report = RunChecks([&] { return m_scheduler.startFirstSnapshots(addresses); });
    if (report.firstSnapshotsDownloaded.isEmpty())
        return;
    const QSet<QString> stamped(report.firstSnapshotsDownloaded.cbegin(), report.firstSnapshotsDownloaded.cend());
    for (int row = 0; row < m_favorites.count(); ++row) {
        const QString& address = m_favorites.text(row, FavoritesList::WebSite);
        if (stamped.contains(address))
            m_favorites.setText(row, FavoritesList::LastUpdated, report.firstSnapshotStamps.value(address));
    }
    SaveFavoritesOrWarn();
}

void CNelvoxDlg::OnExportFavorites()
{
    QFileDialog dialog(this, QStringLiteral("Export Favorites"),
        QDir::home().filePath(QStringLiteral("nelvox-favorites.html")), kHtmlFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("html"));
    if (ExecHoldingTicks(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    ExportFavorites(m_favorites, dialog.selectedFiles().first());
}

void CNelvoxDlg::dragEnterEvent(QDragEnterEvent* event)
{
    // While a run or another command is under way the window takes nothing.
    if (!isRunInProgress() && m_commandDepth == 0 && !droppedAddress(*event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CNelvoxDlg::dragMoveEvent(QDragMoveEvent* event)
{
    if (!isRunInProgress() && m_commandDepth == 0)
        event->acceptProposedAction();
    else
        event->ignore();
}

void CNelvoxDlg::dropEvent(QDropEvent* event)
{
    const QString address = droppedAddress(*event->mimeData());
    if (address.isEmpty() || isRunInProgress() || m_commandDepth > 0)
        return;
    event->acceptProposedAction();
    // The source of the drag waits for the drop to end; the dialogs open after it has.
    if (const QString bookmarks = droppedBookmarks(address); !bookmarks.isEmpty())
        runLater([this, bookmarks] { ImportBookmarksFrom(bookmarks); });
    else
        runLater([this, address] { addFavorite(address); });
}
