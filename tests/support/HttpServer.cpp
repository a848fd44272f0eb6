#include "HttpServer.h"

#include <gtest/gtest.h>

#include <openssl/evp.h>
#include <openssl/x509.h>
#include <zlib.h>

#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <linux/sockios.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

// The server library compresses text answers on its own when a client accepts it; pages
// must go out as the test set them, so they are not labelled as text.
constexpr const char* kContentType = "application/octet-stream";
constexpr size_t kBlockBytes = 64 * 1024;

std::string toStd(const QByteArray& bytes)
{
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// Bytes [offset, offset + length) of `unit` repeated without end.
std::string repeatedBytes(const std::string& unit, size_t offset, size_t length)
{
    std::string bytes;
    bytes.reserve(length);
    size_t position = offset % unit.size();
    while (bytes.size() < length) {
        const size_t take = std::min(unit.size() - position, length - bytes.size());
        bytes.append(unit, position, take);
        position = 0;
    }
    return bytes;
}

// `bytes` in the gzip format, or empty when zlib fails.
std::string gzipped(const QByteArray& bytes)
{
    z_stream stream {};
    // 16 added to the window bits asks for a gzip header and trailer around the data.
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    std::string out(deflateBound(&stream, static_cast<uLong>(bytes.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.constData()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return result == Z_STREAM_END ? out : std::string();
}

// The socket of the connection from the client's `clientPort` to the server's `serverPort`.
// The server library does not hand its sockets to an answer, but the connection is open
// while it is answered, and the two ports name it among the process's open files.
int connectionSocket(int serverPort, int clientPort)
{
    std::error_code failure;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", failure)) {
        const int socket = std::atoi(entry.path().filename().c_str());
        sockaddr_in local {};
        sockaddr_in peer {};
        socklen_t localSize = sizeof local;
        socklen_t peerSize = sizeof peer;
        if (::getsockname(socket, reinterpret_cast<sockaddr*>(&local), &localSize) == 0
            && ::getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &peerSize) == 0 && local.sin_family == AF_INET
            && ntohs(local.sin_port) == serverPort && ntohs(peer.sin_port) == clientPort)
            return socket;
    }
    return -1;
}

// Resets the connection at once. Closing would be an orderly close (the server library shuts
// the socket down before closing it), and the socket stays the server library's to close.
void resetConnection(int socket)
{
    // What was sent must reach the client first, or the reset would throw it away.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    int unacknowledged = 0;
    while (::ioctl(socket, SIOCOUTQ, &unacknowledged) == 0 && unacknowledged > 0
        && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    // Disconnecting a connected TCP socket sends a RST.
    sockaddr none {};
    none.sa_family = AF_UNSPEC;
    ::connect(socket, &none, sizeof none);
}

std::unique_ptr<httplib::Server> selfSignedServer()
{
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(EVP_EC_gen("P-256"), EVP_PKEY_free);
    std::unique_ptr<X509, decltype(&X509_free)> certificate(X509_new(), X509_free);
    X509_set_version(certificate.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate.get()), 1);
    X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -60);
    X509_gmtime_adj(X509_getm_notAfter(certificate.get()), 3600);
    X509_set_pubkey(certificate.get(), key.get());
    X509_NAME* name = X509_get_subject_name(certificate.get());
    X509_NAME_add_entry_by_txt(
        name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
    X509_set_issuer_name(certificate.get(), name);
    if (X509_sign(certificate.get(), key.get(), EVP_sha256()) == 0)
        ADD_FAILURE() << "the test server cannot sign its certificate";
    // The server's TLS context keeps references of its own to both.
    return std::make_unique<httplib::SSLServer>(certificate.get(), key.get());
}

} // namespace

HttpServer::HttpServer(Connections connections, Security security)
    : m_server(security == Security::SelfSigned ? selfSignedServer() : std::make_unique<httplib::Server>())
    , m_security(security)
{
    // Headers and body go out in separate writes; with Nagle's algorithm each small page
    // would wait for the client's delayed acknowledgement.
    m_server->set_tcp_nodelay(true);
    // The server's threads wait for idle clients to hang up or time out, so a kept
    // connection delays the server's end by the keep-alive time.
    if (connections == Connections::KeepAlive) {
        m_server->set_keep_alive_max_count(1000000);
        m_server->set_keep_alive_timeout(1);
    } else {
        m_server->set_keep_alive_max_count(1);
    }
    // Every request is recorded before routing, so that a proxy's CONNECT shows too.
    m_server->set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
        std::lock_guard lock(m_mutex);
        m_requests.push_back({ request.method, request.target, request.headers, request.remote_port });
        return httplib::Server::HandlerResponse::Unhandled;
    });
    m_server->Get(
        ".*", [this](const httplib::Request& request, httplib::Response& response) { handle(request, response); });
    m_port = m_server->bind_to_any_port("127.0.0.1");
    if (m_port <= 0) {
        ADD_FAILURE() << "the test server cannot listen on 127.0.0.1";
        return;
    }
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    // stop() does nothing to a server that has not begun its loop yet.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!m_server->is_running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    if (!m_server->is_running())
        ADD_FAILURE() << "the test server did not start";
}

HttpServer::~HttpServer()
{
    {
        std::lock_guard lock(m_mutex);
        m_shuttingDown = true;
    }
    m_shutdownSignal.notify_all();
    m_server->stop();
    if (m_thread.joinable())
        m_thread.join();
}

QString HttpServer::url(const std::string& path) const
{
    return QStringLiteral("%1://127.0.0.1:%2%3")
        .arg(m_security == Security::SelfSigned ? "https" : "http")
        .arg(m_port)
        .arg(QString::fromStdString(path));
}

void HttpServer::setAnswer(const std::string& path, Answer answer)
{
    std::lock_guard lock(m_mutex);
    m_answers[path] = std::move(answer);
}

void HttpServer::handle(const httplib::Request& request, httplib::Response& response)
{
    Answer answer;
    {
        std::lock_guard lock(m_mutex);
        auto found = m_answers.find(request.target);
        if (found == m_answers.end())
            found = m_answers.find(request.path);
        if (found != m_answers.end())
            answer = found->second;
    }
    if (!answer) {
        response.status = 404;
        response.set_content("no answer set for " + request.target + "\n", kContentType);
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_mostAtOnce = std::max(m_mostAtOnce, ++m_atOnce);
    }
    answer(request, response);
    std::lock_guard lock(m_mutex);
    --m_atOnce;
    m_bodyBytes[request.target] += static_cast<qint64>(response.body.size());
}

void HttpServer::setGeneratedPage(const std::string& path, std::function<QByteArray()> make)
{
    setAnswer(path, [make = std::move(make)](const httplib::Request&, httplib::Response& response) {
        response.set_content(toStd(make()), kContentType);
    });
}

void HttpServer::setSlowPage(const std::string& path, const QByteArray& body, std::chrono::milliseconds delay)
{
    setAnswer(path, [this, body = toStd(body), delay](const httplib::Request&, httplib::Response& response) {
        waitForShutdown(delay);
        response.set_content(body, kContentType);
    });
}

int HttpServer::mostAtOnce() const
{
    std::lock_guard lock(m_mutex);
    return m_mostAtOnce;
}

bool HttpServer::waitForShutdown(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_shutdownSignal.wait_for(lock, timeout, [this] { return m_shuttingDown; });
}

void HttpServer::setPage(const std::string& path, const QByteArray& body, int status, const Headers& headers)
{
    setAnswer(path, [body = toStd(body), status, headers](const httplib::Request&, httplib::Response& response) {
        response.status = status;
        for (const auto& [name, value] : headers)
            response.set_header(name.c_str(), value);
        response.set_content(body, kContentType);
    });
}

void HttpServer::setPages(const std::string& path, const std::vector<QByteArray>& bodies)
{
    std::vector<std::string> answers;
    for (const QByteArray& body : bodies)
        answers.push_back(toStd(body));
    auto next = std::make_shared<std::atomic<size_t>>(0);
    setAnswer(path, [answers, next](const httplib::Request&, httplib::Response& response) {
        response.set_content(answers[std::min(next->fetch_add(1), answers.size() - 1)], kContentType);
    });
}

void HttpServer::setPages(
    const std::string& path, const std::vector<std::pair<int, QByteArray>>& answers, const Headers& headers)
{
    std::vector<std::pair<int, std::string>> pages;
    for (const auto& [status, body] : answers)
        pages.emplace_back(status, toStd(body));
    auto next = std::make_shared<std::atomic<size_t>>(0);
    setAnswer(path, [pages, headers, next](const httplib::Request&, httplib::Response& response) {
        const auto& [status, body] = pages[std::min(next->fetch_add(1), pages.size() - 1)];
        response.status = status;
        for (const auto& [name, value] : headers)
            response.set_header(name.c_str(), value);
        response.set_content(body, kContentType);
    });
}

void HttpServer::setConditionalPage(
    const std::string& path, const QByteArray& body, const std::string& etag, const std::string& lastModified)
{
    setAnswer(
        path, [body = toStd(body), etag, lastModified](const httplib::Request& request, httplib::Response& response) {
            if (!etag.empty())
                response.set_header("ETag", etag);
            if (!lastModified.empty())
                response.set_header("Last-Modified", lastModified);
            const bool unchanged = etag.empty()
                ? !lastModified.empty() && request.get_header_value("If-Modified-Since") == lastModified
                : request.get_header_value("If-None-Match") == etag;
            if (unchanged)
                response.status = 304;
            else
                response.set_content(body, kContentType);
        });
}

void HttpServer::setChunkedPage(const std::string& path, const std::vector<QByteArray>& pieces)
{
    std::vector<std::string> chunks;
    for (const QByteArray& piece : pieces) {
        // An empty chunk would end the body early.
        if (!piece.isEmpty())
            chunks.push_back(toStd(piece));
    }
    setAnswer(path, [chunks](const httplib::Request&, httplib::Response& response) {
        auto next = std::make_shared<size_t>(0);
        response.set_chunked_content_provider(kContentType, [chunks, next](size_t, httplib::DataSink& sink) {
            if (*next == chunks.size()) {
                sink.done();
                return true;
            }
            const std::string& chunk = chunks[(*next)++];
            return sink.write(chunk.data(), chunk.size());
        });
    });
}

void HttpServer::setRepeatedPage(const std::string& path, const QByteArray& unit, qint64 size, bool announceLength)
{
    const std::string pattern = toStd(unit);
    const auto total = static_cast<size_t>(size);
    setAnswer(path, [pattern, total, announceLength](const httplib::Request&, httplib::Response& response) {
        if (announceLength) {
            response.set_content_provider(
                total, kContentType, [pattern](size_t offset, size_t length, httplib::DataSink& sink) {
                    const std::string block = repeatedBytes(pattern, offset, std::min(length, kBlockBytes));
                    return sink.write(block.data(), block.size());
                });
            return;
        }
        response.set_chunked_content_provider(kContentType, [pattern, total](size_t offset, httplib::DataSink& sink) {
            if (offset >= total) {
                sink.done();
                return true;
            }
            const std::string block = repeatedBytes(pattern, offset, std::min(total - offset, kBlockBytes));
            return sink.write(block.data(), block.size());
        });
    });
}

void HttpServer::setRedirect(const std::string& path, const std::string& location, int status)
{
    setAnswer(path, [location, status](const httplib::Request&, httplib::Response& response) {
        response.set_redirect(location, status);
        response.set_content("this page has moved\n", kContentType);
    });
}

void HttpServer::setStall(const std::string& path, const QByteArray& head, qint64 declaredLength)
{
    setAnswer(path, [this, head = toStd(head), declaredLength](const httplib::Request&, httplib::Response& response) {
        response.set_content_provider(static_cast<size_t>(declaredLength), kContentType,
            [this, head](size_t offset, size_t, httplib::DataSink& sink) {
                if (offset == 0 && !head.empty())
                    return sink.write(head.data(), head.size());
                waitForShutdown(std::chrono::hours(1));
                return false;
            });
    });
}

void HttpServer::setTrickle(const std::string& path, const QByteArray& body, std::chrono::milliseconds interval)
{
    setAnswer(path, [this, body = toStd(body), interval](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider(
            kContentType, [this, body, interval](size_t offset, httplib::DataSink& sink) {
                if (offset >= body.size()) {
                    sink.done();
                    return true;
                }
                if (!sink.write(body.data() + offset, 1))
                    return false;
                return !waitForShutdown(interval);
            });
    });
}

void HttpServer::setHangUp(const std::string& path, const QByteArray& head, qint64 declaredLength)
{
    setAnswer(path, [head = toStd(head), declaredLength](const httplib::Request&, httplib::Response& response) {
        response.set_content_provider(
            static_cast<size_t>(declaredLength), kContentType, [head](size_t offset, size_t, httplib::DataSink& sink) {
                if (offset == 0 && !head.empty())
                    return sink.write(head.data(), head.size());
                return false;
            });
    });
}

void HttpServer::setReset(const std::string& path, const QByteArray& head, qint64 declaredLength)
{
    if (m_security != Security::Plain)
        ADD_FAILURE() << "a TLS server cannot reset " << path;
    setAnswer(
        path, [this, head = toStd(head), declaredLength](const httplib::Request& request, httplib::Response& response) {
            const int socket = connectionSocket(m_port, request.remote_port);
            if (socket < 0)
                ADD_FAILURE() << "the test server cannot find the connection to reset";
            response.set_content_provider(static_cast<size_t>(declaredLength), kContentType,
                [head, socket](size_t offset, size_t, httplib::DataSink& sink) {
                    if (offset == 0 && !head.empty())
                        return sink.write(head.data(), head.size());
                    if (socket >= 0)
                        resetConnection(socket);
                    return false;
                });
        });
}

void HttpServer::setGzipPage(const std::string& path, const QByteArray& body, Gzip kind)
{
    std::string compressed = gzipped(body);
    if (compressed.empty())
        ADD_FAILURE() << "zlib cannot compress the page for " << path;
    if (kind == Gzip::Broken) {
        // A gzip header, then a deflate block of the reserved type 3, which no decoder takes.
        compressed = std::string("\x1f\x8b\x08\0\0\0\0\0\0\x03\xff\xff\xff", 13) + toStd(body);
    }
    setAnswer(path, [plain = toStd(body), compressed](const httplib::Request& request, httplib::Response& response) {
        if (request.get_header_value("Accept-Encoding").find("gzip") == std::string::npos) {
            response.set_content(plain, kContentType);
            return;
        }
        response.set_header("Content-Encoding", "gzip");
        response.set_content(compressed, kContentType);
    });
}

std::vector<HttpServer::Request> HttpServer::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

int HttpServer::requestCount(const std::string& path) const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(std::count_if(
        m_requests.begin(), m_requests.end(), [&path](const Request& request) { return request.target == path; }));
}

qint64 HttpServer::bodyBytesSent(const std::string& path) const
{
    std::lock_guard lock(m_mutex);
    const auto found = m_bodyBytes.find(path);
    return found == m_bodyBytes.end() ? 0 : found->second;
}
