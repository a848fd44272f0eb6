// Text extraction with the gumbo HTML5 parser, which takes UTF-8 only: a page in another
// character set is decoded and parsed again.
#include "update/PageText.h"

#include "update/ParsedPage.h"

#include <QDeadlineTimer>
#include <QStringDecoder>

#include <gumbo.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

constexpr qsizetype kCharsetSearchBytes = 64 * 1024;

const GumboVector& childrenOf(const GumboNode* node)
{
    return node->type == GUMBO_NODE_DOCUMENT ? node->v.document.children : node->v.element.children;
}

bool hasChildren(const GumboNode* node)
{
    return node->type == GUMBO_NODE_DOCUMENT || node->type == GUMBO_NODE_ELEMENT || node->type == GUMBO_NODE_TEMPLATE;
}

// Visits the tree in document order without recursion: pages can nest elements deeper than
// the stack would allow. `enter` may skip an element's children by returning false.
template <typename Enter, typename Leave> void walk(const GumboNode* root, Enter enter, Leave leave)
{
    std::vector<std::pair<const GumboNode*, unsigned>> stack;
    if (enter(root) && hasChildren(root))
        stack.emplace_back(root, 0);
    while (!stack.empty()) {
        auto& [node, next] = stack.back();
        const GumboVector& children = childrenOf(node);
        if (next == children.length) {
            leave(node);
            stack.pop_back();
            continue;
        }
        const auto* child = static_cast<const GumboNode*>(children.data[next++]);
        if (enter(child) && hasChildren(child))
            stack.emplace_back(child, 0);
        else if (hasChildren(child))
            leave(child);
    }
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

QByteArray metaCharset(const GumboNode* document)
{
    QByteArray charset;
    walk(
        document,
        [&charset](const GumboNode* node) {
            if (!charset.isEmpty() || node->type != GUMBO_NODE_ELEMENT)
                return charset.isEmpty();
            if (node->v.element.tag != GUMBO_TAG_META)
                return true;
            const GumboVector* attributes = &node->v.element.attributes;
            if (const GumboAttribute* value = gumbo_get_attribute(attributes, "charset")) {
                charset = QByteArray(value->value).trimmed();
            } else if (const GumboAttribute* equiv = gumbo_get_attribute(attributes, "http-equiv");
                       equiv && qstricmp(equiv->value, "content-type") == 0) {
                if (const GumboAttribute* content = gumbo_get_attribute(attributes, "content"))
                    charset = charsetOfContentType(content->value);
            }
            return false;
        },
        [](const GumboNode*) {});
    return charset;
}

bool isUtf8Name(const QByteArray& name)
{
    // Pages that claim UTF-16 in a meta tag are read as UTF-8, as browsers do: a page whose
    // tag could be read was not UTF-16.
    return name.isEmpty() || name == "utf-8" || name == "utf8" || name == "unicode-1-1-utf-8"
        || name.startsWith("utf-16") || name == "unicode";
}

// Browsers read pages labelled Latin-1 or ASCII as Windows-1252, and GB2312 as GBK; their
// authors wrote them in what the browser showed.
QByteArray decoderName(const QByteArray& name)
{
    static const char* const latin1Labels[]
        = { "iso-8859-1", "iso8859-1", "iso_8859-1", "latin1", "l1", "us-ascii", "ascii", "cp819", "ibm819" };
    for (const char* label : latin1Labels) {
        if (name == label)
            return "windows-1252";
    }
    if (name == "gb2312" || name == "gb_2312-80" || name == "x-gbk" || name == "chinese")
        return "GBK";
    return name;
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
    void endLine()
    {
        while (m_line.endsWith(QLatin1Char('\t')))
            m_line.chop(1);
        if (!m_line.isEmpty())
            m_lines.append(m_line);
        m_line.clear();
        m_space = false;
    }
    void enterPreformatted(int step) { m_preformatted += step; }
    QStringList take()
    {
        endLine();
        return std::move(m_lines);
    }

private:
    QStringList m_lines;
    QString m_line;
    bool m_space = false;
    int m_preformatted = 0;
};

bool isHidden(GumboTag tag)
{
    switch (tag) {
    case GUMBO_TAG_SCRIPT:
    case GUMBO_TAG_STYLE:
    case GUMBO_TAG_TEMPLATE:
    case GUMBO_TAG_NOSCRIPT:
    case GUMBO_TAG_NOEMBED:
    case GUMBO_TAG_NOFRAMES:
    case GUMBO_TAG_IFRAME:
        return true;
    default:
        return false;
    }
}

bool isBlock(GumboTag tag)
{
    switch (tag) {
    case GUMBO_TAG_ADDRESS:
    case GUMBO_TAG_ARTICLE:
    case GUMBO_TAG_ASIDE:
    case GUMBO_TAG_BLOCKQUOTE:
    case GUMBO_TAG_BODY:
    case GUMBO_TAG_CAPTION:
    case GUMBO_TAG_CENTER:
    case GUMBO_TAG_DD:
    case GUMBO_TAG_DETAILS:
    case GUMBO_TAG_DIR:
    case GUMBO_TAG_DIV:
    case GUMBO_TAG_DL:
    case GUMBO_TAG_DT:
    case GUMBO_TAG_FIELDSET:
    case GUMBO_TAG_FIGCAPTION:
    case GUMBO_TAG_FIGURE:
    case GUMBO_TAG_FOOTER:
    case GUMBO_TAG_FORM:
    case GUMBO_TAG_FRAMESET:
    case GUMBO_TAG_H1:
    case GUMBO_TAG_H2:
    case GUMBO_TAG_H3:
    case GUMBO_TAG_H4:
    case GUMBO_TAG_H5:
    case GUMBO_TAG_H6:
    case GUMBO_TAG_HEADER:
    case GUMBO_TAG_HGROUP:
    case GUMBO_TAG_HR:
    case GUMBO_TAG_HTML:
    case GUMBO_TAG_LEGEND:
    case GUMBO_TAG_LI:
    case GUMBO_TAG_LISTING:
    case GUMBO_TAG_MAIN:
    case GUMBO_TAG_MENU:
    case GUMBO_TAG_NAV:
    case GUMBO_TAG_OL:
    case GUMBO_TAG_OPTION:
    case GUMBO_TAG_P:
    case GUMBO_TAG_PLAINTEXT:
    case GUMBO_TAG_PRE:
    case GUMBO_TAG_SECTION:
    case GUMBO_TAG_SELECT:
    case GUMBO_TAG_SUMMARY:
    case GUMBO_TAG_TABLE:
    case GUMBO_TAG_TBODY:
    case GUMBO_TAG_TEXTAREA:
    case GUMBO_TAG_TFOOT:
    case GUMBO_TAG_THEAD:
    case GUMBO_TAG_TITLE:
    case GUMBO_TAG_TR:
    case GUMBO_TAG_UL:
    case GUMBO_TAG_XMP:
        return true;
    default:
        return false;
    }
}

bool keepsLineBreaks(GumboTag tag)
{
    return tag == GUMBO_TAG_PRE || tag == GUMBO_TAG_LISTING || tag == GUMBO_TAG_TEXTAREA || tag == GUMBO_TAG_XMP
        || tag == GUMBO_TAG_PLAINTEXT;
}

QStringList readableLinesOf(const GumboNode* document)
{
    LineBuilder lines;
    walk(
        document,
        [&lines](const GumboNode* node) {
            switch (node->type) {
            case GUMBO_NODE_TEXT:
            case GUMBO_NODE_CDATA:
            case GUMBO_NODE_WHITESPACE:
                lines.text(QString::fromUtf8(node->v.text.text));
                return false;
            case GUMBO_NODE_ELEMENT:
            case GUMBO_NODE_TEMPLATE: {
                const GumboTag tag = node->v.element.tag;
                if (isHidden(tag) || node->type == GUMBO_NODE_TEMPLATE)
                    return false;
                if (tag == GUMBO_TAG_BR)
                    lines.endLine();
                else if (tag == GUMBO_TAG_TD || tag == GUMBO_TAG_TH)
                    lines.cell();
                else if (isBlock(tag))
                    lines.endLine();
                if (keepsLineBreaks(tag))
                    lines.enterPreformatted(1);
                return true;
            }
            default:
                return node->type == GUMBO_NODE_DOCUMENT;
            }
        },
        [&lines](const GumboNode* node) {
            if (node->type != GUMBO_NODE_ELEMENT)
                return;
            const GumboTag tag = node->v.element.tag;
            if (isBlock(tag))
                lines.endLine();
            if (keepsLineBreaks(tag))
                lines.enterPreformatted(-1);
        });
    return lines.take();
}

} // namespace

QString DecodePageBytes(QByteArrayView bytes, const QByteArray& charset)
{
    const QByteArray name = decoderName(charset.trimmed().toLower());
    QString text;
    if (isUtf8Name(name)) {
        text = QString::fromUtf8(bytes);
    } else {
        QStringDecoder decoder(name.constData(), QStringDecoder::Flag::Stateless);
        if (!decoder.isValid()) {
            text = QString::fromUtf8(bytes);
        } else {
            text = decoder.decode(bytes);
            // Qt hands the sets it does not know itself to ICU, which marks bad bytes with
            // SUB (U+001A) rather than the replacement character; SUB is a control character
            // that no page shows, so it is replaced below with the rest.
        }
    }
    for (QChar& character : text) {
        const char16_t code = character.unicode();
        if (code < 0x20 && code != u'\t' && code != u'\n' && code != u'\r' && code != u'\f')
            character = QChar::ReplacementCharacter;
    }
    return text;
}

PageText::PageText(QByteArrayView page, QDeadlineTimer deadline)
    : m_page(page.toByteArray())
    , m_deadline(deadline)
{
    // The tag belongs near the top; browsers look only at the first kilobyte.
    const ParsedPage head(QByteArrayView(m_page).first(std::min(m_page.size(), kCharsetSearchBytes)), m_deadline);
    if (const GumboNode* document = head.document())
        m_declaredCharset = metaCharset(document);
}

QString PageText::decoded() const
{
    return DecodePageBytes(m_page, m_declaredCharset);
}

std::optional<QStringList> PageText::readableLines() const
{
    // A UTF-8 page goes to the parser as it is, which reads bad bytes as U+FFFD.
    QByteArray utf8;
    if (!isUtf8Name(decoderName(m_declaredCharset.trimmed().toLower())))
        utf8 = decoded().toUtf8();
    const ParsedPage parsed(utf8.isNull() ? QByteArrayView(m_page) : QByteArrayView(utf8), m_deadline);
    if (!parsed.document())
        return std::nullopt;
    return readableLinesOf(parsed.document());
}

QStringList PageText::sourceLines() const
{
    QStringList lines = decoded().split(QLatin1Char('\n'));
    // Every line of a snapshot ends with CR LF, so the text after the last one is empty.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        // A carriage return or form feed inside a line would break the line in the view.
        for (QChar& character : line) {
            if (character == QLatin1Char('\r') || character == QLatin1Char('\f'))
                character = QChar::ReplacementCharacter;
        }
    }
    return lines;
}
