// Tooltips for the cells of an item view whose text does not fit: an address cut off in the
// favorites list shows whole when the pointer rests on it.
#pragma once

#include <QObject>

class QAbstractItemView;
class QWidget;

class CutOffCellTips : public QObject {
public:
    // Watches `view`, which owns the object.
    explicit CutOffCellTips(QAbstractItemView* view);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractItemView* m_view;
    // Kept apart: the viewport's events keep coming while the view is being destroyed, when
    // the view can no longer be asked for it.
    QWidget* m_viewport;
};
