#include "ModalAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QThread>

#include <gtest/gtest.h>

ModalAnswerer::ModalAnswerer()
{
    m_timer.setInterval(5);
    connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::poll);
    m_timer.start();
}

ModalAnswerer::~ModalAnswerer() = default;

StuckModalGuard::StuckModalGuard()
{
    QObject::connect(&m_timer, &QTimer::timeout, [] {
        if (QWidget* window = QApplication::activeModalWidget()) {
            ADD_FAILURE() << "a modal window nobody answered: " << window->windowTitle().toStdString();
            window->close();
        }
    });
    m_timer.start(15000);
}

ModalAnswerer& ModalAnswerer::then(Answer answer)
{
    m_answers.push_back(std::move(answer));
    return *this;
}

ModalAnswerer& ModalAnswerer::thenClick(const QString& text)
{
    return then([text](QWidget* window) {
        if (QAbstractButton* button = findButton(window, text))
            button->click();
        else
            qWarning("ModalAnswerer: no button \"%s\"", qPrintable(text));
    });
}

QAbstractButton* ModalAnswerer::findButton(QWidget* window, const QString& text)
{
    const QString wanted = QString(text).remove(QLatin1Char('&'));
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (button->text().remove(QLatin1Char('&')) == wanted && button->isVisible())
            return button;
    }
    return nullptr;
}

void ModalAnswerer::poll()
{
    QWidget* window = QApplication::activeModalWidget();
    if (!window || !window->isVisible() || m_answers.empty() || m_up.contains(window))
        return;
    // A window counts as answered until it hides: a message box over a dialog must not
    // make the dialog new again, but the same dialog object run again (Edit runs one
    // dialog per row) is.
    m_up.insert(window);
    window->installEventFilter(this);
    m_titles << window->windowTitle();
    if (auto* box = qobject_cast<QMessageBox*>(window))
        m_texts << box->text();
    else
        m_texts << QString();
    Answer answer = std::move(m_answers.front());
    m_answers.pop_front();
    answer(window);
}

bool ModalAnswerer::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Hide || event->type() == QEvent::Destroy) {
        m_up.remove(static_cast<QWidget*>(watched));
        watched->removeEventFilter(this);
    }
    return false;
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}
