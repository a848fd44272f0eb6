// The Changes window draws what PageChanges found; it keeps nothing between openings.
#include "app/CChangesDlg.h"

#include "check/ChangeRule.h"
#include "platform/Clock.h"
#include "platform/Version.h"

#include "ui_CChangesDlg.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>

namespace {

const QColor kRemovedText(0xA0, 0x00, 0x00);
const QColor kRemovedBackground(0xFF, 0xE0, 0xE0);
const QColor kAddedText(0x00, 0x60, 0x00);
const QColor kAddedBackground(0xDF, 0xF5, 0xDF);
const QColor kFoldedText(0x70, 0x70, 0x70);
const QColor kIgnoredText(0x90, 0x90, 0x90);

QString linesText(qsizetype count)
{
    return count == 1 ? QStringLiteral("1 line") : QStringLiteral("%1 lines").arg(count);
}

QString timeText(const QDateTime& time)
{
    return time.isValid() ? Clock::FormatTimeStamp(time) : QStringLiteral("none");
}

QString ruleText(const ChangeRule& rule)
{
    if (rule.isPageLength())
        return QStringLiteral("the page's length in bytes differs (Page length).");
    QStringList parts { QStringLiteral("the text a reader sees differs (Page text)") };
    parts << (rule.linkAddresses ? QStringLiteral("link addresses count")
                                 : QStringLiteral("link addresses do not count"));
    if (rule.ignoreNumbers)
        parts << QStringLiteral("numbers are ignored");
    if (!rule.ignoreLines.isEmpty())
        parts << QStringLiteral("lines containing %1 are ignored").arg(rule.ignoreLines.join(QStringLiteral(", ")));
    if (!rule.part.isEmpty())
        parts << QStringLiteral("only the part %1 counts").arg(rule.part);
    return parts.join(QStringLiteral("; ")) + u'.';
}

// Since the user last looked, where the history knows; else the snapshot files' last change.
PageChanges changesOf(const QString& address, const ChangeRule& rule, int& between)
{
    if (std::optional<PageChanges> since = PageChanges::SinceLastLooked(address, rule, between))
        return std::move(*since);
    between = -1;
    return PageChanges(address, rule);
}

} // namespace

CChangesDlg::CChangesDlg(const QString& address, const ChangeRule& rule, const QString& lastFailure, QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CChangesDlg>())
    , m_changes(changesOf(address, rule, m_between))
    , m_rule(rule)
    , m_lastFailure(lastFailure)
{
    m_ui->setupUi(this);
    setWindowTitle(NelvoxCaption(QStringLiteral("Changes")));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
        | Qt::WindowCloseButtonHint);
    // A long address would otherwise make the window as wide as itself, thousands of pixels
    // for some; its line takes what the window has and the tooltip holds the whole address.
    m_address = address;
    m_ui->labelAddress->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_ui->labelAddress->setToolTip(address);
    elideAddress();
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        resize(size().boundedTo(screen->availableGeometry().size()));
    m_ui->labelPreviousTime->setText(timeText(m_changes.previousTime()));
    if (m_between >= 0) {
        const QString when = timeText(m_changes.previousTime());
        m_ui->labelPreviousTime->setText(m_between == 1
                ? tr("%1, when you last looked; 1 copy lies between them").arg(when)
                : tr("%1, when you last looked; %2 copies lie between them").arg(when).arg(m_between));
    }
    m_ui->labelSnapshotTime->setText(timeText(m_changes.snapshotTime()));
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_ui->chkSource, &QCheckBox::toggled, this, &CChangesDlg::showChanges);
    connect(m_ui->buttonOffer, &QPushButton::clicked, this, &CChangesDlg::takeOffer);
    showRule();
    showChanges();
}

void CChangesDlg::showRule()
{
    m_ui->labelRule->setText(ruleText(m_rule));
    using Offer = PageChanges::Offer;
    const Offer offer = m_changes.offeredRule() == m_rule ? Offer::None : m_changes.offer();
    m_ui->offer->setVisible(offer != Offer::None);
    if (offer == Offer::IgnoreMarkup) {
        m_ui->labelOffer->setText(QStringLiteral("Only the markup changed."));
        m_ui->buttonOffer->setText(QStringLiteral("&Ignore markup changes"));
    } else if (offer == Offer::IgnoreNumbers) {
        m_ui->labelOffer->setText(QStringLiteral("Only numbers changed."));
        m_ui->buttonOffer->setText(QStringLiteral("&Ignore numbers"));
    }
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
        message = QStringLiteral("No earlier copy of this page is kept yet; the next change will be shown here.");
        break;
    case State::TooLarge:
        message = m_rule.isPageLength()
            ? QStringLiteral("This page is too large to compare.")
            : QStringLiteral("This page is too large to compare by its text: its checks compare its length.");
        break;
    case State::PartMissing:
        message = PartMissingReason();
        break;
    case State::MarkupOnly:
        message = QStringLiteral("The page's text did not change; only its markup did: %1.")
                      .arg(linesText(m_changes.sourceDiff()->added() + m_changes.sourceDiff()->removed()));
        break;
    case State::Same:
        message = QStringLiteral("The two copies of this page are the same.");
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
        message = *diff && !(*diff)->tooLarge() ? QString() : QStringLiteral("This page is too large to compare.");
    } else if (m_changes.state() == State::TextChanged) {
        diff = &m_changes.textDiff();
    }
    m_ui->labelMessage->setText(message);
    m_ui->labelMessage->setVisible(!message.isEmpty());
    if (diff && *diff && !(*diff)->tooLarge()) {
        m_ui->labelCounts->setText(
            QStringLiteral("%1 added, %2 removed").arg(linesText((*diff)->added()), linesText((*diff)->removed())));
        showDiff(**diff);
    }
    m_ui->viewChanges->setVisible(diff && *diff && !(*diff)->tooLarge());
}

void CChangesDlg::showDiff(const PageDiff& diff)
{
    QTextDocument* document = m_ui->viewChanges->document();
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    bool first = true;
    auto addLine = [&](const QString& text, const QColor& foreground, const QColor& background, bool italic = false) {
        QTextBlockFormat block;
        if (background.isValid())
            block.setBackground(background);
        QTextCharFormat characters;
        if (foreground.isValid())
            characters.setForeground(foreground);
        characters.setFontItalic(italic);
        if (first) {
            cursor.setBlockFormat(block);
            cursor.setBlockCharFormat(characters);
            first = false;
        } else {
            cursor.insertBlock(block, characters);
        }
        cursor.insertText(text, characters);
    };
    auto addFolded = [&](qsizetype count) {
        if (count > 0)
            addLine(QStringLiteral("\u22EF %1 unchanged \u22EF").arg(linesText(count)), kFoldedText, QColor(), true);
    };
    for (const PageDiff::Hunk& hunk : diff.hunks()) {
        addFolded(hunk.foldedBefore);
        for (const PageDiff::Line& line : hunk.lines) {
            if (!m_ui->chkSource->isChecked() && m_changes.isIgnored(line.text)) {
                const QString sign = line.kind == PageDiff::Kind::Removed ? QStringLiteral("\u2212 ")
                    : line.kind == PageDiff::Kind::Added                  ? QStringLiteral("+ ")
                                                                          : QStringLiteral("  ");
                addLine(sign + line.text + QStringLiteral("    (ignored)"), kIgnoredText, QColor());
                continue;
            }
            switch (line.kind) {
            case PageDiff::Kind::Removed:
                addLine(QStringLiteral("\u2212 ") + line.text, kRemovedText, kRemovedBackground);
                break;
            case PageDiff::Kind::Added:
                addLine(QStringLiteral("+ ") + line.text, kAddedText, kAddedBackground);
                break;
            case PageDiff::Kind::Unchanged:
                addLine(QStringLiteral("  ") + line.text, QColor(), QColor());
                break;
            }
        }
    }
    addFolded(diff.foldedAtEnd());
    cursor.endEditBlock();
    m_ui->viewChanges->moveCursor(QTextCursor::Start);
}
