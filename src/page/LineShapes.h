// The shape of a line that changes by itself: what stays of it when its numbers, tokens and
// relative times are masked, and the learned shapes that many lines are matched against.
#pragma once

#include <QList>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QStringList>

#include <utility>

// The line with its tokens and numbers masked: each word of 6 or more letters, digits, "_"
// and "-" with a digit and a letter in it, and each run of digits (with "," "." or ":"
// between them), becomes "#". "Updated 8,204 times" and "Updated 12,087 times" have one shape.
QString MaskedShape(const QString& line);
// The line with each relative time or date in it ("9 minutes ago", "an hour ago", "yesterday",
// "vor 9 Minuten", "gestern", "il y a 9 minutes", "hier") as one mark, so that a time that
// moves on by itself compares the same.
QString MaskRelativeTimes(const QString& line);

// Shapes of lines (see MaskedShape, with one "*" for any text) matched against many lines.
class LearnedShapes {
public:
    explicit LearnedShapes(const QStringList& shapes);
    bool isEmpty() const { return m_exact.isEmpty() && m_patterns.isEmpty(); }
    // The shape of `line` that matched, or an empty string when none did.
    QString match(const QString& line) const;

private:
    QSet<QString> m_exact;
    QList<std::pair<QString, QRegularExpression>> m_patterns;
};
