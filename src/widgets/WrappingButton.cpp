#include "widgets/WrappingButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

WrappingButton::WrappingButton(QWidget* parent)
    : QPushButton(parent)
{
}

QSize WrappingButton::sizeHint() const
{
    // The window lays its buttons out by hand; keep the hint modest so that a long
    // caption wraps instead of widening the button.
    const QSize hint = QPushButton::sizeHint();
    return { std::min(hint.width(), fontMetrics().averageCharWidth() * 12), hint.height() * 2 };
}

void WrappingButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);

    const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this).adjusted(2, 1, -2, -1);
    int flags = Qt::AlignCenter | Qt::TextWordWrap;
    flags |= style()->styleHint(QStyle::SH_UnderlineShortcut, &option, this) ? Qt::TextShowMnemonic
                                                                             : Qt::TextHideMnemonic;
    painter.drawItemText(area, flags, option.palette, isEnabled(), caption, QPalette::ButtonText);
}
