// The view of the Changes window: the lines of a comparison, removed ones in red and added ones
// in green, runs of unchanged lines folded, ignored lines and lines that change by themselves
// in grey; a line the rule learned is followed by a "count again" link.
#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class PageDiff;
class QPlainTextEdit;

class ChangesView : public QObject {
    Q_OBJECT
public:
    // What the window knows of a line of the comparison.
    struct Marks {
        std::function<bool(const QString&)> ignored;
        std::function<bool(const QString&)> changesByItself;
        // Whether a line that changes by itself was learned, and so can count again.
        std::function<bool(const QString&)> canCountAgain;
    };

    // Writes into `view`, which it watches for clicks on its links.
    ChangesView(QPlainTextEdit* view, QObject* parent);

    // Replaces what the view shows with `diff`, and puts the view's cursor at its start.
    void show(const PageDiff& diff, const Marks& marks);

signals:
    // A click on "count again" after `line`.
    void countAgain(const QString& line);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPlainTextEdit* m_view;
    // The lines that can count again, by the number in their link.
    QStringList m_countAgainLines;
};
