#include "app/CNelvoxApp.h"

CNelvoxApp::CNelvoxApp(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

int CNelvoxApp::run() { return 0; }
