// How the main window runs its commands: a failure that escapes a command is shown in an error box
// and the program runs on; a Quit that comes while a command is under way (in a dialog of its
// own, or waiting for the first snapshots it started) ends the program once the command has. It
// is also all that the commands see of the window.
#pragma once

#include "commands/CommandWindow.h"

#include <functional>

class CheckScheduler;
class QWidget;

class CommandRunner : public CommandWindow {
public:
    // `end` saves and ends the program; `waiting` tells whether a command waits for its checks.
    CommandRunner(QWidget& window, CheckScheduler& scheduler, std::function<void()> end);

    void setWaiting(std::function<bool()> waiting) { m_waiting = std::move(waiting); }

    // Runs `command`; what escapes it is shown, and a Quit that came meanwhile follows it.
    void run(const std::function<void()>& command);
    bool isUnderWay() const { return m_depth > 0 || (m_waiting && m_waiting()); }
    // Quit came while a command or a run was under way: the program ends once neither is.
    void requestQuit() { m_quitRequested = true; }
    bool isQuitRequested() const { return m_quitRequested; }
    void quitWhenIdle();

    // The owner of a message box: the window while the user can see it, otherwise none, since
    // a box owned by a hidden or minimised window may not be seen either.
    QWidget* boxOwner();

    QWidget* dialogParent() override { return &m_window; }
    int execHoldingTicks(QDialog& dialog) override;
    void showError(const QString& message) override;
    void showInformation(const QString& message) override;
    bool confirm(const QString& question) override;
    void resumeCommand(const std::function<void()>& rest) override { run(rest); }
    bool isQuitting() const override { return m_quitRequested; }

private:
    QWidget& m_window;
    CheckScheduler& m_scheduler;
    std::function<void()> m_end;
    std::function<bool()> m_waiting;
    // Commands under way, nested in each other's dialogs.
    int m_depth = 0;
    bool m_quitRequested = false;
};
