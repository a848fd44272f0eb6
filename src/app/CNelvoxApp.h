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
