#include "LoopbackServer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include <sys/socket.h>

namespace {

// Sixteen transfers at once, plus connections that wait for their keep-alive to run out.
constexpr size_t kWorkersPerHost = 40;

} // namespace

void SendRepeatedLines(httplib::Response& response, const std::string& line, size_t size)
{
    response.set_chunked_content_provider(
        "application/octet-stream", [line, size](size_t offset, httplib::DataSink& sink) {
            if (offset >= size) {
                sink.done();
                return true;
            }
            static constexpr size_t kBlockLines = 512;
            std::string block;
            block.reserve(kBlockLines * line.size());
            for (size_t i = 0; i < kBlockLines; ++i)
                block += line;
            return sink.write(block.data(), std::min(block.size(), size - offset));
        });
}

LoopbackServer::LoopbackServer(int hosts, int firstHost)
{
    for (int index = 0; index < hosts; ++index) {
        auto host = std::make_unique<Host>();
        httplib::Server& server = host->server;
        server.new_task_queue = [] { return new httplib::ThreadPool(kWorkersPerHost); };
        server.set_keep_alive_max_count(1000000);
        server.set_keep_alive_timeout(1);
        // Headers and body go out in separate writes; with Nagle's algorithm each small page
        // would wait for the client's delayed acknowledgement.
        server.set_tcp_nodelay(true);
        server.Get("/big.*", [this](const httplib::Request&, httplib::Response& response) {
            SendRepeatedLines(response, m_bigLine, m_bigSize);
        });
        // A type that the server does not compress: it would compress text for a client that
        // accepts an encoding, as the checks do and curl does not, and spend its time on that.
        server.Get(".*", [this](const httplib::Request&, httplib::Response& response) {
            if (const int delay = m_delayMs.load())
                std::this_thread::sleep_for(std::chrono::milliseconds(delay));
            if (m_timingComment)
                response.set_content(m_body + "<!-- answered in " + std::to_string(++m_answers) + " us -->\n",
                    "application/octet-stream");
            else
                response.set_content(m_body, "application/octet-stream");
        });
        // The server listens with a backlog of 5: curl's sixteen connections to one host at
        // once would overflow it, and each refused one would wait a second to try again.
        int listening = -1;
        server.set_socket_options([&listening](socket_t socket) {
            int yes = 1;
            ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
            listening = socket;
        });
        host->address = "127.0.0." + std::to_string(firstHost + index);
        host->port = server.bind_to_any_port(host->address.c_str());
        if (host->port > 0 && ::listen(listening, SOMAXCONN) != 0)
            host->port = -1;
        if (host->port <= 0) {
            std::fprintf(stderr, "cannot listen on %s\n", host->address.c_str());
            m_ok = false;
            return;
        }
        host->thread = std::thread([&server] { server.listen_after_bind(); });
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!server.is_running() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::yield();
        m_servers.push_back(std::move(host));
    }
}

LoopbackServer::~LoopbackServer()
{
    for (auto& host : m_servers)
        host->server.stop();
    for (auto& host : m_servers) {
        if (host->thread.joinable())
            host->thread.join();
    }
}

void LoopbackServer::setBigPage(std::string line, size_t size)
{
    m_bigLine = std::move(line);
    m_bigSize = size;
}

QString LoopbackServer::url(int host, const std::string& path) const
{
    const Host& server = *m_servers[static_cast<size_t>(host)];
    return QStringLiteral("http://%1:%2%3")
        .arg(QString::fromStdString(server.address))
        .arg(server.port)
        .arg(QString::fromStdString(path));
}
