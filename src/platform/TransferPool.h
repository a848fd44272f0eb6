// Page downloads side by side: libcurl's multi interface driven by the Qt event loop that
// runs the pool, so that the window stays alive while pages download. Each transfer writes
// its page into a file of its own, every line ended by CR LF (LineEndConverter).
#pragma once

#include "platform/InternetSession.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

#include <curl/curl.h>

#include <deque>
#include <map>
#include <memory>
#include <vector>

class QSocketNotifier;

// How much of Nelvox one run lets loose at once: no more transfers than this in all, and
// no more to one host than a browser tab would open. Tests change them.
struct TransferLimits {
    static inline int maxTransfers = 16;
    static inline int maxPerHost = 2;
};

class TransferPool : public QObject {
    Q_OBJECT
public:
    // What the server said of the copy a favorite's snapshot was made from; sent back with the
    // next request, the server may answer "not modified" instead of the page.
    struct Validators {
        QByteArray etag;
        QByteArray lastModified;
        bool isEmpty() const { return etag.isEmpty() && lastModified.isEmpty(); }
    };

    // How a transfer ended.
    struct Result {
        // The server answered with the page (or an error page). A transfer that never got
        // that far has touched no file.
        bool answered = false;
        // The file could be created; false for a page that answered into a file that could not.
        bool fileCreated = false;
        // The whole page is in the file.
        bool complete = false;
        // Why the transfer failed, for a transfer that is not complete: libcurl's words, or
        // "HTTP 404 Not Found" for an answer of status 400 or above, whose page is not written.
        QString failure;
        // The same in a few words for the user: "HTTP 404 Not Found", "connection refused",
        // "host not found", "timed out", "certificate not trusted", ...
        QString reason;
        // The status of the page's own answer; 0 for a file:// address or no answer.
        int status = 0;
        // The server answered 304 Not Modified: no file was created.
        bool notModified = false;
        // The validators of the answer, for the next request.
        Validators validators;
    };

    // Throws InternetError when no internet session can be had.
    explicit TransferPool(QObject* parent = nullptr);
    ~TransferPool() override;

    // Queues a download of `address` into `fileName`, which is created (or truncated) once
    // the server answers with the page. Transfers with the same non-empty `exclusiveKey` never
    // run at the same time and start in the order they were queued. With `validators` the
    // request is conditional. Returns the transfer's id.
    int add(const QString& address, const QString& fileName, const QString& exclusiveKey = {},
        const Validators& validators = {});

    // A server that answers 429 or 503 with Retry-After is not asked again before that time,
    // at most a day: its host's transfers fail at once until then, in this pool and the next.
    // Forgets every such wait.
    static void ForgetHostWaits();

    // Abandons every queued and running transfer without a word: no finished() for them.
    // Their files are closed and left as they are.
    void abortAll();

    // Transfers queued or running.
    int pending() const { return m_queued + running(); }
    int running() const { return static_cast<int>(m_running.size()); }

signals:
    void finished(int id, const TransferPool::Result& result);

private:
    struct Transfer;
    struct Watch;
    struct EasyDeleter {
        void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
    };
    struct MultiDeleter {
        void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
    };

    static int onSocket(CURL* easy, curl_socket_t socket, int what, void* pool, void* socketData);
    static int onTimer(CURLM* multi, long timeoutMs, void* pool);

    // Starts queued transfers as far as the limits allow.
    void startQueued();
    void start(std::unique_ptr<Transfer> transfer);
    void act(curl_socket_t socket, int events);
    void collectFinished();
    void finish(Transfer& transfer, CURLcode code);
    // Fails `transfer` from the event loop without starting it.
    void refuse(std::unique_ptr<Transfer> transfer, const QString& failure);
    void watchSocket(curl_socket_t socket, int what);
    void release(std::unique_ptr<Transfer> transfer);

    InternetSession m_session;
    std::unique_ptr<CURLM, MultiDeleter> m_multi;
    QTimer m_timeout;
    int m_nextId = 1;
    // Counts abortAll() calls, so that a failure reported later belongs to no aborted transfer.
    int m_generation = 0;
    // Transfers waiting for their turn, per host, and the hosts in the order they first came.
    std::map<QString, std::deque<std::unique_ptr<Transfer>>> m_queues;
    std::vector<QString> m_hostOrder;
    int m_queued = 0;
    std::map<CURL*, std::unique_ptr<Transfer>> m_running;
    QHash<QString, int> m_runningPerHost;
    QHash<QString, int> m_runningPerKey;
    std::map<curl_socket_t, std::unique_ptr<Watch>> m_watches;
    // Easy handles of finished transfers, reset for the next.
    std::vector<std::unique_ptr<CURL, EasyDeleter>> m_spareHandles;
};
