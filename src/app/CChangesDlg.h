// The Changes window: what changed since the user last looked at a favorite (the copy of its
// history that was its snapshot then, against the newest), or else between its previous copy
// and its snapshot, as the page's text or its source, removed lines in red and added lines in green; the favorite's
// rule for what counts as a change, and a stricter one when the latest change would not have
// counted under it.
#pragma once

#include "check/PageChanges.h"

#include <QDialog>

#include <memory>

namespace Ui {
class CChangesDlg;
}

class CChangesDlg : public QDialog {
    Q_OBJECT
public:
    // Reads both copies of the favorite at `address` and compares them under `rule`; throws
    // FileError when one is there but cannot be read. `lastFailure` is why the favorite's last
    // check failed, if it did. The window deletes itself when closed.
    explicit CChangesDlg(const QString& address, const ChangeRule& rule = {}, const QString& lastFailure = QString(),
        QWidget* parent = nullptr);
    ~CChangesDlg() override;

signals:
    // The user took the stricter rule offered for the favorite at `address`.
    void ruleChosen(const QString& address, const ChangeRule& rule);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showChanges();
    // Fits the address into its line, cut in the middle where it is too long.
    void elideAddress();
    void showDiff(const PageDiff& diff);
    void showRule();
    void takeOffer();

    std::unique_ptr<Ui::CChangesDlg> m_ui;
    // How many copies of the history lie between the two compared; -1 for the snapshot files.
    int m_between = -1;
    PageChanges m_changes;
    QString m_address;
    ChangeRule m_rule;
    QString m_lastFailure;
};
