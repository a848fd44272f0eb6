// Page downloads side by side, driven by the Qt event loop that runs the pool, so that the
// window stays alive while pages download. The pool queues its transfers (TransferQueue),
// runs them on libcurl's socket loop (SocketLoop), leaves a server alone while it asked to
// wait (HostWaits), and reports each transfer's outcome once.
#pragma once

#include "platform/InternetSession.h"
#include "platform/SocketLoop.h"
#include "platform/Transfer.h"
#include "platform/TransferOptions.h"
#include "platform/TransferQueue.h"

#include <QObject>
#include <QString>

#include <map>
#include <memory>
#include <vector>

class TransferPool : public QObject {
    Q_OBJECT
public:
    using Validators = ::Validators;
    using Result = TransferResult;

    // Throws InternetError when no internet session can be had.
    explicit TransferPool(const TransferOptions& options = {}, QObject* parent = nullptr);
    ~TransferPool() override;

    // Queues a download of `address` into `fileName`, which is created (or truncated) once
    // the server answers with the page. Transfers with the same non-empty `exclusiveKey` never
    // run at the same time and start in the order they were queued. With `validators` the
    // request is conditional. Returns the transfer's id.
    //
    // A server that answers 429 or 503 with a Retry-After is not asked again before that time,
    // at most the options' longest wait: its transfers fail at once until then, in this pool
    // and in every pool that shares the options' waits.
    int add(const QString& address, const QString& fileName, const QString& exclusiveKey = {},
        const Validators& validators = {});

    // Abandons every queued and running transfer without a word: no finished() for them.
    // Their files are closed and left as they are.
    void abortAll();

    // Transfers queued or running.
    int pending() const { return m_queue.queued() + running(); }
    int running() const { return static_cast<int>(m_running.size()); }

signals:
    void finished(int id, const TransferPool::Result& result);

private:
    void startQueued();
    // Starts `transfer`; false when it failed at once instead.
    bool start(std::unique_ptr<Transfer> transfer);
    void onEnded(CURL* easy, CURLcode code);
    // Fails `transfer` from the event loop without starting it.
    void refuse(std::unique_ptr<Transfer> transfer, TransferResult result);
    void release(std::unique_ptr<Transfer> transfer);

    InternetSession m_session;
    TransferOptions m_options;
    SocketLoop m_loop;
    TransferQueue m_queue;
    int m_nextId = 1;
    // Counts abortAll() calls, so that a failure reported later belongs to no aborted transfer.
    int m_generation = 0;
    std::map<CURL*, std::unique_ptr<Transfer>> m_running;
    // Easy handles of finished transfers, reset for the next.
    std::vector<Transfer::EasyHandle> m_spareHandles;
};
