// The main window's dispatch of its commands and its boxes.
#include "app/CommandRunner.h"

#include "check/CheckScheduler.h"
#include "platform/NelvoxError.h"
#include "platform/Reasons.h"

#include <QMessageBox>
#include <QWidget>

CommandRunner::CommandRunner(QWidget& window, CheckScheduler& scheduler, std::function<void()> end)
    : m_window(window)
    , m_scheduler(scheduler)
    , m_end(std::move(end))
{
}

void CommandRunner::run(const std::function<void()>& command)
{
    ++m_depth;
    try {
        command();
    } catch (const NelvoxError& error) {
        showError(error.message());
    } catch (const std::exception& error) {
        showError(QString::fromLocal8Bit(error.what()));
    }
    --m_depth;
    quitWhenIdle();
}

void CommandRunner::quitWhenIdle()
{
    if (m_quitRequested && !isUnderWay()) {
        m_quitRequested = false;
        run(m_end);
    }
}

QWidget* CommandRunner::boxOwner()
{
    return m_window.isVisible() && !m_window.isMinimized() ? &m_window : nullptr;
}

int CommandRunner::execHoldingTicks(QDialog& dialog)
{
    CheckScheduler::Hold hold(m_scheduler);
    return dialog.exec();
}

void CommandRunner::showError(const QString& message)
{
    // The core's own reasons come in English, the words its files keep.
    QMessageBox box(
        QMessageBox::Critical, QStringLiteral("Nelvox"), Reasons::Translated(message), QMessageBox::Ok, boxOwner());
    box.exec();
}

void CommandRunner::showInformation(const QString& message)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Nelvox"), message, QMessageBox::Ok, boxOwner());
    box.exec();
}

bool CommandRunner::confirm(const QString& question)
{
    QMessageBox box(
        QMessageBox::Question, QStringLiteral("Nelvox"), question, QMessageBox::Yes | QMessageBox::No, boxOwner());
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}
