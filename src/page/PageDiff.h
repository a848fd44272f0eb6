// The differences between two versions of a page's lines: removed, added and unchanged
// lines in hunks, with unchanged runs between them folded away.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>

class PageDiff {
public:
    // Unchanged lines shown before and after each change.
    static constexpr int kContextLines = 3;
    // Longer than this and the user would think the window hung: the comparison gives up.
    static constexpr std::chrono::milliseconds kTimeBudget { 2000 };

    enum class Kind { Unchanged, Removed, Added };
    struct Line {
        Kind kind;
        QString text;
    };
    struct Hunk {
        // Unchanged lines folded away before the hunk.
        qsizetype foldedBefore = 0;
        // Where the hunk starts, counted from 0, in the old and the new lines.
        qsizetype oldStart = 0;
        qsizetype newStart = 0;
        QList<Line> lines;
    };

    PageDiff(const QStringList& before, const QStringList& after, std::chrono::milliseconds budget = kTimeBudget);

    // True when the comparison ran out of time; nothing else is then known.
    bool tooLarge() const { return m_tooLarge; }
    qsizetype added() const { return m_added; }
    qsizetype removed() const { return m_removed; }
    bool isEmpty() const { return m_added == 0 && m_removed == 0; }
    const QList<Hunk>& hunks() const { return m_hunks; }
    // Unchanged lines folded away after the last hunk (all of them when nothing changed).
    qsizetype foldedAtEnd() const { return m_foldedAtEnd; }

private:
    bool m_tooLarge = false;
    qsizetype m_added = 0;
    qsizetype m_removed = 0;
    QList<Hunk> m_hunks;
    qsizetype m_foldedAtEnd = 0;
};
