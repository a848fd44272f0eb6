// A run of page downloads side by side: the checks of Update All Now and of the hourly tick,
// or the first snapshot of a favorite that Add or Edit just wrote. The event loop drives it;
// it reports progress, applies each result to the favorite's row as the row is when the
// result comes in, and can be stopped.
#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "check/CheckJob.h"
#include "check/ComparisonQueue.h"
#include "check/SnapshotComparison.h"
#include "platform/TransferPool.h"
#include "store/FavoriteStates.h"

class ChangeRules;
class FavoritesList;
class HistoryRecorder;

class CheckRun : public QObject {
    Q_OBJECT
public:
    // Throws InternetError when no internet session can be had.
    // The downloads run under `options`: their limits, and the waits servers asked for.
    explicit CheckRun(FavoritesList& list, const TransferOptions& options = {}, QObject* parent = nullptr);
    ~CheckRun() override;

    // Where the run records what each check found, and reads the validators of conditional
    // requests from; without it the run records nothing and asks for every page whole.
    void setStates(FavoriteStates* states) { m_states = states; }
    // What counts as a change of each favorite, read as each check is queued; without it every
    // favorite has the Page length rule. Under Page text the copies are read and compared on
    // Qt's thread pool, a few at a time, and the verdict is applied here once it comes back.
    void setRules(const ChangeRules* rules) { m_rules = rules; }
    // Where a rule that ignores what changes by itself keeps what its second loads found
    // changing by itself (the same rules as setRules() as a rule); without it a check's
    // learning lasts for the check only.
    void setLearnedRules(ChangeRules* rules) { m_learnInto = rules; }
    // Whether a check of this run learned what changes by itself on its page.
    bool learnedAny() const { return m_learnedAny; }
    // Where every page that becomes a snapshot is kept with its time; without it none is.
    void setHistory(HistoryRecorder* history) { m_history = history; }
    // What the comparisons learn of the snapshots' text, kept from one run to the next; without
    // it the run keeps its own.
    void setKnownSnapshots(KnownSnapshots* known)
    {
        m_known = known ? known : &m_ownKnown;
        m_comparisons.setKnownSnapshots(m_known);
    }

    // Queues the page check of the favorite in `row`: its page is downloaded again and judged
    // against its snapshot by the favorite's rule. A change makes the download the snapshot,
    // stamps Last Updated and marks the row changed; a favorite without a snapshot gets the
    // download as its first, stamped but not marked.
    void addCheck(int row);
    // Queues a download of `address` straight into its snapshot file. Returns a number for
    // downloaded().
    int addFirstSnapshot(const QString& address);

    // Starts the downloads. finished() follows once all have ended or the run is stopped;
    // at once when nothing was queued.
    void start();
    // Abandons the downloads and comparisons in flight: their rows and snapshots stay as they
    // were and their temporary files go. What finished before stays. Then finished(), once
    // the comparisons under way have ended.
    void stop();

    bool isFinished() const { return m_finished; }
    bool wasStopped() const { return m_stopped; }
    int total() const;
    int done() const { return m_done; }
    // Whether a check of this run marked a row changed.
    bool anyChanged() const { return m_anyChanged; }
    // Whether the first snapshot `job` was downloaded as a first download counts: the page
    // answered and came whole, or answered into a file that could not be created.
    bool downloaded(int job) const;

    // Removes the temporary files that a run ended by force (a killed program) left behind.
    static void RemoveLeftoverDownloads();

signals:
    void progress(int done, int total);
    void finished();

private:
    void onTransferFinished(int transfer, const TransferPool::Result& result);
    void onCompared(const QList<int>& checks, const QList<SnapshotComparison>& results);
    // Applies the comparisons of `checks`, or has a page loaded once more first.
    void applyComparisons(const QList<int>& checks, const QList<SnapshotComparison>& results);
    void startSecondLoad(int index);
    void onSecondLoadFinished(int index, const TransferPool::Result& result);
    // Keeps what the second load of `job` learned under its rule.
    void learn(CheckJob& job, const ChangeRule& learned);
    // Applies what came of `job` to its row and to the run's last download.
    void settle(const CheckJob& job, const CheckJob::Ending& ending);
    // Records what `job` found and counts it done.
    void finishJob(CheckJob& job, const CheckJob::Ending& ending, const TransferPool::Result& result);
    void recordState(const CheckJob& job, const CheckJob::Ending& ending, const TransferPool::Result& result);
    void stampRow(const CheckJob& job, bool changed);
    // A download that did not become a snapshot is kept for the last download when it comes
    // later in the run's order than the one kept so far.
    void keepAsLastDownload(const CheckJob& job);
    void end();

    FavoritesList& m_list;
    FavoriteStates* m_states = nullptr;
    const ChangeRules* m_rules = nullptr;
    ChangeRules* m_learnInto = nullptr;
    // The clock of the options: the stamps of rows and states.
    std::function<QDateTime()> m_now;
    std::chrono::milliseconds m_secondLoadDelay;
    // The transfers of second loads.
    QSet<int> m_secondLoads;
    HistoryRecorder* m_history = nullptr;
    std::unique_ptr<TransferPool> m_pool;
    std::vector<CheckJob> m_jobs;
    // The job of each transfer of the pool.
    QHash<int, int> m_jobOfTransfer;
    KnownSnapshots m_ownKnown;
    KnownSnapshots* m_known = &m_ownKnown;
    // Checks whose download waits for its comparison, and those on the thread pool.
    ComparisonQueue m_comparisons;
    int m_done = 0;
    int m_lastKeptOrder = -1;
    bool m_started = false;
    bool m_finished = false;
    bool m_stopped = false;
    bool m_anyChanged = false;
    bool m_learnedAny = false;
};
