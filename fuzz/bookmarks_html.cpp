// Any bytes as a bookmarks HTML file: reading must not crash, and the tree it gives must hold
// together (every entry's folder comes before it, is a folder, and lies within the depth limit).
#include "store/Bookmarks.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "bookmarks_tree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray html(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    CheckTree(ReadBookmarksHtml(html));
    return 0;
}
