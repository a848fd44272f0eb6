// The change notification: the tray icon's alert and the question whether to show the
// favorites that changed.
#include "app/CNelvoxDlg.h"
#include "app/CSTI.h"

#include <QMessageBox>
#include <QTimer>

void CNelvoxDlg::NotifyChanges()
{
    // Flipped without a look: an alert left on by an earlier No goes off here.
    m_trayIcon->ToggleTrayAlert();

    // Without an owner on screen the box must put itself in front: the user may be
    // working in another program while Nelvox sits in the tray.
    QWidget* owner = boxOwner();
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Nelvox"),
        QStringLiteral("Some of your Nelvox favorites have been changed since your last update. "
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
