// The hourly tick: with the notification box checked, every favorite that is due at the
// tick's time is checked, all in one internet session; the list is saved at every tick.
#include "app/BusyCursor.h"
#include "app/CNelvoxDlg.h"
#include "commands/DialogValues.h"
#include "platform/Clock.h"
#include "platform/InternetSession.h"
#include "platform/NelvoxError.h"
#include "update/PageCheck.h"
#include "update/Schedule.h"

#include <QCheckBox>

void CNelvoxDlg::OnTimer()
{
    bool anyChanged = false;
    if (m_chkNotify->isChecked()) {
        BusyCursor busy;
        // A session that cannot be created ends the tick here, before the timer is armed
        // again and before the save; the window's dispatch tells the user.
        InternetSession session;
        QDateTime tickTime = Clock::GetCurrentTime();
        for (int row = 0; row < m_favorites.count(); ++row) {
            g_strCurrentUrl = m_favorites.text(row, FavoritesList::WebSite);
            m_tickFrequency = ScheduledFrequency(m_favorites.text(row, FavoritesList::Updates), m_tickFrequency);
            if (!IsDue(m_tickFrequency, tickTime))
                continue;
            try {
                if (CheckPage(session, m_favorites, row, g_strCurrentUrl)) {
                    anyChanged = true;
                    // The rows after this one are due by the time of its stamp.
                    tickTime = Clock::GetCurrentTime();
                }
            } catch (const NelvoxError&) {
                // A favorite that cannot be checked keeps its cells; the user is not told.
            }
        }
        session.Close();
    }

    // Armed before the prompt, so that a prompt left open does not hold up the next tick.
    m_timer.start(kCheckIntervalMs);
    if (anyChanged)
        NotifyChanges();
    SaveFavoritesOrWarn();
}
