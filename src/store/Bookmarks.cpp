// The bookmark tree, the choice of reader by a file's content, Chromium's JSON and the export.
#include "store/Bookmarks.h"

#include "platform/BrowserAddress.h"
#include "platform/Files.h"
#include "platform/NelvoxError.h"
#include "platform/Reasons.h"
#include "store/FavoritesList.h"
#include "store/Frequency.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

// A folder or link title as a reader sees it: runs of white space as one blank, and a title of
// thousands of characters cut, since the chooser shows it on one line.
QString tidyTitle(const QString& title)
{
    constexpr qsizetype kMaxTitle = 500;
    return title.simplified().left(kMaxTitle);
}

QByteArray htmlEscaped(const QString& text)
{
    return text.toHtmlEscaped().toUtf8();
}

} // namespace

void FailToReadBookmarks(const QString& fileName, const QString& reason)
{
    throw FileError(
        QCoreApplication::translate("Bookmarks", "Cannot read the bookmarks in \"%1\": %2").arg(fileName, reason));
}

int BookmarkTree::depth(int folder) const
{
    return folder < 0 ? 0 : m_depths[static_cast<size_t>(folder)];
}

int BookmarkTree::addFolder(int parent, const QString& title)
{
    if (static_cast<int>(m_entries.size()) >= kMaxEntries) {
        m_truncated = true;
        return parent;
    }
    const int level = depth(parent) + 1;
    if (level > kMaxDepth) {
        m_flattened = true;
        return parent;
    }
    m_entries.push_back({ parent, true, tidyTitle(title), {}, {} });
    m_depths.push_back(level);
    return static_cast<int>(m_entries.size()) - 1;
}

void BookmarkTree::addLink(int parent, const QString& title, const QString& address, const QString& updates)
{
    if (static_cast<int>(m_entries.size()) >= kMaxEntries) {
        m_truncated = true;
        return;
    }
    const int code = FrequencyFromCode(updates);
    m_entries.push_back({ parent, false, tidyTitle(title), address.trimmed(), FrequencyCode(code) });
    m_depths.push_back(depth(parent) + 1);
    ++m_links;
}

BookmarkTree ReadBookmarks(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        FailToReadBookmarks(fileName,
            QCoreApplication::translate("Bookmarks", "the file cannot be opened (%1).")
                .arg(Reasons::Translated(file.errorString())));
    const QByteArray start = file.peek(4096);
    BookmarkTree tree;
    if (start.startsWith(QByteArrayLiteral("SQLite format 3\0"))) {
        file.close();
        tree = ReadFirefoxPlaces(fileName);
    } else {
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            FailToReadBookmarks(fileName,
                QCoreApplication::translate("Bookmarks", "the file cannot be read (%1).")
                    .arg(Reasons::Translated(file.errorString())));
        const QByteArray head = start.trimmed();
        if (head.startsWith('{'))
            tree = ReadChromiumBookmarks(bytes, fileName);
        else if (start.toLower().contains("<!doctype netscape-bookmark-file") || start.toLower().contains("<dl"))
            tree = ReadBookmarksHtml(bytes);
        else
            FailToReadBookmarks(fileName,
                QCoreApplication::translate("Bookmarks",
                    "it is not a bookmarks file. Nelvox reads the bookmarks HTML file that browsers "
                    "export, Chromium's and Google Chrome's \"Bookmarks\" file and Firefox's "
                    "\"places.sqlite\"."));
    }
    if (tree.linkCount() == 0)
        FailToReadBookmarks(fileName, QCoreApplication::translate("Bookmarks", "it holds no bookmarks."));
    return tree;
}

bool IsBookmarksHtml(const QString& fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) && file.read(1024).toLower().contains("<!doctype netscape-bookmark-file");
}

BookmarkTree ReadChromiumBookmarks(const QByteArray& json, const QString& fileName)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error == QJsonParseError::DeepNesting)
        FailToReadBookmarks(
            fileName, QCoreApplication::translate("Bookmarks", "its folders are nested deeper than Nelvox can read."));
    if (document.isNull())
        FailToReadBookmarks(fileName,
            QCoreApplication::translate("Bookmarks", "it is cut short or damaged (%1 at byte %2).")
                .arg(error.errorString())
                .arg(error.offset));
    const QJsonObject roots = document.object().value(QLatin1String("roots")).toObject();
    if (roots.isEmpty())
        FailToReadBookmarks(fileName,
            QCoreApplication::translate(
                "Bookmarks", "it is a JSON file but not a Chromium or Google Chrome bookmarks file."));

    BookmarkTree tree;
    // The entries still to be read, the next at the back, each with the tree folder it goes into:
    // the file's order, parents before children, and no recursion however deep the file nests.
    std::vector<std::pair<QJsonObject, int>> pending;
    // The roots in the order a browser shows them; "synced" is the mobile bookmarks.
    const QStringList order { QStringLiteral("bookmark_bar"), QStringLiteral("other"), QStringLiteral("synced") };
    QStringList names = roots.keys();
    std::stable_sort(names.begin(), names.end(), [&](const QString& a, const QString& b) {
        return static_cast<size_t>(order.indexOf(a)) < static_cast<size_t>(order.indexOf(b));
    });
    for (auto root = names.crbegin(); root != names.crend(); ++root)
        pending.emplace_back(roots.value(*root).toObject(), -1);
    while (!pending.empty()) {
        const auto [entry, into] = std::move(pending.back());
        pending.pop_back();
        const QString type = entry.value(QLatin1String("type")).toString();
        const QString name = entry.value(QLatin1String("name")).toString();
        if (type == u"url") {
            tree.addLink(into, name, entry.value(QLatin1String("url")).toString());
        } else if (type == u"folder") {
            const int folder = tree.addFolder(into, name);
            const QJsonArray children = entry.value(QLatin1String("children")).toArray();
            for (qsizetype child = children.size() - 1; child >= 0; --child)
                pending.emplace_back(children.at(child).toObject(), folder);
        }
    }
    return tree;
}

QString BookmarkRefusal(const QString& address)
{
    const QString scheme = AddressScheme(address);
    if (!scheme.isEmpty() && scheme != u"http" && scheme != u"https" && scheme != u"file")
        return QCoreApplication::translate("Bookmarks", "Not an http, https or file address");
    if (address.isEmpty())
        return QCoreApplication::translate("Bookmarks", "No address");
    if (std::any_of(address.cbegin(), address.cend(), [](QChar c) { return c.isSpace(); }))
        return QCoreApplication::translate("Bookmarks", "The address contains a space");
    return {};
}

QByteArray FavoritesAsBookmarks(const FavoritesList& list, qint64 exportTime)
{
    const QByteArray date = QByteArray::number(exportTime);
    QByteArray html = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
                      "<!-- The favorites of Nelvox. NELVOX_UPDATES is how often Nelvox checks a page:\n"
                      "     H hourly, D daily, W weekly, M monthly. -->\n"
                      "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
                      "<TITLE>Bookmarks</TITLE>\n"
                      "<H1>Bookmarks</H1>\n"
                      "<DL><p>\n"
                      "    <DT><H3 ADD_DATE=\""
        + date + "\" LAST_MODIFIED=\"" + date + "\">Nelvox</H3>\n    <DL><p>\n";
    for (const Favorite& row : list.rows()) {
        const QByteArray address = htmlEscaped(row.address);
        html += "        <DT><A HREF=\"" + address + "\" ADD_DATE=\"" + date + '"';
        const QString code = FrequencyCode(row.frequency);
        if (!code.isEmpty())
            html += " NELVOX_UPDATES=\"" + code.toLatin1() + '"';
        html += '>' + address + "</A>\n";
    }
    html += "    </DL><p>\n</DL><p>\n";
    return html;
}

void ExportFavorites(const FavoritesList& list, const QString& fileName, const QDateTime& exportTime)
{
    const QByteArray html = FavoritesAsBookmarks(list, exportTime.toSecsSinceEpoch());
    WriteWholeFile(
        fileName, html, QCoreApplication::translate("Bookmarks", "Cannot export the favorites to \"%1\": %2"));
}
