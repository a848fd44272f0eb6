// libcurl's multi interface on the Qt event loop: a QSocketNotifier for each socket libcurl
// watches and a QTimer for its timeouts, the way QNetworkAccessManager waits on its sockets.
#pragma once

#include <QObject>
#include <QTimer>

#include <curl/curl.h>

#include <map>
#include <memory>

class QSocketNotifier;

class SocketLoop : public QObject {
    Q_OBJECT
public:
    // Throws InternetError when libcurl cannot make its multi handle.
    explicit SocketLoop(QObject* parent = nullptr);
    ~SocketLoop() override;

    // Drives `easy` until it ends with ended(). Returns libcurl's refusal, or CURLM_OK.
    CURLMcode add(CURL* easy);
    // Lets go of `easy`, ended or not; no ended() for it.
    void remove(CURL* easy);
    // Forgets the timeout libcurl asked for, once every handle has gone.
    void stopTimer() { m_timeout.stop(); }

signals:
    // `easy` has ended with `code`. A receiver may delete the loop.
    void ended(CURL* easy, CURLcode code);

private:
    struct Watch;
    struct MultiDeleter {
        void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
    };

    static int onSocket(CURL* easy, curl_socket_t socket, int what, void* loop, void* socketData);
    static int onTimer(CURLM* multi, long timeoutMs, void* loop);
    void act(curl_socket_t socket, int events);
    void watchSocket(curl_socket_t socket, int what);

    std::unique_ptr<CURLM, MultiDeleter> m_multi;
    QTimer m_timeout;
    std::map<curl_socket_t, std::unique_ptr<Watch>> m_watches;
};
