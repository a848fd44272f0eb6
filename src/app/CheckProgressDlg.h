// The progress of a long run of checks over the main window: how many favorites are done,
// and Stop (or Escape), which ends the run with the results found so far.
#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class CheckProgressDlg;
}

class CheckProgressDlg : public QDialog {
    Q_OBJECT
public:
    explicit CheckProgressDlg(QWidget* parent);
    ~CheckProgressDlg() override;

    // "Checking favorites: 37 of 300"
    void setProgress(int done, int total);
    QString text() const;

signals:
    void stopRequested();

public slots:
    // Escape and the close box stop the run as Stop does; the run's end closes the dialog.
    void reject() override;

private:
    std::unique_ptr<Ui::CheckProgressDlg> m_ui;
};
