// The Import Bookmarks chooser: the folders and links of a bookmarks file as a tree with check
// boxes, and one frequency for the new favorites. Links that cannot become favorites (already
// one, listed twice, an address Nelvox cannot fetch) are greyed with the reason. It touches no
// list and no file; the command reads what was chosen after OK.
#pragma once

#include <QDialog>
#include <QString>

#include <memory>
#include <vector>

class BookmarkTree;
class FavoritesList;
class QTreeWidget;
class QTreeWidgetItem;
namespace Ui {
class CImportDlg;
}

class CImportDlg : public QDialog {
    Q_OBJECT
public:
    struct Choice {
        QString address;
        // The frequency code letter: the link's own, or the one chosen for all.
        QString updates;
    };

    CImportDlg(
        const QString& fileName, const BookmarkTree& tree, const FavoritesList& favorites, QWidget* parent = nullptr);
    ~CImportDlg() override;

    // The checked links in the file's order.
    std::vector<Choice> chosen() const;
    QTreeWidget* tree() const;
    // OK refuses a choice that would pass the list's limit, and says so as Add does.
    void accept() override;

private:
    void onItemChanged(QTreeWidgetItem* item, int column);
    void showCount();
    int frequency() const;

    std::unique_ptr<Ui::CImportDlg> m_ui;
    int m_favorites = 0;
    int m_links = 0;
    bool m_countDue = false;
};
