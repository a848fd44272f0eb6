// The main window's start-up, its keys, its close path and the dispatch of its commands.
#include "app/CNelvoxDlg.h"

#include "app/CAboutDlg.h"
#include "app/CSTI.h"
#include "app/CaptionFit.h"
#include "app/CheckProgressDlg.h"
#include "app/CutOffCellTips.h"
#include "app/HelpPage.h"
#include "app/TrayPresence.h"
#include "platform/NelvoxError.h"
#include "platform/Version.h"
#include "store/DialogValues.h"
#include "store/FavoritesFile.h"
#include "ui_CNelvoxDlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QSet>
#include <QStyle>
#include <QTreeView>

#include <algorithm>
#include <cmath>

// The icons and the help page live in the GUI library's resources.
static void initResources()
{
    Q_INIT_RESOURCE(nelvox);
}

// The column widths suit the narrow font the window was laid out with. In a wider font the
// time of a "Last Updated" stamp would be cut off, so that column grows until a whole stamp
// shows and Web Site, whose long addresses are cut off anyway, gives up the same room.
static void setColumnWidths(QTreeView* list)
{
    int widths[FavoritesList::ColumnCount];
    for (int column = 0; column < FavoritesList::ColumnCount; ++column)
        widths[column] = FavoritesList::columnWidth(column);

    // An item view leaves this margin on each side of a cell's text.
    const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    const QFontMetricsF metrics(list->font());
    int stamp = 0;
    for (const QString& widest : { QStringLiteral("00/00/00 00:00 AM"), QStringLiteral("00/00/00 00:00 PM") })
        stamp = std::max(stamp, static_cast<int>(std::ceil(metrics.horizontalAdvance(widest))) + 2 * margin);
    const int grow = std::clamp(stamp - widths[FavoritesList::LastUpdated], 0, widths[FavoritesList::WebSite] / 2);
    widths[FavoritesList::LastUpdated] += grow;
    widths[FavoritesList::WebSite] -= grow;

    for (int column = 0; column < FavoritesList::ColumnCount; ++column)
        list->setColumnWidth(column, widths[column]);
}

CNelvoxDlg::CNelvoxDlg(QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CNelvoxDlg>())
{
    m_ui->setupUi(this);
    setWindowTitle(NelvoxCaption());
    // A main window of its own with a taskbar button: minimise box, no maximise box.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
        | Qt::WindowCloseButtonHint);
    m_btnUpdateAll = m_ui->btnUpdateAll;
    m_btnAdd = m_ui->btnAdd;
    m_chkNotify = m_ui->chkNotify;
    m_btnVisit = m_ui->btnVisit;
    m_btnDelete = m_ui->btnDelete;
    m_btnEdit = m_ui->btnEdit;
    m_listFavorites = m_ui->listFavorites;
    initResources();
    m_tray = std::make_unique<TrayPresence>(this, m_favorites);
    m_trayIcon = &m_tray->icon();
    m_hIcon.addFile(QStringLiteral(":/icons/nelvox-16.png"));
    m_hIcon.addFile(QStringLiteral(":/icons/nelvox-32.png"));

    FitCaptionsToFont(this);

    m_listFavorites->setModel(&m_failureMarks);
    // The list's own menu would shadow the window's; clicks anywhere in the list, empty
    // space included, run the list click handler.
    m_listFavorites->setContextMenuPolicy(Qt::PreventContextMenu);
    m_listFavorites->viewport()->installEventFilter(this);
    m_listFavorites->header()->setSectionsClickable(false);
    m_listFavorites->header()->setSectionsMovable(false);
    m_listFavorites->header()->setStretchLastSection(false);
    new CutOffCellTips(m_listFavorites);

    connect(m_ui->btnQuit, &QPushButton::clicked, this, [this] { RunCommand([this] { OnOK(); }); });
    connectCommand(m_btnAdd, &CNelvoxDlg::OnAddFavorite);
    connectCommand(m_btnEdit, &CNelvoxDlg::OnEditSelected);
    connectCommand(m_btnDelete, &CNelvoxDlg::OnDeleteSelected);
    connectCommand(m_btnVisit, &CNelvoxDlg::OnVisitSelected);
    connectCommand(m_btnUpdateAll, &CNelvoxDlg::OnUpdateAllNow);
    connectCommand(m_ui->btnHelp, &CNelvoxDlg::OnHelp);
    connect(m_trayIcon, &CSTI::clicked, this, [this] { RunCommand([this] { OnTrayClick(); }); });
    // Show Nelvox does what a click does.
    connect(m_trayIcon, &CSTI::showRequested, this, [this] { RunCommand([this] { OnTrayClick(); }); });
    // Update All Now from the tray waits for no command: while one is under way (a dialog of the
    // window open), the window's own button cannot be pressed either, and the item does nothing.
    connect(m_trayIcon, &CSTI::updateAllRequested, this, [this] {
        if (m_commandDepth == 0)
            RunCommand([this] { OnUpdateAllNow(); });
    });
    connect(m_trayIcon, &CSTI::aboutRequested, this, [this] { RunCommand([this] { OnAbout(); }); });
    connect(m_trayIcon, &CSTI::quitRequested, this, &CNelvoxDlg::OnQuit);
    // The desktop ends its session: what the favorites hold is saved, as on Quit.
    connect(qApp, &QGuiApplication::commitDataRequest, this, &CNelvoxDlg::OnQuit);
    connectScheduler();
    setUpChangesView();
    setAcceptDrops(true);

    OnInitDialog();
}

CNelvoxDlg::~CNelvoxDlg() = default;

void CNelvoxDlg::connectCommand(QPushButton* button, void (CNelvoxDlg::*handler)())
{
    connect(
        button, &QPushButton::clicked, this, [this, handler] { RunCommand([this, handler] { (this->*handler)(); }); });
}

void CNelvoxDlg::OnInitDialog()
{
    setWindowIcon(m_hIcon);
    setColumnWidths(m_listFavorites);

    g_nCurrentFrequency = FREQ_NONE;
    g_strCurrentUrl.clear();
    m_chkNotify->setChecked(true);
    if (LoadFavorites(m_favorites))
        SortFavorites(m_favorites);
    m_scheduler.loadStates();
    showFailures();
    if (!m_scheduler.loadRules()) {
        ShowError(QStringLiteral("The rules file \"%1\" cannot be read: until it can, every favorite is checked by "
                                 "its page length, and the file is left as it is.")
                      .arg(QString::fromLatin1(kRulesFileName)));
    }

    m_scheduler.armTimer();

    // Centred on the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    m_listFavorites->setFocus();

    m_tray->ShowTrayIcon();
}

void CNelvoxDlg::OnOK()
{
    if (m_ended)
        return;
    SaveFavoritesOrWarn();
    m_ended = true;
    m_scheduler.stopTicks();
    hide();
    emit ended();
}

void CNelvoxDlg::OnQuit()
{
    if (m_ended)
        return;
    if (m_commandDepth == 0 && !m_scheduler.isRunning()) {
        RunCommand([this] { OnOK(); });
        return;
    }
    // A command or a run is under way: it is brought to its end, keeping what it has found, and the
    // program ends after it.
    m_quitRequested = true;
    m_scheduler.stop();
    closeModalDialogs();
}

void CNelvoxDlg::closeModalDialogs()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(widget);
        if (dialog && dialog != this && dialog != m_progress.get() && dialog->isVisible() && dialog->isModal())
            dialog->reject();
    }
}

void CNelvoxDlg::SaveFavoritesOrWarn()
{
    try {
        SaveFavorites(m_favorites);
        m_scheduler.rules().save(m_favorites);
    } catch (const NelvoxError& error) {
        ShowError(error.message());
    }
}

void CNelvoxDlg::ShowError(const QString& message)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Nelvox"), message, QMessageBox::Ok, boxOwner());
    box.exec();
}

QWidget* CNelvoxDlg::boxOwner()
{
    return isVisible() && !isMinimized() ? this : nullptr;
}

void CNelvoxDlg::RunCommand(const std::function<void()>& command)
{
    ++m_commandDepth;
    try {
        command();
    } catch (const NelvoxError& error) {
        ShowError(error.message());
    } catch (const std::exception& error) {
        ShowError(QString::fromLocal8Bit(error.what()));
    }
    --m_commandDepth;
    if (m_commandDepth == 0 && m_quitRequested) {
        m_quitRequested = false;
        RunCommand([this] { OnOK(); });
    }
}

void CNelvoxDlg::OnClickList()
{
    const bool any = m_listFavorites->selectionModel() && m_listFavorites->selectionModel()->hasSelection();
    m_btnEdit->setEnabled(any);
    m_btnDelete->setEnabled(any);
    m_btnVisit->setEnabled(any);
}

std::vector<int> CNelvoxDlg::GetSelectedRows() const
{
    QSet<int> rows;
    if (const QItemSelectionModel* selection = m_listFavorites->selectionModel()) {
        for (const QModelIndex& index : selection->selectedIndexes())
            rows.insert(index.row());
    }
    std::vector<int> sorted(rows.begin(), rows.end());
    std::sort(sorted.begin(), sorted.end(), std::greater<>());
    return sorted;
}

void CNelvoxDlg::OnHelp()
{
    const QUrl page = HelpPageUrl();
    if (!page.isValid())
        ShowError(QStringLiteral("Nelvox could not find its help page."));
    else if (!QDesktopServices::openUrl(page))
        // No browser took it: the page built into the program, in a window of its own.
        ShowHelpWindow(boxOwner());
}

void CNelvoxDlg::OnAbout()
{
    CAboutDlg about;
    about.exec();
}

void CNelvoxDlg::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter presses a focused push button; anywhere else it saves and quits. The
        // buttons are not auto-default, or Qt would show one of them as the default.
        if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
            if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
                button->click();
                return;
            }
            RunCommand([this] { OnOK(); });
            return;
        }
        break;
    case Qt::Key_Escape:
        if (event->modifiers() == Qt::NoModifier) {
            RunCommand([this] { OnAddFavorite(); });
            return;
        }
        break;
    default:
        break;
    }
    QDialog::keyPressEvent(event);
}

void CNelvoxDlg::reject() { }

void CNelvoxDlg::closeEvent(QCloseEvent* event)
{
    OnQuit();
    event->accept();
}

void CNelvoxDlg::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.setSeparatorsCollapsible(false);
    menu.addSeparator();
    menu.addAction(QStringLiteral("&About Nelvox..."), this, [this] { RunCommand([this] { OnAbout(); }); });
    menu.exec(event->globalPos());
}

bool CNelvoxDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_listFavorites->viewport() && event->type() == QEvent::MouseButtonRelease) {
        // The view settles its selection while it handles the release; look after it.
        QMetaObject::invokeMethod(
            this, [this] { OnClickList(); }, Qt::QueuedConnection);
    }
    return QDialog::eventFilter(watched, event);
}

void CNelvoxDlg::OnTrayClick()
{
    m_tray->OnTrayClick();
}
