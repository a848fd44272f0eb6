// The Changes window: what changed between a favorite's previous copy and its snapshot, as
// the page's text or its source, removed lines in red and added lines in green.
#pragma once

#include "update/PageChanges.h"

#include <QDialog>

#include <memory>

namespace Ui {
class CChangesDlg;
}

class CChangesDlg : public QDialog {
    Q_OBJECT
public:
    // Reads both copies of the favorite at `address`; throws FileError when one is there but
    // cannot be read. The window deletes itself when closed.
    explicit CChangesDlg(const QString& address, QWidget* parent = nullptr);
    ~CChangesDlg() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showChanges();
    // Fits the address into its line, cut in the middle where it is too long.
    void elideAddress();
    void showDiff(const PageDiff& diff);

    std::unique_ptr<Ui::CChangesDlg> m_ui;
    PageChanges m_changes;
    QString m_address;
};
