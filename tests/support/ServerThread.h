// Runs a cpp-httplib server, set up by the test, on a free loopback port in a thread of its
// own, from construction to destruction.
#pragma once

#include <httplib.h>

#include <QDeadlineTimer>

#include <thread>

class ServerThread {
public:
    explicit ServerThread(httplib::Server& server)
        : m_server(server)
        , m_port(server.bind_to_any_port("127.0.0.1"))
        , m_thread([this] { m_server.listen_after_bind(); })
    {
        // stop() does nothing to a server that has not begun its loop yet.
        const QDeadlineTimer deadline(10000);
        while (!m_server.is_running() && !deadline.hasExpired())
            std::this_thread::yield();
    }
    ~ServerThread()
    {
        m_server.stop();
        m_thread.join();
    }
    ServerThread(const ServerThread&) = delete;
    ServerThread& operator=(const ServerThread&) = delete;

    int port() const { return m_port; }

private:
    httplib::Server& m_server;
    int m_port;
    std::thread m_thread;
};
