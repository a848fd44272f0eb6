// One job of a run of checks: a favorite's download judged against its snapshot, which the
// download replaces when the page changed; or the download of a favorite's first snapshot.
// The job works on its own files; the run applies what came of it to the row and the state.
#pragma once

#include "check/ChangeRule.h"
#include "check/SnapshotComparison.h"
#include "platform/Clock.h"
#include "platform/TransferPool.h"
#include "store/FavoriteStates.h"
#include "store/FavoritesList.h"

#include <QDateTime>
#include <QLoggingCategory>
#include <QString>

#include <functional>

// Failures and decisions of the checks; quiet unless QT_LOGGING_RULES="nelvox.check=true".
Q_DECLARE_LOGGING_CATEGORY(lcCheck)

class HistoryRecorder;

struct CheckJob {
    enum class Kind { Check, FirstSnapshot };

    // What came of a job, for the run to apply.
    struct Ending {
        FavoriteState::Outcome outcome = FavoriteState::Outcome::Failed;
        // Why it failed.
        QString reason;
        // The download became the snapshot: the row is stamped, and marked when `changed`.
        bool stamped = false;
        bool changed = false;
        // The download is still there, not a snapshot: the run may keep it as the last download.
        bool downloadLeft = false;
    };

    // The check of `address` (in the row `row`) under `rule`, downloaded into `file`. Asks
    // "has it changed since?" only when the `last` check made or confirmed the snapshot that
    // is still there.
    static CheckJob Check(const QString& address, FavoritesList::Id row, const QString& file, const ChangeRule& rule,
        const FavoriteState* last);
    // A download of `address` straight into its snapshot file.
    static CheckJob FirstSnapshot(const QString& address);

    // Whether the download that ended with `result` waits for a comparison of the copies'
    // text (the comparison queue's, on the thread pool) before it can be judged.
    bool needsComparison(const TransferPool::Result& result) const;
    // Judges the download that ended with `result` at once and applies the verdict to the
    // snapshot.
    Ending judgeDownload(const TransferPool::Result& result);
    // Applies what the comparison of the download kept in `result` found, and keeps in
    // `known` what it learnt of the snapshot's text.
    Ending applyComparison(const SnapshotComparison& comparison, KnownSnapshots& known);

    Kind kind = Kind::Check;
    QString address;
    // The row the check ends on, wherever it has moved meanwhile; none for a first snapshot.
    FavoritesList::Id row = 0;
    QString snapshot;
    QString file;
    TransferPool::Validators validators;
    ChangeRule rule;
    // How the download ended, kept while its comparison is under way.
    TransferPool::Result result;
    // From the run's start until the job has ended or was stopped.
    bool running = false;
    // A first snapshot that counts as downloaded.
    bool downloaded = false;
    // Where the pages that become the snapshot are kept with their time; none, none are.
    HistoryRecorder* history = nullptr;
    // The clock of the run, which the pages kept in the history are stamped by.
    std::function<QDateTime()> now = &Clock::GetCurrentTime;
    // Under a rule that ignores what changes by itself, a text that differs from the
    // snapshot's has the page loaded a second time into this file; empty until then.
    QString secondFile;
    // The comparison of the first load, which stands when the second load fails.
    std::optional<SnapshotComparison> firstComparison;
    // The row showed no change when the check began: its user had seen the snapshot.
    bool snapshotSeen = false;

    // Whether the comparison of the first load calls for a second load.
    bool wantsSecondLoad(const SnapshotComparison& comparison) const;

private:
    Ending judgeLength(bool fileCreated, bool complete, const QString& reason);
    // Applies the verdict on the download to the snapshot. Throws FileError.
    Ending applyJudgement(const Judgement& judgement, const QString& reason);
};
