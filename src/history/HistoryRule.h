// Which copies of a favorite the history keeps: every copy of the last 7 days, then the last
// copy of each day for 90 days, then the last copy of each week, at most 500 copies of one
// favorite and at most 256 MiB in all (the oldest copies go first).
#pragma once

#include <QDateTime>
#include <QList>

struct HistoryLimits {
    int everyCopyDays = 7;
    int dailyCopyDays = 90;
    int maxCopiesPerFavorite = 500;
    qint64 maxBytes = qint64(256) << 20;
};

// The copies of one favorite that go, given the times they were taken (in any order) and the
// time now: their indices in `taken`. The newest copy always stays. Days and weeks are those
// of the local calendar, weeks from Monday.
QList<qsizetype> CopiesToThin(const QList<QDateTime>& taken, const QDateTime& now, const HistoryLimits& limits = {});
