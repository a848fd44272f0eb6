// What a run of checks came to, handed over whole when the run has ended: its kind, whether
// a check marked a row changed, whether the user stopped it, and what came of first snapshots.
#pragma once

#include <QDateTime>
#include <QHash>
#include <QMetaType>
#include <QString>
#include <QStringList>

struct RunReport {
    enum class Kind { Tick, UpdateAll, FirstSnapshots };
    Kind kind = Kind::Tick;
    bool anyChanged = false; // a check marked a row changed
    bool stopped = false; // the user stopped the run
    // FirstSnapshots: the Last Updated time of each address asked for, the time the run ended;
    // invalid (never) when its download failed or was stopped.
    QHash<QString, QDateTime> firstSnapshotTimes;
    QStringList firstSnapshotsDownloaded; // addresses whose first snapshot was downloaded
};

Q_DECLARE_METATYPE(RunReport)
