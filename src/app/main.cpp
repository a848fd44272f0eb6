// Nelvox: watches a list of web pages and tells its user when one of them has changed.
#include "app/CNelvoxApp.h"

int main(int argc, char** argv)
{
    CNelvoxApp app(argc, argv);
    return app.run();
}
