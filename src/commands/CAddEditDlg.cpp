// The Add or Edit Favorite dialog's rules: OK only after a frequency was chosen and only with
// an address, every other way out cancels.
#include "commands/CAddEditDlg.h"

#include "app/CaptionFit.h"
#include "platform/BrowserAddress.h"
#include "store/DialogValues.h"

#include "ui_CAddEditDlg.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMessageBox>
#include <QRadioButton>

#include <algorithm>

namespace {

const QString kApplicationTitle = QStringLiteral("Nelvox");

// The favorites file separates an address from its code letter by a blank, so an address
// with white space in it would not read back as the same favorite.
bool containsSpace(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSpace(); });
}

// The schemes that the page check can download; an address without a scheme is fetched as http.
bool isFetchable(const QString& address)
{
    const QString scheme = AddressScheme(address);
    return scheme.isEmpty() || scheme == u"http" || scheme == u"https" || scheme == u"file";
}

} // namespace

CAddEditDlg::CAddEditDlg(QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CAddEditDlg>())
{
    m_ui->setupUi(this);
    FitCaptionsToFont(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    connect(m_ui->okButton, &QPushButton::clicked, this, &CAddEditDlg::OnOK);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CAddEditDlg::OnCancel);
    // clicked, not toggled: the frequency comes only from the user's choice in this run,
    // never from the unchecking at the start of a run.
    connect(m_ui->hourlyRadio, &QRadioButton::clicked, this, &CAddEditDlg::OnHourly);
    connect(m_ui->dailyRadio, &QRadioButton::clicked, this, &CAddEditDlg::OnDaily);
    connect(m_ui->weeklyRadio, &QRadioButton::clicked, this, &CAddEditDlg::OnWeekly);
    connect(m_ui->monthlyRadio, &QRadioButton::clicked, this, &CAddEditDlg::OnMonthly);
}

CAddEditDlg::~CAddEditDlg() = default;

void CAddEditDlg::setVisible(bool visible)
{
    if (visible && !isVisible())
        OnInitDialog();
    QDialog::setVisible(visible);
}

void CAddEditDlg::accept()
{
    OnOK();
}

void CAddEditDlg::reject()
{
    OnCancel();
}

void CAddEditDlg::closeEvent(QCloseEvent* event)
{
    OnClose(event);
}

void CAddEditDlg::OnInitDialog()
{
    m_ui->urlEdit->setText(g_strCurrentUrl);

    // The user chooses the frequency afresh in every run, whatever g_nCurrentFrequency holds.
    // Auto-exclusive radio buttons refuse to uncheck the last checked one, hence the switch.
    for (QRadioButton* radio : { m_ui->hourlyRadio, m_ui->dailyRadio, m_ui->weeklyRadio, m_ui->monthlyRadio }) {
        radio->setAutoExclusive(false);
        radio->setChecked(false);
        radio->setAutoExclusive(true);
    }

    m_ui->okButton->setEnabled(false);
    m_ui->okButton->setDefault(true);
    // The first button that can take the focus while OK is disabled.
    m_ui->cancelButton->setFocus(Qt::OtherFocusReason);
}

void CAddEditDlg::OnHourly()
{
    chooseFrequency(FREQ_HOURLY);
}

void CAddEditDlg::OnDaily()
{
    chooseFrequency(FREQ_DAILY);
}

void CAddEditDlg::OnWeekly()
{
    chooseFrequency(FREQ_WEEKLY);
}

void CAddEditDlg::OnMonthly()
{
    chooseFrequency(FREQ_MONTHLY);
}

void CAddEditDlg::chooseFrequency(int frequency)
{
    // Nothing disables OK again until the next run.
    m_ui->okButton->setEnabled(true);
    g_nCurrentFrequency = frequency;
}

void CAddEditDlg::OnOK()
{
    // Enter or a caller may ask for OK before any frequency was chosen; only the enabled
    // button counts.
    if (!m_ui->okButton->isEnabled())
        return;

    // An address pasted from a browser or a mail often ends in a blank or a line break that the
    // user cannot see in the box.
    g_strCurrentUrl = m_ui->urlEdit->text().trimmed();
    if (g_strCurrentUrl.isEmpty()) {
        refuseAddress(tr("Please enter a Web site."));
        return;
    }
    if (containsSpace(g_strCurrentUrl)) {
        refuseAddress(tr("A Web site address cannot contain spaces."));
        return;
    }
    // Any other scheme would stay "Never" for good. Favorites read from the file are not
    // judged: they keep their address until the user edits them.
    if (!isFetchable(g_strCurrentUrl)) {
        refuseAddress(tr("Nelvox can watch http://, https:// and file:// addresses."));
        return;
    }
    g_bDialogCancelled = false;
    QDialog::accept();
}

void CAddEditDlg::refuseAddress(const QString& message)
{
    QMessageBox box(QMessageBox::NoIcon, kApplicationTitle, message, QMessageBox::Ok, this);
    box.exec();
}

void CAddEditDlg::OnCancel()
{
    g_nCurrentFrequency = FREQ_NONE;
    g_strCurrentUrl.clear();
    g_bDialogCancelled = true;
    QDialog::reject();
}

void CAddEditDlg::OnClose(QCloseEvent* event)
{
    OnCancel();
    // The dialog is hidden by now, so the default handling just lets the close go through.
    QDialog::closeEvent(event);
}
