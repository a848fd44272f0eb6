// A cell's whole text in a tooltip, only where the view had to cut it off; a cell with a tip of
// its own shows that.
#include "app/CutOffCellTips.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QStyle>
#include <QToolTip>

CutOffCellTips::CutOffCellTips(QAbstractItemView* view)
    : QObject(view)
    , m_view(view)
    , m_viewport(view->viewport())
{
    m_viewport->installEventFilter(this);
}

bool CutOffCellTips::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ToolTip || watched != m_viewport)
        return false;
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = m_view->indexAt(help->pos());
    const QString text = index.data().toString();
    const QRect cell = m_view->visualRect(index);
    // The view leaves this margin on each side of a cell's text.
    const int margin = m_view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_view) + 1;
    // A tip of the cell's own (a favorite that fails says why) comes first.
    if (const QString own = index.data(Qt::ToolTipRole).toString(); !own.isEmpty())
        QToolTip::showText(help->globalPos(), own, m_view->viewport(), cell);
    else if (index.isValid() && m_view->fontMetrics().horizontalAdvance(text) + 2 * margin > cell.width())
        QToolTip::showText(help->globalPos(), text, m_view->viewport(), cell);
    else
        QToolTip::hideText();
    return true;
}
