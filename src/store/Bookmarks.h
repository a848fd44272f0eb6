// A browser's bookmarks as a tree of folders and links, read from the three kinds of file a
// user has (the bookmarks HTML every browser exports, Chromium's and Google Chrome's
// "Bookmarks", Firefox's "places.sqlite"), and the favorites written out as bookmarks HTML.
// Import Bookmarks offers what the tree holds; Export Favorites writes the HTML.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <vector>

class FavoritesList;

// One folder or link. Entries refer to their folder by index, so that a file nested thousands of
// folders deep is read, kept and freed without recursion.
struct BookmarkEntry {
    // The folder holding the entry, or -1 at the top.
    int parent = -1;
    bool isFolder = false;
    QString title;
    // Links only: the address as the file gives it, and the frequency code letter of a link that
    // Nelvox exported itself (empty otherwise).
    QString address;
    QString updates;
};

class BookmarkTree {
public:
    // Deeper folders are merged into their ancestor at this depth; links beyond the count are
    // left out. Both keep the chooser usable on files that no browser makes.
    static constexpr int kMaxDepth = 64;
    static constexpr int kMaxEntries = 100'000;

    const std::vector<BookmarkEntry>& entries() const { return m_entries; }
    int linkCount() const { return m_links; }
    // Whether a limit merged folders or left links out.
    bool isFlattened() const { return m_flattened; }
    bool isTruncated() const { return m_truncated; }

    // The index of the new folder, or `parent` itself when the folder would be too deep or
    // there is no room left.
    int addFolder(int parent, const QString& title);
    void addLink(int parent, const QString& title, const QString& address, const QString& updates = {});

private:
    int depth(int folder) const;

    std::vector<BookmarkEntry> m_entries;
    std::vector<int> m_depths;
    int m_links = 0;
    bool m_flattened = false;
    bool m_truncated = false;
};

// Reads any of the three kinds, told apart by their content, not their name. Throws FileError
// naming the file and what is wrong with it: it cannot be read, is none of the three kinds, is
// damaged in a way that leaves nothing to read, or holds no bookmarks.
BookmarkTree ReadBookmarks(const QString& fileName);

// The readers of each kind; `fileName` names the file in their messages. Bookmarks HTML is read
// as far as it goes, so a file cut short gives the bookmarks before the cut.
BookmarkTree ReadBookmarksHtml(const QByteArray& html);
BookmarkTree ReadChromiumBookmarks(const QByteArray& json, const QString& fileName);
// Reads a copy of the database made in a temporary folder (with its write-ahead log), so a
// running Firefox's lock and log are left alone.
BookmarkTree ReadFirefoxPlaces(const QString& fileName);
// What the readers throw when a file gives nothing to read: a FileError naming it and why.
[[noreturn]] void FailToReadBookmarks(const QString& fileName, const QString& reason);

// Whether the file starts as a browser's bookmarks HTML export does.
bool IsBookmarksHtml(const QString& fileName);

// Why a link cannot become a favorite: an address Nelvox cannot fetch or store. Empty when it can.
QString BookmarkRefusal(const QString& address);

// The favorites as bookmarks HTML that browsers import: one folder "Nelvox", each favorite a
// link with the time of export as its ADD_DATE and its frequency in NELVOX_UPDATES.
QByteArray FavoritesAsBookmarks(const FavoritesList& list, qint64 exportTime);
// Writes them, exported at `exportTime`, to `fileName` in one step; throws FileError naming the
// file and the reason.
void ExportFavorites(const FavoritesList& list, const QString& fileName, const QDateTime& exportTime);
