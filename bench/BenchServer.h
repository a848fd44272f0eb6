// An HTTP server on 127.0.0.1 inside the benchmark process, keeping connections alive the
// way a web server does.
#pragma once

#include <QString>

#include <httplib.h>

#include <string>
#include <thread>

// Answers `size` bytes of `line` repeated, made while they are sent, with no length announced:
// whole lines from a block of them, so the page never exists in one piece.
void SendRepeatedLines(httplib::Response& response, const std::string& line, size_t size);

class BenchServer {
public:
    BenchServer();
    ~BenchServer();
    BenchServer(const BenchServer&) = delete;
    BenchServer& operator=(const BenchServer&) = delete;

    // Every path answers `body`.
    void setBody(std::string body) { m_body = std::move(body); }
    // "/big" answers `size` bytes of `line` repeated, produced while they are sent, with
    // no length announced.
    void setBigPage(std::string line, size_t size);

    QString url(const std::string& path) const;

private:
    httplib::Server m_server;
    std::string m_body;
    std::string m_bigLine;
    size_t m_bigSize = 0;
    int m_port = -1;
    std::thread m_thread;
};
