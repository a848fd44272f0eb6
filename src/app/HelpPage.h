// Where the help page that ships with Nelvox can be opened by a browser.
#pragma once

#include <QUrl>

// The installed help page when there is one, otherwise a copy of the page built into the
// program, written to a private temporary folder. Invalid when neither can be had.
QUrl HelpPageUrl();
