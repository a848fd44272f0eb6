// When favorites are checked and what follows a run of checks.
#include "check/CheckScheduler.h"

#include "check/CheckRun.h"
#include "check/Schedule.h"
#include "check/SnapshotName.h"
#include "platform/Clock.h"
#include "platform/NelvoxError.h"
#include "store/FavoritesFile.h"
#include "store/FavoritesList.h"

CheckScheduler::CheckScheduler(FavoritesList& list, QObject* parent)
    : QObject(parent)
    , m_list(list)
{
    qRegisterMetaType<RunReport>();
    connect(&m_timer, &QTimer::timeout, this, &CheckScheduler::runTick);
    connect(&m_history, &HistoryRecorder::unavailable, this, &CheckScheduler::historyFailed);
}

CheckScheduler::~CheckScheduler() = default;

CheckScheduler::Hold::Hold(CheckScheduler& scheduler)
    : m_scheduler(scheduler)
{
    ++m_scheduler.m_holds;
}

CheckScheduler::Hold::~Hold()
{
    --m_scheduler.m_holds;
    m_scheduler.releaseWaitingTick();
}

int CheckScheduler::done() const
{
    return m_run ? m_run->done() : 0;
}

int CheckScheduler::total() const
{
    return m_run ? m_run->total() : 0;
}

void CheckScheduler::stopTicks()
{
    m_ticksStopped = true;
    m_tickWaiting = false;
    m_timer.stop();
}

void CheckScheduler::runTick()
{
    if (m_ticksStopped)
        return;
    try {
        startTick();
    } catch (const NelvoxError& error) {
        qCInfo(lcCheck) << "tick without an internet session:" << error.message();
        emit tickFailed(error.message());
    }
}

bool CheckScheduler::endAtOnce(const RunReport& report)
{
    emit finished(report);
    return true;
}

bool CheckScheduler::startTick()
{
    if (m_run || m_holds > 0) {
        if (!m_tickWaiting)
            qCInfo(lcCheck) << "tick held until" << (m_run ? "the run under way ends" : "the open dialog closes");
        m_tickWaiting = true;
        return false;
    }
    m_tickWaiting = false;
    if (!m_checksEnabled) {
        qCInfo(lcCheck) << "tick: the notification box is cleared, nothing is checked";
        armTimer();
        save();
        return endAtOnce({});
    }
    auto run = makeRun();
    // Which rows are due is settled at the tick's time, before any download, so that a slow
    // page cannot make the rows after it miss their hour.
    const QDateTime tickTime = m_transferOptions.currentTime();
    for (int row = 0; row < m_list.count(); ++row) {
        m_tickFrequency = ScheduledFrequency(m_list.at(row).frequency, m_tickFrequency);
        if (IsDue(m_tickFrequency, tickTime))
            run->addCheck(row);
    }
    qCInfo(lcCheck) << "tick at" << tickTime.toString(Qt::ISODate) << ":" << run->total() << "of" << m_list.count()
                    << "favorites due";
    begin(std::move(run), RunReport::Kind::Tick);
    return true;
}

bool CheckScheduler::startUpdateAll()
{
    if (m_run)
        return false;
    std::unique_ptr<CheckRun> run;
    try {
        run = makeRun();
    } catch (const NelvoxError& error) {
        qCInfo(lcCheck) << "Update All Now without an internet session:" << error.message();
        SortFavorites(m_list);
        save();
        RunReport report;
        report.kind = RunReport::Kind::UpdateAll;
        return endAtOnce(report);
    }
    for (int row = 0; row < m_list.count(); ++row)
        run->addCheck(row);
    begin(std::move(run), RunReport::Kind::UpdateAll);
    return true;
}

bool CheckScheduler::startFirstSnapshots(const QStringList& addresses)
{
    if (m_run)
        return false;
    m_firstSnapshotJobs.clear();
    std::unique_ptr<CheckRun> run;
    try {
        run = makeRun();
    } catch (const NelvoxError& error) {
        // A session that cannot even be created is one more failed download.
        qCInfo(lcCheck) << addresses.size() << "first snapshots without an internet session:" << error.message();
        RunReport report;
        report.kind = RunReport::Kind::FirstSnapshots;
        for (const QString& address : addresses)
            report.firstSnapshotTimes.insert(address, QDateTime());
        return endAtOnce(report);
    }
    for (const QString& address : addresses)
        m_firstSnapshotJobs.insert(address, run->addFirstSnapshot(address));
    begin(std::move(run), RunReport::Kind::FirstSnapshots);
    return true;
}

std::unique_ptr<CheckRun> CheckScheduler::makeRun()
{
    auto run = std::make_unique<CheckRun>(m_list, m_transferOptions);
    run->setStates(&m_states);
    run->setRules(&m_rules);
    run->setLearnedRules(&m_rules);
    run->setHistory(&m_history);
    // What earlier starts learnt of the snapshots' text, where this start has learnt nothing yet.
    for (const Favorite& row : m_list.rows()) {
        const QString& address = row.address;
        const FavoriteState* state = m_states.find(address);
        const QString snapshot = SnapshotFileName(address);
        if (!state || state->knownText.isEmpty() || m_knownSnapshots.contains(snapshot))
            continue;
        if (const auto known = KnownSnapshot::FromText(state->knownText, m_rules.rule(address)))
            m_knownSnapshots.insert(snapshot, *known);
    }
    run->setKnownSnapshots(&m_knownSnapshots);
    return run;
}

void CheckScheduler::stop()
{
    if (!m_run)
        return;
    qCInfo(lcCheck) << "run stopped after" << m_run->done() << "of" << m_run->total() << "checks";
    m_run->stop();
}

void CheckScheduler::begin(std::unique_ptr<CheckRun> run, RunReport::Kind kind)
{
    m_run = std::move(run);
    m_kind = kind;
    connect(m_run.get(), &CheckRun::progress, this, &CheckScheduler::progress);
    // What follows a run comes from the event loop, not from inside whatever ended it (a Stop
    // button's click, the last download's socket), so that the run can go at once.
    connect(m_run.get(), &CheckRun::finished, this, &CheckScheduler::onRunFinished, Qt::QueuedConnection);
    emit runStarted();
    m_run->start();
}

void CheckScheduler::onRunFinished()
{
    const std::unique_ptr<CheckRun> run = std::move(m_run);
    RunReport report;
    report.kind = m_kind;
    report.anyChanged = run->anyChanged();
    report.stopped = run->wasStopped();
    if (m_kind == RunReport::Kind::FirstSnapshots) {
        const QDateTime now = m_transferOptions.currentTime();
        for (auto job = m_firstSnapshotJobs.cbegin(); job != m_firstSnapshotJobs.cend(); ++job) {
            const bool downloaded = run->downloaded(job.value());
            report.firstSnapshotTimes.insert(job.key(), downloaded ? now : QDateTime());
            if (downloaded)
                report.firstSnapshotsDownloaded << job.key();
        }
        m_firstSnapshotJobs.clear();
    }
    emit runEnded();
    // The list is saved before the window asks the user about the changes: a program ended
    // while the prompt is open loses nothing.
    if (m_kind == RunReport::Kind::Tick && !m_ticksStopped)
        armTimer();
    if (m_kind == RunReport::Kind::UpdateAll)
        SortFavorites(m_list);
    if (m_kind != RunReport::Kind::FirstSnapshots)
        save();
    if (run->learnedAny())
        saveLearnedRules();
    saveStates();
    emit finished(report);
    releaseWaitingTick();
}

void CheckScheduler::save()
{
    try {
        SaveFavorites(m_list);
    } catch (const NelvoxError& error) {
        qCInfo(lcCheck) << "saving the favorites failed:" << error.message();
        emit saveFailed(error.message());
    }
}

void CheckScheduler::saveLearnedRules()
{
    // What was learned is learned again at a later check: no reason to bother the user.
    try {
        m_rules.save(m_list);
    } catch (const NelvoxError& error) {
        qCInfo(lcCheck) << "saving what changes by itself failed:" << error.message();
    }
}

void CheckScheduler::saveStates()
{
    for (const Favorite& row : m_list.rows()) {
        const QString& address = row.address;
        const auto known = m_knownSnapshots.constFind(SnapshotFileName(address));
        const bool kept = known != m_knownSnapshots.cend() && known->rule == m_rules.rule(address);
        if (kept)
            m_states.at(address).knownText = known->toText();
        else if (m_states.find(address))
            m_states.at(address).knownText.clear();
    }
    // What the checks found is worth keeping but no reason to bother the user: the list's own
    // save reports a data directory that cannot be written.
    try {
        m_states.save(m_list);
    } catch (const NelvoxError& error) {
        qCInfo(lcCheck) << "saving what the checks found failed:" << error.message();
    }
}

void CheckScheduler::releaseWaitingTick()
{
    if (!m_tickWaiting || m_run || m_holds > 0)
        return;
    QTimer::singleShot(0, this, [this] {
        // The timer may have fired first and run the tick.
        if (m_tickWaiting && !m_run && m_holds == 0)
            runTick();
    });
}
