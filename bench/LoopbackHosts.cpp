#include "LoopbackHosts.h"

#include "BenchServer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include <sys/socket.h>

namespace {

// Sixteen transfers at once, plus connections that wait for their keep-alive to run out.
constexpr size_t kWorkersPerHost = 40;

} // namespace

LoopbackHosts::LoopbackHosts(int hosts)
{
    for (int index = 0; index < hosts; ++index) {
        auto host = std::make_unique<Host>();
        httplib::Server& server = host->server;
        server.new_task_queue = [] { return new httplib::ThreadPool(kWorkersPerHost); };
        server.set_keep_alive_max_count(1000000);
        server.set_keep_alive_timeout(1);
        server.set_tcp_nodelay(true);
        server.Get("/big/.*", [this](const httplib::Request&, httplib::Response& response) {
            SendRepeatedLines(response, m_bigLine, m_bigSize);
        });
        // A type that the server does not compress: it would compress text for a client that
        // accepts an encoding, as the checks do and curl does not, and spend its time on that.
        server.Get(".*", [this](const httplib::Request&, httplib::Response& response) {
            if (const int delay = m_delayMs.load())
                std::this_thread::sleep_for(std::chrono::milliseconds(delay));
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
        const std::string address = "127.0.0." + std::to_string(2 + index);
        host->port = server.bind_to_any_port(address.c_str());
        if (host->port > 0 && ::listen(listening, SOMAXCONN) != 0)
            host->port = -1;
        if (host->port <= 0) {
            std::fprintf(stderr, "cannot listen on %s\n", address.c_str());
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

LoopbackHosts::~LoopbackHosts()
{
    for (auto& host : m_servers)
        host->server.stop();
    for (auto& host : m_servers) {
        if (host->thread.joinable())
            host->thread.join();
    }
}

void LoopbackHosts::setBigPage(std::string line, size_t size)
{
    m_bigLine = std::move(line);
    m_bigSize = size;
}

QString LoopbackHosts::url(int host, const std::string& path) const
{
    return QStringLiteral("http://127.0.0.%1:%2%3")
        .arg(2 + host)
        .arg(m_servers[static_cast<size_t>(host)]->port)
        .arg(QString::fromStdString(path));
}
