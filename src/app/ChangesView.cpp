#include "app/ChangesView.h"

#include "page/PageDiff.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

const QColor kRemovedText(0xA0, 0x00, 0x00);
const QColor kRemovedBackground(0xFF, 0xE0, 0xE0);
const QColor kAddedText(0x00, 0x60, 0x00);
const QColor kAddedBackground(0xDF, 0xF5, 0xDF);
const QColor kFoldedText(0x70, 0x70, 0x70);
const QColor kIgnoredText(0x90, 0x90, 0x90);

QString unchangedText(qsizetype count)
{
    return count == 1 ? QCoreApplication::translate("CChangesDlg", "1 line unchanged")
                      : QCoreApplication::translate("CChangesDlg", "%1 lines unchanged").arg(count);
}

} // namespace

ChangesView::ChangesView(QPlainTextEdit* view, QObject* parent)
    : QObject(parent)
    , m_view(view)
{
    m_view->viewport()->installEventFilter(this);
}

void ChangesView::show(const PageDiff& diff, const Marks& marks)
{
    m_view->clear();
    QTextDocument* document = m_view->document();
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    bool first = true;
    auto addLine = [&](const QString& text, const QColor& foreground, const QColor& background, bool italic = false) {
        QTextBlockFormat block;
        if (background.isValid())
            block.setBackground(background);
        QTextCharFormat characters;
        if (foreground.isValid())
            characters.setForeground(foreground);
        characters.setFontItalic(italic);
        if (first) {
            cursor.setBlockFormat(block);
            cursor.setBlockCharFormat(characters);
            first = false;
        } else {
            cursor.insertBlock(block, characters);
        }
        cursor.insertText(text, characters);
    };
    auto addFolded = [&](qsizetype count) {
        if (count > 0)
            addLine(QStringLiteral("\u22EF %1 \u22EF").arg(unchangedText(count)), kFoldedText, QColor(), true);
    };
    m_countAgainLines.clear();
    // What changes by itself is grey, and a line the rule learned counts again in one click.
    auto addSelfChanging = [&](const PageDiff::Line& line, const QString& sign) {
        addLine(sign + line.text + QCoreApplication::translate("CChangesDlg", "    (changes by itself)"), kIgnoredText,
            QColor());
        if (!marks.canCountAgain(line.text))
            return;
        QTextCharFormat link;
        link.setAnchor(true);
        link.setAnchorHref(QStringLiteral("count-again:%1").arg(m_countAgainLines.size()));
        link.setForeground(m_view->palette().color(QPalette::Link));
        link.setFontUnderline(true);
        cursor.insertText(QStringLiteral("  "), QTextCharFormat());
        cursor.insertText(QCoreApplication::translate("CChangesDlg", "count again"), link);
        m_countAgainLines << line.text;
    };
    for (const PageDiff::Hunk& hunk : diff.hunks()) {
        addFolded(hunk.foldedBefore);
        for (const PageDiff::Line& line : hunk.lines) {
            if (marks.ignored(line.text)) {
                const QString sign = line.kind == PageDiff::Kind::Removed ? QStringLiteral("\u2212 ")
                    : line.kind == PageDiff::Kind::Added                  ? QStringLiteral("+ ")
                                                                          : QStringLiteral("  ");
                addLine(sign + line.text + QCoreApplication::translate("CChangesDlg", "    (ignored)"), kIgnoredText,
                    QColor());
                continue;
            }
            if (line.kind != PageDiff::Kind::Unchanged && marks.changesByItself(line.text)) {
                addSelfChanging(
                    line, line.kind == PageDiff::Kind::Removed ? QStringLiteral("\u2212 ") : QStringLiteral("+ "));
                continue;
            }
            switch (line.kind) {
            case PageDiff::Kind::Removed:
                addLine(QStringLiteral("\u2212 ") + line.text, kRemovedText, kRemovedBackground);
                break;
            case PageDiff::Kind::Added:
                addLine(QStringLiteral("+ ") + line.text, kAddedText, kAddedBackground);
                break;
            case PageDiff::Kind::Unchanged:
                addLine(QStringLiteral("  ") + line.text, QColor(), QColor());
                break;
            }
        }
    }
    addFolded(diff.foldedAtEnd());
    cursor.endEditBlock();
    m_view->moveCursor(QTextCursor::Start);
}

bool ChangesView::eventFilter(QObject* watched, QEvent* event)
{
    // A mouse event first: no other is looked at, while the window is taken down neither.
    if (event->type() == QEvent::MouseButtonRelease && watched == m_view->viewport()) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QString anchor = m_view->anchorAt(mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton && anchor.startsWith(QLatin1String("count-again:"))) {
            const qsizetype line = anchor.section(u':', 1).toLongLong();
            if (line >= 0 && line < m_countAgainLines.size())
                emit countAgain(m_countAgainLines[line]);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
