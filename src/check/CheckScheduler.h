// The checks of the favorites: the hourly tick and which rows it finds due, Update All Now,
// the first snapshots of new favorites, and what follows a run (the sort and the save). It
// runs one CheckRun at a time on the event loop, holds a tick that falls while a run is under
// way or while the window says it is busy, and ends every run with its report.
#pragma once

#include "check/RunReport.h"
#include "check/SnapshotComparison.h"
#include "history/HistoryRecorder.h"
#include "platform/TransferOptions.h"
#include "store/ChangeRules.h"
#include "store/FavoriteStates.h"
#include "store/Frequency.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>

class CheckRun;
class FavoritesList;

class CheckScheduler : public QObject {
    Q_OBJECT
public:
    // The period of the scheduled checks.
    static constexpr int kCheckIntervalMs = 3'600'000;

    explicit CheckScheduler(FavoritesList& list, QObject* parent = nullptr);
    ~CheckScheduler() override;

    // What the checks of each favorite found; loadStates() reads it from the data directory,
    // and every run records into it and saves it with the list.
    const FavoriteStates& states() const { return m_states; }
    void loadStates() { m_states.load(); }
    // What counts as a change of each favorite; loadRules() reads it from the data directory
    // and returns false when the file is there but cannot be read. Every run judges by it.
    ChangeRules& rules() { return m_rules; }
    const ChangeRules& rules() const { return m_rules; }
    bool loadRules() { return m_rules.load(); }

    // The limits of every run's downloads, and the waits servers asked for, which last from one
    // run into the next.
    TransferOptions& transferOptions() { return m_transferOptions; }

    // Where every run keeps the pages that become snapshots: "nelvox.history" in the data
    // directory, opened at the first of them.
    HistoryRecorder& history() { return m_history; }

    // The hourly timer; its timeout runs a tick.
    QTimer& timer() { return m_timer; }
    void armTimer() { m_timer.start(kCheckIntervalMs); }
    // Stops the timer and forgets a tick that waits: no tick runs any more.
    void stopTicks();

    // The notification box: with it cleared a tick checks nothing, but arms the timer again
    // and saves the list. On until the window says otherwise.
    void setChecksEnabled(bool enabled) { m_checksEnabled = enabled; }
    bool checksEnabled() const { return m_checksEnabled; }

    // While a Hold lives (a dialog of the window is open), a tick waits; it runs once the last
    // hold has gone and no run is under way.
    class Hold {
    public:
        explicit Hold(CheckScheduler& scheduler);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        CheckScheduler& m_scheduler;
    };

    // Each start returns false when nothing was started; otherwise finished() follows once the
    // run has ended and what follows it (the sort and the saves) is done, at once when there
    // was nothing to do.
    //
    // The tick: with the checks enabled, every row that is due at this moment is checked; the
    // timer is armed again and the list saved, not sorted. A tick that falls while a run is
    // under way or a Hold lives waits (false) and runs once nothing holds it. Throws
    // InternetError when no internet session can be had: the timer is then not armed again
    // and nothing is saved. A tick of the timer or one that waited reports that through
    // tickFailed() instead.
    bool startTick();
    // Update All Now: every row, whatever its frequency; then the sort and the save. Without an
    // internet session every favorite fails as a download that fails.
    bool startUpdateAll();
    // The first snapshots of several addresses in one run side by side, each downloaded
    // straight into its snapshot file; the report gives each its Last Updated stamp, the time
    // the run ended or "Never". Nothing is sorted or saved.
    bool startFirstSnapshots(const QStringList& addresses);
    bool startFirstSnapshot(const QString& address) { return startFirstSnapshots({ address }); }

    // Ends the run under way, keeping what finished; finished() follows.
    void stop();

    bool isRunning() const { return m_run != nullptr; }
    bool isTickWaiting() const { return m_tickWaiting; }
    int done() const;
    int total() const;

signals:
    // The downloads of a run begin and end; in between the window holds off its commands.
    void runStarted();
    void progress(int done, int total);
    void runEnded();
    // Saving the list failed; the list in memory is as it was.
    void saveFailed(const QString& message);
    // A tick of the timer, or one that had waited, could not run: no internet session.
    void tickFailed(const QString& message);
    // The history of the pages cannot be kept, and why; said once, the checks go on.
    void historyFailed(const QString& message);
    // The run has ended and all that follows it is done: the list is sorted and saved where
    // its kind asks, and what the checks found is saved.
    void finished(const RunReport& report);

private:
    // A run that records into the states. Throws InternetError when no session can be had.
    std::unique_ptr<CheckRun> makeRun();
    // Starts `run` as the run under way.
    void begin(std::unique_ptr<CheckRun> run, RunReport::Kind kind);
    void onRunFinished();
    // Ends a start that had nothing to run: `report` follows at once.
    bool endAtOnce(const RunReport& report);
    void save();
    void saveStates();
    // Keeps what the checks learned of what changes by itself in the rules file.
    void saveLearnedRules();
    // A tick of the timer or one that waited: a failure goes out through tickFailed().
    void runTick();
    // A tick that had to wait runs once nothing holds it off.
    void releaseWaitingTick();

    FavoritesList& m_list;
    FavoriteStates m_states;
    ChangeRules m_rules;
    // What the checks under Page text learnt of the snapshots' text, kept while the program runs.
    KnownSnapshots m_knownSnapshots;
    TransferOptions m_transferOptions;
    QTimer m_timer;
    // Before the run, which writes to it.
    HistoryRecorder m_history;
    std::unique_ptr<CheckRun> m_run;
    RunReport::Kind m_kind = RunReport::Kind::Tick;
    // The jobs of startFirstSnapshots() by address.
    QHash<QString, int> m_firstSnapshotJobs;
    int m_holds = 0;
    bool m_tickWaiting = false;
    bool m_ticksStopped = false;
    bool m_checksEnabled = true;
    // The frequency that a tick gives a row whose code is none of the four letters: that of
    // the row before it, also across ticks. The Add or Edit dialog keeps its own choice, which
    // a tick inside the dialog must not touch.
    int m_tickFrequency = FREQ_NONE;
};
