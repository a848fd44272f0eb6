// The text of a page as a Page text rule compares it: the readable lines of the page, or of
// the part of it the rule chooses, with the link targets, and which of them the rule ignores.
#pragma once

#include "page/LineShapes.h"
#include "store/ChangeRules.h"

#include <QByteArrayView>
#include <QDeadlineTimer>
#include <QList>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QStringList>

struct RuleLine {
    QString text;
    // The target of a link, rather than text.
    bool link = false;
    // A line that contains one of the rule's "Lines containing".
    bool ignored = false;
};

struct RuleText {
    enum class Status {
        Read,
        // The page is over the text limits, or reading its text ran out of time: it can only
        // be compared by length.
        TooLarge,
        // The rule's part of the page matched nothing.
        PartMissing,
    };
    Status status = Status::Read;
    // Every line in document order, ignored ones included.
    QList<RuleLine> lines;

    // The lines that count, as they are compared: ignored lines left out, and digits left out
    // when the rule ignores numbers. When it ignores what changes by itself, a line or link
    // target of a learned shape counts as that shape, and the relative times of the other
    // lines as one mark each.
    QStringList counted(const ChangeRule& rule) const;
};

// What differs between two loads of a page a few seconds apart, as it would be learned: the
// shapes of the lines and of the link targets. A line replaced by another whose shape shares
// a beginning and an end with it ("Sponsored: garden tools", "Sponsored: rain boots") gives
// one shape with "*" for the middle ("Sponsored: *").
struct SelfChangingShapes {
    QStringList lines;
    QStringList links;
    bool isEmpty() const { return lines.isEmpty() && links.isEmpty(); }
};
// The lines that count under `rule` (see RuleText::counted) that are not the same on both loads.
SelfChangingShapes FindSelfChanging(const RuleText& first, const RuleText& second, const ChangeRule& rule);

// The shapes of the lines whose numbers changed from each copy to the next while the rest of
// the line stayed: a counter. `copies` in the order they were taken, at least three; a line
// counts only where its shape is once in every copy.
QStringList FindCounters(const QList<RuleText>& copies, const ChangeRule& rule);

// Reads the page's text under `rule` (whose kind is not looked at). Gives up at the deadline.
// The lines are the readable lines (see PageText::readableLines) of the page or of each element
// the rule's part matches, each element starting a new line; with the rule's link addresses,
// the target of every <a href> follows the line its link is in, trimmed. A part that is no
// selector (see IsValidPart) matches nothing. Everything it allocates is freed on return.
RuleText ReadRuleText(QByteArrayView page, const ChangeRule& rule, QDeadlineTimer deadline);

// Whether `part` is a selector the rule can use: empty, a CSS selector of the forms tag, #id,
// .class, [attr], [attr=value], descendant, child ">" and "," lists, or an XPath expression
// (starting with "/" or "(") that gives elements. When not, `problem` says what is wrong
// and where: 'Unexpected "]" at character 7.', or what libxml2's XPath compiler says.
bool IsValidPart(const QString& part, QString* problem = nullptr);
