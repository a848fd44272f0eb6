// The application object: it runs the main window until the window ends, then the
// program ends.
#pragma once

#include <QApplication>

class CNelvoxApp : public QApplication {
    Q_OBJECT
public:
    CNelvoxApp(int& argc, char** argv);
    int run();
};

// The name of the lock that keeps a second copy of Nelvox out of a data directory.
inline constexpr const char* kLockFileName = "nelvox.lock";

// Runs the main window in the working directory under the running application's event
// loop and returns the program's exit code. A second copy in the same directory says so
// and returns 1 without touching any file.
int RunMainWindow();
