// Holds off the user's input to the main window and every dialog it owns for as long as it
// lives, but for one window that stays usable (the progress display with its Stop), and shows
// the busy cursor meanwhile. Repaints, timers and the tray icon carry on.
#pragma once

#include <QObject>

#include <functional>

class QWidget;

class InputHold : public QObject {
public:
    // `exempt` names the window that keeps its input, or none, at the time of each event.
    InputHold(QWidget& window, std::function<const QWidget*()> exempt);
    ~InputHold() override;
    InputHold(const InputHold&) = delete;
    InputHold& operator=(const InputHold&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isHeldOff(QObject* receiver) const;

    QWidget& m_window;
    std::function<const QWidget*()> m_exempt;
};
