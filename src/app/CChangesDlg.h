// The Changes window: what changed since the user last looked at a favorite (the copy of its
// history that was its snapshot then, against the newest), or else between its previous copy
// and its snapshot, as the page's text or its source, removed lines in red and added lines in
// green; any two copies of the history picked by their time; the favorite's rule for what
// counts as a change, and a stricter one when the change shown would not have counted under
// it. Either copy shown opens in the browser or is saved to a file.
#pragma once

#include "check/PageChanges.h"
#include "check/PageHistory.h"

#include <QDialog>

#include <memory>

class ChangesView;

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
    // What the window shows first: the changes since the user last looked, where the history
    // has them, else the snapshot files' last change.
    PageChanges firstChanges(const ChangeRule& rule);
    // The copies of the history in the picker, the pair compared chosen.
    void fillPicker();
    // Compares the copies the picker shows.
    void comparePicked();
    void showTimes();
    void showChanges();
    // Fits the address into its line, cut in the middle where it is too long.
    void elideAddress();
    void showRule();
    void takeOffer();
    // The line `line` of the text, found changing by itself, counts again: what the rule
    // learned of it is forgotten, and the pair is compared anew.
    void countAgain(const QString& line);
    // Compares the pair shown again, under the rule as it is now.
    void compareAgain();
    // The page of the earlier or the later copy shown, and a name for its file.
    QByteArray pageShown(bool later) const;
    QString fileNameShown(bool later) const;
    void openCopy(bool later);
    void saveCopy(bool later);
    void showError(const QString& message);

    std::unique_ptr<Ui::CChangesDlg> m_ui;
    QString m_address;
    PageHistory m_history;
    // How many copies of the history lie between the two compared; -1 for the snapshot files.
    int m_between = -1;
    // The copies compared, when they come from the history.
    std::optional<qint64> m_earlierCopy;
    std::optional<qint64> m_laterCopy;
    PageChanges m_changes;
    ChangesView* m_view = nullptr;
    ChangeRule m_rule;
    QString m_lastFailure;
};
