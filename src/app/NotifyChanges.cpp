// The end of a run as the window takes it: a Quit that came during the run ends the program,
// and changes bring the notification, the tray icon's alert and the question whether to show
// the favorites that changed.
#include "app/CNelvoxDlg.h"
#include "app/CSTI.h"

#include <QCheckBox>
#include <QMessageBox>
#include <QTimer>

void CNelvoxDlg::connectScheduler()
{
    connect(m_chkNotify, &QCheckBox::toggled, &m_scheduler, &CheckScheduler::setChecksEnabled);
    connect(&m_scheduler, &CheckScheduler::saveFailed, this, &CNelvoxDlg::ShowError);
    // Said once, from the event loop: the checks go on without the history.
    connect(&m_scheduler, &CheckScheduler::historyFailed, this, &CNelvoxDlg::ShowError, Qt::QueuedConnection);
    // A tick of the timer that could not start: shown once the timer's slot has returned.
    connect(
        &m_scheduler, &CheckScheduler::tickFailed, this,
        [this](const QString& message) {
            if (!m_ended)
                ShowError(message);
        },
        Qt::QueuedConnection);
    connect(&m_scheduler, &CheckScheduler::finished, this, &CNelvoxDlg::onChecksFinished);
}

void CNelvoxDlg::onChecksFinished(const RunReport& report)
{
    if (m_runner.isQuitRequested()) {
        // Quit came during the run: the program ends now, or once the command that waits
        // for the run has ended, without asking anything.
        m_runner.quitWhenIdle();
        return;
    }
    // The prompt comes after Update All Now even with the notification box cleared: the user
    // asked for that check. It opens from the event loop once the run's last slot has
    // returned, never inside the run.
    if (!report.anyChanged || m_ended)
        return;
    ++m_promptsPending;
    QTimer::singleShot(0, this, [this] {
        if (!m_runner.isQuitRequested() && !m_ended)
            RunCommand([this] { NotifyChanges(); });
        --m_promptsPending;
    });
}

void CNelvoxDlg::NotifyChanges()
{
    // Flipped without a look: an alert left on by an earlier No goes off here.
    m_trayIcon->ToggleTrayAlert();

    // Without an owner on screen the box must put itself in front: the user may be
    // working in another program while Nelvox sits in the tray.
    QWidget* owner = boxOwner();
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Nelvox"),
        tr("Some of your Nelvox favorites have been changed since your last update. "
           "Would you like to view them now?"),
        QMessageBox::Yes | QMessageBox::No, owner);
    box.setDefaultButton(QMessageBox::Yes);
    if (!owner)
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    QTimer::singleShot(0, &box, [&box] {
        box.raise();
        box.activateWindow();
    });
    if (box.exec() != QMessageBox::Yes)
        return;

    if (m_trayIcon->IsTrayAlertOn())
        m_trayIcon->ToggleTrayAlert();
    showNormal();
    raise();
    activateWindow();
}
