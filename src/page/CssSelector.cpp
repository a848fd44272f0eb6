// A small CSS selector reader, and its matching against a page's tree, right to left as
// browsers match.
#include "page/CssSelector.h"

#include <QCoreApplication>

#include <optional>

namespace {

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
            throw CssProblem {
                QCoreApplication::translate("CssSelector", "The quote at character %1 is not closed.").arg(start + 1)
            };
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
            throw CssProblem { QCoreApplication::translate(
                "CssSelector", "The selector ends too early, after character %1.")
                                   .arg(m_css.size()) };
        throw CssProblem {
            QCoreApplication::translate("CssSelector", "Unexpected \"%1\" at character %2.").arg(peek()).arg(m_at + 1)
        };
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

std::optional<QList<xmlNode*>> FindCss(xmlDoc* document, const QList<CssComplex>& selector, QDeadlineTimer deadline)
{
    QList<xmlNode*> found;
    Matcher matcher(deadline);
    xmlNode* root = reinterpret_cast<xmlNode*>(document);
    // Every element in document order, without recursion.
    for (xmlNode* node = root->children; node && !matcher.expired();) {
        if (node->type == XML_ELEMENT_NODE) {
            matcher.tick();
            for (const CssComplex& complex : selector) {
                if (matchesCompound(node, complex.compounds.last())
                    && matcher.leftOf(complex, complex.compounds.size() - 1, node) == Match::Yes) {
                    found.append(node);
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
    if (matcher.expired())
        return std::nullopt;
    return found;
}
