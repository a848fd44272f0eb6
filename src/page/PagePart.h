// The part of a page a Page text rule compares, found in the page's tree: a CSS selector of the
// common forms (see CssSelector.h) or an XPath expression, run by libxml2's XPath.
#pragma once

#include <QDeadlineTimer>
#include <QList>
#include <QString>

#include <libxml/tree.h>

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
