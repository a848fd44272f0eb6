// The checks of the favorites: the hourly tick and which rows it finds due, Update All Now,
// the first snapshot of a new favorite, and what follows a run (the sort and the save). It
// runs one CheckRun at a time on the event loop, holds a tick that falls while a run is under
// way or while the window says it is busy, and reports what the window must show.
#pragma once

#include "platform/TransferOptions.h"
#include "store/ChangeRules.h"
#include "store/DialogValues.h"
#include "store/FavoriteStates.h"
#include "check/SnapshotComparison.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <vector>

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

    // The hourly timer; its timeout asks for a tick through tickDue().
    QTimer& timer() { return m_timer; }
    void armTimer() { m_timer.start(kCheckIntervalMs); }

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
    // run has ended and what follows it is done, at once when there was nothing to do.
    //
    // The tick: with `checks` on, every row that is due at this moment is checked; the timer is
    // armed again and the list saved, not sorted. A tick that falls while a run is under way
    // or a Hold lives waits (false). Throws InternetError when no internet session can be had:
    // the timer is then not armed again and nothing is saved.
    bool startTick(bool checks);
    // Update All Now: every row, whatever its frequency; then the sort and the save. Without an
    // internet session every favorite fails as a download that fails.
    bool startUpdateAll();
    // The first snapshot of `address`, downloaded straight into its snapshot file; then
    // firstSnapshotStamp(). Nothing is sorted or saved.
    bool startFirstSnapshot(const QString& address);
    // The Last Updated stamp of the last first snapshot: its time, or "Never" when the download
    // failed or was stopped.
    QString firstSnapshotStamp() const { return m_firstSnapshotStamp; }
    // The first snapshots of several addresses in one run side by side, as
    // startFirstSnapshot(); then firstSnapshotsDownloaded(), and firstSnapshotStamp() is the
    // time the run ended once any was downloaded.
    bool startFirstSnapshots(const QStringList& addresses);
    // The addresses of the last startFirstSnapshots() whose first snapshot was downloaded.
    QStringList firstSnapshotsDownloaded() const { return m_firstSnapshotsDownloaded; }

    // Ends the run under way, keeping what finished; finished() follows.
    void stop();

    bool isRunning() const { return m_run != nullptr; }
    bool isTickWaiting() const { return m_tickWaiting; }
    int done() const;
    int total() const;

signals:
    // The timer fired, or a tick that waited may run now: the window runs startTick().
    void tickDue();
    // The downloads of a run begin and end; in between the window holds off its commands.
    void runStarted();
    void progress(int done, int total);
    void runEnded();
    // A check of the run that just ended marked a row changed; the list is saved once the
    // window has asked the user.
    void changesFound();
    // Saving the list failed; the list in memory is as it was.
    void saveFailed(const QString& message);
    // All that follows the run is done: the list is sorted and saved where its kind asks.
    void finished(bool anyChanged);

private:
    enum class Kind { Tick, UpdateAll, FirstSnapshot };

    // A run that records into the states. Throws InternetError when no session can be had.
    std::unique_ptr<CheckRun> makeRun();
    // Starts `run` as the run under way.
    void begin(std::unique_ptr<CheckRun> run, Kind kind);
    void onRunFinished();
    void save();
    void saveStates();
    // A tick that had to wait asks for its turn once nothing holds it off.
    void releaseWaitingTick();

    FavoritesList& m_list;
    FavoriteStates m_states;
    ChangeRules m_rules;
    // What the checks under Page text learnt of the snapshots' text, kept while the program runs.
    KnownSnapshots m_knownSnapshots;
    TransferOptions m_transferOptions;
    QTimer m_timer;
    std::unique_ptr<CheckRun> m_run;
    // Runs that have ended, kept until no signal of theirs is under way: a run ends inside
    // its own signal, and a tick may start another while the window asks the user.
    std::vector<std::unique_ptr<CheckRun>> m_endedRuns;
    int m_endingDepth = 0;
    Kind m_kind = Kind::Tick;
    int m_firstSnapshotJob = -1;
    QString m_firstSnapshotStamp;
    // The jobs of startFirstSnapshots() by address, and what came of them.
    QHash<QString, int> m_firstSnapshotJobs;
    QStringList m_firstSnapshotsDownloaded;
    int m_holds = 0;
    bool m_tickWaiting = false;
    // The frequency that a tick gives a row whose code is none of the four letters: that of
    // the row before it, also across ticks. The Add or Edit dialog keeps its own choice in
    // g_nCurrentFrequency, which a tick inside the dialog must not touch.
    int m_tickFrequency = FREQ_NONE;
};
