// The text a Page text rule compares.
#include "update/RuleText.h"

#include "update/PageText.h"

#include <QRegularExpression>

namespace {

// A "Lines containing" entry: plain text matches case-insensitively, /.../ is a regular
// expression.
struct LineFilter {
    explicit LineFilter(const QString& entry)
    {
        if (entry.size() > 2 && entry.startsWith(u'/') && entry.endsWith(u'/'))
            pattern = QRegularExpression(entry.mid(1, entry.size() - 2));
        else
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
    static const QRegularExpression digits(QStringLiteral("\\d+"));
    QStringList result;
    for (const RuleLine& line : lines) {
        if (line.ignored)
            continue;
        result.append(rule.ignoreNumbers ? QString(line.text).remove(digits) : line.text);
    }
    return result;
}

RuleText ReadRuleText(QByteArrayView page, const ChangeRule& rule, QDeadlineTimer deadline)
{
    RuleText text;
    const std::optional<QStringList> readable = PageText(page, deadline).readableLines();
    if (!readable) {
        text.status = RuleText::Status::TooLarge;
        return text;
    }
    std::vector<LineFilter> filters;
    for (const QString& entry : rule.ignoreLines)
        if (!entry.trimmed().isEmpty())
            filters.emplace_back(entry);
    for (const QString& line : *readable) {
        const bool ignored = std::any_of(
            filters.begin(), filters.end(), [&](const LineFilter& filter) { return filter.matches(line); });
        text.lines.append(RuleLine { line, false, ignored });
    }
    return text;
}

bool IsValidPart(const QString& part, QString* problem)
{
    if (part.trimmed().isEmpty())
        return true;
    if (problem)
        *problem = QStringLiteral("choosing part of the page is not built yet.");
    return false;
}
