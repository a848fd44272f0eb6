// The comparisons of a run's downloads with their snapshots on Qt's thread pool: a queue of
// checks whose download waits, handed to the pool a few at a time, so that memory holds only
// the pages being compared, and never two comparisons of one snapshot at once.
#pragma once

#include "check/ChangeRule.h"
#include "check/SnapshotComparison.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <atomic>
#include <deque>
#include <memory>

class ComparisonQueue : public QObject {
    Q_OBJECT
public:
    // One check's comparison: `download` against `snapshot` by `rule`; `check` names it.
    struct Task {
        int check = -1;
        QString snapshot;
        QString download;
        ChangeRule rule;
        // A second load of the page, when there is one (see CompareWithSecondLoad).
        SecondLoad second {};
    };

    explicit ComparisonQueue(QObject* parent = nullptr);
    // Waits for the comparisons under way: they read their downloads until they end.
    ~ComparisonQueue() override;

    // What is known of the snapshots' text, read as each comparison is handed to the pool;
    // the receiver of compared() keeps it up to date.
    void setKnownSnapshots(const KnownSnapshots* known) { m_known = known; }

    // Queues `task`; start() hands it to the pool when its turn comes.
    void add(Task task);
    // Hands the waiting comparisons to the pool, as far as the bound on tasks in flight and
    // the order of the comparisons of one snapshot allow.
    void start();
    // Drops the waiting comparisons and asks those under way to end soon; each still ends
    // with compared(), its results then not to be used.
    void cancel();

    // Tasks of the pool under way, and whether `check` is one of their comparisons.
    int inFlight() const { return m_inFlight; }
    bool isComparing(int check) const { return m_comparing.contains(check); }
    // Waits for every comparison under way to end, and returns their checks.
    QList<int> waitForAll();

signals:
    // A task of the pool has ended: `results` in the order of `checks`, fewer when it was
    // cancelled. Its snapshots are free for the next comparison once the slot returns and
    // start() is called.
    void compared(const QList<int>& checks, const QList<SnapshotComparison>& results);

private:
    class Batch;
    void onFinished(Batch* batch);

    const KnownSnapshots* m_known = nullptr;
    // Comparisons that wait, in the order their downloads ended.
    std::deque<Task> m_waiting;
    int m_inFlight = 0;
    QSet<int> m_comparing;
    // The snapshots of the comparisons under way.
    QSet<QString> m_snapshots;
    QList<Batch*> m_batches;
    // Set once the run no longer wants the comparisons under way.
    std::shared_ptr<std::atomic<bool>> m_cancelled = std::make_shared<std::atomic<bool>>(false);
};
