// The bookmarks HTML that browsers export ("NETSCAPE-Bookmark-file-1"): <DT><H3> names a
// folder whose links follow in the next <DL>, <DT><A HREF> is a link. Read with libxml2's HTML
// parser in SAX mode, fed in pieces: it keeps no document tree and descends no deeper for a
// deeper file, so a large file or one nested thousands of folders deep costs only its length.
#include "store/Bookmarks.h"

#include <libxml/HTMLparser.h>

#include <memory>
#include <mutex>
#include <vector>

namespace {

class HtmlReader {
public:
    explicit HtmlReader(BookmarkTree& tree)
        : m_tree(tree)
    {
    }

    static void startElement(void* context, const xmlChar* name, const xmlChar** attributes)
    {
        static_cast<HtmlReader*>(context)->start(reinterpret_cast<const char*>(name), attributes);
    }
    static void endElement(void* context, const xmlChar* name)
    {
        static_cast<HtmlReader*>(context)->end(reinterpret_cast<const char*>(name));
    }
    static void characters(void* context, const xmlChar* text, int length)
    {
        auto* reader = static_cast<HtmlReader*>(context);
        // A title of megabytes is cut to a line in the end anyway.
        if (reader->m_inTitle && reader->m_text.size() < 4096)
            reader->m_text += QString::fromUtf8(reinterpret_cast<const char*>(text), length);
    }

private:
    void start(const char* name, const xmlChar** attributes)
    {
        // libxml2 gives element and attribute names in lower case.
        const QByteArrayView element(name);
        if (element == "dl") {
            // The folder named just before opens here; any other list stays in the folder it is in.
            m_folders.push_back(m_named >= 0 ? m_named : m_folders.back());
            m_named = -1;
        } else if (element == "h3" || element == "a") {
            m_named = -1;
            m_inTitle = true;
            m_text.clear();
            m_address.clear();
            m_updates.clear();
            for (int i = 0; attributes && attributes[i]; i += 2) {
                const QByteArrayView attribute(reinterpret_cast<const char*>(attributes[i]));
                const QString value = attributes[i + 1]
                    ? QString::fromUtf8(reinterpret_cast<const char*>(attributes[i + 1]))
                    : QString();
                if (attribute == "href")
                    m_address = value;
                else if (attribute == "nelvox_updates")
                    m_updates = value;
            }
            m_isLink = element == "a";
        }
    }

    void end(const char* name)
    {
        const QByteArrayView element(name);
        if (element == "dl") {
            // The outermost list is the top of the tree and never closes.
            if (m_folders.size() > 1)
                m_folders.pop_back();
            m_named = -1;
        } else if (m_inTitle && (element == "h3" || element == "a")) {
            m_inTitle = false;
            if (!m_isLink)
                m_named = m_tree.addFolder(m_folders.back(), m_text);
            else if (!m_address.isNull())
                m_tree.addLink(m_folders.back(), m_text, m_address, m_updates);
        }
    }

    BookmarkTree& m_tree;
    // The tree folder of each <DL> open at this point; the first stands for the top.
    std::vector<int> m_folders { -1 };
    // The folder whose <H3> came last, until its <DL> opens or another entry comes.
    int m_named = -1;
    bool m_inTitle = false;
    bool m_isLink = false;
    QString m_text;
    QString m_address;
    QString m_updates;
};

// Parse errors are expected (bookmark files are not valid HTML) and nobody reads them.
void ignoreMessage(void*, const char*, ...) { }

struct ContextFree {
    void operator()(htmlParserCtxtPtr context) const { htmlFreeParserCtxt(context); }
};

} // namespace

BookmarkTree ReadBookmarksHtml(const QByteArray& html)
{
    static std::once_flag initialised;
    std::call_once(initialised, [] { xmlInitParser(); });

    BookmarkTree tree;
    HtmlReader reader(tree);
    htmlSAXHandler handler {};
    handler.startElement = &HtmlReader::startElement;
    handler.endElement = &HtmlReader::endElement;
    handler.characters = &HtmlReader::characters;
    handler.warning = &ignoreMessage;
    handler.error = &ignoreMessage;
    handler.fatalError = &ignoreMessage;
    // Browsers write UTF-8 and say so; the parser is told, so it needs no guess.
    const std::unique_ptr<htmlParserCtxt, ContextFree> context(
        htmlCreatePushParserCtxt(&handler, &reader, nullptr, 0, nullptr, XML_CHAR_ENCODING_UTF8));
    if (!context)
        throw std::bad_alloc();
    htmlCtxtUseOptions(context.get(), HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
    constexpr qsizetype kPiece = 256 * 1024;
    for (qsizetype at = 0; at < html.size(); at += kPiece) {
        const qsizetype length = std::min(kPiece, html.size() - at);
        htmlParseChunk(context.get(), html.constData() + at, static_cast<int>(length), 0);
    }
    htmlParseChunk(context.get(), nullptr, 0, 1);
    return tree;
}
