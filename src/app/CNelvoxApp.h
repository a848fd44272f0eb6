// The application object: it runs the main window until the window ends, then the
// program ends.
#pragma once

#include "app/Translators.h"

#include <QApplication>

class CNelvoxApp : public QApplication {
    Q_OBJECT
public:
    CNelvoxApp(int& argc, char** argv);
    int run();

private:
    // The desktop's language (LANGUAGE, LC_ALL, LC_MESSAGES, LANG), or English.
    Translators m_translators { QLocale::system() };
};

// Why the program cannot show a window here: one line for the terminal in the desktop's
// language, or an empty text when it can. Asked before the application object exists, since Qt
// aborts when it finds no platform. A platform the user chose (QT_QPA_PLATFORM or -platform,
// offscreen for example) is theirs.
QString MissingDesktop(int argc, char** argv);

// The name of the lock that keeps a second copy of Nelvox out of a data directory.
inline constexpr const char* kLockFileName = "nelvox.lock";

// Runs the main window in the working directory under the running application's event
// loop and returns the program's exit code. A second copy in the same directory says so
// and returns 1 without touching any file.
int RunMainWindow();
