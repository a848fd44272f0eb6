// The rules file: "[address]" starts a favorite's block, "key=value" lines follow, lines end
// with CR LF as in every file of Nelvox.
#include "store/ChangeRules.h"

#include "platform/Files.h"
#include "platform/NelvoxError.h"
#include "store/BlockFile.h"
#include "store/FavoritesList.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

const QStringList kRulesHeading {
    QStringLiteral("# What counts as a change of each favorite's page, one block per favorite's address."),
    QStringLiteral("# rule=page length or page text; under page text: links=yes or no, numbers=count or ignore,"),
    QStringLiteral("# ignore-line=a text or /a regular expression/ (one line each), part=a CSS selector or XPath."),
};

// A line break in a value would start a line of its own.
QString oneLine(const QString& value)
{
    return QString(value).replace(u'\n', u' ').replace(u'\r', u' ');
}

// One "key=value" line into `rule`; false when the line is not one of ours.
bool readLine(ChangeRule& rule, QStringView key, QStringView value)
{
    if (key == u"rule") {
        if (value == u"page length")
            rule.kind = ChangeRule::Kind::PageLength;
        else if (value == u"page text")
            rule.kind = ChangeRule::Kind::PageText;
        else
            return false;
    } else if (key == u"links") {
        if (value != u"yes" && value != u"no")
            return false;
        rule.linkAddresses = value == u"yes";
    } else if (key == u"numbers") {
        if (value != u"count" && value != u"ignore")
            return false;
        rule.ignoreNumbers = value == u"ignore";
    } else if (key == u"ignore-line") {
        // An empty one would ignore every line; the dialog never writes one.
        if (!value.isEmpty())
            rule.ignoreLines << oneLine(value.toString());
    } else if (key == u"part") {
        rule.part = oneLine(value.toString());
    } else if (key == u"self-changing") {
        if (value != u"count" && value != u"ignore")
            return false;
        rule.ignoreSelfChanging = value == u"ignore";
    } else if (key == u"learned-line" || key == u"learned-link") {
        // Kept as written; one that is no shape stays among the lines the block does not know.
        if (!IsValidShape(value.toString()))
            return false;
        (key == u"learned-line" ? rule.learnedLines : rule.learnedLinks) << value.toString();
    } else {
        return false;
    }
    return true;
}

} // namespace

bool ChangeRules::load(const QString& fileName)
{
    m_rules.clear();
    m_leadingLines.clear();
    QFile file;
    m_unreadable = false;
    if (!OpenForReading(file, fileName)) {
        m_unreadable = QFileInfo(fileName).exists() || QFileInfo(fileName).isSymLink();
        return !m_unreadable;
    }
    Entry* entry = nullptr;
    BlockFileReader reader;
    reader.heading = kRulesHeading;
    reader.block = [&](const QString& address) {
        entry = &m_rules[address];
        *entry = {};
    };
    reader.line = [&](QStringView key, QStringView value) { return readLine(entry->rule, key, value); };
    reader.other = [&](const QString& line) { (entry ? entry->otherLines : m_leadingLines) << line; };
    reader.read(QString::fromUtf8(file.readAll()));
    return true;
}

void ChangeRules::save(const FavoritesList& list, const QString& fileName) const
{
    if (m_unreadable)
        return;
    QByteArray text;
    AppendLines(text, kRulesHeading + m_leadingLines);
    for (const QString& address : list.addresses()) {
        const auto found = m_rules.constFind(address);
        if (found == m_rules.cend())
            continue;
        const ChangeRule& rule = found->rule;
        QStringList lines { u'[' + address + u']' };
        if (rule.isPageLength()) {
            lines << QStringLiteral("rule=page length");
        } else {
            lines << QStringLiteral("rule=page text");
            lines << (rule.linkAddresses ? QStringLiteral("links=yes") : QStringLiteral("links=no"));
            lines << (rule.ignoreNumbers ? QStringLiteral("numbers=ignore") : QStringLiteral("numbers=count"));
            for (const QString& entry : rule.ignoreLines) {
                if (!entry.trimmed().isEmpty())
                    lines << QStringLiteral("ignore-line=") + oneLine(entry).trimmed();
            }
            if (!rule.part.trimmed().isEmpty())
                lines << QStringLiteral("part=") + oneLine(rule.part).trimmed();
            // Absent, what changes by itself counts, as in every file before the option.
            if (rule.ignoreSelfChanging)
                lines << QStringLiteral("self-changing=ignore");
            for (const QString& shape : rule.learnedLines) {
                if (IsValidShape(shape))
                    lines << QStringLiteral("learned-line=") + shape;
            }
            for (const QString& shape : rule.learnedLinks) {
                if (IsValidShape(shape))
                    lines << QStringLiteral("learned-link=") + shape;
            }
        }
        AppendLines(text, lines + found->otherLines);
    }
    WriteWholeFile(fileName, text,
        QCoreApplication::translate("ChangeRules", "Cannot save the rules of the favorites to \"%1\": %2"));
}

bool IsValidShape(const QString& shape)
{
    constexpr qsizetype kMostCharacters = 2000;
    if (shape.isEmpty() || shape != shape.trimmed() || shape.size() > kMostCharacters || shape.count(u'*') > 1
        || shape.contains(u'\n') || shape.contains(u'\r'))
        return false;
    return std::any_of(shape.begin(), shape.end(),
        [](QChar character) { return character != u'#' && character != u'*' && !character.isSpace(); });
}

ChangeRule ChangeRules::rule(const QString& address) const
{
    const auto found = m_rules.constFind(address);
    return found == m_rules.cend() ? ChangeRule {} : found->rule;
}

void ChangeRules::setRule(const QString& address, const ChangeRule& rule)
{
    auto found = m_rules.find(address);
    if (found == m_rules.end()) {
        if (rule.isPageLength())
            return;
        found = m_rules.insert(address, {});
    }
    found->rule = rule;
    if (rule.isPageLength() && found->otherLines.isEmpty())
        m_rules.erase(found);
}

void ChangeRules::rename(const QString& from, const QString& to)
{
    if (from == to)
        return;
    const auto found = m_rules.constFind(from);
    if (found == m_rules.cend()) {
        m_rules.remove(to);
        return;
    }
    const Entry entry = *found;
    m_rules.remove(from);
    m_rules.insert(to, entry);
}

void ChangeRules::remove(const QString& address)
{
    m_rules.remove(address);
}
