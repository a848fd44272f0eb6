// A reason with arguments is found again in its English text by a pattern made from it, each
// %N a group; the translation is filled with the groups, translated in their turn.
#include "platform/Reasons.h"

#include <QCoreApplication>
#include <QList>
#include <QRegularExpression>
#include <QStringList>

#include <array>

namespace {

constexpr std::array kWithArguments { Reasons::kCannotWriteTo, Reasons::kCannotMeasure, Reasons::kCannotRemove,
    Reasons::kCannotRename, Reasons::kCannotLink, Reasons::kCannotCopy, Reasons::kCannotRead,
    Reasons::kSnapshotUnreadable, Reasons::kSnapshotUnreadableBecause, Reasons::kDownloadUnreadable,
    Reasons::kDownloadUnreadableBecause, Reasons::kServerAskedToWait, Reasons::kFileCannotGrow };

// Reasons inside reasons go no deeper than this.
constexpr int kMaxDepth = 3;

struct Pattern {
    const char* source;
    QRegularExpression expression;
};

const QList<Pattern>& patterns()
{
    static const QList<Pattern> made = [] {
        static const QRegularExpression argument(QStringLiteral("%[1-9]"));
        QList<Pattern> list;
        for (const char* source : kWithArguments) {
            const QString text = QString::fromLatin1(source);
            QString pattern;
            qsizetype from = 0;
            for (auto it = argument.globalMatch(text); it.hasNext();) {
                const QRegularExpressionMatch found = it.next();
                pattern += QRegularExpression::escape(text.mid(from, found.capturedStart() - from));
                pattern += QStringLiteral("(.*?)");
                from = found.capturedEnd();
            }
            pattern += QRegularExpression::escape(text.mid(from));
            list.append({ source,
                QRegularExpression(
                    QRegularExpression::anchoredPattern(pattern), QRegularExpression::DotMatchesEverythingOption) });
        }
        return list;
    }();
    return made;
}

// `text` with each %N replaced by the Nth of `arguments`, in one pass, so that an argument that
// holds a %2 of its own stays as it is.
QString filledIn(const QString& text, const QStringList& arguments)
{
    QString filled;
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar c = text.at(at);
        if (c == u'%' && at + 1 < text.size() && text.at(at + 1) >= u'1' && text.at(at + 1) <= u'9') {
            const int index = text.at(at + 1).unicode() - u'1';
            if (index < arguments.size()) {
                filled += arguments.at(index);
                ++at;
                continue;
            }
        }
        filled += c;
    }
    return filled;
}

QString translated(const QString& text, int depth)
{
    if (text.isEmpty())
        return text;
    const QByteArray utf8 = text.toUtf8();
    if (QString own = QCoreApplication::translate("FailureReason", utf8.constData()); own != text)
        return own;
    // QFile reports the commonest system errors in Qt's English words, untranslated.
    if (QString qt = QCoreApplication::translate("QIODevice", utf8.constData()); qt != text)
        return qt;
    if (depth >= kMaxDepth)
        return text;
    for (const Pattern& pattern : patterns()) {
        const QRegularExpressionMatch match = pattern.expression.match(text);
        if (!match.hasMatch())
            continue;
        QStringList arguments;
        for (int group = 1; group <= match.lastCapturedIndex(); ++group)
            arguments << translated(match.captured(group), depth + 1);
        return filledIn(QCoreApplication::translate("FailureReason", pattern.source), arguments);
    }
    return text;
}

} // namespace

std::span<const char* const> Reasons::WithArguments()
{
    return kWithArguments;
}

QString Reasons::Translated(const QString& text)
{
    return translated(text, 0);
}
