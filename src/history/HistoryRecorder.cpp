// The history's own thread owns the one connection to the database (Qt's connections cannot
// cross threads) and takes the work in the order it was queued.
#include "history/HistoryRecorder.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMetaObject>

Q_LOGGING_CATEGORY(lcHistory, "nelvox.history", QtWarningMsg)

namespace {

// The most copies one transaction keeps.
constexpr size_t kBatch = 64;

} // namespace

HistoryRecorder::HistoryRecorder(QString fileName, HistoryLimits limits, QObject* parent)
    : QObject(parent)
    , m_fileName(std::move(fileName))
    , m_limits(limits)
{
}

HistoryRecorder::~HistoryRecorder()
{
    if (m_thread) {
        {
            QMutexLocker lock(&m_mutex);
            m_quit = true;
            m_changed.wakeAll();
        }
        m_thread->wait();
    }
}

bool HistoryRecorder::isAvailable() const
{
    QMutexLocker lock(&m_mutex);
    return !m_failed;
}

void HistoryRecorder::keep(HistoryEntry entry)
{
    m_kept.insert(entry.address);
    post({ .entry = std::move(entry), .forget = {}, .looked = {} });
}

void HistoryRecorder::forget(const QString& address)
{
    m_kept.remove(address);
    post({ .entry = std::nullopt, .forget = address, .looked = {} });
}

void HistoryRecorder::markLooked(const QString& address)
{
    // A history this start has not opened yet may hold the favorite too.
    if (m_kept.contains(address) || QFileInfo::exists(m_fileName))
        post({ std::nullopt, {}, address });
}

void HistoryRecorder::post(Work work)
{
    QMutexLocker lock(&m_mutex);
    if (m_failed)
        return;
    if (!m_thread) {
        // The file of the working directory at the first copy, wherever the program goes later.
        m_fileName = QDir::current().absoluteFilePath(m_fileName);
        m_thread.reset(QThread::create([this] { writeLoop(); }));
        m_thread->setObjectName(QStringLiteral("history"));
        m_thread->start(QThread::LowPriority);
    }
    m_queue.push_back(std::move(work));
    m_changed.wakeAll();
}

bool HistoryRecorder::waitUntilWritten(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    QMutexLocker lock(&m_mutex);
    while (!m_queue.empty() || m_busy) {
        if (!m_changed.wait(&m_mutex, deadline))
            return false;
    }
    return true;
}

void HistoryRecorder::writeLoop()
{
    HistoryDatabase history(m_fileName, m_limits);
    QMutexLocker lock(&m_mutex);
    for (;;) {
        while (m_queue.empty() && !m_quit)
            m_changed.wait(&m_mutex);
        if (m_queue.empty())
            return;
        // The copies that wait one after another are kept in one transaction: a history that
        // falls behind a run catches up in fewer, larger steps.
        std::vector<HistoryEntry> entries;
        QString forget;
        QString looked;
        while (!m_queue.empty() && m_queue.front().entry && entries.size() < kBatch) {
            entries.push_back(std::move(*m_queue.front().entry));
            m_queue.pop_front();
        }
        if (entries.empty()) {
            forget = std::move(m_queue.front().forget);
            looked = std::move(m_queue.front().looked);
            m_queue.pop_front();
        }
        m_busy = true;
        lock.unlock();
        QString failure;
        try {
            if (!history.isOpen()) {
                // The favorites that have a history need not bring their first copies along.
                const QStringList known = history.addresses();
                QMetaObject::invokeMethod(
                    this, [this, known] { m_kept.unite(QSet<QString>(known.cbegin(), known.cend())); },
                    Qt::QueuedConnection);
            }
            if (!looked.isEmpty()) {
                if (const QList<HistoryCopy> copies = history.copies(looked); !copies.isEmpty())
                    history.setLastLooked(looked, copies.first().id);
            } else if (entries.empty()) {
                history.forget(forget);
            } else {
                history.keep(entries);
            }
        } catch (const HistoryError& error) {
            failure = error.message();
        }
        lock.relock();
        m_busy = false;
        if (!failure.isEmpty()) {
            // Said once; the copies queued after it are dropped, and the file stays as it is.
            qCWarning(lcHistory).noquote() << failure;
            m_failed = true;
            m_queue.clear();
            QMetaObject::invokeMethod(
                this, [this, failure] { emit unavailable(failure); }, Qt::QueuedConnection);
        }
        m_changed.wakeAll();
    }
}

void ForgetHistory(HistoryRecorder* recorder, const QString& address)
{
    if (recorder) {
        recorder->forget(address);
        return;
    }
    if (!QFileInfo::exists(QString::fromLatin1(kHistoryFileName)))
        return;
    try {
        HistoryDatabase history;
        history.forget(address);
    } catch (const HistoryError& error) {
        qCInfo(lcHistory).noquote() << error.message();
    }
}
