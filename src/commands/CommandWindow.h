// What the favorites' commands need of the window they run in: the parent of their dialogs, its
// boxes, a way to run a dialog while the scheduled checks wait, and a way back into the window
// once the checks a command started have ended.
#pragma once

#include <QString>

#include <functional>

class QDialog;
class QWidget;

class CommandWindow {
public:
    virtual ~CommandWindow() = default;

    virtual QWidget* dialogParent() = 0;
    // Runs `dialog`; a tick that falls while it is open waits for it.
    virtual int execHoldingTicks(QDialog& dialog) = 0;
    // Boxes titled "Nelvox" in front of the window, or on their own while it is hidden.
    virtual void showError(const QString& message) = 0;
    virtual void showInformation(const QString& message) = 0;
    // A question with Yes and No, No the default; true for Yes.
    virtual bool confirm(const QString& question) = 0;
    // Runs the rest of a command that waited for its checks, as the window runs any command:
    // a failure that escapes it is shown, and a Quit that came meanwhile follows it.
    virtual void resumeCommand(const std::function<void()>& rest) = 0;
    // Quit came while the command was under way: it offers no further dialog.
    virtual bool isQuitting() const = 0;
};
