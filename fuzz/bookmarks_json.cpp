// Any bytes as Chromium's "Bookmarks" file: reading gives a tree that holds together or a
// FileError that names the file, never a crash.
#include "platform/NelvoxError.h"
#include "store/Bookmarks.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "bookmarks_tree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray json(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        CheckTree(ReadChromiumBookmarks(json, QStringLiteral("Bookmarks")));
    } catch (const FileError& error) {
        if (!error.message().startsWith(QStringLiteral("Cannot read the bookmarks in \"Bookmarks\": "))) {
            std::fprintf(stderr, "a message that does not name the file: %s\n", error.what());
            std::abort();
        }
    }
    return 0;
}
