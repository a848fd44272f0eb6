// The commands on the favorites: Add, Edit, Delete and Visit, Import Bookmarks and Export
// Favorites, and the save that ends most of them. They work on the list and the scheduler's
// rules, and reach the user through the window they run in. A command that needs first
// snapshots starts them and goes on once the run's report has come: the window keeps running
// meanwhile, and isWaiting() says so.
#pragma once

#include "commands/CommandWindow.h"
#include "store/ChangeRules.h"
#include "store/FavoritesList.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class CAddEditDlg;
class CheckScheduler;
struct RunReport;

// What Add and Import Bookmarks say when the favorites would pass FavoritesList::kMaxFavorites.
QString FavoritesLimitMessage();

class FavoriteCommands : public QObject {
    Q_OBJECT
public:
    // All three must outlive the commands.
    FavoriteCommands(FavoritesList& favorites, CheckScheduler& scheduler, CommandWindow& window);
    ~FavoriteCommands() override;

    // Add Favorite with the dialog opened on `address`: empty, or one dropped on the window. The
    // new row gets a first snapshot and its stamp; the list is then sorted and saved, also after
    // a cancelled dialog.
    void add(const QString& address = QString());
    // The dialog once per row, from the highest index to the lowest. On OK a kept address keeps
    // its snapshot; a new one loses the old snapshot (unless another row still uses it) and gets
    // a first one. Rows stay where they are; the file is written only when the last dialog
    // ended with OK.
    void edit(const std::vector<int>& rows);
    // Each row loses its snapshot (unless another row still uses it), then the row, and its rule
    // with the last row of its address; then the sort and the save. Rows that say YES or have a
    // rule of their own go only after the user says Yes.
    void remove(const std::vector<int>& rows);
    // Each row opens in the user's browser and loses its changed mark; nothing is saved.
    void visit(const std::vector<int>& rows);
    // Import Bookmarks: a file dialog, then importFrom().
    void importBookmarks();
    // Reads a bookmarks file and runs the chooser; the chosen links become favorites with
    // "Never", the list is sorted and saved, and their first snapshots come in one run.
    void importFrom(const QString& fileName);
    // Export Favorites: a file dialog, then the list written as bookmarks HTML.
    void exportFavorites();

    // Writes the favorites file and the rules; a failure is shown and the caller goes on.
    void save();

    // A command waits for the first snapshots it started.
    bool isWaiting() const { return m_waiting; }

private:
    using Continuation = std::function<void(const RunReport&)>;
    // Starts the first snapshots of `addresses`; `then` follows with the run's report, from the
    // event loop once the run has ended, through the window.
    void downloadFirstSnapshots(const QStringList& addresses, Continuation then);
    // Edit from the `next`th of the rows (by id) on; `confirmed` tells whether the last dialog
    // ended with OK.
    void editFrom(std::shared_ptr<CAddEditDlg> dialog, std::vector<FavoritesList::Id> ids, size_t next, bool confirmed);
    // Tells the user when the first snapshot just downloaded for `address` lacks the part of
    // the page its rule chooses.
    void warnOfMissingPart(const QString& address, const ChangeRule& rule);

    FavoritesList& m_favorites;
    CheckScheduler& m_scheduler;
    CommandWindow& m_window;
    bool m_waiting = false;
    // The rule chosen in the last Add, offered by the next.
    ChangeRule m_lastAddedRule;
};
