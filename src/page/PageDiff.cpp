// Line differences with dtl (Wu, Manber and Myers' O(NP) algorithm) on line numbers: each
// distinct line gets a number, so that dtl compares integers rather than strings.
#include "page/PageDiff.h"

#include <QDeadlineTimer>
#include <QHash>

#include <dtl/dtl.hpp>

#include <vector>

namespace {

// dtl has no time limit. Its work is its comparisons, so the comparator keeps the clock:
// once the time is spent it calls every pair equal, which lets dtl run straight to the end
// of both sequences, and its answer is thrown away.
struct Budget {
    QDeadlineTimer deadline;
    quint64 comparisons = 0;
    bool spent = false;
};

class BudgetedCompare : public dtl::Compare<int> {
public:
    BudgetedCompare() = default;
    explicit BudgetedCompare(Budget* budget)
        : m_budget(budget)
    {
    }
    bool impl(const int& left, const int& right) const override
    {
        if (!m_budget)
            return left == right;
        if (m_budget->spent)
            return true;
        if ((++m_budget->comparisons & 0x3FFF) == 0 && m_budget->deadline.hasExpired()) {
            m_budget->spent = true;
            return true;
        }
        return left == right;
    }

private:
    Budget* m_budget = nullptr;
};

using Kind = PageDiff::Kind;

struct Step {
    Kind kind;
    qsizetype oldIndex; // the line's place in the old lines, or the next old line for an addition
    qsizetype newIndex;
};

} // namespace

PageDiff::PageDiff(const QStringList& before, const QStringList& after, std::chrono::milliseconds budgetTime)
{
    Budget budget { QDeadlineTimer(budgetTime) };

    QHash<QString, int> numbers;
    numbers.reserve(before.size() + after.size());
    auto numbered = [&numbers](const QStringList& lines) {
        std::vector<int> result;
        result.reserve(static_cast<size_t>(lines.size()));
        for (const QString& line : lines) {
            auto known = numbers.constFind(line);
            if (known == numbers.constEnd())
                known = numbers.insert(line, static_cast<int>(numbers.size()));
            result.push_back(*known);
        }
        return result;
    };
    const std::vector<int> oldLines = numbered(before);
    const std::vector<int> newLines = numbered(after);

    // A page mostly changes in one place: the unchanged head and tail need no search.
    const qsizetype oldCount = before.size();
    const qsizetype newCount = after.size();
    qsizetype head = 0;
    while (head < oldCount && head < newCount && oldLines[head] == newLines[head])
        ++head;
    qsizetype tail = 0;
    while (tail < oldCount - head && tail < newCount - head
        && oldLines[oldCount - 1 - tail] == newLines[newCount - 1 - tail])
        ++tail;

    std::vector<Step> steps;
    steps.reserve(static_cast<size_t>(oldCount + newCount - head - tail));
    for (qsizetype i = 0; i < head; ++i)
        steps.push_back({ Kind::Unchanged, i, i });
    const std::vector<int> oldMiddle(oldLines.begin() + head, oldLines.end() - tail);
    const std::vector<int> newMiddle(newLines.begin() + head, newLines.end() - tail);
    qsizetype oldAt = head;
    qsizetype newAt = head;
    if (oldMiddle.empty() || newMiddle.empty()) {
        for (; oldAt < oldCount - tail; ++oldAt)
            steps.push_back({ Kind::Removed, oldAt, newAt });
        for (; newAt < newCount - tail; ++newAt)
            steps.push_back({ Kind::Added, oldAt, newAt });
    } else {
        dtl::Diff<int, std::vector<int>, BudgetedCompare> diff(oldMiddle, newMiddle, true, BudgetedCompare(&budget));
        diff.compose();
        if (budget.spent) {
            m_tooLarge = true;
            return;
        }
        for (const auto& [element, info] : diff.getSes().getSequence()) {
            switch (info.type) {
            case dtl::SES_DELETE:
                steps.push_back({ Kind::Removed, oldAt++, newAt });
                break;
            case dtl::SES_ADD:
                steps.push_back({ Kind::Added, oldAt, newAt++ });
                break;
            default:
                steps.push_back({ Kind::Unchanged, oldAt++, newAt++ });
                break;
            }
        }
    }
    for (qsizetype i = 0; i < tail; ++i)
        steps.push_back({ Kind::Unchanged, oldCount - tail + i, newCount - tail + i });

    // Hunks: each change with kContextLines of unchanged lines around it; changes closer
    // than twice that share one hunk.
    const qsizetype stepCount = static_cast<qsizetype>(steps.size());
    qsizetype shownUpTo = 0; // steps before this are in a hunk or folded away
    qsizetype at = 0;
    while (at < stepCount) {
        if (steps[at].kind == Kind::Unchanged) {
            ++at;
            continue;
        }
        const qsizetype start = std::max(shownUpTo, at - kContextLines);
        qsizetype end = at; // one past the last change of the hunk
        qsizetype scan = at;
        while (scan < stepCount) {
            if (steps[scan].kind != Kind::Unchanged) {
                end = scan + 1;
                ++scan;
                continue;
            }
            qsizetype run = scan;
            while (run < stepCount && steps[run].kind == Kind::Unchanged)
                ++run;
            if (run == stepCount || run - scan > 2 * kContextLines)
                break;
            scan = run;
        }
        const qsizetype stop = std::min(stepCount, end + kContextLines);
        Hunk hunk;
        hunk.foldedBefore = start - shownUpTo;
        hunk.oldStart = steps[start].oldIndex;
        hunk.newStart = steps[start].newIndex;
        for (qsizetype i = start; i < stop; ++i) {
            const Step& step = steps[i];
            switch (step.kind) {
            case Kind::Removed:
                ++m_removed;
                hunk.lines.append({ step.kind, before.at(step.oldIndex) });
                break;
            case Kind::Added:
                ++m_added;
                hunk.lines.append({ step.kind, after.at(step.newIndex) });
                break;
            case Kind::Unchanged:
                hunk.lines.append({ step.kind, after.at(step.newIndex) });
                break;
            }
        }
        m_hunks.append(std::move(hunk));
        shownUpTo = stop;
        at = stop;
    }
    m_foldedAtEnd = stepCount - shownUpTo;
}
