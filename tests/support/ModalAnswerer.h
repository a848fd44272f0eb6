// Answers the modal dialogs and message boxes that a command opens, in order: each queued
// answer runs on the next modal window that appears, while the command waits in it.
#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>

class QAbstractButton;

class ModalAnswerer : public QObject {
public:
    using Answer = std::function<void(QWidget*)>;

    ModalAnswerer();
    ~ModalAnswerer() override;

    // Queues an answer for the next modal window.
    ModalAnswerer& then(Answer answer);
    // Queues a click on the button of the next modal window whose text is `text`
    // (mnemonic ampersands ignored), e.g. "OK", "&Yes", "Cancel".
    ModalAnswerer& thenClick(const QString& text);

    int pending() const { return static_cast<int>(m_answers.size()); }
    // The window titles and message texts of the modal windows answered so far.
    const QStringList& titles() const { return m_titles; }
    const QStringList& texts() const { return m_texts; }

    // The button whose text (without ampersands) is `text`, or null.
    static QAbstractButton* findButton(QWidget* window, const QString& text);

private:
    void poll();
    bool eventFilter(QObject* watched, QEvent* event) override;

    QTimer m_timer;
    std::deque<Answer> m_answers;
    QSet<QWidget*> m_up;
    QStringList m_titles;
    QStringList m_texts;
};

// Fails the test and closes the modal window that is still up 15 s after the guard was made:
// a dialog no answer was queued for would otherwise hold the test until ctest's timeout.
class StuckModalGuard {
public:
    StuckModalGuard();

private:
    QTimer m_timer;
};

// Processes events until `condition` holds or `timeoutMs` has passed; returns the condition.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 10000);
// Processes events until nothing is under way in `window` any more: no run of checks, no change
// prompt to come, no command waiting for the first snapshots it started.
template <typename Window> bool WaitUntilSettled(const Window& window, int timeoutMs = 10000)
{
    return WaitFor([&] { return !window.isChecking(); }, timeoutMs);
}
