// Nelvox: watches a list of web pages and tells its user when one of them has changed.
#include "app/CNelvoxApp.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (const char* missing = MissingDesktop(argc, argv)) {
        std::fprintf(stderr, "%s\n", missing);
        return 1;
    }
    CNelvoxApp app(argc, argv);
    return app.run();
}
