// Sessions on libcurl. All sessions of the process share one cache of connections, host
// names and TLS sessions, so that a run of checks after another need not open new connections.
#include "platform/InternetSession.h"

#include "platform/NelvoxError.h"
#include "platform/Reasons.h"

#include <array>
#include <mutex>

#include <QCoreApplication>

namespace {

class CurlLibrary {
public:
    CurlLibrary()
        : m_init(curl_global_init(CURL_GLOBAL_DEFAULT))
    {
        if (m_init != CURLE_OK)
            return;
        m_share.reset(curl_share_init());
        if (!m_share)
            return;
        const bool ready = curl_share_setopt(m_share.get(), CURLSHOPT_LOCKFUNC, &CurlLibrary::lock) == CURLSHE_OK
            && curl_share_setopt(m_share.get(), CURLSHOPT_UNLOCKFUNC, &CurlLibrary::unlock) == CURLSHE_OK
            && curl_share_setopt(m_share.get(), CURLSHOPT_USERDATA, this) == CURLSHE_OK
            && curl_share_setopt(m_share.get(), CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS) == CURLSHE_OK
            && curl_share_setopt(m_share.get(), CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION) == CURLSHE_OK
            && curl_share_setopt(m_share.get(), CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT) == CURLSHE_OK;
        if (!ready)
            m_share.reset();
    }

    ~CurlLibrary()
    {
        m_share.reset();
        if (m_init == CURLE_OK)
            curl_global_cleanup();
    }

    CurlLibrary(const CurlLibrary&) = delete;
    CurlLibrary& operator=(const CurlLibrary&) = delete;

    // The shared cache, or null when libcurl could not be set up.
    CURLSH* share() const { return m_share.get(); }
    QString failure() const
    {
        if (m_init != CURLE_OK)
            return Reasons::Translated(QString::fromUtf8(curl_easy_strerror(m_init)));
        return QCoreApplication::translate("InternetSession", "the connection cache cannot be set up");
    }

private:
    struct ShareDeleter {
        void operator()(CURLSH* share) const { curl_share_cleanup(share); }
    };

    // The program downloads on one thread, but a shared cache must be locked all the same
    // as soon as anything else in the process uses it.
    static void lock(CURL*, curl_lock_data data, curl_lock_access, void* library)
    {
        static_cast<CurlLibrary*>(library)->m_locks.at(data).lock();
    }
    static void unlock(CURL*, curl_lock_data data, void* library)
    {
        static_cast<CurlLibrary*>(library)->m_locks.at(data).unlock();
    }

    CURLcode m_init;
    std::unique_ptr<CURLSH, ShareDeleter> m_share;
    std::array<std::mutex, CURL_LOCK_DATA_LAST> m_locks;
};

CurlLibrary& curlLibrary()
{
    static CurlLibrary library;
    return library;
}

} // namespace

InternetSession::InternetSession(bool refused)
{
    const QString operation = QCoreApplication::translate("InternetSession", "Cannot start an internet session: %1");
    if (refused)
        throw InternetError(operation.arg(QCoreApplication::translate("InternetSession", "the system refused it")));
    m_share = curlLibrary().share();
    if (!m_share)
        throw InternetError(operation.arg(curlLibrary().failure()));
}

InternetSession::~InternetSession() = default;
