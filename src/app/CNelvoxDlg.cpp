// The main window's start-up, its keys, its close path and the dispatch of its commands.
#include "app/CNelvoxDlg.h"

#include "app/CAboutDlg.h"
#include "app/CSTI.h"
#include "app/CheckSession.h"
#include "app/FavoritesView.h"
#include "app/HelpPage.h"
#include "app/TrayPresence.h"
#include "platform/Version.h"
#include "store/FavoritesFile.h"
#include "ui_CNelvoxDlg.h"
#include "widgets/CaptionFit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QScreen>
#include <QTreeView>

#include <algorithm>

// The icons and the help page live in the GUI library's resources.
static void initWindowResources()
{
    Q_INIT_RESOURCE(nelvox);
}

CNelvoxDlg::CNelvoxDlg(const WindowOptions& options, QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CNelvoxDlg>())
{
    if (options.now)
        m_scheduler.transferOptions().now = options.now;
    m_ui->setupUi(this);
    m_runner.setWaiting([this] { return m_commands.isWaiting(); });
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
    initWindowResources();
    m_tray = std::make_unique<TrayPresence>(this, m_favorites, options.trayAvailable);
    m_trayIcon = &m_tray->icon();
    m_hIcon.addFile(QStringLiteral(":/icons/nelvox-16.png"));
    m_hIcon.addFile(QStringLiteral(":/icons/nelvox-32.png"));

    FitCaptionsToFont(this);

    m_view = new FavoritesView(m_listFavorites, &m_model);
    connect(m_view, &FavoritesView::clicked, this, &CNelvoxDlg::OnClickList);
    connect(m_view, &FavoritesView::showChangesRequested, this,
        [this](int row) { RunCommand([this, row] { OnShowChanges(row); }); });
    connect(m_view, &FavoritesView::importRequested, this, [this] { runLater([this] { OnImportBookmarks(); }); });
    connect(m_view, &FavoritesView::exportRequested, this, [this] { runLater([this] { OnExportFavorites(); }); });
    m_session = std::make_unique<CheckSession>(*this, m_scheduler, m_favorites, m_model, *m_trayIcon);

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
        if (!isCommandUnderWay())
            RunCommand([this] { OnUpdateAllNow(); });
    });
    connect(m_trayIcon, &CSTI::aboutRequested, this, [this] { RunCommand([this] { OnAbout(); }); });
    connect(m_trayIcon, &CSTI::quitRequested, this, &CNelvoxDlg::OnQuit);
    // The desktop ends its session: what the favorites hold is saved, as on Quit.
    connect(qApp, &QGuiApplication::commitDataRequest, this, &CNelvoxDlg::OnQuit);
    connectScheduler();
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

    m_chkNotify->setChecked(true);
    if (LoadFavorites(m_favorites))
        SortFavorites(m_favorites);
    m_scheduler.loadStates();
    m_session->showFailures();
    if (!m_scheduler.loadRules()) {
        ShowError(tr("The rules file \"%1\" cannot be read: until it can, every favorite is checked by "
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
    m_commands.save();
    m_ended = true;
    m_scheduler.stopTicks();
    hide();
    emit ended();
}

void CNelvoxDlg::OnQuit()
{
    if (m_ended)
        return;
    if (!isCommandUnderWay() && !m_scheduler.isRunning()) {
        RunCommand([this] { OnOK(); });
        return;
    }
    // A command or a run is under way: it is brought to its end, keeping what it has found, and the
    // program ends after it.
    m_runner.requestQuit();
    m_scheduler.stop();
    closeModalDialogs();
}

void CNelvoxDlg::closeModalDialogs()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(widget);
        if (dialog && dialog != this && dialog != m_session->progressWindow() && dialog->isVisible()
            && dialog->isModal())
            dialog->reject();
    }
}

void CNelvoxDlg::OnClickList()
{
    const bool any = m_view->hasSelection();
    m_btnEdit->setEnabled(any);
    m_btnDelete->setEnabled(any);
    m_btnVisit->setEnabled(any);
}

std::vector<int> CNelvoxDlg::GetSelectedRows() const
{
    return m_view->selectedRows();
}

void CNelvoxDlg::OnHelp()
{
    const QUrl page = HelpPageUrl();
    if (!page.isValid())
        ShowError(tr("Nelvox could not find its help page."));
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
    menu.addAction(tr("&About Nelvox..."), this, [this] { RunCommand([this] { OnAbout(); }); });
    menu.exec(event->globalPos());
}

void CNelvoxDlg::OnTrayClick()
{
    m_tray->OnTrayClick();
}

void CNelvoxDlg::OnTimer()
{
    if (!m_ended)
        m_scheduler.startTick();
}

void CNelvoxDlg::setLongRunDelay(int ms)
{
    m_session->setLongRunDelay(ms);
}

CheckProgressDlg* CNelvoxDlg::progressDialog() const
{
    return m_session->progressDialog();
}

void CNelvoxDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_session->updateProgressDisplay();
}

void CNelvoxDlg::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    m_session->updateProgressDisplay();
}
