// The Add or Edit Favorite dialog: the user types a favorite's address and chooses how often
// it is checked, and what counts as a change of its page. It touches no list and no file: it
// opens on what it is shown and hands back what the user chose.
#pragma once

#include "store/ChangeRules.h"
#include "store/Frequency.h"

#include <QDialog>

#include <memory>
#include <optional>

class QCloseEvent;
namespace Ui {
class CAddEditDlg;
}

// A favorite as the dialog shows it and as the user leaves it.
struct FavoriteChoice {
    QString address;
    // FREQ_HOURLY to FREQ_MONTHLY after OK; the dialog opens with none chosen, whatever it is shown.
    int frequency = FREQ_NONE;
    ChangeRule rule;
};

class CAddEditDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAddEditDlg(QWidget* parent = nullptr);
    ~CAddEditDlg() override;

    // What the next showing opens on: its address and its rule.
    void setShown(const FavoriteChoice& shown) { m_shown = shown; }
    // What the user chose, after OK; none after Cancel or the close box, or before the dialog ran.
    const std::optional<FavoriteChoice>& choice() const { return m_choice; }

    // Every showing starts a fresh run from what it is shown, also when one object is run again.
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
    // A box over the dialog, which stays open.
    void showMessage(const QString& message);
    void showRule(const ChangeRule& rule);
    // The options of Page text apply only under it.
    void enableRuleOptions();
    // The rule as the user set it; none, after saying why, when a pattern or the part of the
    // page cannot be used.
    std::optional<ChangeRule> chosenRule();
    void refuseRule(const QString& message, QWidget* field);

    std::unique_ptr<Ui::CAddEditDlg> m_ui;
    FavoriteChoice m_shown;
    // The frequency of the last radio button clicked in this run.
    int m_frequency = FREQ_NONE;
    std::optional<FavoriteChoice> m_choice;
};
