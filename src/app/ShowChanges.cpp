// A favorite's Changes window, opened from its row in the list.
#include "app/CNelvoxDlg.h"

#include "app/CChangesDlg.h"
#include "platform/NelvoxError.h"

void CNelvoxDlg::OnShowChanges(int row)
{
    if (row < 0 || row >= m_favorites.count())
        return;
    // Modeless and on its own: the user may keep several open while Nelvox works on.
    const QString address = m_favorites.at(row).address;
    const FavoriteState* state = m_scheduler.states().find(address);
    auto* changes = new CChangesDlg(
        address, m_scheduler.rules().rule(address), state && state->isFailing() ? state->failure : QString(), this);
    connect(changes, &CChangesDlg::ruleChosen, this, [this](const QString& address, const ChangeRule& rule) {
        m_scheduler.rules().setRule(address, rule);
        try {
            m_scheduler.rules().save(m_favorites);
        } catch (const NelvoxError& error) {
            ShowError(error.message());
        }
    });
    // What the window shows is what the user has seen: the next changes are compared with it.
    m_scheduler.history().markLooked(address);
    changes->show();
    changes->raise();
    changes->activateWindow();
}
