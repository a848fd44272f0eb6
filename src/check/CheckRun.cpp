// The run of checks side by side, the only way Nelvox fetches a page. Each check (a CheckJob)
// ends on its own row: a stamp of the time its download ended, its state, and the one download
// the run keeps. Downloads of one snapshot never overlap, and neither do their comparisons,
// so that favorites sharing a snapshot are compared one after another in the list's order.
#include "check/CheckRun.h"

#include "check/ChangeRule.h"
#include "check/SnapshotComparison.h"
#include "check/SnapshotName.h"
#include "check/SnapshotReplace.h"
#include "history/HistoryDatabase.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/NelvoxError.h"
#include "store/ChangeRules.h"
#include "store/FavoritesList.h"

#include <QDir>
#include <QRegularExpression>
#include <QTimer>

namespace {

// Each check downloads into a file of its own, "tempupd.nvd.<number>": a snapshot's name
// always ends in ".NVD", so no snapshot can be taken for one of them.
QString downloadFileName(int number)
{
    return QStringLiteral("%1.%2").arg(QLatin1String(kTempDownloadFileName)).arg(number);
}

void removeQuietly(const QString& fileName)
{
    try {
        RemoveFile(fileName);
    } catch (const FileError&) {
        // Gone already, or it cannot go: the next run tries again.
    }
}

} // namespace

CheckRun::CheckRun(FavoritesList& list, const TransferOptions& options, QObject* parent)
    : QObject(parent)
    , m_list(list)
    , m_now(options.now ? options.now : &Clock::GetCurrentTime)
    , m_secondLoadDelay(options.secondLoadDelay)
    , m_pool(std::make_unique<TransferPool>(options))
{
    connect(m_pool.get(), &TransferPool::finished, this,
        [this](int transfer, const TransferPool::Result& result) { onTransferFinished(transfer, result); });
    m_comparisons.setKnownSnapshots(m_known);
    connect(&m_comparisons, &ComparisonQueue::compared, this, &CheckRun::onCompared);
}

CheckRun::~CheckRun()
{
    if (m_started && !m_finished)
        stop();
    // A comparison reads its download until it ends: only then can the download go.
    for (const int index : m_comparisons.waitForAll()) {
        removeQuietly(m_jobs[static_cast<size_t>(index)].file);
        if (!m_jobs[static_cast<size_t>(index)].secondFile.isEmpty())
            removeQuietly(m_jobs[static_cast<size_t>(index)].secondFile);
    }
}

void CheckRun::addCheck(int row)
{
    const QString address = m_list.at(row).address;
    m_jobs.push_back(CheckJob::Check(address, m_list.idOf(row), downloadFileName(static_cast<int>(m_jobs.size())),
        m_rules ? m_rules->rule(address) : ChangeRule(), m_states ? m_states->find(address) : nullptr));
    m_jobs.back().history = m_history;
    m_jobs.back().now = m_now;
    m_jobs.back().snapshotSeen = !m_list.at(row).changed;
}

int CheckRun::addFirstSnapshot(const QString& address)
{
    m_jobs.push_back(CheckJob::FirstSnapshot(address));
    m_jobs.back().history = m_history;
    m_jobs.back().now = m_now;
    return static_cast<int>(m_jobs.size()) - 1;
}

int CheckRun::total() const
{
    return static_cast<int>(m_jobs.size());
}

bool CheckRun::downloaded(int job) const
{
    return job >= 0 && job < total() && m_jobs[static_cast<size_t>(job)].downloaded;
}

void CheckRun::RemoveLeftoverDownloads()
{
    static const QRegularExpression leftover(
        QStringLiteral("^%1\\.[0-9]+$").arg(QRegularExpression::escape(QLatin1String(kTempDownloadFileName))));
    const QStringList names
        = QDir::current().entryList({ QStringLiteral("%1.*").arg(QLatin1String(kTempDownloadFileName)) },
            QDir::Files | QDir::System | QDir::Hidden);
    for (const QString& name : names) {
        if (leftover.match(name).hasMatch())
            removeQuietly(name);
    }
}

void CheckRun::start()
{
    if (m_started)
        return;
    m_started = true;
    RemoveLeftoverDownloads();
    for (size_t index = 0; index < m_jobs.size(); ++index) {
        CheckJob& job = m_jobs[index];
        job.running = true;
        m_jobOfTransfer.insert(
            m_pool->add(job.address, job.file, job.snapshot, job.validators), static_cast<int>(index));
    }
    if (m_jobs.empty())
        end();
}

void CheckRun::stop()
{
    if (m_finished || m_stopped)
        return;
    m_stopped = true;
    m_comparisons.cancel();
    m_pool->abortAll();
    for (CheckJob& job : m_jobs) {
        if (job.running && job.kind == CheckJob::Kind::Check) {
            // A download under comparison goes once its comparison has ended.
            if (!m_comparisons.isComparing(static_cast<int>(&job - m_jobs.data()))) {
                removeQuietly(job.file);
                if (!job.secondFile.isEmpty())
                    removeQuietly(job.secondFile);
            }
            if (m_states)
                m_states->at(job.address).outcome = FavoriteState::Outcome::Stopped;
        }
        job.running = false;
    }
    if (m_comparisons.inFlight() == 0)
        end();
}

void CheckRun::end()
{
    if (m_lastKeptOrder >= 0) {
        const QString& kept = m_jobs[static_cast<size_t>(m_lastKeptOrder)].file;
        try {
            RenameFile(kept, QString::fromLatin1(kTempDownloadFileName));
        } catch (const FileError&) {
            removeQuietly(kept);
        }
        m_lastKeptOrder = -1;
    }
    m_finished = true;
    emit finished();
}

void CheckRun::onTransferFinished(int transfer, const TransferPool::Result& result)
{
    const auto found = m_jobOfTransfer.constFind(transfer);
    if (found == m_jobOfTransfer.cend() || m_finished || m_stopped)
        return;
    if (m_secondLoads.remove(transfer)) {
        onSecondLoadFinished(*found, result);
        return;
    }
    CheckJob& job = m_jobs[static_cast<size_t>(*found)];
    using Transferred = TransferResult::Outcome;
    if (result.outcome != Transferred::Downloaded && result.outcome != Transferred::NotModified)
        qCInfo(lcCheck).noquote() << job.address << "failed:" << result.detail;
    if (job.needsComparison(result)) {
        job.result = result;
        m_comparisons.add({ *found, job.snapshot, job.file, job.rule, {} });
        m_comparisons.start();
        return;
    }
    const CheckJob::Ending ending = job.judgeDownload(result);
    settle(job, ending);
    finishJob(job, ending, result);
}

void CheckRun::settle(const CheckJob& job, const CheckJob::Ending& ending)
{
    if (ending.stamped)
        stampRow(job, ending.changed);
    m_anyChanged = m_anyChanged || ending.changed;
    if (ending.downloadLeft)
        keepAsLastDownload(job);
}

void CheckRun::finishJob(CheckJob& job, const CheckJob::Ending& ending, const TransferPool::Result& result)
{
    job.running = false;
    recordState(job, ending, result);
    ++m_done;
    emit progress(m_done, total());
    if (m_done == total())
        end();
}

void CheckRun::onCompared(const QList<int>& checks, const QList<SnapshotComparison>& results)
{
    if (m_stopped) {
        for (const int index : checks) {
            removeQuietly(m_jobs[static_cast<size_t>(index)].file);
            if (!m_jobs[static_cast<size_t>(index)].secondFile.isEmpty())
                removeQuietly(m_jobs[static_cast<size_t>(index)].secondFile);
        }
        if (m_comparisons.inFlight() == 0)
            end();
        return;
    }
    applyComparisons(checks, results);
}

void CheckRun::applyComparisons(const QList<int>& checks, const QList<SnapshotComparison>& results)
{
    std::vector<std::pair<CheckJob*, CheckJob::Ending>> endings;
    for (qsizetype at = 0; at < checks.size(); ++at) {
        const int index = checks[at];
        CheckJob& job = m_jobs[static_cast<size_t>(index)];
        if (job.wantsSecondLoad(results[at])) {
            // Later, so that what changes by itself has changed; the run goes on meanwhile.
            job.firstComparison = results[at];
            job.secondFile = downloadFileName(total() + index);
            QTimer::singleShot(m_secondLoadDelay, this, [this, index] { startSecondLoad(index); });
            continue;
        }
        if (results[at].learned)
            learn(job, *results[at].learned);
        endings.emplace_back(&job, job.applyComparison(results[at], *m_known));
        settle(job, endings.back().second);
        if (!job.secondFile.isEmpty())
            removeQuietly(job.secondFile);
    }
    m_comparisons.start();
    // A slot of progress() may stop the run.
    for (auto& [job, ending] : endings) {
        if (m_stopped)
            break;
        finishJob(*job, ending, job->result);
    }
}

void CheckRun::startSecondLoad(int index)
{
    if (m_stopped || m_finished)
        return;
    CheckJob& job = m_jobs[static_cast<size_t>(index)];
    qCInfo(lcCheck).noquote() << job.address << "changed: loaded once more for what changes by itself";
    // One more request like the first: the host's limits and waits hold for it too.
    const int transfer = m_pool->add(job.address, job.secondFile, job.snapshot);
    m_secondLoads.insert(transfer);
    m_jobOfTransfer.insert(transfer, index);
}

void CheckRun::onSecondLoadFinished(int index, const TransferPool::Result& result)
{
    CheckJob& job = m_jobs[static_cast<size_t>(index)];
    if (result.isDownloaded()) {
        // The history of the checks is read where there is one.
        const QString history = m_history ? QString::fromLatin1(kHistoryFileName) : QString();
        m_comparisons.add({ index, job.snapshot, job.file, job.rule, { job.secondFile, history, job.address } });
        m_comparisons.start();
        return;
    }
    // Without a second load the first one's verdict stands.
    qCInfo(lcCheck).noquote() << job.address << "second load failed:" << result.detail;
    applyComparisons({ index }, { *job.firstComparison });
}

void CheckRun::learn(CheckJob& job, const ChangeRule& learned)
{
    const ChangeRule before = job.rule;
    job.rule = learned;
    if (!m_learnInto)
        return;
    // A rule the user changed meanwhile learns only while it still ignores what changes by itself.
    const ChangeRule current = m_learnInto->rule(job.address);
    if (current.isPageLength() || !current.ignoreSelfChanging)
        return;
    const auto added = [](const QStringList& now, const QStringList& earlier) {
        QStringList shapes;
        for (const QString& shape : now) {
            if (!earlier.contains(shape))
                shapes << shape;
        }
        return shapes;
    };
    const ChangeRule merged = WithLearned(
        current, added(learned.learnedLines, before.learnedLines), added(learned.learnedLinks, before.learnedLinks));
    if (!(merged == current)) {
        m_learnInto->setRule(job.address, merged);
        m_learnedAny = true;
    }
}

void CheckRun::recordState(const CheckJob& job, const CheckJob::Ending& ending, const TransferPool::Result& result)
{
    if (!m_states)
        return;
    FavoriteState& state = m_states->at(job.address);
    // Kept in UTC, as the state file holds them.
    const QDateTime now = m_now().toUTC();
    const bool wasFailing = state.isFailing();
    state.checked = now;
    state.outcome = ending.outcome;
    if (ending.outcome == FavoriteState::Outcome::Failed) {
        state.failure = ending.reason;
        state.failuresInARow = wasFailing ? state.failuresInARow + 1 : 1;
        if (!wasFailing)
            state.failingSince = now;
        return;
    }
    state.failure.clear();
    state.failuresInARow = 0;
    state.failingSince = {};
    if (result.outcome != TransferResult::Outcome::NotModified) {
        // The validators of the answer that made or confirmed the snapshot.
        state.fetched = now;
        state.etag = result.validators.etag;
        state.lastModified = result.validators.lastModified;
    }
}

void CheckRun::stampRow(const CheckJob& job, bool changed)
{
    // A row deleted meanwhile is no longer there to stamp.
    const int row = m_list.rowOf(job.row);
    if (row < 0 || m_list.at(row).address != job.address)
        return;
    m_list.setLastUpdated(row, m_now());
    if (changed)
        m_list.setChanged(row, true);
}

void CheckRun::keepAsLastDownload(const CheckJob& job)
{
    // Only the download of the latest row in the run's order is kept, and it becomes the last
    // download when the run ends: one rename per run rather than one per favorite.
    const int order = static_cast<int>(&job - m_jobs.data());
    if (order < m_lastKeptOrder) {
        removeQuietly(job.file);
        return;
    }
    if (m_lastKeptOrder >= 0)
        removeQuietly(m_jobs[static_cast<size_t>(m_lastKeptOrder)].file);
    m_lastKeptOrder = order;
}
