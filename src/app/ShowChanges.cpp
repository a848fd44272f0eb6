// The ways from the favorites list to the Changes window, a double-click on a row and the
// list's menu, which also holds the list's other commands. Clicks outside the list's rows
// and the room below them keep the window's own menu.
#include "app/CNelvoxDlg.h"

#include "app/CChangesDlg.h"
#include "platform/NelvoxError.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QTreeView>

namespace {

// The list refuses menus of its own (its context menu policy), so its menu is offered by
// watching the list before that refusal: on a row, Show Changes and the list's commands;
// below the last row, the list's commands.
class ListMenu : public QObject {
public:
    ListMenu(QTreeView* list, CNelvoxDlg* window, std::function<void(int)> showChanges)
        : QObject(list)
        , m_list(list)
        , m_window(window)
        , m_showChanges(std::move(showChanges))
    {
        list->installEventFilter(this);
        list->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::ContextMenu)
            return false;
        auto* request = static_cast<QContextMenuEvent*>(event);
        const bool keyboard = request->reason() == QContextMenuEvent::Keyboard;
        if (!keyboard && watched != m_list->viewport())
            return false;
        const QModelIndex index = keyboard ? m_list->currentIndex() : m_list->indexAt(request->pos());
        QPoint where = request->globalPos();
        if (keyboard) {
            where
                = m_list->viewport()->mapToGlobal(index.isValid() ? m_list->visualRect(index).center() : QPoint(0, 0));
        }
        QMenu menu(m_list);
        if (index.isValid()) {
            menu.addAction(QStringLiteral("Show &Changes..."), this, [this, row = index.row()] { m_showChanges(row); });
        }
        m_window->addListCommands(menu);
        menu.exec(where);
        return true;
    }

private:
    QTreeView* m_list;
    CNelvoxDlg* m_window;
    std::function<void(int)> m_showChanges;
};

} // namespace

void CNelvoxDlg::setUpChangesView()
{
    connect(m_listFavorites, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            RunCommand([this, row = index.row()] { OnShowChanges(row); });
    });
    new ListMenu(m_listFavorites, this, [this](int row) { RunCommand([this, row] { OnShowChanges(row); }); });
}

void CNelvoxDlg::OnShowChanges(int row)
{
    if (row < 0 || row >= m_favorites.count())
        return;
    // Modeless and on its own: the user may keep several open while Nelvox works on.
    const QString address = m_favorites.text(row, FavoritesList::WebSite);
    const FavoriteState* state = m_scheduler.states().find(address);
    auto* changes = new CChangesDlg(
        address, m_scheduler.rules().rule(address), state && state->isFailing() ? state->failure : QString(), this);
    connect(changes, &CChangesDlg::ruleChosen, this, [this](const QString& address, const ChangeRule& rule) {
        m_scheduler.rules().setRule(address, rule);
        try {
            m_scheduler.rules().save(m_favorites);
        } catch (const NelvoxError& error) {
            ShowError(error.message());
        }
    });
    changes->show();
    changes->raise();
    changes->activateWindow();
}
