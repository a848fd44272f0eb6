// The shapes of lines: numbers and tokens masked, relative times as one mark, and the learned
// shapes matched against a page's lines.
#include "page/LineShapes.h"

#include <QRegularExpression>

namespace {

// Relative times and dates, one entry per language the program speaks; a language added to
// the program adds its own, and to mayHaveRelativeTime() a word each of its relative times has.
// Matched without regard to case, as whole words.
struct RelativeTimes {
    const char* language;
    const char* pattern;
};
const RelativeTimes kRelativeTimes[] = {
    { "en",
        R"((?:\d+|an?|one|a few|several)\s+(?:second|sec|minute|min|hour|hr|day|week|month|year)s?\s+ago)"
        R"(|\d+\s?[smhdw]\s+ago|just now|moments? ago|yesterday|today|(?:last|this)\s+(?:week|month|year))" },
    { "de",
        R"(vor\s+(?:\d+|einer?|einem|ein paar|wenigen)\s+(?:Sekunden?|Minuten?|Stunden?|Tag(?:en)?|Wochen?|Monat(?:en)?)"
        R"(|Jahr(?:en)?)|gerade eben|vorgestern|gestern|heute)" },
    { "fr",
        R"(il y a\s+(?:\d+|une?|quelques)\s+(?:secondes?|minutes?|heures?|jours?|semaines?|mois|ans?|années?))"
        R"(|à l'instant|avant-hier|hier|aujourd'hui)" },
};

const QRegularExpression& relativeTimes()
{
    static const QRegularExpression pattern = [] {
        QStringList alternatives;
        for (const RelativeTimes& times : kRelativeTimes)
            alternatives << QStringLiteral("(?:%1)").arg(QString::fromUtf8(times.pattern));
        QRegularExpression compiled(QStringLiteral("\\b(?:%1)\\b").arg(alternatives.join(u'|')),
            QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
        compiled.optimize();
        return compiled;
    }();
    return pattern;
}

QString numbersAndTokensMasked(const QString& line)
{
    static const QRegularExpression tokens = [] {
        QRegularExpression compiled(
            QStringLiteral("(?<![\\w-])(?=[\\w-]*\\d)(?=[\\w-]*[^\\W\\d_])[\\w-]{6,}(?![\\w-])"),
            QRegularExpression::UseUnicodePropertiesOption);
        compiled.optimize();
        return compiled;
    }();
    static const QRegularExpression numbers = [] {
        QRegularExpression compiled(QStringLiteral("\\d+(?:[.,:]\\d+)*"));
        compiled.optimize();
        return compiled;
    }();
    QString shape = line;
    shape.replace(tokens, QStringLiteral("#"));
    shape.replace(numbers, QStringLiteral("#"));
    return shape;
}

// Whether `text` holds at `at` the lower-case ASCII `word`, in any case.
bool holdsAt(const QString& text, qsizetype at, QLatin1StringView word)
{
    if (at + word.size() > text.size())
        return false;
    for (qsizetype letter = 0; letter < word.size(); ++letter) {
        const char16_t code = text[at + letter].unicode();
        if ((code < 0x80 ? code | 0x20 : code) != static_cast<char16_t>(word[letter].unicode()))
            return false;
    }
    return true;
}

// Whether the line has one of the words that every relative time of kRelativeTimes has: one
// pass over the line, where most lines have none, spares them the whole expression.
bool mayHaveRelativeTime(const QString& line)
{
    using namespace Qt::Literals::StringLiterals;
    for (qsizetype at = 0; at < line.size(); ++at) {
        const char16_t code = line[at].unicode();
        switch (code < 0x80 ? code | 0x20 : code) {
        case u'a':
            if (holdsAt(line, at, "ago"_L1) || holdsAt(line, at, "aujourd"_L1))
                return true;
            break;
        case u'n':
            if (holdsAt(line, at, "now"_L1))
                return true;
            break;
        case u'y':
            if (holdsAt(line, at, "yesterday"_L1) || holdsAt(line, at, "y a"_L1))
                return true;
            break;
        case u't':
            if (holdsAt(line, at, "today"_L1) || holdsAt(line, at, "this"_L1))
                return true;
            break;
        case u'l':
            if (holdsAt(line, at, "last"_L1))
                return true;
            break;
        case u'v':
            if (holdsAt(line, at, "vor"_L1))
                return true;
            break;
        case u'g':
            if (holdsAt(line, at, "gerade"_L1) || holdsAt(line, at, "gestern"_L1))
                return true;
            break;
        case u'h':
            if (holdsAt(line, at, "heute"_L1) || holdsAt(line, at, "hier"_L1))
                return true;
            break;
        case u'i':
            if (holdsAt(line, at, "instant"_L1))
                return true;
            break;
        default:
            break;
        }
    }
    return false;
}

// How a relative time counts: apart from any text of a page.
const QString kRelativeTimeMark = QStringLiteral("\u2039time\u203a");

} // namespace

QString MaskedShape(const QString& line)
{
    return numbersAndTokensMasked(line);
}

QString MaskRelativeTimes(const QString& line)
{
    if (!mayHaveRelativeTime(line))
        return line;
    QString masked = line;
    masked.replace(relativeTimes(), kRelativeTimeMark);
    return masked;
}

LearnedShapes::LearnedShapes(const QStringList& shapes)
{
    for (const QString& shape : shapes) {
        const qsizetype star = shape.indexOf(u'*');
        if (star < 0) {
            m_exact.insert(shape);
            continue;
        }
        QRegularExpression pattern(
            QStringLiteral("^%1.*%2$")
                .arg(QRegularExpression::escape(shape.left(star)), QRegularExpression::escape(shape.mid(star + 1))),
            QRegularExpression::DotMatchesEverythingOption);
        pattern.optimize();
        m_patterns.append({ shape, std::move(pattern) });
    }
}

QString LearnedShapes::match(const QString& line) const
{
    if (isEmpty())
        return {};
    const QString shape = MaskedShape(line);
    if (m_exact.contains(shape))
        return shape;
    for (const auto& [learned, pattern] : m_patterns) {
        if (pattern.match(shape).hasMatch())
            return learned;
    }
    return {};
}
