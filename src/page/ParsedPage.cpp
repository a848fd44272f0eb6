// libxml2's HTML parser run against a deadline, and the readable text of its tree.
#include "page/ParsedPage.h"

#include "page/PageText.h"

#include <libxml/HTMLparser.h>
#include <libxml/HTMLtree.h>
#include <libxml/parser.h>

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace {

constexpr qsizetype kCharsetSearchBytes = 64 * 1024;
constexpr qsizetype kCharsetFirstLook = 1024;

// Once per process, before any thread parses: libxml2 sets up its tables here.
void initialiseParser()
{
    static const bool initialised = [] {
        xmlInitParser();
        return true;
    }();
    (void)initialised;
}

// Recover from any markup; never print, never fetch, never switch the character set the page
// was decoded from; no depth limit (pages nest <div> thousands deep, and the tree is freed
// and walked without recursion).
constexpr int kParseOptions = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET
    | HTML_PARSE_IGNORE_ENC | HTML_PARSE_NODEFDTD | HTML_PARSE_COMPACT | XML_PARSE_HUGE;

struct FreeContext {
    void operator()(htmlParserCtxt* context) const
    {
        if (context->myDoc)
            xmlFreeDoc(context->myDoc);
        context->myDoc = nullptr;
        htmlFreeParserCtxt(context);
    }
};
using Context = std::unique_ptr<htmlParserCtxt, FreeContext>;

// The parser cannot be fed in pieces: in pieces it drops the rest of a page after a stray
// end tag at its start or after </html>, where pages still have text. It reads the page in
// one go, and the clock is read every few elements, runs of text and errors it reports (a stray
// end tag makes it search the open elements, without adding any); once the time is up it
// stops, and the parse returns at once.
struct Clock {
    QDeadlineTimer deadline;
    unsigned events = 0;
    bool expired = false;
    void* owner = nullptr;
    // What the parser would have called.
    startElementSAXFunc startElement = nullptr;
    charactersSAXFunc characters = nullptr;
    cdataBlockSAXFunc cdataBlock = nullptr;

    static constexpr unsigned kEventsBetweenReads = 64;

    static Clock* of(void* context) { return static_cast<Clock*>(static_cast<htmlParserCtxt*>(context)->_private); }
    void tick(htmlParserCtxt* context)
    {
        if (++events % kEventsBetweenReads == 0 && !expired && deadline.hasExpired()) {
            expired = true;
            xmlStopParser(context);
        }
    }
    static void onStartElement(void* context, const xmlChar* name, const xmlChar** attributes)
    {
        Clock* clock = of(context);
        if (clock->startElement)
            clock->startElement(context, name, attributes);
        clock->tick(static_cast<htmlParserCtxt*>(context));
    }
    static void onCharacters(void* context, const xmlChar* text, int length)
    {
        Clock* clock = of(context);
        if (clock->characters)
            clock->characters(context, text, length);
        clock->tick(static_cast<htmlParserCtxt*>(context));
    }
    static void onCdataBlock(void* context, const xmlChar* text, int length)
    {
        Clock* clock = of(context);
        if (clock->cdataBlock)
            clock->cdataBlock(context, text, length);
        clock->tick(static_cast<htmlParserCtxt*>(context));
    }
    static void onError(void* context, xmlError*)
    {
        // The error's own context is the parser's.
        of(context)->tick(static_cast<htmlParserCtxt*>(context));
    }
};

// Parses `page` with `handler`'s calls (`owner` theirs), or the tree builder's when null;
// false when the deadline passed first.
bool parse(htmlParserCtxt* context, QByteArrayView page, QDeadlineTimer deadline, const htmlSAXHandler* handler,
    void* owner, xmlDoc** document)
{
    Clock clock { deadline };
    clock.owner = owner;
    if (handler)
        *context->sax = *handler;
    clock.startElement = context->sax->startElement;
    clock.characters = context->sax->characters;
    clock.cdataBlock = context->sax->cdataBlock;
    context->sax->startElement = &Clock::onStartElement;
    context->sax->characters = &Clock::onCharacters;
    context->sax->cdataBlock = &Clock::onCdataBlock;
    context->sax->serror = &Clock::onError;
    context->sax->initialized = XML_SAX2_MAGIC;
    context->_private = &clock;
    *document = htmlCtxtReadMemory(
        context, page.data(), static_cast<int>(page.size()), nullptr, handler ? "ISO-8859-1" : "UTF-8", kParseOptions);
    context->_private = nullptr;
    return !clock.expired && !deadline.hasExpired();
}

// The value after "charset=" in a Content-Type, without quotes.
QByteArray charsetOfContentType(QByteArray content)
{
    const qsizetype at = content.toLower().indexOf("charset");
    if (at < 0)
        return {};
    QByteArray rest = content.mid(at + 7).trimmed();
    if (!rest.startsWith('='))
        return {};
    rest = rest.mid(1).trimmed();
    if (rest.startsWith('"') || rest.startsWith('\''))
        rest = rest.mid(1);
    qsizetype end = 0;
    while (end < rest.size() && !QByteArrayView(" \t\r\n;\"'").contains(rest.at(end)))
        ++end;
    return rest.left(end);
}

struct CharsetSearch {
    QByteArray charset;

    static void startElement(void* context, const xmlChar* name, const xmlChar** attributes)
    {
        if (qstricmp(reinterpret_cast<const char*>(name), "meta") != 0 || !attributes)
            return;
        auto* search = static_cast<CharsetSearch*>(Clock::of(context)->owner);
        const char* equiv = nullptr;
        const char* content = nullptr;
        for (const xmlChar** attribute = attributes; attribute[0]; attribute += 2) {
            const char* key = reinterpret_cast<const char*>(attribute[0]);
            const char* value = attribute[1] ? reinterpret_cast<const char*>(attribute[1]) : "";
            if (qstricmp(key, "charset") == 0) {
                search->charset = QByteArray(value).trimmed();
                break;
            }
            if (qstricmp(key, "http-equiv") == 0)
                equiv = value;
            else if (qstricmp(key, "content") == 0)
                content = value;
        }
        if (search->charset.isEmpty() && equiv && content && qstricmp(equiv, "content-type") == 0)
            search->charset = charsetOfContentType(content);
        // The first tag that names a set decides, as in a browser.
        if (!search->charset.isEmpty())
            xmlStopParser(static_cast<htmlParserCtxt*>(context));
    }
};

// What an element does to the readable text.
enum TagRole : unsigned {
    kBlock = 1, // starts and ends a line
    kHidden = 2, // never shown: its content is left out
    kBreak = 4,
    kCell = 8,
    kKeepsLineBreaks = 16,
    kLink = 32,
};

unsigned roleOf(const xmlChar* name)
{
    static const std::unordered_map<std::string_view, unsigned> roles = [] {
        std::unordered_map<std::string_view, unsigned> table;
        for (const char* tag : { "script", "style", "template", "noscript", "noembed", "noframes", "iframe" })
            table[tag] = kHidden;
        for (const char* tag :
            { "address", "article", "aside", "blockquote", "body", "caption", "center", "dd", "details", "dir", "div",
                "dl", "dt", "fieldset", "figcaption", "figure", "footer", "form", "frameset", "h1", "h2", "h3", "h4",
                "h5", "h6", "header", "hgroup", "hr", "html", "legend", "li", "main", "menu", "nav", "ol", "option",
                "p", "section", "select", "summary", "table", "tbody", "tfoot", "thead", "title", "tr", "ul" })
            table[tag] = kBlock;
        for (const char* tag : { "listing", "plaintext", "pre", "textarea", "xmp" })
            table[tag] = kBlock | kKeepsLineBreaks;
        table["br"] = kBreak;
        table["td"] = table["th"] = kCell;
        table["a"] = kLink;
        return table;
    }();
    const auto role = roles.find(reinterpret_cast<const char*>(name));
    return role == roles.end() ? 0 : role->second;
}

class LineBuilder {
public:
    void text(QStringView text)
    {
        for (const QChar character : text) {
            if (character == QLatin1Char('\n') && m_preformatted > 0) {
                endLine();
            } else if (character.isSpace()) {
                m_space = !m_line.isEmpty();
            } else {
                if (m_space)
                    m_line += QLatin1Char(' ');
                m_space = false;
                m_line += character.unicode() < 0x20 ? QChar(QChar::ReplacementCharacter) : character;
            }
        }
    }
    void cell()
    {
        if (!m_line.isEmpty())
            m_line += QLatin1Char('\t');
        m_space = false;
    }
    // A link's target comes after the line its link is in.
    void link(QString target)
    {
        if (!target.isEmpty())
            m_links.append(ReadableLine { std::move(target), true });
    }
    void endLine()
    {
        while (m_line.endsWith(QLatin1Char('\t')))
            m_line.chop(1);
        if (!m_line.isEmpty())
            m_lines.append(ReadableLine { m_line, false });
        m_line.clear();
        m_space = false;
        m_lines.append(m_links);
        m_links.clear();
    }
    void enterPreformatted(int step) { m_preformatted += step; }
    QList<ReadableLine> take()
    {
        endLine();
        return std::move(m_lines);
    }

private:
    QList<ReadableLine> m_lines;
    QList<ReadableLine> m_links;
    QString m_line;
    bool m_space = false;
    int m_preformatted = 0;
};

QString textOf(const xmlChar* text)
{
    return text ? QString::fromUtf8(reinterpret_cast<const char*>(text)) : QString();
}

QString hrefOf(xmlNode* element)
{
    xmlChar* value = xmlGetProp(element, reinterpret_cast<const xmlChar*>("href"));
    QString target = textOf(value).trimmed();
    xmlFree(value);
    return target;
}

// Visits the tree under `root` in document order without recursion (pages nest elements
// deeper than the stack would allow). `enter` may skip a node's children by returning false;
// `leave` sees every node after its children.
template <typename Enter, typename Leave> void walk(xmlNode* root, Enter enter, Leave leave)
{
    xmlNode* node = root;
    for (;;) {
        if (enter(node) && node->children) {
            node = node->children;
            continue;
        }
        leave(node);
        while (node != root && !node->next) {
            node = node->parent;
            leave(node);
        }
        if (node == root)
            return;
        node = node->next;
    }
}

} // namespace

QByteArray DeclaredCharset(QByteArrayView page, QDeadlineTimer deadline)
{
    initialiseParser();
    const Context context(htmlNewParserCtxt());
    if (!context)
        return {};
    CharsetSearch search;
    htmlSAXHandler handler {};
    handler.startElement = &CharsetSearch::startElement;
    xmlDoc* none = nullptr;
    // Read as Latin-1, where every byte is a character: the tag is in ASCII. Nearly every page
    // that has the tag has it in its first kilobyte, where browsers look.
    for (const qsizetype bytes : { kCharsetFirstLook, kCharsetSearchBytes }) {
        parse(context.get(), page.first(std::min(page.size(), bytes)), deadline, &handler, &search, &none);
        if (!search.charset.isEmpty() || page.size() <= bytes)
            break;
    }
    return search.charset;
}

ParsedPage::ParsedPage(QByteArrayView page, const QByteArray& charset, QDeadlineTimer deadline)
{
    initialiseParser();
    const QByteArray utf8 = PageBytesAsUtf8(page, charset);
    const Context context(htmlNewParserCtxt());
    if (!context)
        return;
    xmlDoc* document = nullptr;
    const bool inTime = parse(context.get(), utf8, deadline, nullptr, nullptr, &document);
    m_document.reset(document ? document : htmlNewDocNoDtD(nullptr, nullptr));
    if (!inTime)
        m_document.reset();
}

QList<ReadableLine> ReadableLinesOf(const QList<xmlNode*>& roots, bool links)
{
    LineBuilder lines;
    qsizetype next = 0;
    const auto enter = [&](xmlNode* node) {
        // A root inside the one being read is read with it.
        while (next < roots.size() && roots[next] == node)
            ++next;
        switch (node->type) {
        case XML_TEXT_NODE:
        case XML_CDATA_SECTION_NODE:
            lines.text(textOf(node->content));
            return false;
        case XML_ELEMENT_NODE: {
            const unsigned role = roleOf(node->name);
            if (role & kHidden)
                return false;
            if (role & (kBlock | kBreak))
                lines.endLine();
            else if (role & kCell)
                lines.cell();
            else if ((role & kLink) && links)
                lines.link(hrefOf(node));
            if (role & kKeepsLineBreaks)
                lines.enterPreformatted(1);
            return true;
        }
        case XML_DOCUMENT_NODE:
        case XML_HTML_DOCUMENT_NODE:
        case XML_DOCUMENT_FRAG_NODE:
            return true;
        default:
            return false;
        }
    };
    const auto leave = [&](xmlNode* node) {
        if (node->type != XML_ELEMENT_NODE)
            return;
        const unsigned role = roleOf(node->name);
        if (role & kBlock)
            lines.endLine();
        if (role & kKeepsLineBreaks)
            lines.enterPreformatted(-1);
    };
    while (next < roots.size()) {
        xmlNode* root = roots[next];
        lines.endLine();
        if (root->type == XML_ATTRIBUTE_NODE) {
            ++next;
            xmlChar* value = xmlNodeGetContent(root);
            lines.text(textOf(value));
            xmlFree(value);
        } else {
            walk(root, enter, leave);
        }
        lines.endLine();
    }
    return lines.take();
}
