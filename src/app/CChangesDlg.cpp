// The Changes window draws what PageChanges found; it keeps nothing between openings.
#include "app/CChangesDlg.h"

#include "app/ChangesView.h"

#include "check/ChangeRule.h"
#include "check/CopyFiles.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/NelvoxError.h"
#include "platform/Reasons.h"
#include "platform/Version.h"

#include "ui_CChangesDlg.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

namespace {

QString linesText(qsizetype count)
{
    return count == 1 ? CChangesDlg::tr("1 line") : CChangesDlg::tr("%1 lines").arg(count);
}

// A count of lines with what became of them, whole, so that a language can make the word agree.
QString addedText(qsizetype count)
{
    return count == 1 ? CChangesDlg::tr("1 line added") : CChangesDlg::tr("%1 lines added").arg(count);
}

QString removedText(qsizetype count)
{
    return count == 1 ? CChangesDlg::tr("1 line removed") : CChangesDlg::tr("%1 lines removed").arg(count);
}

QString timeText(const QDateTime& time)
{
    return time.isValid() ? Clock::FormatTimeStamp(time) : CChangesDlg::tr("none", "no copy");
}

QString ruleText(const ChangeRule& rule)
{
    if (rule.isPageLength())
        return CChangesDlg::tr("the page's length in bytes differs (Page length).");
    QStringList parts { CChangesDlg::tr("the text a reader sees differs (Page text)") };
    parts << (rule.linkAddresses ? CChangesDlg::tr("link addresses count")
                                 : CChangesDlg::tr("link addresses do not count"));
    if (rule.ignoreNumbers)
        parts << CChangesDlg::tr("numbers are ignored");
    if (!rule.ignoreLines.isEmpty())
        parts << CChangesDlg::tr("lines containing %1 are ignored").arg(rule.ignoreLines.join(QStringLiteral(", ")));
    if (!rule.part.isEmpty())
        parts << CChangesDlg::tr("only the part %1 counts").arg(rule.part);
    return parts.join(CChangesDlg::tr("; ", "between the parts of a rule")) + CChangesDlg::tr(".", "after a rule");
}

} // namespace

CChangesDlg::CChangesDlg(const QString& address, const ChangeRule& rule, const QString& lastFailure, QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CChangesDlg>())
    , m_address(address)
    , m_history(address)
    , m_changes(firstChanges(rule))
    , m_rule(rule)
    , m_lastFailure(lastFailure)
{
    m_ui->setupUi(this);
    m_view = new ChangesView(m_ui->viewChanges, this);
    setWindowTitle(NelvoxCaption(tr("Changes")));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
        | Qt::WindowCloseButtonHint);
    // A long address would otherwise make the window as wide as itself, thousands of pixels
    // for some; its line takes what the window has and the tooltip holds the whole address.
    m_ui->labelAddress->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_ui->labelAddress->setToolTip(address);
    elideAddress();
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        resize(size().boundedTo(screen->availableGeometry().size()));
    // Open this copy and Save As each offer the earlier copy, then the later one.
    m_ui->buttonOpenCopy->setMenu(new QMenu(m_ui->buttonOpenCopy));
    m_ui->buttonSaveCopy->setMenu(new QMenu(m_ui->buttonSaveCopy));
    for (const bool later : { false, true }) {
        connect(m_ui->buttonOpenCopy->menu()->addAction(QString()), &QAction::triggered, this,
            [this, later] { openCopy(later); });
        connect(m_ui->buttonSaveCopy->menu()->addAction(QString()), &QAction::triggered, this,
            [this, later] { saveCopy(later); });
    }
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_ui->chkSource, &QCheckBox::toggled, this, &CChangesDlg::showChanges);
    connect(m_ui->buttonOffer, &QPushButton::clicked, this, &CChangesDlg::takeOffer);
    connect(m_view, &ChangesView::countAgain, this, &CChangesDlg::countAgain);
    fillPicker();
    showTimes();
    showRule();
    showChanges();
    // The keys scroll the changes from the start.
    m_ui->viewChanges->setFocus();
}

PageChanges CChangesDlg::firstChanges(const ChangeRule& rule)
{
    // Since the user last looked, where the history knows; else the snapshot files' last change.
    if (std::optional<PageChanges> since = m_history.sinceLastLooked(rule)) {
        m_earlierCopy = m_history.lastLooked();
        m_laterCopy = m_history.copies().first().id;
        m_between = m_history.between(*m_earlierCopy, *m_laterCopy);
        return std::move(*since);
    }
    PageChanges files(m_address, rule);
    // Without the snapshot files' pair, the history's two newest copies, which the picker shows.
    const QList<HistoryCopy>& copies = m_history.copies();
    if (files.state() == PageChanges::State::NoPreviousCopy && copies.size() >= 2) {
        if (std::optional<PageChanges> newest = m_history.compare(copies[1].id, copies[0].id, rule)) {
            m_earlierCopy = copies[1].id;
            m_laterCopy = copies[0].id;
            return std::move(*newest);
        }
    }
    return files;
}

void CChangesDlg::fillPicker()
{
    const QList<HistoryCopy>& copies = m_history.copies();
    m_ui->picker->setVisible(copies.size() >= 2);
    if (copies.size() < 2)
        return;
    // Without a look the window shows the snapshot files' change: the two newest copies.
    const qint64 earlier = m_earlierCopy.value_or(copies[1].id);
    const qint64 later = m_laterCopy.value_or(copies[0].id);
    for (const HistoryCopy& copy : copies) {
        QString text = timeText(copy.taken.toLocalTime());
        // Short, so that both lists fit beside each other.
        if (copy.id == m_history.lastLooked())
            text = tr("%1 (your last look)").arg(text);
        m_ui->pickEarlier->addItem(text, copy.id);
        m_ui->pickLater->addItem(text, copy.id);
    }
    m_ui->pickEarlier->setCurrentIndex(static_cast<int>(m_history.indexOf(earlier)));
    m_ui->pickLater->setCurrentIndex(static_cast<int>(m_history.indexOf(later)));
    for (QComboBox* pick : { m_ui->pickEarlier, m_ui->pickLater })
        connect(pick, &QComboBox::currentIndexChanged, this, &CChangesDlg::comparePicked);
}

void CChangesDlg::comparePicked()
{
    const qint64 earlier = m_ui->pickEarlier->currentData().toLongLong();
    const qint64 later = m_ui->pickLater->currentData().toLongLong();
    std::optional<PageChanges> changes = m_history.compare(earlier, later, m_rule);
    if (!changes) {
        // The history failed: what is shown stays, and no other copy is offered.
        m_ui->picker->setEnabled(false);
        showError(tr("Nelvox could not read this copy of the page from its history:\n\n%1")
                      .arg(Reasons::Translated(m_history.failure())));
        return;
    }
    m_changes = std::move(*changes);
    m_earlierCopy = earlier;
    m_laterCopy = later;
    m_between = m_history.between(earlier, later);
    showTimes();
    showRule();
    showChanges();
}

void CChangesDlg::showTimes()
{
    const QString earlier = timeText(m_changes.previousTime());
    const QString later = timeText(m_changes.snapshotTime());
    if (m_between < 0)
        m_ui->labelPreviousTime->setText(earlier);
    else if (m_earlierCopy == m_history.lastLooked())
        m_ui->labelPreviousTime->setText(m_between == 1
                ? tr("%1, when you last looked; 1 copy lies between them").arg(earlier)
                : tr("%1, when you last looked; %2 copies lie between them").arg(earlier).arg(m_between));
    else
        m_ui->labelPreviousTime->setText(m_between == 1
                ? tr("%1; 1 copy lies between them").arg(earlier)
                : tr("%1; %2 copies lie between them").arg(earlier).arg(m_between));
    m_ui->labelSnapshotTime->setText(later);
    // The menus of Open this copy and Save As name the two copies by their time.
    const QList<QAction*> opens = m_ui->buttonOpenCopy->menu()->actions();
    const QList<QAction*> saves = m_ui->buttonSaveCopy->menu()->actions();
    for (const bool isLater : { false, true }) {
        const QString text = isLater ? tr("&Later copy, %1").arg(later) : tr("&Earlier copy, %1").arg(earlier);
        for (QAction* action : { opens[isLater], saves[isLater] }) {
            action->setText(text);
            action->setEnabled(!pageShown(isLater).isEmpty());
        }
    }
    const bool anyPage = !pageShown(false).isEmpty() || !pageShown(true).isEmpty();
    m_ui->buttonOpenCopy->setEnabled(anyPage);
    m_ui->buttonSaveCopy->setEnabled(anyPage);
}

QByteArray CChangesDlg::pageShown(bool later) const
{
    return later ? m_changes.snapshotPage() : m_changes.previousPage();
}

QString CChangesDlg::fileNameShown(bool later) const
{
    return CopyFileName(m_address, later ? m_changes.snapshotTime() : m_changes.previousTime());
}

void CChangesDlg::openCopy(bool later)
{
    try {
        const QString fileName = WriteCopyToOpen(pageShown(later), m_address, fileNameShown(later));
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(fileName)))
            showError(tr("Nelvox could not hand this copy to a web browser:\n\n%1").arg(fileName));
    } catch (const FileError& error) {
        showError(error.message());
    }
}

void CChangesDlg::saveCopy(bool later)
{
    QFileDialog dialog(this, tr("Save As"), QDir::home().filePath(fileNameShown(later)),
        tr("Web pages (*.html *.htm);;All files (*)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("html"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    // The page exactly as it was kept.
    try {
        WriteWholeFile(dialog.selectedFiles().first(), pageShown(later), tr("Nelvox could not save \"%1\": %2"));
    } catch (const FileError& error) {
        showError(error.message());
    }
}

void CChangesDlg::showError(const QString& message)
{
    QMessageBox box(
        QMessageBox::Critical, QStringLiteral("Nelvox"), Reasons::Translated(message), QMessageBox::Ok, this);
    box.exec();
}

void CChangesDlg::showRule()
{
    m_ui->labelRule->setText(ruleText(m_rule));
    using Offer = PageChanges::Offer;
    const Offer offer = m_changes.offeredRule() == m_rule ? Offer::None : m_changes.offer();
    m_ui->offer->setVisible(offer != Offer::None);
    if (offer == Offer::IgnoreMarkup) {
        m_ui->labelOffer->setText(tr("Only the markup changed."));
        m_ui->buttonOffer->setText(tr("&Ignore markup changes"));
    } else if (offer == Offer::IgnoreNumbers) {
        m_ui->labelOffer->setText(tr("Only numbers changed."));
        m_ui->buttonOffer->setText(tr("&Ignore numbers"));
    } else if (offer == Offer::IgnoreSelfChanging) {
        m_ui->labelOffer->setText(tr("Only parts that change by themselves changed."));
        m_ui->buttonOffer->setText(tr("&Ignore what changes by itself"));
    }
}

void CChangesDlg::countAgain(const QString& line)
{
    if (!PageChanges::CountAgain(m_rule, line))
        return;
    emit ruleChosen(m_address, m_rule);
    compareAgain();
}

void CChangesDlg::compareAgain()
{
    if (m_earlierCopy && m_laterCopy) {
        if (std::optional<PageChanges> changes = m_history.compare(*m_earlierCopy, *m_laterCopy, m_rule))
            m_changes = std::move(*changes);
    } else {
        try {
            m_changes = PageChanges(m_address, m_rule);
        } catch (const FileError& error) {
            showError(error.message());
            return;
        }
    }
    showRule();
    showChanges();
}

void CChangesDlg::takeOffer()
{
    m_rule = m_changes.offeredRule();
    showRule();
    emit ruleChosen(m_address, m_rule);
}

CChangesDlg::~CChangesDlg() = default;

void CChangesDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    elideAddress();
}

void CChangesDlg::elideAddress()
{
    QLabel* label = m_ui->labelAddress;
    label->setText(label->fontMetrics().elidedText(m_address, Qt::ElideMiddle, label->contentsRect().width()));
}

void CChangesDlg::showChanges()
{
    using State = PageChanges::State;
    m_ui->viewChanges->clear();
    m_ui->labelCounts->clear();
    QString message;
    const std::optional<PageDiff>* diff = nullptr;
    switch (m_changes.state()) {
    case State::NoPreviousCopy:
        message = tr("No earlier copy of this page is kept yet; the next change will be shown here.");
        break;
    case State::TooLarge:
        message = m_rule.isPageLength()
            ? tr("This page is too large to compare.")
            : tr("This page is too large to compare by its text: its checks compare its length.");
        break;
    case State::PartMissing:
        message = PartMissingReason();
        break;
    case State::MarkupOnly:
        message = tr("The page's text did not change; only its markup did: %1.")
                      .arg(linesText(m_changes.sourceDiff()->added() + m_changes.sourceDiff()->removed()));
        break;
    case State::Same:
        message = tr("The two copies of this page are the same.");
        break;
    case State::TextChanged:
        break;
    }
    // The latest check could not find the part, though the copies kept may have it.
    if (m_lastFailure == PartMissingReason() && m_changes.state() != State::PartMissing)
        message = message.isEmpty() ? PartMissingReason() : PartMissingReason() + u' ' + message;
    const bool canShowSource = m_changes.state() != State::NoPreviousCopy && m_changes.state() != State::Same;
    m_ui->chkSource->setEnabled(canShowSource);
    if (m_ui->chkSource->isChecked() && canShowSource) {
        diff = &m_changes.sourceDiff();
        message = *diff && !(*diff)->tooLarge() ? QString() : tr("This page is too large to compare.");
    } else if (m_changes.state() == State::TextChanged) {
        diff = &m_changes.textDiff();
    }
    m_ui->labelMessage->setText(message);
    m_ui->labelMessage->setVisible(!message.isEmpty());
    if (diff && *diff && !(*diff)->tooLarge()) {
        m_ui->labelCounts->setText(
            //: Lines added and lines removed, as in "1 line added, 0 lines removed"
            tr("%1, %2").arg(addedText((*diff)->added()), removedText((*diff)->removed())));
        const bool text = !m_ui->chkSource->isChecked();
        m_view->show(**diff,
            { .ignored = [&](const QString& line) { return text && m_changes.isIgnored(line); },
                .changesByItself = [&](const QString& line) { return text && m_changes.changesByItself(line); },
                .canCountAgain =
                    [&](const QString& line) {
                        ChangeRule forgetting = m_rule;
                        return PageChanges::CountAgain(forgetting, line);
                    } });
    }
    m_ui->viewChanges->setVisible(diff && *diff && !(*diff)->tooLarge());
}
