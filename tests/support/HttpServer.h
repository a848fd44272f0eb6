// A real HTTP server on a free loopback port, run on threads of its own, whose answers a
// test sets per path: plain bodies, chunked or generated bodies, redirects, and servers
// that stall, trickle, hang up or reset the connection in the middle of a page; over TLS
// with a certificate no authority signed when a test asks.
#pragma once

#include <QByteArray>
#include <QString>

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class HttpServer {
public:
    using Headers = std::vector<std::pair<std::string, std::string>>;

    // What the server saw of one request.
    struct Request {
        std::string method;
        std::string target; // as on the request line: a proxy sees the whole address
        httplib::Headers headers;
        int remotePort = -1;
    };

    enum class Connections {
        Close, // every answer closes its connection, so the server shuts down at once
        KeepAlive, // clients may reuse connections; shutting down may wait a second for them
    };

    enum class Security {
        Plain,
        SelfSigned, // TLS with a certificate for 127.0.0.1 that only signs itself
    };

    explicit HttpServer(Connections connections = Connections::Close, Security security = Security::Plain);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    int port() const { return m_port; }
    // "http://127.0.0.1:<port><path>", or https:// for a TLS server
    QString url(const std::string& path) const;

    // Answers for a path, replacing what was set before. The path is matched as the
    // request line gives it, so a proxy's answer is set for the whole address.
    void setPage(const std::string& path, const QByteArray& body, int status = 200, const Headers& headers = {});
    // The bodies in turn, one per request; the last answers every request after it.
    void setPages(const std::string& path, const std::vector<QByteArray>& bodies);
    // The same with a status for each answer, and `headers` on every one.
    void setPages(
        const std::string& path, const std::vector<std::pair<int, QByteArray>>& answers, const Headers& headers);
    // The body in chunked transfer encoding, one chunk per piece, with no length announced.
    void setChunkedPage(const std::string& path, const std::vector<QByteArray>& pieces);
    // A body of `size` bytes made by repeating `unit`, produced while it is sent; chunked
    // when `announceLength` is false.
    void setRepeatedPage(const std::string& path, const QByteArray& unit, qint64 size, bool announceLength);
    // `body` with an ETag and a Last-Modified (either may be empty), or "304 Not Modified" to
    // a request whose If-None-Match (or, without an ETag, If-Modified-Since) names them.
    void setConditionalPage(
        const std::string& path, const QByteArray& body, const std::string& etag, const std::string& lastModified);
    void setRedirect(const std::string& path, const std::string& location, int status = 302);
    // Announces `declaredLength` bytes, sends `head`, then sends nothing more until the
    // server is destroyed.
    void setStall(const std::string& path, const QByteArray& head, qint64 declaredLength);
    // Sends `body` one byte per `interval`, chunked, so that the transfer never stalls.
    void setTrickle(const std::string& path, const QByteArray& body, std::chrono::milliseconds interval);
    // Announces `declaredLength` bytes, sends `head` and closes the connection.
    void setHangUp(const std::string& path, const QByteArray& head, qint64 declaredLength);
    // Announces `declaredLength` bytes, sends `head` and resets the connection (a TCP RST, no
    // orderly close). Plain servers only.
    void setReset(const std::string& path, const QByteArray& head, qint64 declaredLength);
    // `body` compressed with gzip when the request's Accept-Encoding names gzip, as it is
    // otherwise. A broken page claims gzip but sends a body that does not decompress.
    enum class Gzip { Whole, Broken };
    void setGzipPage(const std::string& path, const QByteArray& body, Gzip kind = Gzip::Whole);

    // A body made anew by `make` for every request, on the server's thread.
    void setGeneratedPage(const std::string& path, std::function<QByteArray()> make);
    // `body` after `delay`, during which the request counts as being answered.
    void setSlowPage(const std::string& path, const QByteArray& body, std::chrono::milliseconds delay);
    // The most requests the server was answering at one time (slow pages, set answers; not
    // the sending of streamed bodies).
    int mostAtOnce() const;

    std::vector<Request> requests() const;
    // The requests that reached `path`.
    int requestCount(const std::string& path) const;
    // The body bytes that answers to `path` put on the wire, counting bodies set whole
    // (pages, gzip pages, made pages, redirects and the server's own not-found pages), not streamed ones.
    qint64 bodyBytesSent(const std::string& path) const;

private:
    using Answer = std::function<void(const httplib::Request&, httplib::Response&)>;

    void setAnswer(const std::string& path, Answer answer);
    void handle(const httplib::Request& request, httplib::Response& response);
    // Waits until the server shuts down or the time is up; true when shutting down.
    bool waitForShutdown(std::chrono::milliseconds timeout);

    std::unique_ptr<httplib::Server> m_server;
    Security m_security;
    int m_port = -1;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_shutdownSignal;
    bool m_shuttingDown = false;
    std::map<std::string, Answer> m_answers;
    std::vector<Request> m_requests;
    int m_atOnce = 0;
    int m_mostAtOnce = 0;
    std::map<std::string, qint64> m_bodyBytes;
};
