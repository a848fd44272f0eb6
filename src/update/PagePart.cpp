// A small CSS selector reader that writes XPath, and the search of a page's tree with it.
#include "update/PagePart.h"

#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <algorithm>
#include <memory>
#include <optional>

namespace {

// XPath's work on one page is counted in steps; more than this and the expression would hold
// the check for seconds. Its descendant steps also merge node sets with a search for
// duplicates that grows with the square of their size and is never counted, so XPath is not
// run on pages nested deeper than any real page is (browsers stop nesting at 512).
constexpr unsigned long kMaxXPathSteps = 20'000'000;
constexpr int kMaxXPathDepth = 1024;
// Elements or ancestors looked at between two looks at the clock.
constexpr unsigned kStepsBetweenClockReads = 4096;

struct CssProblem {
    QString message;
};

// Reads the selector left to right into its lists of compounds.
class CssReader {
public:
    explicit CssReader(const QString& css)
        : m_css(css)
    {
    }

    QList<CssComplex> read()
    {
        QList<CssComplex> list;
        skipSpaces();
        for (;;) {
            list.append(complex());
            if (atEnd())
                break;
            expect(u',');
            skipSpaces();
        }
        return list;
    }

private:
    // Compounds joined by descendant and child combinators, up to a "," or the end.
    CssComplex complex()
    {
        CssComplex complex;
        complex.compounds.append(compound());
        for (;;) {
            const bool spaced = skipSpaces();
            if (atEnd() || peek() == u',')
                return complex;
            CssCompound next;
            if (peek() == u'>') {
                ++m_at;
                skipSpaces();
                next = compound();
                next.child = true;
            } else if (spaced) {
                next = compound();
            } else {
                unexpected();
            }
            complex.compounds.append(next);
        }
    }

    // tag#id.class[attr][attr=value], each part but one optional.
    CssCompound compound()
    {
        CssCompound compound;
        bool any = false;
        if (!atEnd() && peek() == u'*') {
            ++m_at;
            any = true;
        } else if (!atEnd() && isNameStart(peek())) {
            compound.tag = name().toLower().toUtf8();
        }
        while (!atEnd()) {
            if (peek() == u'#') {
                ++m_at;
                compound.attributes.append({ "id", value().toUtf8() });
            } else if (peek() == u'.') {
                ++m_at;
                compound.classes.append(value().toUtf8());
            } else if (peek() == u'[') {
                compound.attributes.append(attribute());
            } else {
                break;
            }
        }
        if (!any && compound.tag.isEmpty() && compound.classes.isEmpty() && compound.attributes.isEmpty())
            unexpected();
        return compound;
    }

    // [attr] or [attr=value].
    CssCompound::Attribute attribute()
    {
        ++m_at;
        skipSpaces();
        CssCompound::Attribute attribute { name().toLower().toUtf8(), std::nullopt };
        skipSpaces();
        if (!atEnd() && peek() == u'=') {
            ++m_at;
            skipSpaces();
            attribute.value = (!atEnd() && (peek() == u'"' || peek() == u'\'') ? quoted() : value()).toUtf8();
            skipSpaces();
        }
        expect(u']');
        return attribute;
    }

    QString name()
    {
        if (atEnd() || !isNameStart(peek()))
            unexpected();
        const qsizetype start = m_at;
        while (!atEnd() && (isNameStart(peek()) || peek().isDigit() || peek() == u'-'))
            ++m_at;
        return m_css.mid(start, m_at - start);
    }

    // An id, class or bare value; a backslash takes the next character as it is (md\:flex).
    QString value()
    {
        QString text;
        while (!atEnd()) {
            const QChar character = peek();
            if (character == u'\\' && m_at + 1 < m_css.size()) {
                text += m_css.at(m_at + 1);
                m_at += 2;
            } else if (character.isLetterOrNumber() || character == u'-' || character == u'_'
                || character.unicode() >= 0x80) {
                text += character;
                ++m_at;
            } else {
                break;
            }
        }
        if (text.isEmpty())
            unexpected();
        return text;
    }

    QString quoted()
    {
        const QChar quote = peek();
        const qsizetype start = m_at++;
        const qsizetype end = m_css.indexOf(quote, m_at);
        if (end < 0)
            throw CssProblem { QStringLiteral("The quote at character %1 is not closed.").arg(start + 1) };
        m_at = end + 1;
        return m_css.mid(start + 1, end - start - 1);
    }

    static bool isNameStart(QChar character)
    {
        return (character >= u'a' && character <= u'z') || (character >= u'A' && character <= u'Z')
            || character == u'_';
    }

    bool atEnd() const { return m_at >= m_css.size(); }
    QChar peek() const { return m_css.at(m_at); }
    bool skipSpaces()
    {
        const qsizetype start = m_at;
        while (!atEnd() && peek().isSpace())
            ++m_at;
        return m_at > start;
    }
    void expect(char16_t character)
    {
        if (atEnd() || peek() != character)
            unexpected();
        ++m_at;
    }
    [[noreturn]] void unexpected() const
    {
        if (atEnd())
            throw CssProblem { QStringLiteral("The selector ends too early, after character %1.").arg(m_css.size()) };
        throw CssProblem { QStringLiteral("Unexpected \"%1\" at character %2.").arg(peek()).arg(m_at + 1) };
    }

    const QString& m_css;
    qsizetype m_at = 0;
};

// The value of an element's attribute as the parser keeps it (one text node); none when the
// element has no such attribute.
std::optional<QByteArrayView> attributeOf(const xmlNode* element, const QByteArray& name)
{
    for (const xmlAttr* attribute = element->properties; attribute; attribute = attribute->next) {
        if (name != reinterpret_cast<const char*>(attribute->name))
            continue;
        const xmlNode* text = attribute->children;
        if (!text || !text->content)
            return QByteArrayView("");
        return QByteArrayView(reinterpret_cast<const char*>(text->content));
    }
    return std::nullopt;
}

bool hasClass(QByteArrayView classes, const QByteArray& wanted)
{
    for (qsizetype at = 0; at < classes.size();) {
        while (at < classes.size() && QByteArrayView(" \t\n\r\f").contains(classes[at]))
            ++at;
        qsizetype end = at;
        while (end < classes.size() && !QByteArrayView(" \t\n\r\f").contains(classes[end]))
            ++end;
        if (end > at && classes.sliced(at, end - at) == wanted)
            return true;
        at = end;
    }
    return false;
}

bool matchesCompound(const xmlNode* element, const CssCompound& compound)
{
    if (!compound.tag.isEmpty() && compound.tag != reinterpret_cast<const char*>(element->name))
        return false;
    for (const CssCompound::Attribute& wanted : compound.attributes) {
        const std::optional<QByteArrayView> value = attributeOf(element, wanted.name);
        if (!value || (wanted.value && *value != *wanted.value))
            return false;
    }
    if (!compound.classes.isEmpty()) {
        const std::optional<QByteArrayView> classes = attributeOf(element, "class");
        if (!classes)
            return false;
        for (const QByteArray& wanted : compound.classes) {
            if (!hasClass(*classes, wanted))
                return false;
        }
    }
    return true;
}

xmlNode* parentElement(const xmlNode* node)
{
    return node->parent && node->parent->type == XML_ELEMENT_NODE ? node->parent : nullptr;
}

// Matching right to left, as browsers do. A failure tells the descendant combinator to its
// right whether an element further up could still match (Locally) or none can (Completely):
// that keeps the work to the depth of the page times the length of the selector.
enum class Match { Yes, FailsLocally, FailsCompletely };

class Matcher {
public:
    explicit Matcher(QDeadlineTimer deadline)
        : m_deadline(deadline)
    {
    }

    // Whether `element`, which matches compound `index`, matches the compounds before it.
    Match leftOf(const CssComplex& complex, qsizetype index, const xmlNode* element)
    {
        if (index == 0)
            return Match::Yes;
        const CssCompound& left = complex.compounds[index - 1];
        if (complex.compounds[index].child) {
            const xmlNode* parent = parentElement(element);
            if (!parent)
                return Match::FailsCompletely;
            return matchesCompound(parent, left) ? leftOf(complex, index - 1, parent) : Match::FailsLocally;
        }
        for (const xmlNode* ancestor = parentElement(element); ancestor; ancestor = parentElement(ancestor)) {
            if (!tick())
                return Match::FailsCompletely;
            if (!matchesCompound(ancestor, left))
                continue;
            const Match match = leftOf(complex, index - 1, ancestor);
            if (match != Match::FailsLocally)
                return match;
        }
        return Match::FailsCompletely;
    }

    bool tick()
    {
        if (++m_steps % kStepsBetweenClockReads == 0 && m_deadline.hasExpired())
            m_expired = true;
        return !m_expired;
    }
    bool expired() const { return m_expired; }

private:
    QDeadlineTimer m_deadline;
    unsigned m_steps = 0;
    bool m_expired = false;
};

PartNodes findCss(xmlDoc* document, const QList<CssComplex>& selector, QDeadlineTimer deadline)
{
    PartNodes found;
    Matcher matcher(deadline);
    xmlNode* root = reinterpret_cast<xmlNode*>(document);
    // Every element in document order, without recursion.
    for (xmlNode* node = root->children; node && !matcher.expired();) {
        if (node->type == XML_ELEMENT_NODE) {
            matcher.tick();
            for (const CssComplex& complex : selector) {
                if (matchesCompound(node, complex.compounds.last())
                    && matcher.leftOf(complex, complex.compounds.size() - 1, node) == Match::Yes) {
                    found.nodes.append(node);
                    break;
                }
            }
        }
        if (node->children && node->type == XML_ELEMENT_NODE) {
            node = node->children;
            continue;
        }
        while (node != root && !node->next)
            node = node->parent;
        node = node == root ? nullptr : node->next;
    }
    if (matcher.expired()) {
        found.nodes.clear();
        found.tooLong = true;
    }
    return found;
}

int depthOf(xmlDoc* document)
{
    int depth = 0;
    int deepest = 0;
    xmlNode* root = reinterpret_cast<xmlNode*>(document);
    for (xmlNode* node = root->children; node;) {
        if (node->children) {
            node = node->children;
            deepest = std::max(deepest, ++depth);
            continue;
        }
        while (node != root && !node->next) {
            node = node->parent;
            --depth;
        }
        node = node == root ? nullptr : node->next;
    }
    return deepest;
}

// libxml2's own words for its XPath errors, by number.
QString xpathErrorMessage(int code)
{
    static const char* const messages[] = { "Ok", "Number encoding", "Unfinished literal", "Start of literal",
        "Expected $ for variable reference", "Undefined variable", "Invalid predicate", "Invalid expression",
        "Missing closing curly brace", "Unregistered function", "Invalid operand", "Invalid type",
        "Invalid number of arguments", "Invalid context size", "Invalid context position", "Memory allocation error",
        "Syntax error", "Resource error", "Sub resource error", "Undefined namespace prefix", "Encoding error",
        "Char out of XML range", "Invalid or incomplete context", "Stack usage error", "Forbidden variable",
        "Operation limit exceeded", "Recursion limit exceeded" };
    const int index = code - XML_XPATH_EXPRESSION_OK;
    if (index < 0 || index >= int(std::size(messages)))
        return QStringLiteral("XPath error %1").arg(code);
    return QString::fromLatin1(messages[index]);
}

// The first error of a compilation or evaluation, and where in the expression it was.
struct XPathError {
    int code = 0;
    int at = -1;

    static void record(void* data, xmlError* error)
    {
        auto* first = static_cast<XPathError*>(data);
        if (first->code == 0) {
            first->code = error->code;
            first->at = error->int1;
        }
    }

    // The problem in words; `expression` is the part as the user wrote it. Only the compiler
    // says where: an error while evaluating tells the place it stopped compiling.
    QString describe(const QString& expression, const QByteArray& utf8, bool compiled) const
    {
        if (code == 0)
            return QStringLiteral("XPath: the expression cannot be evaluated.");
        const QString message = xpathErrorMessage(code);
        if (compiled)
            return QStringLiteral("XPath: %1.").arg(message);
        if (at < 0 || at >= utf8.size())
            return QStringLiteral("XPath: %1 at the end of the expression.").arg(message);
        qsizetype leading = 0;
        while (leading < expression.size() && expression.at(leading).isSpace())
            ++leading;
        const qsizetype character = leading + QString::fromUtf8(utf8.left(at)).size() + 1;
        return QStringLiteral("XPath: %1 at character %2.").arg(message).arg(character);
    }
};

void ignoreMessage(void*, const char*, ...) { }

QString typeInWords(xmlXPathObjectType type)
{
    switch (type) {
    case XPATH_BOOLEAN:
        return QStringLiteral("true or false");
    case XPATH_NUMBER:
        return QStringLiteral("a number");
    case XPATH_STRING:
        return QStringLiteral("a text");
    default:
        return QStringLiteral("no elements");
    }
}

struct FreeContext {
    void operator()(xmlXPathContext* context) const { xmlXPathFreeContext(context); }
};
struct FreeExpression {
    void operator()(xmlXPathCompExpr* expression) const { xmlXPathFreeCompExpr(expression); }
};
struct FreeObject {
    void operator()(xmlXPathObject* object) const { xmlXPathFreeObject(object); }
};

} // namespace

QList<CssComplex> ReadCss(const QString& css, QString* problem)
{
    try {
        return CssReader(css).read();
    } catch (const CssProblem& bad) {
        if (problem)
            *problem = bad.message;
        return {};
    }
}

bool IsXPathPart(const QString& part)
{
    const QString trimmed = part.trimmed();
    return trimmed.startsWith(u'/') || trimmed.startsWith(u'(');
}

PartNodes FindPart(xmlDoc* document, const QString& part, QDeadlineTimer deadline)
{
    PartNodes found;
    if (!IsXPathPart(part)) {
        const QList<CssComplex> selector = ReadCss(part, &found.problem);
        return selector.isEmpty() ? found : findCss(document, selector, deadline);
    }
    if (depthOf(document) > kMaxXPathDepth) {
        found.tooLong = true;
        return found;
    }
    const QByteArray expression = part.trimmed().toUtf8();
    XPathError error;
    // Errors that XPath reports outside its context (an unknown function) would go to stderr.
    xmlSetGenericErrorFunc(nullptr, &ignoreMessage);
    const std::unique_ptr<xmlXPathContext, FreeContext> context(xmlXPathNewContext(document));
    if (!context) {
        found.problem = xpathErrorMessage(XML_XPATH_MEMORY_ERROR);
        return found;
    }
    context->error = &XPathError::record;
    context->userData = &error;
    context->opLimit = kMaxXPathSteps;
    const std::unique_ptr<xmlXPathCompExpr, FreeExpression> compiled(
        xmlXPathCtxtCompile(context.get(), reinterpret_cast<const xmlChar*>(expression.constData())));
    const std::unique_ptr<xmlXPathObject, FreeObject> result(
        compiled ? xmlXPathCompiledEval(compiled.get(), context.get()) : nullptr);
    if (!result) {
        if (error.code == int(XML_XPATH_EXPRESSION_OK) + int(XPATH_OP_LIMIT_EXCEEDED)
            || error.code == int(XML_XPATH_EXPRESSION_OK) + int(XPATH_RECURSION_LIMIT_EXCEEDED))
            found.tooLong = true;
        else
            found.problem = error.describe(part, expression, compiled != nullptr);
        return found;
    }
    if (result->type != XPATH_NODESET) {
        found.problem
            = QStringLiteral("The XPath expression gives %1, not a part of the page.").arg(typeInWords(result->type));
        return found;
    }
    if (const xmlNodeSet* nodes = result->nodesetval) {
        for (int i = 0; i < nodes->nodeNr; ++i) {
            switch (nodes->nodeTab[i]->type) {
            case XML_ELEMENT_NODE:
            case XML_TEXT_NODE:
            case XML_CDATA_SECTION_NODE:
            case XML_ATTRIBUTE_NODE:
            case XML_HTML_DOCUMENT_NODE:
                found.nodes.append(nodes->nodeTab[i]);
                break;
            default:
                break;
            }
        }
    }
    return found;
}
