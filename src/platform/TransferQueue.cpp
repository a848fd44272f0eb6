// The order and the limits of the transfers of one pool.
#include "platform/TransferQueue.h"

#include <QSet>

TransferQueue::TransferQueue(int maxTransfers, int maxPerHost)
    : m_maxTransfers(maxTransfers)
    , m_maxPerHost(maxPerHost)
{
}

void TransferQueue::push(std::unique_ptr<Transfer> transfer)
{
    auto& queue = m_queues[transfer->host()];
    if (queue.empty())
        m_hostOrder.push_back(transfer->host());
    queue.push_back(std::move(transfer));
    ++m_queued;
}

void TransferQueue::startQueued(const std::function<bool(std::unique_ptr<Transfer>)>& start)
{
    // Each host's queue in turn, in the order the hosts first came, as far as the limits allow.
    for (size_t index = 0; index < m_hostOrder.size() && m_running < m_maxTransfers;) {
        const QString host = m_hostOrder[index];
        std::deque<std::unique_ptr<Transfer>>& queue = m_queues[host];
        // Keys seen on transfers left waiting: a later transfer of the same key keeps its turn.
        QSet<QString> waitingKeys;
        for (auto it = queue.begin();
             it != queue.end() && m_running < m_maxTransfers && m_runningPerHost.value(host) < m_maxPerHost;) {
            const QString key = (*it)->key();
            if (!key.isEmpty() && (m_runningPerKey.value(key) > 0 || waitingKeys.contains(key))) {
                waitingKeys.insert(key);
                ++it;
                continue;
            }
            std::unique_ptr<Transfer> next = std::move(*it);
            it = queue.erase(it);
            --m_queued;
            if (start(std::move(next))) {
                ++m_running;
                m_runningPerHost[host] += 1;
                if (!key.isEmpty())
                    m_runningPerKey[key] += 1;
            }
        }
        if (queue.empty()) {
            m_queues.erase(host);
            m_hostOrder.erase(m_hostOrder.begin() + static_cast<std::ptrdiff_t>(index));
        } else {
            ++index;
        }
    }
}

void TransferQueue::ended(const Transfer& transfer)
{
    --m_running;
    m_runningPerHost[transfer.host()] -= 1;
    if (!transfer.key().isEmpty())
        m_runningPerKey[transfer.key()] -= 1;
}

void TransferQueue::clear()
{
    m_queues.clear();
    m_hostOrder.clear();
    m_queued = 0;
    m_running = 0;
    m_runningPerHost.clear();
    m_runningPerKey.clear();
}
