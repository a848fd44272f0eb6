// The transfers waiting for their turn, and the turns they get: no more running at once than
// the limit in all, no more to one host than its own limit, and the transfers of one key one
// after another in the order they came.
#pragma once

#include "platform/Transfer.h"

#include <QHash>
#include <QString>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class TransferQueue {
public:
    TransferQueue(int maxTransfers, int maxPerHost);

    void push(std::unique_ptr<Transfer> transfer);

    // Hands `start` each queued transfer whose turn has come, as far as the limits allow.
    // `start` returns true when the transfer now runs: it counts against the limits until
    // ended() is called for it.
    void startQueued(const std::function<bool(std::unique_ptr<Transfer>)>& start);
    void ended(const Transfer& transfer);

    // Forgets every queued transfer and every count of running ones.
    void clear();

    int queued() const { return m_queued; }
    int running() const { return m_running; }

private:
    int m_maxTransfers;
    int m_maxPerHost;
    // Transfers waiting for their turn, per host, and the hosts in the order they first came.
    std::map<QString, std::deque<std::unique_ptr<Transfer>>> m_queues;
    std::vector<QString> m_hostOrder;
    int m_queued = 0;
    int m_running = 0;
    QHash<QString, int> m_runningPerHost;
    QHash<QString, int> m_runningPerKey;
};
