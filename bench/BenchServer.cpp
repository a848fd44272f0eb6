#include "BenchServer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

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

// The server library compresses text for clients that accept it, which the program does and
// plain libcurl does not: pages go out as they are, so that both fetch the same bytes.
BenchServer::BenchServer()
{
    m_server.set_keep_alive_max_count(1000000);
    m_server.set_keep_alive_timeout(1);
    // Headers and body go out in separate writes; with Nagle's algorithm each small page
    // would wait for the client's delayed acknowledgement.
    m_server.set_tcp_nodelay(true);
    m_server.Get("/big", [this](const httplib::Request&, httplib::Response& response) {
        SendRepeatedLines(response, m_bigLine, m_bigSize);
    });
    m_server.Get(".*", [this](const httplib::Request&, httplib::Response& response) {
        response.set_content(m_body, "application/octet-stream");
    });
    m_port = m_server.bind_to_any_port("127.0.0.1");
    if (m_port <= 0)
        std::fprintf(stderr, "the benchmark server cannot listen on 127.0.0.1\n");
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!m_server.is_running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
}

BenchServer::~BenchServer()
{
    m_server.stop();
    if (m_thread.joinable())
        m_thread.join();
}

void BenchServer::setBigPage(std::string line, size_t size)
{
    m_bigLine = std::move(line);
    m_bigSize = size;
}

QString BenchServer::url(const std::string& path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(QString::fromStdString(path));
}
