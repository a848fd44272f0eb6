// The comparisons of a run on Qt's thread pool, a few checks per task.
#include "check/ComparisonQueue.h"

#include <QFutureWatcher>
#include <QThreadPool>
#include <QtConcurrent>

#include <algorithm>
#include <optional>
#include <vector>

// One task of the thread pool: the comparisons of a few checks, one after another.
class ComparisonQueue::Batch : public QFutureWatcher<QList<SnapshotComparison>> {
public:
    using QFutureWatcher::QFutureWatcher;
    QList<int> checks;
    QStringList snapshots;
};

ComparisonQueue::ComparisonQueue(QObject* parent)
    : QObject(parent)
{
}

ComparisonQueue::~ComparisonQueue()
{
    cancel();
    waitForAll();
}

void ComparisonQueue::add(Task task)
{
    m_waiting.push_back(std::move(task));
}

void ComparisonQueue::cancel()
{
    m_cancelled->store(true);
    m_waiting.clear();
}

QList<int> ComparisonQueue::waitForAll()
{
    QList<int> checks;
    for (Batch* batch : std::as_const(m_batches)) {
        batch->waitForFinished();
        checks += batch->checks;
    }
    return checks;
}

void ComparisonQueue::start()
{
    if (m_cancelled->load())
        return;
    // The pool's threads are kept busy with a few more tasks waiting in its queue; the rest
    // wait here as files. A long queue goes to the pool in shares of several checks, each
    // task a hop between the threads less.
    const int most = QThreadPool::globalInstance()->maxThreadCount() + 2;
    constexpr qsizetype kMostPerTask = 16;
    // A later comparison of a snapshot waits until the verdict of the earlier one is applied.
    QSet<QString> skipped;
    while (m_inFlight < most) {
        const qsizetype share = std::clamp<qsizetype>(std::ssize(m_waiting) / (most - m_inFlight), 1, kMostPerTask);
        auto* batch = new Batch(this);
        struct Input {
            QString snapshot;
            QString download;
            ChangeRule rule;
            std::optional<KnownSnapshot> known;
            SecondLoad second;
        };
        std::vector<Input> inputs;
        for (auto next = m_waiting.begin(); batch->checks.size() < share && next != m_waiting.end();) {
            if (m_snapshots.contains(next->snapshot) || skipped.contains(next->snapshot)) {
                skipped.insert(next->snapshot);
                ++next;
                continue;
            }
            m_snapshots.insert(next->snapshot);
            m_comparing.insert(next->check);
            batch->checks.append(next->check);
            batch->snapshots.append(next->snapshot);
            inputs.push_back({ next->snapshot, next->download, next->rule, std::nullopt, next->second });
            if (m_known) {
                if (const auto found = m_known->constFind(next->snapshot); found != m_known->cend())
                    inputs.back().known = *found;
            }
            next = m_waiting.erase(next);
        }
        if (batch->checks.isEmpty()) {
            delete batch;
            return;
        }
        ++m_inFlight;
        m_batches.append(batch);
        connect(batch, &QFutureWatcherBase::finished, this, [this, batch] { onFinished(batch); });
        batch->setFuture(QtConcurrent::run([inputs = std::move(inputs), cancelled = m_cancelled] {
            QList<SnapshotComparison> results;
            for (const Input& input : inputs) {
                if (cancelled->load(std::memory_order_relaxed))
                    break;
                results.append(input.second.file.isEmpty()
                        ? CompareWithSnapshot(input.snapshot, input.download, input.rule, input.known, cancelled.get())
                        : CompareWithSecondLoad(
                            input.snapshot, input.download, input.second, input.rule, cancelled.get()));
            }
            return results;
        }));
    }
}

void ComparisonQueue::onFinished(Batch* batch)
{
    // The batch is inside its own signal.
    batch->deleteLater();
    m_batches.removeOne(batch);
    --m_inFlight;
    for (const int check : std::as_const(batch->checks))
        m_comparing.remove(check);
    for (const QString& snapshot : std::as_const(batch->snapshots))
        m_snapshots.remove(snapshot);
    emit compared(batch->checks, m_cancelled->load() ? QList<SnapshotComparison>() : batch->result());
}
