// Nelvox: watches a list of web pages and tells its user when one of them has changed.
#include "app/CNelvoxApp.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (const QString missing = MissingDesktop(argc, argv); !missing.isEmpty()) {
        std::fprintf(stderr, "%s\n", missing.toLocal8Bit().constData());
        return 1;
    }
    CNelvoxApp app(argc, argv);
    return app.run();
}
