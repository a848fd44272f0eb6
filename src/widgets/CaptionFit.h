// Keeps the captions of a dialog laid out for a narrow font whole in the desktop's font.
#pragma once

class QWidget;

// Grows every control of `dialog` (its direct children) whose caption does not fit: to the
// right first, and taller where that is not enough (a wrapping label or button takes more
// lines). Controls to the right of a grown one move right and controls below it move down,
// so that none overlaps another, and the dialog grows to hold them all.
void FitCaptionsToFont(QWidget* dialog);
