// The Import Bookmarks chooser: the tree is built bottom-up from the bookmark tree before it is
// shown, so a file of thousands of links costs no signal per item.
#include "commands/CImportDlg.h"
#include "commands/FavoriteCommands.h"

#include "platform/Version.h"
#include "store/Bookmarks.h"
#include "store/FavoritesList.h"
#include "store/Frequency.h"

#include "ui_CImportDlg.h"

#include <QHeaderView>
#include <QMessageBox>
#include <QSet>
#include <QTimer>
#include <QTreeWidgetItemIterator>

namespace {

// Column 1 of a link holds its address; its code letter, if it has one of its own, is kept here.
constexpr int kUpdatesRole = Qt::UserRole;

} // namespace

CImportDlg::CImportDlg(
    const QString& fileName, const BookmarkTree& tree, const FavoritesList& favorites, QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CImportDlg>())
    , m_favorites(favorites.count())
    , m_links(tree.linkCount())
{
    m_ui->setupUi(this);
    setWindowTitle(NelvoxCaption(tr("Import Bookmarks")));
    m_ui->labelFile->setText(tr("The bookmarks in \"%1\". The checked ones become favorites.").arg(fileName));
    QStringList notices;
    if (tree.isFlattened())
        notices << tr("Folders nested more than %1 deep are shown inside the folder at that depth.")
                       .arg(BookmarkTree::kMaxDepth);
    if (tree.isTruncated())
        notices << tr("Only the first %L1 folders and links of the file are shown.").arg(BookmarkTree::kMaxEntries);
    m_ui->labelNotice->setText(notices.join(QLatin1Char(' ')));
    m_ui->labelNotice->setVisible(!notices.isEmpty());

    QSet<QString> taken;
    for (const Favorite& row : favorites.rows())
        taken.insert(row.address);
    QSet<QString> listed;

    const std::vector<BookmarkEntry>& entries = tree.entries();
    std::vector<QTreeWidgetItem*> items(entries.size());
    std::vector<QList<QTreeWidgetItem*>> children(entries.size());
    QList<QTreeWidgetItem*> top;
    for (size_t i = 0; i < entries.size(); ++i) {
        const BookmarkEntry& entry = entries[i];
        auto* item = new QTreeWidgetItem;
        items[i] = item;
        (entry.parent < 0 ? top : children[static_cast<size_t>(entry.parent)]).append(item);
        if (entry.isFolder) {
            item->setText(0, entry.title);
            item->setToolTip(0, entry.title);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsAutoTristate);
            item->setCheckState(0, Qt::Checked);
            continue;
        }
        item->setText(0, entry.title.isEmpty() ? entry.address : entry.title);
        item->setToolTip(0, item->text(0));
        item->setText(1, entry.address);
        // A favorite keeps only its address; the bookmark's title stays in sight beside it.
        item->setToolTip(1, entry.title.isEmpty() ? entry.address : entry.address + QLatin1Char('\n') + entry.title);
        item->setData(1, kUpdatesRole, entry.updates);
        QString refusal = BookmarkRefusal(entry.address);
        if (refusal.isEmpty() && taken.contains(entry.address))
            refusal = tr("Already a favorite");
        if (refusal.isEmpty() && listed.contains(entry.address))
            refusal = tr("Listed earlier in this file");
        listed.insert(entry.address);
        if (refusal.isEmpty()) {
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            item->setCheckState(0, Qt::Checked);
            const int own = FrequencyFromCode(entry.updates);
            if (own != FREQ_NONE) {
                static const char* const kNames[]
                    = { QT_TR_NOOP("Hourly"), QT_TR_NOOP("Daily"), QT_TR_NOOP("Weekly"), QT_TR_NOOP("Monthly") };
                //: %1 is how often the bookmarks file says the page is checked: Hourly, Daily, ...
                item->setText(2, tr("%1, as exported").arg(tr(kNames[own - FREQ_HOURLY])));
                item->setToolTip(2, item->text(2));
            }
        } else {
            item->setFlags(Qt::ItemNeverHasChildren);
            item->setCheckState(0, Qt::Unchecked);
            item->setText(2, refusal);
            // The Note column is narrow; its whole text in the tip.
            item->setToolTip(2, refusal);
        }
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!children[i].isEmpty())
            items[i]->addChildren(children[i]);
    }
    QTreeWidget* view = m_ui->treeBookmarks;
    view->addTopLevelItems(top);
    view->expandAll();
    view->header()->resizeSection(0, 220);
    view->header()->resizeSection(1, 260);

    connect(view, &QTreeWidget::itemChanged, this, &CImportDlg::onItemChanged);
    connect(m_ui->okButton, &QPushButton::clicked, this, &CImportDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CImportDlg::reject);
    showCount();
}

CImportDlg::~CImportDlg() = default;

QTreeWidget* CImportDlg::tree() const
{
    return m_ui->treeBookmarks;
}

void CImportDlg::onItemChanged(QTreeWidgetItem* item, int column)
{
    // Checking a folder checks everything in it, the greyed links too; those stay unchecked.
    if (column == 0 && !(item->flags() & Qt::ItemIsEnabled) && item->checkState(0) != Qt::Unchecked)
        item->setCheckState(0, Qt::Unchecked);
    // A folder's click changes each of its links in turn: counted once they all have.
    if (!m_countDue) {
        m_countDue = true;
        QTimer::singleShot(0, this, [this] {
            m_countDue = false;
            showCount();
        });
    }
}

void CImportDlg::showCount()
{
    m_ui->labelCount->setText(
        tr("%L1 of %L2 bookmarks chosen").arg(static_cast<qsizetype>(chosen().size())).arg(m_links));
}

int CImportDlg::frequency() const
{
    if (m_ui->hourlyRadio->isChecked())
        return FREQ_HOURLY;
    if (m_ui->weeklyRadio->isChecked())
        return FREQ_WEEKLY;
    if (m_ui->monthlyRadio->isChecked())
        return FREQ_MONTHLY;
    return FREQ_DAILY;
}

std::vector<CImportDlg::Choice> CImportDlg::chosen() const
{
    std::vector<Choice> choices;
    const QString forAll = FrequencyCode(frequency());
    for (QTreeWidgetItemIterator it(m_ui->treeBookmarks); *it; ++it) {
        const QTreeWidgetItem* item = *it;
        if (item->text(1).isEmpty() || !(item->flags() & Qt::ItemIsEnabled) || item->checkState(0) != Qt::Checked)
            continue;
        const QString own = item->data(1, kUpdatesRole).toString();
        choices.push_back({ item->text(1), own.isEmpty() ? forAll : own });
    }
    return choices;
}

void CImportDlg::accept()
{
    if (m_favorites + static_cast<qsizetype>(chosen().size()) > FavoritesList::kMaxFavorites) {
        QMessageBox box(
            QMessageBox::Information, QStringLiteral("Nelvox"), FavoritesLimitMessage(), QMessageBox::Ok, this);
        box.exec();
        return;
    }
    QDialog::accept();
}
