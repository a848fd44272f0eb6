// The favorites list's columns, clicks and menu.
#include "app/FavoritesView.h"

#include "app/CutOffCellTips.h"
#include "app/FavoritesModel.h"
#include "store/FavoritesList.h"

#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QMenu>
#include <QSet>
#include <QStyle>
#include <QTreeView>

#include <algorithm>
#include <cmath>

namespace {

// The column widths suit the narrow font the window was laid out with. In a wider font the
// time of a "Last Updated" stamp would be cut off, so that column grows until a whole stamp
// shows and Web Site, whose long addresses are cut off anyway, gives up the same room.
void setColumnWidths(QTreeView* list)
{
    int widths[FavoritesList::ColumnCount];
    for (int column = 0; column < FavoritesList::ColumnCount; ++column)
        widths[column] = FavoritesModel::columnWidth(column);

    // An item view leaves this margin on each side of a cell's text.
    const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    const QFontMetricsF metrics(list->font());
    int stamp = 0;
    for (const QString& widest : { QStringLiteral("00/00/00 00:00 AM"), QStringLiteral("00/00/00 00:00 PM") })
        stamp = std::max(stamp, static_cast<int>(std::ceil(metrics.horizontalAdvance(widest))) + 2 * margin);
    const int grow = std::clamp(stamp - widths[FavoritesList::LastUpdated], 0, widths[FavoritesList::WebSite] / 2);
    widths[FavoritesList::LastUpdated] += grow;
    widths[FavoritesList::WebSite] -= grow;

    for (int column = 0; column < FavoritesList::ColumnCount; ++column)
        list->setColumnWidth(column, widths[column]);
}

} // namespace

FavoritesView::FavoritesView(QTreeView* list, QAbstractItemModel* model)
    : QObject(list)
    , m_list(list)
    , m_viewport(list->viewport())
{
    list->setModel(model);
    setColumnWidths(list);
    // The list's own menu would shadow the window's; clicks anywhere in the list, empty
    // space included, count as clicks on the list.
    list->setContextMenuPolicy(Qt::PreventContextMenu);
    list->installEventFilter(this);
    list->viewport()->installEventFilter(this);
    list->header()->setSectionsClickable(false);
    list->header()->setSectionsMovable(false);
    list->header()->setStretchLastSection(false);
    new CutOffCellTips(list);
    connect(list, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            emit showChangesRequested(index.row());
    });
}

std::vector<int> FavoritesView::selectedRows() const
{
    QSet<int> rows;
    if (const QItemSelectionModel* selection = m_list->selectionModel()) {
        for (const QModelIndex& index : selection->selectedIndexes())
            rows.insert(index.row());
    }
    std::vector<int> sorted(rows.begin(), rows.end());
    std::sort(sorted.begin(), sorted.end(), std::greater<>());
    return sorted;
}

bool FavoritesView::hasSelection() const
{
    return m_list->selectionModel() && m_list->selectionModel()->hasSelection();
}

bool FavoritesView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_viewport && event->type() == QEvent::MouseButtonRelease) {
        // The view settles its selection while it handles the release; look after it.
        QMetaObject::invokeMethod(
            this, [this] { emit clicked(); }, Qt::QueuedConnection);
    }
    if (event->type() == QEvent::ContextMenu && (watched == m_list || watched == m_viewport))
        return showMenu(watched, *static_cast<QContextMenuEvent*>(event));
    return false;
}

bool FavoritesView::showMenu(QObject* watched, const QContextMenuEvent& request)
{
    const bool keyboard = request.reason() == QContextMenuEvent::Keyboard;
    if (!keyboard && watched != m_viewport)
        return false;
    const QModelIndex index = keyboard ? m_list->currentIndex() : m_list->indexAt(request.pos());
    QPoint where = request.globalPos();
    if (keyboard)
        where = m_list->viewport()->mapToGlobal(index.isValid() ? m_list->visualRect(index).center() : QPoint(0, 0));
    QMenu menu(m_list);
    if (index.isValid()) {
        menu.addAction(tr("Show &Changes..."), this, [this, row = index.row()] { emit showChangesRequested(row); });
        menu.addSeparator();
    }
    menu.addAction(tr("&Import Bookmarks..."), this, &FavoritesView::importRequested);
    menu.addAction(tr("E&xport Favorites..."), this, &FavoritesView::exportRequested);
    menu.exec(where);
    return true;
}
