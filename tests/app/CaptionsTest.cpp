// The three dialogs in DejaVu Sans, the font a Debian desktop gives Qt, at the desktop's
// size and at 1.25 times that size, in English, German and French: every caption shows whole
// and no control covers another.
#include "app/CAboutDlg.h"
#include "app/CNelvoxDlg.h"
#include "app/Translators.h"
#include "commands/CAddEditDlg.h"
#include "support/TempWorkDir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <memory>

namespace {

std::string describe(const QWidget* widget)
{
    const QRect r = widget->geometry();
    return widget->objectName().toStdString() + " at " + std::to_string(r.x()) + "," + std::to_string(r.y()) + " "
        + std::to_string(r.width()) + "x" + std::to_string(r.height());
}

// The part of the widget in which its caption is drawn, and how it is drawn there.
struct CaptionArea {
    QRect rect;
    int flags = 0;
};

CaptionArea captionArea(const QWidget* widget)
{
    const int mnemonic = Qt::TextShowMnemonic;
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        const int margin = label->margin() + std::max(label->indent(), 0);
        return { label->contentsRect().adjusted(margin, margin, -margin, -margin),
            int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0) };
    }
    const auto* button = qobject_cast<const QAbstractButton*>(widget);
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    QStyle::SubElement element = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox*>(widget))
        element = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<const QRadioButton*>(widget))
        element = QStyle::SE_RadioButtonContents;
    const QRect contents = widget->style()->subElementRect(element, &option, widget);
    if (element != QStyle::SE_PushButtonContents)
        return { contents, Qt::AlignLeft | Qt::AlignVCenter | mnemonic };
    // A main-window command button wraps its caption inside the button.
    const bool wraps = widget->inherits("WrappingButton");
    return { wraps ? contents.adjusted(2, 1, -2, -1) : contents,
        Qt::AlignCenter | mnemonic | (wraps ? Qt::TextWordWrap : 0) };
}

QString captionOf(const QWidget* widget)
{
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    return {};
}

// Every caption of `dialog` fits where it is drawn; no two of its controls overlap and each
// lies inside the dialog.
void expectWholeCaptions(QWidget* dialog)
{
    int captions = 0;
    for (QWidget* widget : dialog->findChildren<QWidget*>()) {
        if (widget->isWindow() || !widget->isVisibleTo(dialog) || captionOf(widget).isEmpty())
            continue;
        ++captions;
        const CaptionArea area = captionArea(widget);
        const QRect text = widget->fontMetrics().boundingRect(area.rect, area.flags, captionOf(widget));
        EXPECT_TRUE(area.rect.contains(text)) << "caption cut off: \"" << captionOf(widget).toStdString() << "\" needs "
                                              << text.width() << "x" << text.height() << ", has " << area.rect.width()
                                              << "x" << area.rect.height() << " in " << describe(widget);
    }
    EXPECT_GT(captions, 0) << "no captions found";

    // The dialogs place their controls by hand, all directly on the dialog.
    QList<QWidget*> controls;
    for (QWidget* child : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isWindow() && child->isVisibleTo(dialog))
            controls << child;
    }
    for (int i = 0; i < controls.size(); ++i) {
        EXPECT_TRUE(dialog->rect().contains(controls[i]->geometry()))
            << describe(controls[i]) << " reaches outside " << dialog->width() << "x" << dialog->height();
        for (int j = i + 1; j < controls.size(); ++j) {
            EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
                << describe(controls[i]) << " overlaps " << describe(controls[j]);
        }
    }
}

class Captions : public InTempDir {
protected:
    void TearDown() override { QApplication::setFont(m_original); }

    const QFont m_original = QApplication::font();
};

TEST_F(Captions, ShowWholeInDejaVuSansAtTheDesktopSizeAndLarger)
{
    const qreal desktopSize = m_original.pointSizeF() > 0 ? m_original.pointSizeF() : 10;
    for (const char* language : { "en", "de", "fr" })
        for (const qreal size : { desktopSize, desktopSize * 1.25 }) {
            const Translators translators { QLocale(QString::fromLatin1(language)) };
            QFont font(QStringLiteral("DejaVu Sans"));
            font.setPointSizeF(size);
            QApplication::setFont(font);
            ASSERT_EQ(QFontInfo(font).family(), QStringLiteral("DejaVu Sans")) << "fonts-dejavu-core is not installed";

            const std::pair<const char*, std::function<std::unique_ptr<QWidget>()>> dialogs[] = {
                { "About box", [] { return std::make_unique<CAboutDlg>(); } },
                { "Add or Edit Favorite", [] { return std::make_unique<CAddEditDlg>(); } },
                { "main window", [] { return std::make_unique<CNelvoxDlg>(); } },
            };
            for (const auto& [name, make] : dialogs) {
                SCOPED_TRACE(std::string(name) + " at " + std::to_string(size) + " pt in " + language);
                const std::unique_ptr<QWidget> dialog = make();
                ASSERT_EQ(QFontInfo(dialog->font()).pointSizeF(), size)
                    << "the dialog does not take the desktop's size";
                expectWholeCaptions(dialog.get());
                // The sizes the controls came to, for the record.
                std::cout << name << " at " << size << " pt in " << language << ": " << dialog->width() << "x"
                          << dialog->height() << ";";
                for (QWidget* widget : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                    std::cout << " " << describe(widget) << ";";
                std::cout << "\n";
            }
        }
}

} // namespace
