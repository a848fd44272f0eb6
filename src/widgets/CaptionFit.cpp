// Caption fitting for the dialogs laid out with fixed geometry. The templates were measured
// for a narrow font at a small size; the desktop's font is usually wider and larger.
#include "widgets/CaptionFit.h"

#include "widgets/WrappingButton.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>
#include <vector>

namespace {

bool overlapsVertically(const QRect& a, const QRect& b)
{
    return a.top() <= b.bottom() && b.top() <= a.bottom();
}

bool overlapsHorizontally(const QRect& a, const QRect& b)
{
    return a.left() <= b.right() && b.left() <= a.right();
}

// The gap kept between a control that grows and one that it pushes aside.
constexpr int kGap = 6;

QString captionOf(const QWidget* widget)
{
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    return {};
}

bool wraps(const QWidget* widget)
{
    const auto* label = qobject_cast<const QLabel*>(widget);
    return (label && label->wordWrap()) || qobject_cast<const WrappingButton*>(widget);
}

// Whether the caption of `widget` would show whole if the widget had `size`: the text as
// drawn, in the part of the widget that the style gives it.
bool captionFits(const QWidget* widget, const QSize& size)
{
    QRect area;
    int flags = Qt::TextShowMnemonic;
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        const int inset = label->frameWidth() + label->margin() + std::max(label->indent(), 0);
        area = QRect(QPoint(0, 0), size).adjusted(inset, inset, -inset, -inset);
        flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
    } else if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.rect = QRect(QPoint(0, 0), size);
        option.text = button->text();
        QStyle::SubElement element = QStyle::SE_PushButtonContents;
        if (qobject_cast<const QCheckBox*>(widget))
            element = QStyle::SE_CheckBoxContents;
        else if (qobject_cast<const QRadioButton*>(widget))
            element = QStyle::SE_RadioButtonContents;
        area = button->style()->subElementRect(element, &option, button);
        if (qobject_cast<const WrappingButton*>(widget)) {
            // As its paint event draws it.
            area.adjust(2, 1, -2, -1);
            flags |= Qt::AlignCenter | Qt::TextWordWrap;
        } else {
            flags |= element == QStyle::SE_PushButtonContents ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter;
        }
    } else {
        return true;
    }
    return area.contains(widget->fontMetrics().boundingRect(area, flags, captionOf(widget)));
}

// The size `widget` needs for its caption, starting from `current`. A caption that wraps
// takes more width up to `widest`, then more lines; one that does not wrap takes the height of
// its line and then the width of its text.
QSize neededSize(const QWidget* widget, const QSize& current, int widest)
{
    constexpr int kLimit = 4000;
    if (captionOf(widget).isEmpty() || captionFits(widget, current))
        return current;
    QSize size = current;
    if (wraps(widget)) {
        while (!captionFits(widget, size) && size.width() < widest)
            size.rwidth() += 1;
        while (!captionFits(widget, size) && size.height() < kLimit)
            size.rheight() += 1;
        return size;
    }
    while (!captionFits(widget, QSize(kLimit, size.height())) && size.height() < kLimit)
        size.rheight() += 1;
    while (!captionFits(widget, size) && size.width() < kLimit)
        size.rwidth() += 1;
    // A check box or radio button also keeps room for the focus frame around its caption.
    if (qobject_cast<const QCheckBox*>(widget) || qobject_cast<const QRadioButton*>(widget))
        size = size.expandedTo(widget->sizeHint());
    return size;
}

// Moves what lies to the right of `moved` (or below it), in its rows (or columns), as far as it
// must go to keep clear of the new `now`, and in turn what lies beyond that. Every step of the
// chain lies further right (or down) than the one before, so it ends; `depth` guards that.
void pushAside(const std::vector<QWidget*>& controls, QWidget* moved, const QRect& before, const QRect& now, bool right,
    size_t depth = 0)
{
    if (depth > controls.size())
        return;
    for (QWidget* other : controls) {
        if (other == moved)
            continue;
        const QRect rect = other->geometry();
        const bool beyond = right ? rect.left() > before.right() : rect.top() > before.bottom();
        const bool inLine = right ? overlapsVertically(rect, now) : overlapsHorizontally(rect, now);
        if (!beyond || !inLine)
            continue;
        const int gap = std::min(kGap, right ? rect.left() - before.right() - 1 : rect.top() - before.bottom() - 1);
        const int distance = right ? now.right() + 1 + gap - rect.left() : now.bottom() + 1 + gap - rect.top();
        if (distance <= 0)
            continue;
        other->move(rect.topLeft() + (right ? QPoint(distance, 0) : QPoint(0, distance)));
        pushAside(controls, other, rect, other->geometry(), right, depth + 1);
    }
}

} // namespace

void FitCaptionsToFont(QWidget* dialog)
{
    std::vector<QWidget*> controls;
    for (QWidget* child : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isWindow() && !child->isHidden())
            controls.push_back(child);
    }
    if (controls.empty())
        return;
    QRect contents;
    for (QWidget* control : controls)
        contents |= control->geometry();
    const int marginRight = std::max(0, dialog->width() - 1 - contents.right());
    const int marginBottom = std::max(0, dialog->height() - 1 - contents.bottom());

    // Top to bottom, left to right, so that a control is fitted after everything that may
    // have moved it.
    std::sort(controls.begin(), controls.end(),
        [](const QWidget* a, const QWidget* b) { return std::pair(a->y(), a->x()) < std::pair(b->y(), b->x()); });
    for (QWidget* control : controls) {
        const QRect old = control->geometry();
        // A wrapping caption may take the free room beside it before it takes more lines.
        int widest = wraps(control) ? contents.right() - old.left() + 1 : old.width();
        for (QWidget* other : controls) {
            const QRect rect = other->geometry();
            if (other != control && rect.left() > old.right() && overlapsVertically(rect, old))
                widest = std::min(widest, rect.left() - kGap - old.left());
        }
        if (qobject_cast<WrappingButton*>(control))
            widest = std::max(widest, control->fontMetrics().horizontalAdvance(captionOf(control)) + old.width());
        const QSize size = neededSize(control, old.size(), std::max(widest, old.width()));
        if (size == old.size())
            continue;
        control->setGeometry(QRect(old.topLeft(), size));
        pushAside(controls, control, old, control->geometry(), true);
        pushAside(controls, control, old, control->geometry(), false);
        for (QWidget* other : controls)
            contents |= other->geometry();
    }

    const QSize needed(contents.right() + 1 + marginRight, contents.bottom() + 1 + marginBottom);
    if (needed.width() <= dialog->width() && needed.height() <= dialog->height())
        return;
    const QSize size = dialog->size().expandedTo(needed);
    // A dialog of fixed size keeps a fixed size, the new one.
    if (dialog->minimumSize() == dialog->maximumSize())
        dialog->setFixedSize(size);
    else
        dialog->setMinimumSize(dialog->minimumSize().expandedTo(size));
    dialog->resize(size);
}
