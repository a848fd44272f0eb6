// The socket loop of the transfers: libcurl says which sockets to watch and when to wake it,
// the notifiers and the timer call it back from the event loop.
#include "platform/SocketLoop.h"

#include "platform/NelvoxError.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>

#include <algorithm>

// The notifiers of one socket that libcurl asked us to watch.
struct SocketLoop::Watch {
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

SocketLoop::SocketLoop(QObject* parent)
    : QObject(parent)
    , m_multi(curl_multi_init())
{
    if (!m_multi)
        throw InternetError(
            QCoreApplication::translate("InternetSession", "Cannot start an internet session: out of memory"));
    curl_multi_setopt(m_multi.get(), CURLMOPT_SOCKETFUNCTION, &SocketLoop::onSocket);
    curl_multi_setopt(m_multi.get(), CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(m_multi.get(), CURLMOPT_TIMERFUNCTION, &SocketLoop::onTimer);
    curl_multi_setopt(m_multi.get(), CURLMOPT_TIMERDATA, this);
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] { act(CURL_SOCKET_TIMEOUT, 0); });
}

SocketLoop::~SocketLoop()
{
    // The handles still added go with their transfers; libcurl must not call back into a
    // loop that is half gone.
    curl_multi_setopt(m_multi.get(), CURLMOPT_SOCKETFUNCTION, nullptr);
    curl_multi_setopt(m_multi.get(), CURLMOPT_TIMERFUNCTION, nullptr);
    m_watches.clear();
}

CURLMcode SocketLoop::add(CURL* easy)
{
    return curl_multi_add_handle(m_multi.get(), easy);
}

void SocketLoop::remove(CURL* easy)
{
    curl_multi_remove_handle(m_multi.get(), easy);
}

void SocketLoop::act(curl_socket_t socket, int events)
{
    int running = 0;
    curl_multi_socket_action(m_multi.get(), socket, events, &running);
    const QPointer<SocketLoop> alive(this);
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(m_multi.get(), &queued)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        emit ended(message->easy_handle, message->data.result);
        if (!alive)
            return;
    }
}

int SocketLoop::onSocket(CURL*, curl_socket_t socket, int what, void* loop, void*)
{
    auto* self = static_cast<SocketLoop*>(loop);
    if (what == CURL_POLL_REMOVE)
        self->m_watches.erase(socket);
    else
        self->watchSocket(socket, what);
    return 0;
}

void SocketLoop::watchSocket(curl_socket_t socket, int what)
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

int SocketLoop::onTimer(CURLM*, long timeoutMs, void* loop)
{
    auto* self = static_cast<SocketLoop*>(loop);
    if (timeoutMs < 0)
        self->m_timeout.stop();
    else
        self->m_timeout.start(static_cast<int>(std::min<long>(timeoutMs, 24L * 3600 * 1000)));
    return 0;
}
