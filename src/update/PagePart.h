// The part of a page a Page text rule compares: a CSS selector of the common forms, matched
// here against the page's tree, or an XPath expression, run by libxml2's XPath.
#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QString>

#include <libxml/tree.h>

#include <optional>

// One compound of a CSS selector: tag#id.class[attr][attr=value]; an id is an attribute here.
struct CssCompound {
    struct Attribute {
        QByteArray name;
        std::optional<QByteArray> value;
    };
    QByteArray tag; // lower case; empty for any
    QList<QByteArray> classes;
    QList<Attribute> attributes;
    // Joined to the compound before it by ">" rather than by white space.
    bool child = false;
};

// Compounds joined by combinators, left to right.
struct CssComplex {
    QList<CssCompound> compounds;
};

// `css` read: tags, "*", #id, .class, [attr], [attr=value] (the value bare, in single or
// double quotes), descendants, children (">") and lists (","). Empty, with `problem` saying
// where it goes wrong, when it is none of these.
QList<CssComplex> ReadCss(const QString& css, QString* problem);

// Whether a part is written as XPath rather than CSS.
bool IsXPathPart(const QString& part);

struct PartNodes {
    // Every element the part matches, in document order; an attribute or text it matches
    // stands for its own value.
    QList<xmlNode*> nodes;
    // Set when the part is no selector, or its XPath fails or gives no nodes.
    QString problem;
    // The search ran out of time or took longer than any real page needs, and was stopped.
    bool tooLong = false;
};

// The nodes of `document` that `part` (CSS or XPath, see IsXPathPart) matches.
PartNodes FindPart(xmlDoc* document, const QString& part, QDeadlineTimer deadline);
