// The text a Page text rule compares: one parse of the page serves its text, its link
// targets and the part the rule chooses.
#include "page/RuleText.h"

#include "page/PagePart.h"
#include "page/PageText.h"
#include "page/ParsedPage.h"

#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace {

// A "Lines containing" entry: plain text matches case-insensitively, /.../ is a regular
// expression.
struct LineFilter {
    explicit LineFilter(const QString& entry)
    {
        if (entry.size() > 2 && entry.startsWith(u'/') && entry.endsWith(u'/')) {
            pattern = QRegularExpression(entry.mid(1, entry.size() - 2));
            // Compiled now, once for all the page's lines.
            pattern.optimize();
        } else
            text = entry;
    }
    bool matches(const QString& line) const
    {
        return text.isEmpty() ? pattern.isValid() && pattern.match(line).hasMatch()
                              : line.contains(text, Qt::CaseInsensitive);
    }
    QString text;
    QRegularExpression pattern;
};

} // namespace

QStringList RuleText::counted(const ChangeRule& rule) const
{
    QStringList result;
    result.reserve(lines.size());
    for (const RuleLine& line : lines) {
        if (line.ignored)
            continue;
        if (!rule.ignoreNumbers
            || std::none_of(line.text.begin(), line.text.end(), [](QChar character) { return character.isDigit(); })) {
            result.append(line.text);
            continue;
        }
        QString text;
        text.reserve(line.text.size());
        for (const QChar character : line.text) {
            if (!character.isDigit())
                text += character;
        }
        result.append(text);
    }
    return result;
}

RuleText ReadRuleText(QByteArrayView page, const ChangeRule& rule, QDeadlineTimer deadline)
{
    RuleText text;
    if (page.size() > kMaxPageBytes) {
        text.status = RuleText::Status::TooLarge;
        return text;
    }
    const ParsedPage parsed(page, DeclaredCharset(page, deadline), deadline);
    if (!parsed.document()) {
        text.status = RuleText::Status::TooLarge;
        return text;
    }
    QList<xmlNode*> roots { parsed.root() };
    if (!rule.part.trimmed().isEmpty()) {
        PartNodes part = FindPart(parsed.document(), rule.part, deadline);
        if (part.tooLong || deadline.hasExpired()) {
            text.status = RuleText::Status::TooLarge;
            return text;
        }
        // A part that is no selector (a rules file edited by hand) matches nothing either.
        if (part.nodes.isEmpty()) {
            text.status = RuleText::Status::PartMissing;
            return text;
        }
        roots = std::move(part.nodes);
    }
    std::vector<LineFilter> filters;
    for (const QString& entry : rule.ignoreLines) {
        if (!entry.trimmed().isEmpty())
            filters.emplace_back(entry);
    }
    for (ReadableLine& line : ReadableLinesOf(roots, rule.linkAddresses)) {
        const bool ignored = std::any_of(
            filters.begin(), filters.end(), [&](const LineFilter& filter) { return filter.matches(line.text); });
        text.lines.append(RuleLine { std::move(line.text), line.link, ignored });
    }
    return text;
}

bool IsValidPart(const QString& part, QString* problem)
{
    if (part.trimmed().isEmpty())
        return true;
    // A page with the elements most selectors name, so that the expression is evaluated
    // as far as it would be on a page: a function XPath does not know is only noticed when
    // it is called.
    static const char kSample[] = "<html><head><title>t</title></head><body><div id=a class=a><p>a <a href=a>a</a> "
                                  "<span class=a>a</span></p><ul><li>a</li></ul><table><tr><td>a</td></tr></table>"
                                  "</div></body></html>";
    const QDeadlineTimer noLimit(QDeadlineTimer::Forever);
    const ParsedPage sample(kSample, "utf-8", noLimit);
    const PartNodes found = FindPart(sample.document(), part, noLimit);
    if (problem)
        *problem = found.problem;
    return found.problem.isEmpty();
}
