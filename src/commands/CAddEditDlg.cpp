// The Add or Edit Favorite dialog's rules: OK only after a frequency was chosen and only with
// an address, every other way out cancels.
#include "commands/CAddEditDlg.h"

#include "check/ChangeRule.h"
#include "commands/MissingPart.h"
#include "page/RuleText.h"
#include "platform/BrowserAddress.h"
#include "platform/Version.h"
#include "widgets/CaptionFit.h"

#include "ui_CAddEditDlg.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMessageBox>
#include <QRadioButton>
#include <QRegularExpression>

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

// Why the "Lines containing" entry written /.../ cannot be used; empty when it can.
QString patternProblem(const QString& entry)
{
    const QString line = entry.trimmed();
    if (line.size() <= 2 || !line.startsWith(u'/') || !line.endsWith(u'/'))
        return {};
    const QRegularExpression pattern(line.mid(1, line.size() - 2));
    if (pattern.isValid())
        return {};
    // The offset counts from the first character after the opening slash.
    return CAddEditDlg::tr("The regular expression %1 is not valid at character %2: %3.")
        .arg(line)
        .arg(pattern.patternErrorOffset() + 2)
        .arg(pattern.errorString());
}

} // namespace

CAddEditDlg::CAddEditDlg(QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CAddEditDlg>())
{
    m_ui->setupUi(this);
    setWindowTitle(NelvoxCaption(tr("Add or Edit Favorite")));
    // The rule's controls first: the group grows with them and the dialog then makes room.
    FitCaptionsToFont(m_ui->ruleGroup);
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
    connect(m_ui->pageTextRadio, &QRadioButton::toggled, this, &CAddEditDlg::enableRuleOptions);
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
    m_ui->urlEdit->setText(m_shown.address);
    m_choice.reset();

    // The user chooses the frequency afresh in every run, whatever the favorite's was.
    // Auto-exclusive radio buttons refuse to uncheck the last checked one, hence the switch.
    for (QRadioButton* radio : { m_ui->hourlyRadio, m_ui->dailyRadio, m_ui->weeklyRadio, m_ui->monthlyRadio }) {
        radio->setAutoExclusive(false);
        radio->setChecked(false);
        radio->setAutoExclusive(true);
    }

    m_frequency = FREQ_NONE;
    showRule(m_shown.rule);

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
    m_frequency = frequency;
}

void CAddEditDlg::OnOK()
{
    // Enter or a caller may ask for OK before any frequency was chosen; only the enabled
    // button counts.
    if (!m_ui->okButton->isEnabled())
        return;

    // An address pasted from a browser or a mail often ends in a blank or a line break that the
    // user cannot see in the box.
    QString address = m_ui->urlEdit->text().trimmed();
    if (address.isEmpty()) {
        showMessage(tr("Please enter a Web site."));
        return;
    }
    if (containsSpace(address)) {
        showMessage(tr("A Web site address cannot contain spaces."));
        return;
    }
    // Any other scheme would stay "Never" for good. Favorites read from the file are not
    // judged: they keep their address until the user edits them.
    if (!isFetchable(address)) {
        showMessage(tr("Nelvox can watch http://, https:// and file:// addresses."));
        return;
    }
    const std::optional<ChangeRule> rule = chosenRule();
    if (!rule)
        return;
    // The check fetches an address without a scheme as http; stored that way, the list, its
    // sort, the snapshot's name and an export all see the address that is fetched.
    if (AddressScheme(address).isEmpty())
        address.prepend(QStringLiteral("http://"));
    // A kept address has its page at hand: a part that is not on it is said now, as the next
    // check would say it. The part may be yet to come onto the page, so it is taken all the same.
    if (address == m_shown.address && IsPartMissing(address, *rule))
        showMessage(PartMissingReason());
    m_choice = FavoriteChoice { address, m_frequency, *rule };
    QDialog::accept();
}

void CAddEditDlg::showRule(const ChangeRule& rule)
{
    (rule.isPageLength() ? m_ui->pageLengthRadio : m_ui->pageTextRadio)->setChecked(true);
    m_ui->linkAddressesCheck->setChecked(rule.linkAddresses);
    m_ui->ignoreNumbersCheck->setChecked(rule.ignoreNumbers);
    // On for a favorite that takes Page text here; a Page text rule shows what it has.
    m_ui->ignoreSelfChangingCheck->setChecked(rule.isPageLength() || rule.ignoreSelfChanging);
    m_ui->ignoreLinesEdit->setPlainText(rule.ignoreLines.join(u'\n'));
    m_ui->partEdit->setText(rule.part);
    enableRuleOptions();
}

void CAddEditDlg::enableRuleOptions()
{
    const bool pageText = m_ui->pageTextRadio->isChecked();
    for (QWidget* option : std::initializer_list<QWidget*> { m_ui->linkAddressesCheck, m_ui->ignoreLabel,
             m_ui->ignoreNumbersCheck, m_ui->ignoreSelfChangingCheck, m_ui->ignoreLinesLabel, m_ui->ignoreLinesEdit,
             m_ui->partLabel, m_ui->partEdit })
        option->setEnabled(pageText);
}

std::optional<ChangeRule> CAddEditDlg::chosenRule()
{
    ChangeRule rule;
    rule.kind = m_ui->pageTextRadio->isChecked() ? ChangeRule::Kind::PageText : ChangeRule::Kind::PageLength;
    // The options stay with the rule under Page length too, so that switching back finds them.
    rule.linkAddresses = m_ui->linkAddressesCheck->isChecked();
    rule.ignoreNumbers = m_ui->ignoreNumbersCheck->isChecked();
    rule.ignoreSelfChanging = m_ui->ignoreSelfChangingCheck->isChecked();
    for (const QString& line : m_ui->ignoreLinesEdit->toPlainText().split(u'\n')) {
        if (!line.trimmed().isEmpty())
            rule.ignoreLines << line.trimmed();
    }
    rule.part = m_ui->partEdit->text().trimmed();
    if (rule.isPageLength())
        return rule;
    for (const QString& line : rule.ignoreLines) {
        if (const QString problem = patternProblem(line); !problem.isEmpty()) {
            refuseRule(problem, m_ui->ignoreLinesEdit);
            return std::nullopt;
        }
    }
    if (QString problem; !IsValidPart(rule.part, &problem)) {
        refuseRule(tr("The part of the page \"%1\" cannot be used: %2").arg(rule.part, problem), m_ui->partEdit);
        return std::nullopt;
    }
    return rule;
}

void CAddEditDlg::refuseRule(const QString& message, QWidget* field)
{
    showMessage(message);
    field->setFocus(Qt::OtherFocusReason);
}

void CAddEditDlg::showMessage(const QString& message)
{
    QMessageBox box(QMessageBox::NoIcon, kApplicationTitle, message, QMessageBox::Ok, this);
    box.exec();
}

void CAddEditDlg::OnCancel()
{
    m_choice.reset();
    QDialog::reject();
}

void CAddEditDlg::OnClose(QCloseEvent* event)
{
    OnCancel();
    // The dialog is hidden by now, so the default handling just lets the close go through.
    QDialog::closeEvent(event);
}
