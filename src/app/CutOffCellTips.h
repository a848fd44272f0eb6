// Tooltips for the cells of an item view whose text does not fit: an address cut off in the
// favorites list shows whole when the pointer rests on it.
#pragma once

#include <QObject>

class QAbstractItemView;

class CutOffCellTips : public QObject {
public:
    // Watches `view`, which owns the object.
    explicit CutOffCellTips(QAbstractItemView* view);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractItemView* m_view;
};
