// The transfer pool: each queued transfer's turn, its start on the socket loop, and its
// outcome, with the waits that servers ask for.
#include "platform/TransferPool.h"

#include "platform/HostWaits.h"

TransferPool::TransferPool(const TransferOptions& options, QObject* parent)
    : QObject(parent)
    , m_session(options.sessionRefused)
    , m_options(options)
    , m_queue(options.maxTransfers, options.maxPerHost)
{
    if (!m_options.waits)
        m_options.waits = std::make_shared<HostWaits>();
    connect(&m_loop, &SocketLoop::ended, this, &TransferPool::onEnded);
}

TransferPool::~TransferPool()
{
    abortAll();
}

int TransferPool::add(
    const QString& address, const QString& fileName, const QString& exclusiveKey, const Validators& validators)
{
    const int id = m_nextId++;
    m_queue.push(std::make_unique<Transfer>(id, address, fileName, exclusiveKey, validators));
    startQueued();
    return id;
}

void TransferPool::abortAll()
{
    ++m_generation;
    m_queue.clear();
    while (!m_running.empty())
        release(std::move(m_running.extract(m_running.begin()).mapped()));
    m_loop.stopTimer();
}

void TransferPool::startQueued()
{
    m_queue.startQueued([this](std::unique_ptr<Transfer> transfer) { return start(std::move(transfer)); });
}

bool TransferPool::start(std::unique_ptr<Transfer> transfer)
{
    if (const QDateTime until = m_options.waits->until(transfer->server(), m_options.currentTime()); until.isValid()) {
        const QString message = HostWaits::Message(until);
        refuse(std::move(transfer), TransferResult::failed(TransferResult::Outcome::ServerWaiting, message, message));
        return false;
    }
    Transfer::EasyHandle easy;
    if (!m_spareHandles.empty()) {
        easy = std::move(m_spareHandles.back());
        m_spareHandles.pop_back();
    } else {
        easy.reset(curl_easy_init());
    }
    QString refusal = transfer->setUp(std::move(easy), m_session.shareHandle(), m_options);
    if (refusal.isEmpty()) {
        if (const CURLMcode added = m_loop.add(transfer->handle()); added != CURLM_OK)
            refusal = QString::fromUtf8(curl_multi_strerror(added));
    }
    if (!refusal.isEmpty()) {
        const QString detail = QStringLiteral("Cannot open %1: %2").arg(transfer->address(), refusal);
        refuse(std::move(transfer),
            TransferResult::failed(TransferResult::Outcome::Failed, detail, detail.section(QStringLiteral(": "), -1)));
        return false;
    }
    CURL* handle = transfer->handle();
    m_running.emplace(handle, std::move(transfer));
    return true;
}

void TransferPool::refuse(std::unique_ptr<Transfer> transfer, TransferResult result)
{
    // Reported from the event loop, as every other outcome is.
    const int id = transfer->id();
    const int generation = m_generation;
    release(std::move(transfer));
    QMetaObject::invokeMethod(
        this,
        [this, id, generation, result] {
            if (generation == m_generation)
                emit finished(id, result);
        },
        Qt::QueuedConnection);
}

void TransferPool::release(std::unique_ptr<Transfer> transfer)
{
    if (!transfer->handle())
        return;
    m_loop.remove(transfer->handle());
    Transfer::EasyHandle easy = transfer->takeHandle();
    if (static_cast<int>(m_spareHandles.size()) < m_options.maxTransfers)
        m_spareHandles.push_back(std::move(easy));
}

void TransferPool::onEnded(CURL* easy, CURLcode code)
{
    const auto found = m_running.find(easy);
    if (found == m_running.end())
        return;
    std::unique_ptr<Transfer> transfer = std::move(found->second);
    m_running.erase(found);
    m_queue.ended(*transfer);
    TransferResult result = transfer->finish(code);
    if (transfer->askedToWait()) {
        const QDateTime until = m_options.waits->record(
            transfer->server(), transfer->retryAfter(), m_options.currentTime(), m_options.maxWaitSeconds);
        if (until.isValid()) {
            // The row of the favorite that asked says until when, as the rows refused after it.
            result.outcome = TransferResult::Outcome::ServerWaiting;
            result.message = HostWaits::Message(until);
            result.detail += QStringLiteral("; ") + result.message;
        }
    }
    const int id = transfer->id();
    release(std::move(transfer));
    startQueued();
    emit finished(id, result);
}
