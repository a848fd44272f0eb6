// What every bookmark tree must hold to, whatever file it was read from.
#pragma once

#include "store/Bookmarks.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

inline void CheckTree(const BookmarkTree& tree)
{
    const std::vector<BookmarkEntry>& entries = tree.entries();
    std::vector<int> depths(entries.size());
    int links = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const int parent = entries[i].parent;
        if (parent >= static_cast<int>(i) || (parent >= 0 && !entries[static_cast<size_t>(parent)].isFolder)) {
            std::fprintf(stderr, "entry %zu has %d as its folder\n", i, parent);
            std::abort();
        }
        depths[i] = parent < 0 ? 1 : depths[static_cast<size_t>(parent)] + 1;
        if (entries[i].isFolder && depths[i] > BookmarkTree::kMaxDepth) {
            std::fprintf(stderr, "folder %zu lies %d deep\n", i, depths[i]);
            std::abort();
        }
        links += entries[i].isFolder ? 0 : 1;
    }
    if (links != tree.linkCount() || static_cast<int>(entries.size()) > BookmarkTree::kMaxEntries) {
        std::fprintf(stderr, "%d links counted, %d found, %zu entries\n", tree.linkCount(), links, entries.size());
        std::abort();
    }
}
