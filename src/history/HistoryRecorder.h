// The history as the checks keep it: copies handed over on the event loop's thread are written
// on a thread of the history's own, in the order they came, so that neither a slow disk nor a
// locked file holds up a check. The database is opened at the first copy: a folder gets a
// history at its next change. A history that cannot be kept is said once, through
// unavailable(), and the copies that follow are dropped; nothing else stops.
#pragma once

#include "history/HistoryDatabase.h"

#include <QMutex>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThread>
#include <QWaitCondition>

#include <deque>
#include <memory>

class HistoryRecorder : public QObject {
    Q_OBJECT
public:
    // `fileName` relative to the working directory at the first copy.
    explicit HistoryRecorder(
        QString fileName = QString::fromLatin1(kHistoryFileName), HistoryLimits limits = {}, QObject* parent = nullptr);
    // Writes what was handed over before it goes.
    ~HistoryRecorder() override;

    // Queues `entry` for the history.
    void keep(HistoryEntry entry);
    // Drops the history of `address`, after the copies queued before.
    void forget(const QString& address);
    // The user has looked at `address`: its newest copy, after the copies queued before, is the
    // one the Changes window compares the next ones with. Nothing for a favorite without copies.
    void markLooked(const QString& address);
    // Whether the history has copies of `address` already, as far as this thread knows: it
    // had when it was opened, or one was handed over since.
    bool hasKept(const QString& address) const { return m_kept.contains(address); }

    // Waits until everything handed over has been written or dropped, at most `timeoutMs`.
    bool waitUntilWritten(int timeoutMs);
    bool isAvailable() const;

signals:
    // The history cannot be kept, said once: the message for the user.
    void unavailable(const QString& message);

private:
    // A copy to keep, an address to forget, or an address whose copies the user looked at.
    struct Work {
        std::optional<HistoryEntry> entry;
        QString forget;
        QString looked;
    };
    void post(Work work);
    void writeLoop();

    QString m_fileName;
    HistoryLimits m_limits;
    QSet<QString> m_kept;
    std::unique_ptr<QThread> m_thread;
    mutable QMutex m_mutex;
    QWaitCondition m_changed;
    std::deque<Work> m_queue;
    bool m_busy = false;
    bool m_quit = false;
    bool m_failed = false;
};

// Drops the history of `address` through `recorder`, after the copies it was handed before; or,
// without one, straight in the history file of the working directory. A history that cannot be
// opened is left alone.
void ForgetHistory(HistoryRecorder* recorder, const QString& address);
