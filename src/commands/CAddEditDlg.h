// The Add or Edit Favorite dialog: the user types a favorite's address and chooses how often
// it is checked, and what counts as a change of its page. It touches no list and no file; its
// results are the shared dialog values.
#pragma once

#include "store/ChangeRules.h"

#include <QDialog>

#include <memory>
#include <optional>

class QCloseEvent;
namespace Ui {
class CAddEditDlg;
}

class CAddEditDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAddEditDlg(QWidget* parent = nullptr);
    ~CAddEditDlg() override;

    // Every showing starts a fresh run from g_strCurrentUrl, also when one object is run again.
    void setVisible(bool visible) override;
    // Whoever asks for OK or Cancel (a button, Enter, Escape, a caller) goes through the
    // dialog's own rules.
    void accept() override;
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

    void OnInitDialog();
    void OnHourly();
    void OnDaily();
    void OnWeekly();
    void OnMonthly();
    void OnOK();
    void OnCancel();
    void OnClose(QCloseEvent* event);

private:
    void chooseFrequency(int frequency);
    void refuseAddress(const QString& message);
    void showRule(const ChangeRule& rule);
    // The options of Page text apply only under it.
    void enableRuleOptions();
    // The rule as the user set it; none, after saying why, when a pattern or the part of the
    // page cannot be used.
    std::optional<ChangeRule> chosenRule();
    void refuseRule(const QString& message, QWidget* field);

    std::unique_ptr<Ui::CAddEditDlg> m_ui;
};
