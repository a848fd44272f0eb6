// The text a Page text rule compares: one parse of the page serves its text, its link
// targets and the part the rule chooses.
#include "page/RuleText.h"

#include "page/PagePart.h"
#include "page/PageText.h"
#include "page/ParsedPage.h"

#include <QHash>
#include <QRegularExpression>

#include <optional>

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

bool hasDigit(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar character) { return character.isDigit(); });
}

// How a line of a learned shape counts: apart from any text of a page.
const QString kShapeMark = QStringLiteral("\u2039shape\u203a ");

// The lines of a rule's learned shapes, and how one line counts among them.
class CountedLines {
public:
    explicit CountedLines(const ChangeRule& rule)
        : m_rule(rule)
        , m_lines(rule.ignoreSelfChanging ? rule.learnedLines : QStringList())
        , m_links(rule.ignoreSelfChanging ? rule.learnedLinks : QStringList())
    {
    }
    QString of(const RuleLine& line) const
    {
        QString text = line.text;
        if (m_rule.ignoreSelfChanging) {
            const QString shape = (line.link ? m_links : m_lines).match(line.text);
            // The shape stays in its place: a line of it that comes or goes still counts.
            if (!shape.isEmpty())
                return kShapeMark + shape;
            if (!line.link)
                text = MaskRelativeTimes(text);
        }
        if (m_rule.ignoreNumbers && hasDigit(text))
            text.removeIf([](QChar character) { return character.isDigit(); });
        return text;
    }

private:
    const ChangeRule& m_rule;
    LearnedShapes m_lines;
    LearnedShapes m_links;
};

// The beginning and end two shapes share, when they say enough to tell the line by.
std::optional<QString> sharedShape(const QString& first, const QString& second)
{
    qsizetype head = 0;
    const qsizetype shorter = std::min(first.size(), second.size());
    while (head < shorter && first[head] == second[head])
        ++head;
    qsizetype tail = 0;
    while (tail < shorter - head && first[first.size() - 1 - tail] == second[second.size() - 1 - tail])
        ++tail;
    // Whole words only: "garden tools" and "rain boots" share no "s".
    const auto inWord = [&first](qsizetype at) {
        return at > 0 && at < first.size() && first[at - 1].isLetterOrNumber() && first[at].isLetterOrNumber();
    };
    while (head > 0 && inWord(head))
        --head;
    while (tail > 0 && inWord(first.size() - tail))
        --tail;
    QString shape = first.left(head) + u'*' + first.right(tail);
    constexpr qsizetype kFewestTelling = 4;
    const qsizetype telling = std::count_if(shape.begin(), shape.end(),
        [](QChar character) { return character.isLetter() || character.isPunct() || character.isSymbol(); });
    if (telling - shape.count(u'#') - 1 < kFewestTelling)
        return std::nullopt;
    return shape.trimmed();
}

} // namespace

QStringList RuleText::counted(const ChangeRule& rule) const
{
    QStringList result;
    result.reserve(lines.size());
    const CountedLines counting(rule);
    for (const RuleLine& line : lines) {
        if (!line.ignored)
            result.append(counting.of(line));
    }
    return result;
}

SelfChangingShapes FindSelfChanging(const RuleText& first, const RuleText& second, const ChangeRule& rule)
{
    const CountedLines counting(rule);
    // How often each counted line is on the second load; what is left over of the first is
    // what it lost, in its order.
    QHash<QString, int> onSecond;
    for (const RuleLine& line : second.lines) {
        if (!line.ignored)
            ++onSecond[counting.of(line)];
    }
    QHash<QString, int> onFirst;
    QList<const RuleLine*> lost[2];
    for (const RuleLine& line : first.lines) {
        if (line.ignored)
            continue;
        const QString counted = counting.of(line);
        ++onFirst[counted];
        int& left = onSecond[counted];
        if (left > 0)
            --left;
        else
            lost[line.link].append(&line);
    }
    QList<const RuleLine*> gained[2];
    for (const RuleLine& line : second.lines) {
        if (line.ignored)
            continue;
        int& left = onFirst[counting.of(line)];
        if (left > 0)
            --left;
        else
            gained[line.link].append(&line);
    }
    SelfChangingShapes found;
    for (const int link : { 0, 1 }) {
        QStringList& shapes = link ? found.links : found.lines;
        const auto learn = [&shapes](const QString& shape) {
            const QString trimmed = shape.trimmed();
            if (!trimmed.isEmpty() && !shapes.contains(trimmed))
                shapes << trimmed;
        };
        // The first line lost and the first gained are most likely one line that changed.
        for (qsizetype at = 0; at < std::max(lost[link].size(), gained[link].size()); ++at) {
            const QString before = at < lost[link].size() ? MaskedShape(lost[link][at]->text) : QString();
            const QString after = at < gained[link].size() ? MaskedShape(gained[link][at]->text) : QString();
            if (before.isEmpty() || after.isEmpty() || before == after) {
                learn(before.isEmpty() ? after : before);
                continue;
            }
            if (const std::optional<QString> shared = sharedShape(before, after)) {
                learn(*shared);
                continue;
            }
            learn(before);
            learn(after);
        }
    }
    return found;
}

QStringList FindCounters(const QList<RuleText>& copies, const ChangeRule& rule)
{
    constexpr qsizetype kFewestCopies = 3;
    if (copies.size() < kFewestCopies)
        return {};
    const CountedLines counting(rule);
    // Each shape's line in each copy; an empty text where the shape is not once in the copy.
    QHash<QString, QStringList> lines;
    for (qsizetype copy = 0; copy < copies.size(); ++copy) {
        QHash<QString, int> seen;
        for (const RuleLine& line : copies[copy].lines) {
            if (line.ignored || line.link || !hasDigit(line.text))
                continue;
            // A line the rule counts as a shape or a relative time already is no counter to find.
            if (counting.of(line) != line.text)
                continue;
            const QString shape = MaskedShape(line.text);
            QStringList& texts = lines[shape];
            texts.resize(copies.size());
            texts[copy] = ++seen[shape] == 1 ? line.text : QString();
        }
    }
    QStringList counters;
    for (auto shape = lines.cbegin(); shape != lines.cend(); ++shape) {
        const QStringList& texts = shape.value();
        bool counter = IsValidShape(shape.key());
        for (qsizetype copy = 1; counter && copy < texts.size(); ++copy)
            counter = !texts[copy].isEmpty() && !texts[copy - 1].isEmpty() && texts[copy] != texts[copy - 1];
        if (counter)
            counters << shape.key();
    }
    counters.sort();
    return counters;
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
