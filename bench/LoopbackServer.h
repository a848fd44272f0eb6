// HTTP servers inside the benchmark process on loopback addresses, one per address, each with
// enough workers for every connection that a run of checks or curl opens at once, keeping
// connections alive the way a web server does. Every answer can be held back for a while, the
// way a distant site answers late.
#pragma once

#include <QString>

#include <httplib.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// Answers `size` bytes of `line` repeated, made while they are sent, with no length announced:
// whole lines from a block of them, so the page never exists in one piece.
void SendRepeatedLines(httplib::Response& response, const std::string& line, size_t size);

class LoopbackServer {
public:
    // `hosts` servers on 127.0.0.<firstHost>, 127.0.0.<firstHost + 1>, ... False from ok() when
    // an address cannot be bound.
    explicit LoopbackServer(int hosts = 1, int firstHost = 1);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    bool ok() const { return m_ok; }

    // Every path but "/big..." answers `body` after `delayMs`.
    void setBody(std::string body) { m_body = std::move(body); }
    void setDelay(int delayMs) { m_delayMs = delayMs; }
    // Every answer ends with a comment of the time it took, different from one answer to the
    // next, as many servers write one.
    void setTimingComment(bool on) { m_timingComment = on; }
    // "/big..." answers `size` bytes of `line` repeated, produced while they are sent.
    void setBigPage(std::string line, size_t size);

    // "http://127.0.0.<firstHost + host>:<port><path>"
    QString url(int host, const std::string& path) const;

private:
    struct Host {
        httplib::Server server;
        std::string address;
        int port = -1;
        std::thread thread;
    };

    std::vector<std::unique_ptr<Host>> m_servers;
    std::string m_body;
    std::atomic<int> m_delayMs { 0 };
    std::atomic<bool> m_timingComment { false };
    std::atomic<int> m_answers { 0 };
    std::string m_bigLine;
    size_t m_bigSize = 0;
    bool m_ok = true;
};
