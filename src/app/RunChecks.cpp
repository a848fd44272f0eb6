// The main window's side of the checks: Update All Now, the hourly tick and a new favorite's
// first snapshot start a run of the scheduler; while it is under way the window keeps
// repainting and the tray icon keeps answering, the user's commands wait, and a long run
// shows its progress and can be stopped. Once a run has ended, its report may bring the
// change prompt.
#include "app/CNelvoxDlg.h"
#include "app/CSTI.h"
#include "app/CheckProgressDlg.h"
#include "app/InputHold.h"

#include <QCheckBox>
#include <QEventLoop>
#include <QTimer>

void CNelvoxDlg::OnUpdateAllNow()
{
    m_scheduler.startUpdateAll();
}

void CNelvoxDlg::OnTimer()
{
    if (m_ended)
        return;
    m_scheduler.startTick();
}

QString CNelvoxDlg::DownloadFirstSnapshot(const QString& address)
{
    return RunChecks([&] {
        return m_scheduler.startFirstSnapshot(address);
    }).firstSnapshotStamps.value(address, QStringLiteral("Never"));
}

int CNelvoxDlg::ExecHoldingTicks(QDialog& dialog)
{
    CheckScheduler::Hold hold(m_scheduler);
    return dialog.exec();
}

RunReport CNelvoxDlg::RunChecks(const std::function<bool()>& start)
{
    RunReport report;
    bool ended = false;
    QEventLoop loop;
    // Connected for as long as the loop lives.
    connect(&m_scheduler, &CheckScheduler::finished, &loop, [&](const RunReport& finished) {
        report = finished;
        ended = true;
        loop.quit();
    });
    if (start() && !ended)
        loop.exec();
    return report;
}

void CNelvoxDlg::onChecksFinished(const RunReport& report)
{
    showFailures();
    if (m_quitRequested) {
        // Quit came during the run: the program ends now, or once the command that waits
        // for the run has ended, without asking anything.
        if (m_commandDepth == 0) {
            m_quitRequested = false;
            RunCommand([this] { OnOK(); });
        }
        return;
    }
    // The prompt comes after Update All Now even with the notification box cleared: the user
    // asked for that check. It opens from the event loop once the run's last slot has
    // returned, never inside the run.
    if (!report.anyChanged || m_ended)
        return;
    ++m_promptsPending;
    QTimer::singleShot(0, this, [this] {
        if (!m_quitRequested && !m_ended)
            RunCommand([this] { NotifyChanges(); });
        --m_promptsPending;
    });
}

void CNelvoxDlg::connectScheduler()
{
    connect(m_chkNotify, &QCheckBox::toggled, &m_scheduler, &CheckScheduler::setChecksEnabled);
    connect(&m_scheduler, &CheckScheduler::runStarted, this, [this] {
        m_inputHold.emplace(*this, [this] { return static_cast<const QWidget*>(m_progress.get()); });
        m_longRun = false;
        m_longRunTimer.start(longRunDelayMs);
    });
    connect(&m_scheduler, &CheckScheduler::progress, this, [this] { updateProgressDisplay(); });
    connect(&m_scheduler, &CheckScheduler::runEnded, this, [this] {
        m_longRunTimer.stop();
        m_longRun = false;
        if (m_progress)
            m_progress->hide();
        m_trayIcon->SetProgressText(QString());
        m_inputHold.reset();
    });
    connect(&m_scheduler, &CheckScheduler::saveFailed, this, &CNelvoxDlg::ShowError);
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
    // Rows that come and go change the count.
    connect(&m_favorites, &QAbstractItemModel::rowsRemoved, this, &CNelvoxDlg::showFailures);
    connect(&m_favorites, &QAbstractItemModel::rowsInserted, this, &CNelvoxDlg::showFailures);
    m_longRunTimer.setSingleShot(true);
    connect(&m_longRunTimer, &QTimer::timeout, this, [this] {
        m_longRun = true;
        updateProgressDisplay();
    });
}

void CNelvoxDlg::showFailures()
{
    m_failureMarks.refresh();
    m_trayIcon->SetFailingCount(m_scheduler.states().failingCount(m_favorites));
}

CheckProgressDlg* CNelvoxDlg::progressDialog() const
{
    return m_progress && m_progress->isVisible() ? m_progress.get() : nullptr;
}

void CNelvoxDlg::updateProgressDisplay()
{
    if (!m_scheduler.isRunning() || !m_longRun)
        return;
    const int done = m_scheduler.done();
    const int total = m_scheduler.total();
    m_trayIcon->SetProgressText(QStringLiteral("checking %1 of %2").arg(done).arg(total));
    if (isVisible() && !isMinimized()) {
        if (!m_progress) {
            m_progress = std::make_unique<CheckProgressDlg>(this);
            connect(m_progress.get(), &CheckProgressDlg::stopRequested, &m_scheduler, &CheckScheduler::stop);
        }
        m_progress->setProgress(done, total);
        if (!m_progress->isVisible()) {
            m_progress->show();
            m_progress->raise();
            m_progress->activateWindow();
        }
    } else if (m_progress) {
        // Hidden in the tray, the window shows nothing; the tip tells how far the run is.
        m_progress->hide();
    }
}

void CNelvoxDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    updateProgressDisplay();
}

void CNelvoxDlg::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    updateProgressDisplay();
}
