// Where the help page that ships with Nelvox can be opened by a browser, and the window that
// shows it when no browser will.
#pragma once

#include <QUrl>

class QWidget;

// The installed help page when there is one, otherwise a copy of the page built into the
// program, written to a folder that only the user can enter. Invalid when neither can be had.
QUrl HelpPageUrl();

// Shows the help page built into the program in a window of its own, over `owner` (which may
// be null), and returns when the user has closed it.
void ShowHelpWindow(QWidget* owner);
