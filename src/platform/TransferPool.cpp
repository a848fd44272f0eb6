// The transfer pool: libcurl's socket interface on QSocketNotifier and a QTimer, with the
// scheduling of queued transfers under the limits per run and per host.
#include "platform/TransferPool.h"

#include "platform/Clock.h"
#include "platform/DownloadOptions.h"
#include "platform/Files.h"
#include "platform/LineEnds.h"
#include "platform/NelvoxError.h"

#include <QFile>
#include <QPointer>
#include <QSet>
#include <QSocketNotifier>

#include <algorithm>

namespace {

// Converted lines gather in a block this large before they go to the file.
constexpr qsizetype kWriteBlockBytes = 32 * 1024;

// The host a transfer counts against: the address's host name, lower case; for an address
// libcurl cannot parse, the address itself.
QString hostOf(const QByteArray& url)
{
    CURLU* parsed = curl_url();
    QString host;
    char* name = nullptr;
    if (parsed
        && curl_url_set(parsed, CURLUPART_URL, url.constData(), CURLU_DEFAULT_SCHEME | CURLU_NON_SUPPORT_SCHEME)
            == CURLUE_OK
        && curl_url_get(parsed, CURLUPART_HOST, &name, 0) == CURLUE_OK) {
        host = QString::fromUtf8(name).toLower();
    } else {
        host = QString::fromUtf8(url);
    }
    curl_free(name);
    curl_url_cleanup(parsed);
    return host;
}

// Hosts that asked to be left alone, and until when (UTC), for every pool of the process.
QHash<QString, QDateTime>& hostWaits()
{
    static QHash<QString, QDateTime> waits;
    return waits;
}

// Why a transfer to `host` may not start now, or nothing.
QString waitFailure(const QString& host)
{
    const auto found = hostWaits().constFind(host);
    if (found == hostWaits().cend())
        return {};
    if (Clock::GetCurrentTime().toUTC() >= *found) {
        hostWaits().remove(host);
        return {};
    }
    return QStringLiteral("the server asked to wait until %1").arg(Clock::FormatTimeStamp(found->toLocalTime()));
}

// The time a Retry-After value names (seconds or an HTTP date), at most a day from now; none
// when it does not parse.
QDateTime retryTime(const QByteArray& value)
{
    const QDateTime now = Clock::GetCurrentTime().toUTC();
    constexpr qint64 kDaySeconds = 24 * 3600;
    bool isNumber = false;
    const qint64 seconds = value.toLongLong(&isNumber);
    QDateTime until;
    if (isNumber && seconds >= 0)
        until = now.addSecs(std::min(seconds, kDaySeconds));
    else
        until = QDateTime::fromString(QString::fromLatin1(value), Qt::RFC2822Date);
    if (!until.isValid())
        return {};
    return std::min(until.toUTC(), now.addSecs(kDaySeconds));
}

bool isHeader(QByteArrayView line, const char* name, QByteArray& value)
{
    const qsizetype length = qstrlen(name);
    if (line.size() <= length || line[length] != ':' || qstrnicmp(line.data(), name, length) != 0)
        return false;
    value = line.sliced(length + 1).toByteArray().trimmed();
    return true;
}

// What went wrong, in the words a user reads in the favorite's tooltip.
QString reasonOf(CURLcode code)
{
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return QStringLiteral("host not found");
    case CURLE_COULDNT_RESOLVE_PROXY:
        return QStringLiteral("proxy not found");
    case CURLE_COULDNT_CONNECT:
        return QStringLiteral("connection refused");
    case CURLE_OPERATION_TIMEDOUT:
        return QStringLiteral("timed out");
    case CURLE_PEER_FAILED_VERIFICATION:
        return QStringLiteral("certificate not trusted");
    case CURLE_SSL_CONNECT_ERROR:
        return QStringLiteral("secure connection failed");
    case CURLE_TOO_MANY_REDIRECTS:
        return QStringLiteral("too many redirects");
    case CURLE_FILESIZE_EXCEEDED:
        return QStringLiteral("page too large");
    case CURLE_GOT_NOTHING:
        return QStringLiteral("the server sent nothing");
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
        return QStringLiteral("connection lost in the middle of the page");
    default:
        return QString::fromUtf8(curl_easy_strerror(code));
    }
}

struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

} // namespace

struct TransferPool::Transfer {
    int id = 0;
    QString address;
    QByteArray url;
    QString fileName;
    QString key;
    QString host;
    std::unique_ptr<CURL, EasyDeleter> easy;
    char errorText[CURL_ERROR_SIZE] = {};

    QFile file;
    QByteArray block;
    LineEndConverter lines;
    qint64 received = 0;
    bool answered = false;
    AnswerWatch answerWatch;
    bool fileRefused = false;
    bool tooLarge = false;
    QString writeFailure;
    // The request's own headers when it is conditional.
    Validators validators;
    std::unique_ptr<curl_slist, SlistDeleter> headers;
    // The answer's status, its reason phrase and the headers we keep of it.
    int status = 0;
    QByteArray reason;
    Validators answerValidators;
    QByteArray retryAfter;

    // The server has answered: the file is created now, as a download that answers does.
    bool openFile()
    {
        answered = true;
        if (!CreateTextFile(file, fileName))
            fileRefused = true;
        return !fileRefused;
    }

    bool writeBlock()
    {
        try {
            WriteText(file, block);
        } catch (const FileError& error) {
            writeFailure = error.message();
            return false;
        }
        block.resize(0);
        return true;
    }

    static size_t onHeader(char* data, size_t size, size_t count, void* self)
    {
        auto* transfer = static_cast<Transfer*>(self);
        const size_t length = size * count;
        const QByteArrayView line(data, static_cast<qsizetype>(length));
        if (line.startsWith("HTTP/")) {
            // Each answer (an interim one, a redirect, the page's own) starts afresh.
            const QList<QByteArray> parts = line.toByteArray().trimmed().split(' ');
            transfer->reason = parts.mid(2).join(' ');
            transfer->answerValidators = {};
            transfer->retryAfter.clear();
        } else {
            isHeader(line, "etag", transfer->answerValidators.etag)
                || isHeader(line, "last-modified", transfer->answerValidators.lastModified)
                || isHeader(line, "retry-after", transfer->retryAfter);
        }
        if (transfer->answered || !transfer->answerWatch.endsAnswer(transfer->easy.get(), line))
            return length;
        long code = 0;
        curl_easy_getinfo(transfer->easy.get(), CURLINFO_RESPONSE_CODE, &code);
        transfer->status = static_cast<int>(code);
        // No file for an error page, whose transfer ends here, nor for "not modified", whose
        // connection may serve the next request.
        if (code >= 400)
            return 0;
        if (code == 304)
            return length;
        // The file is created once the page itself answers, as a download that answers does.
        if (!transfer->openFile())
            return 0;
        return length;
    }

    static size_t onData(char* data, size_t size, size_t count, void* self)
    {
        auto* transfer = static_cast<Transfer*>(self);
        const size_t length = size * count;
        if (transfer->status == 304)
            return 0;
        if (!transfer->answered && !transfer->openFile())
            return 0;
        if (transfer->fileRefused)
            return 0;
        transfer->received += static_cast<qint64>(length);
        if (transfer->received > DownloadLimits::maxBytes) {
            transfer->tooLarge = true;
            return 0;
        }
        transfer->lines.feed(QByteArrayView(data, static_cast<qsizetype>(length)), transfer->block);
        if (transfer->block.size() >= kWriteBlockBytes && !transfer->writeBlock())
            return 0;
        return length;
    }
};

// The notifiers of one socket that libcurl asked us to watch.
struct TransferPool::Watch {
    QSocketNotifier* read = nullptr;
    QSocketNotifier* write = nullptr;

    ~Watch()
    {
        // Possibly inside the notifier's own signal: it goes once control is back in the loop.
        for (QSocketNotifier* notifier : { read, write }) {
            if (notifier) {
                notifier->setEnabled(false);
                notifier->deleteLater();
            }
        }
    }
};

TransferPool::TransferPool(QObject* parent)
    : QObject(parent)
    , m_multi(curl_multi_init())
{
    if (!m_multi)
        throw InternetError(QStringLiteral("Cannot start an internet session: out of memory"));
    curl_multi_setopt(m_multi.get(), CURLMOPT_SOCKETFUNCTION, &TransferPool::onSocket);
    curl_multi_setopt(m_multi.get(), CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(m_multi.get(), CURLMOPT_TIMERFUNCTION, &TransferPool::onTimer);
    curl_multi_setopt(m_multi.get(), CURLMOPT_TIMERDATA, this);
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] { act(CURL_SOCKET_TIMEOUT, 0); });
}

TransferPool::~TransferPool()
{
    abortAll();
    m_watches.clear();
}

int TransferPool::add(
    const QString& address, const QString& fileName, const QString& exclusiveKey, const Validators& validators)
{
    auto transfer = std::make_unique<Transfer>();
    transfer->id = m_nextId++;
    transfer->address = address;
    transfer->url = address.toUtf8();
    transfer->fileName = fileName;
    transfer->key = exclusiveKey;
    transfer->host = hostOf(transfer->url);
    transfer->validators = validators;
    const int id = transfer->id;
    auto& queue = m_queues[transfer->host];
    if (queue.empty())
        m_hostOrder.push_back(transfer->host);
    queue.push_back(std::move(transfer));
    ++m_queued;
    startQueued();
    return id;
}

void TransferPool::abortAll()
{
    ++m_generation;
    m_queues.clear();
    m_hostOrder.clear();
    m_queued = 0;
    while (!m_running.empty()) {
        auto node = m_running.extract(m_running.begin());
        node.mapped()->file.close();
        release(std::move(node.mapped()));
    }
    m_runningPerHost.clear();
    m_runningPerKey.clear();
    m_timeout.stop();
}

void TransferPool::startQueued()
{
    // Each host's queue in turn, in the order the hosts first came, as far as the limits allow.
    for (size_t index = 0; index < m_hostOrder.size() && running() < TransferLimits::maxTransfers;) {
        const QString host = m_hostOrder[index];
        std::deque<std::unique_ptr<Transfer>>& queue = m_queues[host];
        // Keys seen on transfers left waiting: a later transfer of the same key keeps its turn.
        QSet<QString> waitingKeys;
        for (auto it = queue.begin(); it != queue.end() && running() < TransferLimits::maxTransfers
             && m_runningPerHost.value(host) < TransferLimits::maxPerHost;) {
            const QString& key = (*it)->key;
            if (!key.isEmpty() && (m_runningPerKey.value(key) > 0 || waitingKeys.contains(key))) {
                waitingKeys.insert(key);
                ++it;
                continue;
            }
            std::unique_ptr<Transfer> next = std::move(*it);
            it = queue.erase(it);
            --m_queued;
            if (const QString failure = waitFailure(host); !failure.isEmpty())
                refuse(std::move(next), failure);
            else
                start(std::move(next));
        }
        if (queue.empty()) {
            m_queues.erase(host);
            m_hostOrder.erase(m_hostOrder.begin() + static_cast<std::ptrdiff_t>(index));
        } else {
            ++index;
        }
    }
}

void TransferPool::start(std::unique_ptr<Transfer> transfer)
{
    if (!m_spareHandles.empty()) {
        transfer->easy = std::move(m_spareHandles.back());
        m_spareHandles.pop_back();
    } else {
        transfer->easy.reset(curl_easy_init());
    }
    Transfer* self = transfer.get();
    CURL* easy = self->easy.get();
    const CURLcode result = easy ? ConfigureDownload(easy, self->url, m_session.shareHandle(), self->errorText,
                                { &Transfer::onHeader, &Transfer::onData, self })
                                 : CURLE_OUT_OF_MEMORY;

    if (result == CURLE_OK && !self->validators.isEmpty()) {
        // The shared headers and the conditions of this request.
        curl_slist* list = nullptr;
        for (curl_slist* shared = DownloadHeaders(); shared; shared = shared->next)
            list = curl_slist_append(list, shared->data);
        if (!self->validators.etag.isEmpty())
            list = curl_slist_append(list, ("If-None-Match: " + self->validators.etag).constData());
        if (!self->validators.lastModified.isEmpty())
            list = curl_slist_append(list, ("If-Modified-Since: " + self->validators.lastModified).constData());
        self->headers.reset(list);
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, list);
    }

    // A named pipe or a device would hold the whole run inside one system call of libcurl's.
    QString refusal = LocalFileProblem(self->url);
    if (refusal.isEmpty() && result != CURLE_OK)
        refusal = QString::fromUtf8(curl_easy_strerror(result));
    if (refusal.isEmpty()) {
        if (const CURLMcode added = curl_multi_add_handle(m_multi.get(), easy); added != CURLM_OK)
            refusal = QString::fromUtf8(curl_multi_strerror(added));
    }
    if (!refusal.isEmpty()) {
        refuse(std::move(transfer), QStringLiteral("Cannot open %1: %2").arg(self->address, refusal));
        return;
    }
    m_runningPerHost[self->host] += 1;
    if (!self->key.isEmpty())
        m_runningPerKey[self->key] += 1;
    m_running.emplace(easy, std::move(transfer));
}

void TransferPool::refuse(std::unique_ptr<Transfer> transfer, const QString& failure)
{
    // Reported from the event loop, as every other outcome is.
    const int id = transfer->id;
    const int generation = m_generation;
    release(std::move(transfer));
    QMetaObject::invokeMethod(
        this,
        [this, id, generation, failure] {
            if (generation == m_generation) {
                Result result;
                result.failure = failure;
                result.reason = failure.section(QStringLiteral(": "), -1);
                emit finished(id, result);
            }
        },
        Qt::QueuedConnection);
}

void TransferPool::ForgetHostWaits()
{
    hostWaits().clear();
}

void TransferPool::release(std::unique_ptr<Transfer> transfer)
{
    if (!transfer->easy)
        return;
    curl_multi_remove_handle(m_multi.get(), transfer->easy.get());
    // The handle points into this transfer; it must forget that before another takes it.
    curl_easy_reset(transfer->easy.get());
    if (static_cast<int>(m_spareHandles.size()) < TransferLimits::maxTransfers)
        m_spareHandles.push_back(std::move(transfer->easy));
}

void TransferPool::act(curl_socket_t socket, int events)
{
    int running = 0;
    curl_multi_socket_action(m_multi.get(), socket, events, &running);
    collectFinished();
}

void TransferPool::collectFinished()
{
    const QPointer<TransferPool> alive(this);
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(m_multi.get(), &queued)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        const auto found = m_running.find(message->easy_handle);
        if (found == m_running.end())
            continue;
        const CURLcode code = message->data.result;
        std::unique_ptr<Transfer> transfer = std::move(found->second);
        m_running.erase(found);
        m_runningPerHost[transfer->host] -= 1;
        if (!transfer->key.isEmpty())
            m_runningPerKey[transfer->key] -= 1;
        finish(*transfer, code);
        const int id = transfer->id;
        Result result;
        result.status = transfer->status;
        if (transfer->status == 304 || transfer->status >= 400) {
            result.answered = transfer->status == 304;
            result.notModified = transfer->status == 304;
            if (!result.notModified) {
                result.reason = QStringLiteral("HTTP %1 %2")
                                    .arg(transfer->status)
                                    .arg(QString::fromLatin1(transfer->reason))
                                    .trimmed();
                result.failure = QStringLiteral("Cannot read %1: %2").arg(transfer->address, result.reason);
                const bool asksToWait = transfer->status == 429 || transfer->status == 503;
                if (const QDateTime until = retryTime(transfer->retryAfter); asksToWait && until.isValid()) {
                    hostWaits().insert(transfer->host, until);
                }
            }
            release(std::move(transfer));
            startQueued();
            emit finished(id, result);
            if (!alive)
                return;
            continue;
        }
        result.validators = transfer->answerValidators;
        result.answered = transfer->answered;
        result.fileCreated = transfer->answered && !transfer->fileRefused;
        result.complete = code == CURLE_OK && result.fileCreated && transfer->writeFailure.isEmpty();
        // A page that announces a length over the limit fails before it answers; its reason
        // names the limit all the same.
        if (!result.complete) {
            if (!transfer->writeFailure.isEmpty()) {
                result.failure = transfer->writeFailure;
                result.reason = QStringLiteral("the page could not be written");
            } else if (transfer->tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
                result.failure = QStringLiteral("Cannot read %1: the page is larger than %2 bytes")
                                     .arg(transfer->address)
                                     .arg(DownloadLimits::maxBytes);
                result.reason = reasonOf(CURLE_FILESIZE_EXCEEDED);
            }
        }
        if (!result.complete && result.failure.isEmpty() && (code != CURLE_OK || !transfer->answered)) {
            const QString reason = transfer->errorText[0] != '\0' ? QString::fromUtf8(transfer->errorText)
                                                                  : QString::fromUtf8(curl_easy_strerror(code));
            result.failure = QStringLiteral("Cannot %1 %2: %3")
                                 .arg(transfer->answered ? QStringLiteral("read") : QStringLiteral("open"),
                                     transfer->address, reason);
            result.reason = code == CURLE_OK ? QStringLiteral("the page could not be written") : reasonOf(code);
        }
        release(std::move(transfer));
        startQueued();
        emit finished(id, result);
        if (!alive)
            return;
    }
}

void TransferPool::finish(Transfer& transfer, CURLcode code)
{
    // A page that ended without a byte of body or a header (an empty local file) answered all
    // the same.
    if (code == CURLE_OK && !transfer.answered && transfer.status != 304)
        transfer.openFile();
    if (!transfer.file.isOpen())
        return;
    if (code == CURLE_OK && transfer.writeFailure.isEmpty())
        transfer.lines.finish(transfer.block);
    // The lines that arrived before a failure stay in the file.
    if (transfer.writeFailure.isEmpty())
        transfer.writeBlock();
    try {
        CloseFile(transfer.file);
    } catch (const FileError& error) {
        if (transfer.writeFailure.isEmpty())
            transfer.writeFailure = error.message();
    }
}

int TransferPool::onSocket(CURL*, curl_socket_t socket, int what, void* pool, void*)
{
    auto* self = static_cast<TransferPool*>(pool);
    if (what == CURL_POLL_REMOVE)
        self->m_watches.erase(socket);
    else
        self->watchSocket(socket, what);
    return 0;
}

void TransferPool::watchSocket(curl_socket_t socket, int what)
{
    std::unique_ptr<Watch>& watch = m_watches[socket];
    if (!watch)
        watch = std::make_unique<Watch>();
    auto ensure = [&](QSocketNotifier*& notifier, QSocketNotifier::Type type, int events) {
        if (!notifier) {
            notifier = new QSocketNotifier(static_cast<qintptr>(socket), type, this);
            connect(notifier, &QSocketNotifier::activated, this, [this, events](QSocketDescriptor descriptor) {
                act(static_cast<curl_socket_t>(qintptr(descriptor)), events);
            });
        }
    };
    const bool wantRead = what == CURL_POLL_IN || what == CURL_POLL_INOUT;
    const bool wantWrite = what == CURL_POLL_OUT || what == CURL_POLL_INOUT;
    if (wantRead)
        ensure(watch->read, QSocketNotifier::Read, CURL_CSELECT_IN);
    if (wantWrite)
        ensure(watch->write, QSocketNotifier::Write, CURL_CSELECT_OUT);
    if (watch->read)
        watch->read->setEnabled(wantRead);
    if (watch->write)
        watch->write->setEnabled(wantWrite);
}

int TransferPool::onTimer(CURLM*, long timeoutMs, void* pool)
{
    auto* self = static_cast<TransferPool*>(pool);
    if (timeoutMs < 0)
        self->m_timeout.stop();
    else
        self->m_timeout.start(static_cast<int>(std::min<long>(timeoutMs, 24L * 3600 * 1000)));
    return 0;
}
