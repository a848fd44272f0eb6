// The favorites list in the main window: its columns, the tips of cut-off cells, the click that
// settles which commands apply, the selected rows, and the ways to a favorite's Changes window
// (a double-click on its row, the list's menu) beside the list's own commands in that menu.
#pragma once

#include <QObject>

#include <vector>

class QAbstractItemModel;
class QTreeView;

class FavoritesView : public QObject {
    Q_OBJECT
public:
    // Shows `model` in `list`, which owns the object.
    FavoritesView(QTreeView* list, QAbstractItemModel* model);

    // The selected rows, from the highest index to the lowest.
    std::vector<int> selectedRows() const;
    bool hasSelection() const;

signals:
    // A click in the list, empty space included, once the list has settled its selection.
    void clicked();
    void showChangesRequested(int row);
    // The list's own commands, chosen in its menu.
    void importRequested();
    void exportRequested();

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The list refuses menus of its own (its context menu policy), so its menu is offered by
    // watching the list before that refusal: on a row, Show Changes and the list's commands;
    // below the last row, the list's commands.
    bool showMenu(QObject* watched, const class QContextMenuEvent& request);

    QTreeView* m_list;
    // Kept apart: the viewport's events keep coming while the list is being destroyed, when
    // the list can no longer be asked for it.
    QWidget* m_viewport;
};
