// What changed between a favorite's previous copy and its snapshot, in the page's text and
// in its source, for the Changes window and anything else that needs no display.
#pragma once

#include "page/PageDiff.h"
#include "page/PageText.h"
#include "store/ChangeRules.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QString>

#include <QSet>

#include <optional>

class PageChanges {
public:
    // Pages larger than this are not compared: their text could not be shown in time.
    static constexpr qint64 kMaxPageBytes = ::kMaxPageBytes;

    enum class State {
        NoPreviousCopy, // no change has been kept yet
        TooLarge, // a copy passes kMaxPageBytes, or the text comparison ran out of time
        TextChanged,
        MarkupOnly, // the text is the same, the source is not
        Same,
        PartMissing, // the latest copy has nothing of the part of the page the rule chooses
    };

    // A stricter rule under which the latest change would not have counted.
    enum class Offer {
        None,
        IgnoreMarkup, // Page text: only the markup changed
        IgnoreNumbers, // Page text with Numbers: only digits changed
        IgnoreSelfChanging, // Page text: only what changes by itself changed (relative times)
    };

    // Reads both copies of the favorite at `address` and compares their text: the readable
    // text under Page length, the text the rule compares under Page text. Throws FileError when
    // a copy is there but cannot be read.
    explicit PageChanges(
        const QString& address, const ChangeRule& rule = {}, std::chrono::milliseconds budget = PageDiff::kTimeBudget);
    PageChanges(const QString& address, std::chrono::milliseconds budget)
        : PageChanges(address, ChangeRule {}, budget)
    {
    }
    // A page as it was at a time: a copy of the history.
    struct Copy {
        QByteArray page;
        QDateTime taken;
    };
    // Compares two copies of the favorite at `address`, `earlier` and `later`.
    PageChanges(const QString& address, Copy earlier, Copy later, const ChangeRule& rule = {},
        std::chrono::milliseconds budget = PageDiff::kTimeBudget);

    State state() const { return m_state; }
    QString snapshotName() const { return m_snapshotName; }
    // When each copy was taken: its file's modification time.
    QDateTime previousTime() const { return m_previousTime; }
    QDateTime snapshotTime() const { return m_snapshotTime; }
    // The two pages compared; empty when there were none to compare or they were too large.
    const QByteArray& previousPage() const { return m_previousPage; }
    const QByteArray& snapshotPage() const { return m_snapshotPage; }

    // The differences in the readable text; there when the state is TextChanged or later.
    const std::optional<PageDiff>& textDiff() const { return m_textDiff; }
    // The differences in the source lines, worked out on the first call; none without two
    // copies small enough to compare.
    const std::optional<PageDiff>& sourceDiff();

    // Whether a line of the text diff is one the rule ignores.
    bool isIgnored(const QString& line) const { return m_ignoredLines.contains(line); }
    // Whether a line of the text diff is one the rule found changing by itself: a line or link
    // of a shape it learned, or a line with a relative time in it.
    bool changesByItself(const QString& line) const { return m_selfChangingLines.contains(line); }
    Offer offer() const { return m_offer; }
    // The rule offered: the favorite's own with what offer() names.
    const ChangeRule& offeredRule() const { return m_offeredRule; }

    // How a link's target shows among the lines of the text.
    static QString LinkLine(const QString& target);
    // Has the line of the text diff `line` count again under `rule`: forgets the shapes learned
    // for it. False when none was.
    static bool CountAgain(ChangeRule& rule, const QString& line);

private:
    // Compares the two pages read into m_previousPage and m_snapshotPage.
    void compare(const ChangeRule& rule);
    void compareText(const ChangeRule& rule, const QDeadlineTimer& deadline);
    void findOffer(const ChangeRule& rule, const QDeadlineTimer& deadline);

    std::chrono::milliseconds m_budget;
    State m_state = State::NoPreviousCopy;
    bool m_pagesTooLarge = false;
    QString m_snapshotName;
    QDateTime m_previousTime;
    QDateTime m_snapshotTime;
    QByteArray m_previousPage;
    QByteArray m_snapshotPage;
    std::optional<PageDiff> m_textDiff;
    std::optional<PageDiff> m_sourceDiff;
    QSet<QString> m_ignoredLines;
    QSet<QString> m_selfChangingLines;
    Offer m_offer = Offer::None;
    ChangeRule m_offeredRule;
};
