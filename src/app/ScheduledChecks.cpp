// The hourly tick: with the notification box checked, every favorite that is due at the
// tick's time is checked, the downloads side by side; the list is saved at every tick.
#include "app/CNelvoxDlg.h"
#include "store/DialogValues.h"
#include "platform/Clock.h"
#include "update/CheckRun.h"
#include "update/Schedule.h"

#include <QCheckBox>

void CNelvoxDlg::OnTimer()
{
    if (m_ended)
        return;
    // While a run is under way or the Add or Edit dialog is open, the tick waits for them.
    if (m_run || m_dialogDepth > 0) {
        m_tickPending = true;
        return;
    }
    m_tickPending = false;

    bool anyChanged = false;
    if (m_chkNotify->isChecked()) {
        // A session that cannot be created ends the tick here, before the timer is armed
        // again and before the save; the window's dispatch tells the user.
        CheckRun run(m_favorites);
        // Which rows are due is settled at the tick's time, before any download, so that a
        // slow page cannot make the rows after it miss their hour.
        const QDateTime tickTime = Clock::GetCurrentTime();
        for (int row = 0; row < m_favorites.count(); ++row) {
            g_strCurrentUrl = m_favorites.text(row, FavoritesList::WebSite);
            m_tickFrequency = ScheduledFrequency(m_favorites.text(row, FavoritesList::Updates), m_tickFrequency);
            if (IsDue(m_tickFrequency, tickTime))
                run.addCheck(row);
        }
        RunChecks(run);
        anyChanged = run.anyChanged();
    }

    // Armed before the prompt, so that a prompt left open does not hold up the next tick.
    m_timer.start(kCheckIntervalMs);
    if (anyChanged && !m_quitRequested)
        NotifyChanges();
    SaveFavoritesOrWarn();
}
