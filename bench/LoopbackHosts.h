// HTTP servers inside the benchmark process on several loopback addresses (127.0.0.2,
// 127.0.0.3, ...), one per address, each with enough workers for every connection that a
// run of checks or curl opens at once. Every answer can be held back for a while, the way
// a distant site answers late.
#pragma once

#include <QString>
#include <QStringList>

#include <httplib.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class LoopbackHosts {
public:
    // False from ok() when an address cannot be bound.
    explicit LoopbackHosts(int hosts);
    ~LoopbackHosts();
    LoopbackHosts(const LoopbackHosts&) = delete;
    LoopbackHosts& operator=(const LoopbackHosts&) = delete;

    bool ok() const { return m_ok; }
    int hosts() const { return static_cast<int>(m_servers.size()); }

    // Every path but "/big/..." answers `body` after `delayMs`.
    void setBody(std::string body) { m_body = std::move(body); }
    void setDelay(int delayMs) { m_delayMs = delayMs; }
    // "/big/..." answers `size` bytes of `line` repeated, produced while they are sent.
    void setBigPage(std::string line, size_t size);

    // "http://127.0.0.<2 + host>:<port><path>"
    QString url(int host, const std::string& path) const;

private:
    struct Host {
        httplib::Server server;
        int port = -1;
        std::thread thread;
    };

    std::vector<std::unique_ptr<Host>> m_servers;
    std::string m_body;
    std::atomic<int> m_delayMs { 0 };
    std::string m_bigLine;
    size_t m_bigSize = 0;
    bool m_ok = true;
};
