// Shows the busy cursor for as long as it lives. Downloads run on the window's own thread
// and the window cannot repaint meanwhile, so the cursor is the user's only sign of work.
#pragma once

#include <QApplication>

class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
