// Reading a favorite's two copies and comparing them.
#include "check/PageChanges.h"

#include "check/SnapshotName.h"
#include "check/SnapshotReplace.h"
#include "page/PageText.h"
#include "page/RuleText.h"
#include "platform/NelvoxError.h"
#include "platform/Reasons.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <future>

namespace {

// The file's bytes, or none when there is no such file. Throws FileError when it is there
// but cannot be read.
std::optional<QByteArray> readCopy(const QString& fileName, QDateTime& modified, bool& tooLarge)
{
    const QFileInfo info(fileName);
    if (!info.exists() && !info.isSymLink())
        return std::nullopt;
    QFile file(fileName);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        throw FileError(
            QString::fromLatin1(Reasons::kCannotRead)
                .arg(fileName,
                    info.isFile() ? file.errorString()
                                  : QString::fromLatin1(QT_TRANSLATE_NOOP("FailureReason", "it is not a file"))));
    modified = info.lastModified();
    if (file.size() > PageChanges::kMaxPageBytes) {
        tooLarge = true;
        return QByteArray();
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError(QString::fromLatin1(Reasons::kCannotRead).arg(fileName, file.errorString()));
    return bytes;
}

} // namespace

PageChanges::PageChanges(const QString& address, const ChangeRule& rule, std::chrono::milliseconds budget)
    : m_budget(budget)
    , m_snapshotName(SnapshotFileName(address))
{
    bool tooLarge = false;
    std::optional<QByteArray> previous = readCopy(PreviousCopyName(m_snapshotName), m_previousTime, tooLarge);
    std::optional<QByteArray> snapshot = readCopy(m_snapshotName, m_snapshotTime, tooLarge);
    if (!previous || !snapshot) {
        m_state = State::NoPreviousCopy;
        return;
    }
    if (tooLarge) {
        m_state = State::TooLarge;
        m_pagesTooLarge = true;
        return;
    }
    m_previousPage = std::move(*previous);
    m_snapshotPage = std::move(*snapshot);
    compare(rule);
}

PageChanges::PageChanges(
    const QString& address, Copy earlier, Copy later, const ChangeRule& rule, std::chrono::milliseconds budget)
    : m_budget(budget)
    , m_snapshotName(SnapshotFileName(address))
    , m_previousTime(earlier.taken.toLocalTime())
    , m_snapshotTime(later.taken.toLocalTime())
    , m_previousPage(std::move(earlier.page))
    , m_snapshotPage(std::move(later.page))
{
    if (m_previousPage.size() > kMaxPageBytes || m_snapshotPage.size() > kMaxPageBytes) {
        m_state = State::TooLarge;
        m_pagesTooLarge = true;
        return;
    }
    compare(rule);
}

void PageChanges::compare(const ChangeRule& rule)
{
    // Reading the text and comparing it share one time limit.
    const QDeadlineTimer deadline(m_budget);
    compareText(rule, deadline);
    if (m_state == State::TextChanged || m_state == State::MarkupOnly)
        findOffer(rule, deadline);
}

QString PageChanges::LinkLine(const QString& target)
{
    return QStringLiteral("\u2192 ") + target;
}

void PageChanges::compareText(const ChangeRule& rule, const QDeadlineTimer& deadline)
{
    std::optional<QStringList> previousText;
    std::optional<QStringList> snapshotText;
    if (rule.isPageLength()) {
        // The two readings are independent and take most of the time: one runs beside the other.
        std::future<std::optional<QStringList>> previousLines = std::async(
            std::launch::async, [this, deadline] { return PageText(m_previousPage, deadline).readableLines(); });
        snapshotText = PageText(m_snapshotPage, deadline).readableLines();
        previousText = previousLines.get();
    } else {
        std::future<RuleText> previousReading = std::async(
            std::launch::async, [this, rule, deadline] { return ReadRuleText(m_previousPage, rule, deadline); });
        const RuleText snapshotRead = ReadRuleText(m_snapshotPage, rule, deadline);
        const RuleText previousRead = previousReading.get();
        if (snapshotRead.status == RuleText::Status::PartMissing) {
            m_state = State::PartMissing;
            return;
        }
        const bool selfChanging = rule.ignoreSelfChanging;
        const LearnedShapes learnedLines(selfChanging ? rule.learnedLines : QStringList());
        const LearnedShapes learnedLinks(selfChanging ? rule.learnedLinks : QStringList());
        const auto shown = [&, this](const RuleText& text) -> std::optional<QStringList> {
            if (text.status == RuleText::Status::TooLarge)
                return std::nullopt;
            QStringList lines;
            for (const RuleLine& line : text.lines) {
                lines << (line.link ? LinkLine(line.text) : line.text);
                if (line.ignored)
                    m_ignoredLines.insert(lines.back());
                else if (selfChanging
                    && (!(line.link ? learnedLinks : learnedLines).match(line.text).isEmpty()
                        || (!line.link && MaskRelativeTimes(line.text) != line.text)))
                    m_selfChangingLines.insert(lines.back());
            }
            return lines;
        };
        snapshotText = shown(snapshotRead);
        previousText = shown(previousRead);
    }
    if (!previousText || !snapshotText) {
        m_state = State::TooLarge;
        return;
    }
    m_textDiff.emplace(*previousText, *snapshotText,
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline.remainingTimeAsDuration()));

    if (m_textDiff->tooLarge())
        m_state = State::TooLarge;
    else if (!m_textDiff->isEmpty())
        m_state = State::TextChanged;
    else if (m_previousPage != m_snapshotPage)
        m_state = State::MarkupOnly;
    else
        m_state = State::Same;
}

void PageChanges::findOffer(const ChangeRule& rule, const QDeadlineTimer& deadline)
{
    // Page length rings for any edit of the markup; Page text without Numbers for a counter,
    // and without what changes by itself for a relative time. One reading of each copy serves
    // the rule with and without them.
    if (!rule.isPageLength() && rule.ignoreNumbers && rule.ignoreSelfChanging)
        return;
    ChangeRule textRule = rule;
    if (rule.isPageLength())
        textRule = ChangeRule::pageText();
    const RuleText previous = ReadRuleText(m_previousPage, textRule, deadline);
    const RuleText snapshot = ReadRuleText(m_snapshotPage, textRule, deadline);
    if (previous.status != RuleText::Status::Read || snapshot.status != RuleText::Status::Read)
        return;
    if (previous.counted(textRule) == snapshot.counted(textRule)) {
        // Under Page text the change did not count to begin with.
        if (rule.isPageLength()) {
            m_offer = Offer::IgnoreMarkup;
            m_offeredRule = textRule;
        }
        return;
    }
    if (!rule.isPageLength() && !rule.ignoreSelfChanging) {
        ChangeRule selfChanging = rule;
        selfChanging.ignoreSelfChanging = true;
        if (previous.counted(selfChanging) == snapshot.counted(selfChanging)) {
            m_offer = Offer::IgnoreSelfChanging;
            m_offeredRule = selfChanging;
            return;
        }
    }
    if (rule.ignoreNumbers)
        return;
    textRule.ignoreNumbers = true;
    if (previous.counted(textRule) == snapshot.counted(textRule)) {
        m_offer = Offer::IgnoreNumbers;
        m_offeredRule = textRule;
    }
}

bool PageChanges::CountAgain(ChangeRule& rule, const QString& line)
{
    const QString linkMark = LinkLine(QString());
    const bool link = line.startsWith(linkMark);
    const QString text = link ? line.mid(linkMark.size()) : line;
    QStringList& shapes = link ? rule.learnedLinks : rule.learnedLines;
    const qsizetype before = shapes.size();
    shapes.removeIf([&text](const QString& shape) { return !LearnedShapes({ shape }).match(text).isEmpty(); });
    return shapes.size() != before;
}

const std::optional<PageDiff>& PageChanges::sourceDiff()
{
    if (!m_sourceDiff && m_state != State::NoPreviousCopy && !m_pagesTooLarge) {
        const QDeadlineTimer deadline(m_budget);
        QStringList previousLines = PageText(m_previousPage, deadline).sourceLines();
        QStringList snapshotLines = PageText(m_snapshotPage, deadline).sourceLines();
        m_sourceDiff.emplace(previousLines, snapshotLines,
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline.remainingTimeAsDuration()));
    }
    return m_sourceDiff;
}
