// A run of page downloads side by side: the checks of Update All Now and of the hourly tick,
// or the first snapshot of a favorite that Add or Edit just wrote. The event loop drives it;
// it reports progress, applies each result to the favorite's row as the row is when the
// result comes in, and can be stopped.
#pragma once

#include <QHash>
#include <QList>
#include <QLoggingCategory>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

#include "platform/TransferPool.h"
#include "store/FavoriteStates.h"

class FavoritesList;

// Failures and decisions of the checks; quiet unless QT_LOGGING_RULES="nelvox.check=true".
Q_DECLARE_LOGGING_CATEGORY(lcCheck)

class CheckRun : public QObject {
    Q_OBJECT
public:
    // Throws InternetError when no internet session can be had.
    explicit CheckRun(FavoritesList& list, QObject* parent = nullptr);
    ~CheckRun() override;

    // Where the run records what each check found, and reads the validators of conditional
    // requests from; without it the run records nothing and asks for every page whole.
    void setStates(FavoriteStates* states) { m_states = states; }

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
    // Abandons the downloads in flight: their rows and snapshots stay as they were and their
    // temporary files go. What finished before stays. Then finished().
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
    struct Job;

    void onTransferFinished(int transfer, const TransferPool::Result& result);
    // Applies a check's download to its snapshot and row; what came of it, and why a failure.
    FavoriteState::Outcome applyCheck(Job& job, bool fileCreated, bool complete, QString& reason);
    void recordState(
        const Job& job, FavoriteState::Outcome outcome, const QString& reason, const TransferPool::Result& result);
    void stampRow(const Job& job, bool changed);
    // A download that did not become a snapshot is kept for the last download when it comes
    // later in the run's order than the one kept so far.
    void keepAsLastDownload(const Job& job);
    int findRow(const Job& job);
    void end();

    FavoritesList& m_list;
    FavoriteStates* m_states = nullptr;
    std::unique_ptr<TransferPool> m_pool;
    std::vector<Job> m_jobs;
    // The job of each transfer of the pool.
    QHash<int, int> m_jobOfTransfer;
    // Earlier rows of each address, counted up to m_countedRows, for addCheck().
    QHash<QString, int> m_earlierRows;
    int m_countedRows = 0;
    // The rows of each address, for results, while the list has m_indexedRows rows.
    QHash<QString, QList<int>> m_rowsOfAddress;
    int m_indexedRows = -1;
    int m_done = 0;
    int m_lastKeptOrder = -1;
    bool m_started = false;
    bool m_finished = false;
    bool m_stopped = false;
    bool m_anyChanged = false;
};
