// A CSS selector of the common forms, read here and matched against a page's tree: the part
// of a page a Page text rule compares, when it is not written as XPath.
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

// The elements of `document` that `selector` matches, in document order; none when the
// deadline passed first.
std::optional<QList<xmlNode*>> FindCss(xmlDoc* document, const QList<CssComplex>& selector, QDeadlineTimer deadline);
