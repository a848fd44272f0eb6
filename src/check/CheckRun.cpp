// The run of checks side by side, the only way Nelvox fetches a page. Each check ends on its
// own row: the verdict of its rule, the replacement of the snapshot, a stamp of the time its
// download ended. Downloads of one snapshot never overlap, and neither do their comparisons,
// so that favorites sharing a snapshot are compared one after another in the list's order.
#include "check/CheckRun.h"

#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/NelvoxError.h"
#include "platform/TransferPool.h"
#include "store/ChangeRules.h"
#include "store/FavoritesList.h"
#include "check/ChangeRule.h"
#include "check/SnapshotComparison.h"
#include "check/SnapshotHistory.h"
#include "check/SnapshotName.h"
#include "check/SnapshotReplace.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <utility>

Q_LOGGING_CATEGORY(lcCheck, "nelvox.check", QtWarningMsg)

namespace {

// Each check downloads into a file of its own, "tempupd.nvd.<number>": a snapshot's name
// always ends in ".NVD", so no snapshot can be taken for one of them.
QString downloadFileName(int number)
{
    return QStringLiteral("%1.%2").arg(QLatin1String(kTempDownloadFileName)).arg(number);
}

// Only a snapshot that is not there at all makes the download the first: one that cannot be
// read (a folder, a dangling link) is left to the user.
bool snapshotPresent(const QString& fileName)
{
    const QFileInfo info(fileName);
    return info.exists() || info.isSymLink();
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

struct CheckRun::Job {
    enum class Kind { Check, FirstSnapshot };
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
    // From start() until the check has ended or was stopped.
    bool running = false;
    bool downloaded = false;
};

CheckRun::CheckRun(FavoritesList& list, const TransferOptions& options, QObject* parent)
    : QObject(parent)
    , m_list(list)
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
    for (const int index : m_comparisons.waitForAll())
        removeQuietly(m_jobs[static_cast<size_t>(index)].file);
}

void CheckRun::addCheck(int row)
{
    Job job;
    job.address = m_list.text(row, FavoritesList::WebSite);
    job.row = m_list.idOf(row);
    job.snapshot = SnapshotFileName(job.address);
    job.file = downloadFileName(static_cast<int>(m_jobs.size()));
    if (m_rules)
        job.rule = m_rules->rule(job.address);
    // Only a check whose last one made or confirmed the snapshot that is still there may ask
    // "has it changed since?": after a failure or a stop, or without a snapshot, a "not
    // modified" could hide a change.
    if (const FavoriteState* state = m_states ? m_states->find(job.address) : nullptr; state
        && (state->outcome == FavoriteState::Outcome::Changed || state->outcome == FavoriteState::Outcome::Unchanged)
        && QFileInfo::exists(job.snapshot))
        job.validators = { state->etag, state->lastModified };
    m_jobs.push_back(std::move(job));
}

int CheckRun::addFirstSnapshot(const QString& address)
{
    Job job;
    job.kind = Job::Kind::FirstSnapshot;
    job.address = address;
    job.snapshot = SnapshotFileName(address);
    job.file = job.snapshot;
    m_jobs.push_back(std::move(job));
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
        Job& job = m_jobs[index];
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
    for (Job& job : m_jobs) {
        if (job.running && job.kind == Job::Kind::Check) {
            // A download under comparison goes once its comparison has ended.
            if (!m_comparisons.isComparing(static_cast<int>(&job - m_jobs.data())))
                removeQuietly(job.file);
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
    Job& job = m_jobs[static_cast<size_t>(*found)];
    using Transferred = TransferResult::Outcome;
    if (result.outcome != Transferred::Downloaded && result.outcome != Transferred::NotModified)
        qCInfo(lcCheck).noquote() << job.address << "failed:" << result.detail;
    QString reason = result.message;
    FavoriteState::Outcome outcome = FavoriteState::Outcome::Failed;
    if (job.kind == Job::Kind::FirstSnapshot) {
        // As a first download: a snapshot file that cannot be created does not stop the stamp.
        job.downloaded = result.outcome == Transferred::Downloaded || result.outcome == Transferred::FileNotCreated;
        if (result.outcome == Transferred::Downloaded)
            KeepFirstSnapshot(m_history, job.address, job.snapshot);
        if (job.downloaded)
            outcome = FavoriteState::Outcome::Unchanged;
        else if (result.outcome == Transferred::NotModified)
            reason = QStringLiteral("the server answered \"not modified\" to a plain request");
    } else if (result.outcome == Transferred::NotModified) {
        // The snapshot is the page as it is: nothing is downloaded, written or renamed. Without
        // a snapshot there is nothing that could be as it is.
        if (QFileInfo::exists(job.snapshot))
            outcome = FavoriteState::Outcome::Unchanged;
        else
            reason = QStringLiteral("the server answered \"not modified\" to a plain request");
    } else if (!job.rule.isPageLength() && result.isDownloaded() && snapshotPresent(job.snapshot)) {
        job.result = result;
        m_comparisons.add({ *found, job.snapshot, job.file, job.rule });
        m_comparisons.start();
        return;
    } else {
        const bool fileCreated = result.isDownloaded() || result.outcome == Transferred::Incomplete;
        outcome = applyCheck(job, fileCreated, result.isDownloaded(), reason);
    }
    finishJob(job, outcome, reason, result);
}

void CheckRun::finishJob(
    Job& job, FavoriteState::Outcome outcome, const QString& reason, const TransferPool::Result& result)
{
    job.running = false;
    recordState(job, outcome, reason, result);
    ++m_done;
    emit progress(m_done, total());
    if (m_done == total())
        end();
}

void CheckRun::onCompared(const QList<int>& checks, const QList<SnapshotComparison>& results)
{
    if (m_stopped) {
        for (const int index : checks)
            removeQuietly(m_jobs[static_cast<size_t>(index)].file);
        if (m_comparisons.inFlight() == 0)
            end();
        return;
    }
    std::vector<std::pair<FavoriteState::Outcome, QString>> ends;
    for (qsizetype at = 0; at < checks.size(); ++at)
        ends.push_back(applyComparison(m_jobs[static_cast<size_t>(checks[at])], results[at]));
    m_comparisons.start();
    // A slot of progress() may stop the run.
    for (qsizetype at = 0; at < checks.size() && !m_stopped; ++at) {
        Job& job = m_jobs[static_cast<size_t>(checks[at])];
        finishJob(job, ends[static_cast<size_t>(at)].first, ends[static_cast<size_t>(at)].second, job.result);
    }
}

std::pair<FavoriteState::Outcome, QString> CheckRun::applyComparison(Job& job, const SnapshotComparison& comparison)
{
    QString reason = job.result.message;
    FavoriteState::Outcome outcome = FavoriteState::Outcome::Failed;
    m_known->remove(job.snapshot);
    if (comparison.failure.isEmpty()) {
        try {
            outcome = applyJudgement(job, comparison.judgement, reason);
            if (comparison.known)
                m_known->insert(job.snapshot, *comparison.known);
            // The server's validators name the download, which the snapshot is not: a "not
            // modified" to them would say nothing of the snapshot under another rule.
            if (outcome == FavoriteState::Outcome::Unchanged && !comparison.sameBytes)
                job.result.validators = {};
        } catch (const FileError& error) {
            qCInfo(lcCheck).noquote() << job.address << "not compared:" << error.message();
            reason = error.message();
            keepAsLastDownload(job);
        }
    } else {
        qCInfo(lcCheck).noquote() << job.address << "not compared:" << comparison.failure;
        reason = comparison.failure;
        keepAsLastDownload(job);
    }
    return { outcome, reason };
}

FavoriteState::Outcome CheckRun::applyCheck(Job& job, bool fileCreated, bool complete, QString& reason)
{
    if (!fileCreated)
        return FavoriteState::Outcome::Failed;
    if (complete) {
        try {
            std::optional<PageCopy> snapshot;
            if (snapshotPresent(job.snapshot)) {
                QFile snapshotFile;
                if (!OpenForReading(snapshotFile, job.snapshot))
                    throw FileError(QStringLiteral("The snapshot %1 cannot be read.").arg(job.snapshot));
                snapshot = PageCopy { FileLength(snapshotFile), {} };
            }
            return applyJudgement(
                job, JudgeDownload(job.rule, snapshot, PageCopy { FileLength(job.file), {} }), reason);
        } catch (const FileError& error) {
            // The snapshot stays as it was; the download is kept like any other.
            qCInfo(lcCheck).noquote() << job.address << "not compared:" << error.message();
            reason = error.message();
        }
    }
    keepAsLastDownload(job);
    return FavoriteState::Outcome::Failed;
}

FavoriteState::Outcome CheckRun::applyJudgement(Job& job, const Judgement& judgement, QString& reason)
{
    if (judgement.byLength)
        qCInfo(lcCheck).noquote() << job.address
                                  << "compared by length: the text of a copy is too large, or took too long, to read";
    switch (judgement.verdict) {
    case Verdict::Unchanged:
        break;
    case Verdict::Changed:
        ReplaceSnapshotKeepingHistory(m_history, job.address, job.file, job.snapshot);
        m_anyChanged = true;
        stampRow(job, true);
        return FavoriteState::Outcome::Changed;
    case Verdict::FirstSnapshot:
        RenameFile(job.file, job.snapshot);
        KeepFirstSnapshot(m_history, job.address, job.snapshot);
        qCInfo(lcCheck).noquote() << job.address << "had no snapshot: the download is its first";
        stampRow(job, false);
        return FavoriteState::Outcome::Unchanged;
    case Verdict::PartMissing:
        qCInfo(lcCheck).noquote() << job.address << "failed: the part" << job.rule.part << "is not on the page";
        reason = PartMissingReason();
        keepAsLastDownload(job);
        return FavoriteState::Outcome::Failed;
    }
    keepAsLastDownload(job);
    return FavoriteState::Outcome::Unchanged;
}

void CheckRun::recordState(
    const Job& job, FavoriteState::Outcome outcome, const QString& reason, const TransferPool::Result& result)
{
    if (!m_states)
        return;
    FavoriteState& state = m_states->at(job.address);
    // Kept in UTC, as the state file holds them.
    const QDateTime now = Clock::GetCurrentTime().toUTC();
    const bool wasFailing = state.isFailing();
    state.checked = now;
    state.outcome = outcome;
    if (outcome == FavoriteState::Outcome::Failed) {
        state.failure = reason;
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

void CheckRun::stampRow(const Job& job, bool changed)
{
    // A row deleted meanwhile is no longer there to stamp.
    const int row = m_list.rowOf(job.row);
    if (row < 0 || m_list.text(row, FavoritesList::WebSite) != job.address)
        return;
    m_list.setText(row, FavoritesList::LastUpdated, Clock::FormatTimeStamp(Clock::GetCurrentTime()));
    if (changed)
        m_list.setText(row, FavoritesList::Changed, QStringLiteral("YES"));
}

void CheckRun::keepAsLastDownload(const Job& job)
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
