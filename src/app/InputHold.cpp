// The input hold of a run of checks.
#include "app/InputHold.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

InputHold::InputHold(QWidget& window, std::function<const QWidget*()> exempt)
    : m_window(window)
    , m_exempt(std::move(exempt))
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    qApp->installEventFilter(this);
}

InputHold::~InputHold()
{
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
}

bool InputHold::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
        return isHeldOff(watched);
    default:
        return false;
    }
}

bool InputHold::isHeldOff(QObject* receiver) const
{
    auto* widget = qobject_cast<QWidget*>(receiver);
    if (!widget)
        return false;
    const QWidget* exempt = m_exempt();
    // The window itself, its controls and every dialog it owns, but for the exempt one.
    for (QWidget* window = widget->window(); window;
         window = window->parentWidget() ? window->parentWidget()->window() : nullptr) {
        if (window == exempt)
            return false;
        if (window == &m_window)
            return true;
    }
    return false;
}
