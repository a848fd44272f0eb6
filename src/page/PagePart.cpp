// The search of a page's tree for the part a rule names: CSS by our own matcher, XPath by
// libxml2's.
#include "page/PagePart.h"

#include <QCoreApplication>

#include "page/CssSelector.h"

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

// libxml2's words for its XPath errors, by number, in the user's language.
QString xpathErrorMessage(int code)
{
    // As libxml2 says them, in the order of its error numbers.
    static const char* const messages[] = {
        QT_TRANSLATE_NOOP("PagePart", "Ok"),
        QT_TRANSLATE_NOOP("PagePart", "Number encoding"),
        QT_TRANSLATE_NOOP("PagePart", "Unfinished literal"),
        QT_TRANSLATE_NOOP("PagePart", "Start of literal"),
        QT_TRANSLATE_NOOP("PagePart", "Expected $ for variable reference"),
        QT_TRANSLATE_NOOP("PagePart", "Undefined variable"),
        QT_TRANSLATE_NOOP("PagePart", "Invalid predicate"),
        QT_TRANSLATE_NOOP("PagePart", "Invalid expression"),
        QT_TRANSLATE_NOOP("PagePart", "Missing closing curly brace"),
        QT_TRANSLATE_NOOP("PagePart", "Unregistered function"),
        QT_TRANSLATE_NOOP("PagePart", "Invalid operand"),
        QT_TRANSLATE_NOOP("PagePart", "Invalid type"),
        QT_TRANSLATE_NOOP("PagePart", "Invalid number of arguments"),
        QT_TRANSLATE_NOOP("PagePart", "Invalid context size"),
        QT_TRANSLATE_NOOP("PagePart", "Invalid context position"),
        QT_TRANSLATE_NOOP("PagePart", "Memory allocation error"),
        QT_TRANSLATE_NOOP("PagePart", "Syntax error"),
        QT_TRANSLATE_NOOP("PagePart", "Resource error"),
        QT_TRANSLATE_NOOP("PagePart", "Sub resource error"),
        QT_TRANSLATE_NOOP("PagePart", "Undefined namespace prefix"),
        QT_TRANSLATE_NOOP("PagePart", "Encoding error"),
        QT_TRANSLATE_NOOP("PagePart", "Char out of XML range"),
        QT_TRANSLATE_NOOP("PagePart", "Invalid or incomplete context"),
        QT_TRANSLATE_NOOP("PagePart", "Stack usage error"),
        QT_TRANSLATE_NOOP("PagePart", "Forbidden variable"),
        QT_TRANSLATE_NOOP("PagePart", "Operation limit exceeded"),
        QT_TRANSLATE_NOOP("PagePart", "Recursion limit exceeded"),
    };
    const int index = code - XML_XPATH_EXPRESSION_OK;
    if (index < 0 || index >= int(std::size(messages)))
        return QCoreApplication::translate("PagePart", "XPath error %1").arg(code);
    return QCoreApplication::translate("PagePart", messages[index]);
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
            return QCoreApplication::translate("PagePart", "XPath: the expression cannot be evaluated.");
        const QString message = xpathErrorMessage(code);
        if (compiled)
            return QCoreApplication::translate("PagePart", "XPath: %1.").arg(message);
        if (at < 0 || at >= utf8.size())
            return QCoreApplication::translate("PagePart", "XPath: %1 at the end of the expression.").arg(message);
        qsizetype leading = 0;
        while (leading < expression.size() && expression.at(leading).isSpace())
            ++leading;
        const qsizetype character = leading + QString::fromUtf8(utf8.left(at)).size() + 1;
        return QCoreApplication::translate("PagePart", "XPath: %1 at character %2.").arg(message).arg(character);
    }
};

void ignoreMessage(void*, const char*, ...) { }

QString typeInWords(xmlXPathObjectType type)
{
    switch (type) {
    case XPATH_BOOLEAN:
        return QCoreApplication::translate("PagePart", "true or false");
    case XPATH_NUMBER:
        return QCoreApplication::translate("PagePart", "a number");
    case XPATH_STRING:
        return QCoreApplication::translate("PagePart", "a text");
    default:
        return QCoreApplication::translate("PagePart", "no elements");
    }
}

struct FreeXPathContext {
    void operator()(xmlXPathContext* context) const { xmlXPathFreeContext(context); }
};
struct FreeExpression {
    void operator()(xmlXPathCompExpr* expression) const { xmlXPathFreeCompExpr(expression); }
};
struct FreeObject {
    void operator()(xmlXPathObject* object) const { xmlXPathFreeObject(object); }
};

} // namespace

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
        if (selector.isEmpty())
            return found;
        std::optional<QList<xmlNode*>> nodes = FindCss(document, selector, deadline);
        if (nodes)
            found.nodes = std::move(*nodes);
        else
            found.tooLong = true;
        return found;
    }
    if (depthOf(document) > kMaxXPathDepth) {
        found.tooLong = true;
        return found;
    }
    const QByteArray expression = part.trimmed().toUtf8();
    XPathError error;
    // Errors that XPath reports outside its context (an unknown function) would go to stderr.
    xmlSetGenericErrorFunc(nullptr, &ignoreMessage);
    const std::unique_ptr<xmlXPathContext, FreeXPathContext> context(xmlXPathNewContext(document));
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
            = QCoreApplication::translate("PagePart", "The XPath expression gives %1, not a part of the page.")
                  .arg(typeInWords(result->type));
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
