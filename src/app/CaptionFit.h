// Keeps the captions of a dialog laid out for a narrow font whole in the desktop's font.
#pragma once

class QWidget;

// Widens every check box of `dialog` that is too narrow for its caption, to its right.
void FitCaptionsToFont(QWidget* dialog);
