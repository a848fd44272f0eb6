// The ways from the favorites list to the Changes window: a double-click on a row, and a
// menu on the rows. Clicks outside the rows keep the window's own menu.
#include "app/CNelvoxDlg.h"

#include "app/CChangesDlg.h"
#include "platform/NelvoxError.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QTreeView>

namespace {

// The list refuses menus of its own (its context menu policy), so the row menu is offered
// by watching the list before that refusal.
class RowMenu : public QObject {
public:
    RowMenu(QTreeView* list, std::function<void(int)> showChanges)
        : QObject(list)
        , m_list(list)
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
        QModelIndex index;
        if (watched == m_list->viewport() && request->reason() != QContextMenuEvent::Keyboard)
            index = m_list->indexAt(request->pos());
        else if (request->reason() == QContextMenuEvent::Keyboard)
            index = m_list->currentIndex();
        if (!index.isValid())
            return false;
        const int row = index.row();
        const QPoint where = request->reason() == QContextMenuEvent::Keyboard
            ? m_list->viewport()->mapToGlobal(m_list->visualRect(index).center())
            : request->globalPos();
        QMenu menu(m_list);
        menu.addAction(QStringLiteral("Show &Changes..."), this, [this, row] { m_showChanges(row); });
        if (auto* window = qobject_cast<CNelvoxDlg*>(m_list->window()))
            window->addListCommands(menu);
        menu.exec(where);
        return true;
    }

private:
    QTreeView* m_list;
    std::function<void(int)> m_showChanges;
};

} // namespace

void CNelvoxDlg::setUpChangesView()
{
    connect(m_listFavorites, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            RunCommand([this, row = index.row()] { OnShowChanges(row); });
    });
    new RowMenu(m_listFavorites, [this](int row) { RunCommand([this, row] { OnShowChanges(row); }); });
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
