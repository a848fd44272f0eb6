// One parse of a page with libxml2's HTML parser, given up at a deadline, and the walk of its
// tree that gives the readable text: what the Changes window shows and a Page text rule compares.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDeadlineTimer>
#include <QList>
#include <QString>

#include <libxml/tree.h>

#include <memory>

// The character set a page declares in a <meta charset> or <meta http-equiv="Content-Type">
// tag in its first 64 KiB, as written there; empty when it declares none.
QByteArray DeclaredCharset(QByteArrayView page, QDeadlineTimer deadline);

// The page's tree; none when the deadline passed before the parse was done. Its memory grows
// with the page, to about 17 times the size of an 8 MiB page: the 8 MiB limit on the pages
// Nelvox compares bounds it, and no limit of its own is needed.
class ParsedPage {
public:
    // Parses `page` decoded from `charset` (a declared name; UTF-8 when empty). The tree of a
    // page a few MiB large takes a good part of a second to build.
    ParsedPage(QByteArrayView page, const QByteArray& charset, QDeadlineTimer deadline);

    xmlDoc* document() const { return m_document.get(); }
    xmlNode* root() const { return reinterpret_cast<xmlNode*>(m_document.get()); }

private:
    struct FreeDocument {
        void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
    };
    std::unique_ptr<xmlDoc, FreeDocument> m_document;
};

// A line of readable text, or the target of a link.
struct ReadableLine {
    QString text;
    bool link = false;
};

// The readable lines of the trees under `roots`, taken in the order given, each starting a new
// line (see PageText::readableLines). With `links`, the target of every <a href> follows the
// line its link is in, as a line of its own. A root inside an earlier one is read only once;
// a root that is an attribute or text gives its value as a line.
QList<ReadableLine> ReadableLinesOf(const QList<xmlNode*>& roots, bool links);
