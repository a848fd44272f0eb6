// How the main window follows a run of checks.
#include "app/CheckSession.h"

#include "app/CSTI.h"
#include "app/CheckProgressDlg.h"
#include "app/FavoritesModel.h"
#include "check/CheckScheduler.h"
#include "store/FavoritesList.h"

#include <QCoreApplication>
#include <QWidget>

CheckSession::CheckSession(
    QWidget& window, CheckScheduler& scheduler, const FavoritesList& favorites, FavoritesModel& marks, CSTI& trayIcon)
    : m_window(window)
    , m_scheduler(scheduler)
    , m_favorites(favorites)
    , m_marks(marks)
    , m_trayIcon(trayIcon)
{
    connect(&m_scheduler, &CheckScheduler::runStarted, this, [this] {
        m_inputHold.emplace(m_window, [this] { return progressWindow(); });
        m_longRun = false;
        m_longRunTimer.start(m_longRunDelayMs);
    });
    connect(&m_scheduler, &CheckScheduler::progress, this, &CheckSession::updateProgressDisplay);
    connect(&m_scheduler, &CheckScheduler::runEnded, this, [this] {
        m_longRunTimer.stop();
        m_longRun = false;
        if (m_progress)
            m_progress->hide();
        m_trayIcon.SetProgressText(QString());
        m_inputHold.reset();
    });
    connect(&m_scheduler, &CheckScheduler::finished, this, &CheckSession::showFailures);
    // Rows that come and go change the count.
    connect(&m_favorites, &QAbstractItemModel::rowsRemoved, this, &CheckSession::showFailures);
    connect(&m_favorites, &QAbstractItemModel::rowsInserted, this, &CheckSession::showFailures);
    m_longRunTimer.setSingleShot(true);
    connect(&m_longRunTimer, &QTimer::timeout, this, [this] {
        m_longRun = true;
        updateProgressDisplay();
    });
}

CheckSession::~CheckSession() = default;

void CheckSession::showFailures()
{
    m_marks.refresh();
    m_trayIcon.SetFailingCount(m_scheduler.states().failingCount(m_favorites));
}

CheckProgressDlg* CheckSession::progressDialog() const
{
    return m_progress && m_progress->isVisible() ? m_progress.get() : nullptr;
}

const QWidget* CheckSession::progressWindow() const
{
    return m_progress.get();
}

void CheckSession::updateProgressDisplay()
{
    if (!m_scheduler.isRunning() || !m_longRun)
        return;
    const int done = m_scheduler.done();
    const int total = m_scheduler.total();
    m_trayIcon.SetProgressText(
        QCoreApplication::translate("CSTI", "checking %1 of %2", "in the tray icon's tip, after the caption")
            .arg(done)
            .arg(total));
    if (m_window.isVisible() && !m_window.isMinimized()) {
        if (!m_progress) {
            m_progress = std::make_unique<CheckProgressDlg>(&m_window);
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
