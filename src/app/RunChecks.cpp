// The main window while a run of checks is under way: it keeps repainting and the tray icon
// keeps answering, the user's commands wait, a long run shows its progress and can be
// stopped, and a tick that falls meanwhile runs after it.
#include "app/BusyCursor.h"
#include "app/CNelvoxDlg.h"
#include "app/CSTI.h"
#include "app/CheckProgressDlg.h"
#include "platform/Clock.h"
#include "platform/NelvoxError.h"
#include "update/CheckRun.h"

#include <QApplication>
#include <QEventLoop>

void CNelvoxDlg::RunChecks(CheckRun& run)
{
    m_run = &run;
    BusyCursor busy;
    qApp->installEventFilter(this);
    m_longRun = false;
    m_longRunTimer.start(longRunDelayMs);
    const QMetaObject::Connection progress
        = connect(&run, &CheckRun::progress, this, [this] { updateProgressDisplay(); });

    QEventLoop loop;
    connect(&run, &CheckRun::finished, &loop, &QEventLoop::quit);
    run.start();
    if (!run.isFinished())
        loop.exec();

    disconnect(progress);
    m_longRunTimer.stop();
    m_longRun = false;
    if (m_progress)
        m_progress->hide();
    m_trayIcon->SetProgressText(QString());
    qApp->removeEventFilter(this);
    m_run = nullptr;
    runPendingTick();
}

QString CNelvoxDlg::DownloadFirstSnapshot(const QString& address)
{
    try {
        // A session that cannot even be created is one more failed download.
        CheckRun run(m_favorites);
        const int job = run.addFirstSnapshot(address);
        RunChecks(run);
        if (run.downloaded(job))
            return Clock::FormatTimeStamp(Clock::GetCurrentTime());
    } catch (const NelvoxError&) {
    }
    return QStringLiteral("Never");
}

int CNelvoxDlg::ExecHoldingTicks(QDialog& dialog)
{
    ++m_dialogDepth;
    const int result = dialog.exec();
    --m_dialogDepth;
    runPendingTick();
    return result;
}

CheckProgressDlg* CNelvoxDlg::progressDialog() const
{
    return m_progress && m_progress->isVisible() ? m_progress.get() : nullptr;
}

void CNelvoxDlg::updateProgressDisplay()
{
    if (!m_run || !m_longRun || m_run->isFinished())
        return;
    const int done = m_run->done();
    const int total = m_run->total();
    m_trayIcon->SetProgressText(QStringLiteral("checking %1 of %2").arg(done).arg(total));
    if (isVisible() && !isMinimized()) {
        if (!m_progress) {
            m_progress = std::make_unique<CheckProgressDlg>(this);
            connect(m_progress.get(), &CheckProgressDlg::stopRequested, this, [this] {
                if (m_run)
                    m_run->stop();
            });
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

bool CNelvoxDlg::isHeldOff(QObject* receiver) const
{
    auto* widget = qobject_cast<QWidget*>(receiver);
    if (!widget)
        return false;
    // The window itself, its controls and every dialog it owns, but for the progress display.
    for (QWidget* window = widget->window(); window;
         window = window->parentWidget() ? window->parentWidget()->window() : nullptr) {
        if (window == m_progress.get())
            return false;
        if (window == this)
            return true;
    }
    return false;
}

void CNelvoxDlg::runPendingTick()
{
    if (!m_tickPending || m_run || m_dialogDepth > 0)
        return;
    QTimer::singleShot(0, this, [this] {
        // A tick of the timer may have come first and done the work.
        if (m_tickPending)
            RunCommand([this] { OnTimer(); });
    });
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
